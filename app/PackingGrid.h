#pragma once
// The constants grid: a table view over a TMyClientDataSet with banded rows, sorting by a click
// on a column title and whole-row selection for a read-only table.
//
// Band rule: with record number r (1 for the first record) and n rows per band, the record is in
// the second band colour when r mod 2n > n - 1. With n = 5 records 1-4 take the first colour,
// 5-9 the second, 10-14 the first again: the first band is one row short because r starts at 1.
// The current row is drawn without a band, as is every row when banding is off.
#include <QAbstractTableModel>
#include <QColor>
#include <QStyledItemDelegate>
#include <QTableView>
#include <functional>

#include "table/PackingTable.h"

namespace velm {

// True when record number `recordNumber` (1-based) is painted in the second band colour
// (`MyBandColor1`). A band of fewer than one row counts as one row.
bool BandUsesColor1(int recordNumber, int bandRowNum);

// The default sort list of a table with `fieldCount` fields: "00;01;...", two digits each
// (positions from 100 on as they are). Empty for no fields.
QString DefaultSortList(int fieldCount);

// Item model over a table it does not own. Rows are records in the table's current order,
// columns its fields; horizontal headers are the display titles, vertical ones record numbers.
// Edits go into the table (numeric fields take only numbers or nothing).
class TClientDataSetModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  explicit TClientDataSetModel(QObject* parent = nullptr);

  // Shows another table (nullptr for none). The model is reset.
  void SetDataSet(TMyClientDataSet* dataSet);
  TMyClientDataSet* DataSet() const { return FDataSet; }
  // Tells the views that the table was changed behind the model's back (reloaded, refilled).
  void Reload();
  // Sorts the table by a field, keeping persistent indexes (selection, current cell) on their
  // records. Out-of-range fields are ignored.
  void SortByField(int field);
  // Texts for the view only, never stored: note(record, field, role) gives the display text of an
  // empty cell (Qt::DisplayRole) and the tool tip of any cell (Qt::ToolTipRole); an invalid
  // QVariant means none.
  using TCellNote = std::function<QVariant(int record, int field, int role)>;
  void SetCellNote(TCellNote note);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 private:
  bool IsValidCell(const QModelIndex& index) const;

  TMyClientDataSet* FDataSet = nullptr;
  TCellNote FCellNote;
};

class TMyDBGrid : public QTableView {
  Q_OBJECT
  Q_PROPERTY(bool MyBandColor READ MyBandColor WRITE SetMyBandColor)
  Q_PROPERTY(QColor MyBandColor1 READ MyBandColor1 WRITE SetMyBandColor1)
  Q_PROPERTY(QColor MyBandColor2 READ MyBandColor2 WRITE SetMyBandColor2)
  Q_PROPERTY(int MyBandRowNum READ MyBandRowNum WRITE SetMyBandRowNum)
  Q_PROPERTY(bool MySortFields READ MySortFields WRITE SetMySortFields)
  Q_PROPERTY(QString MySortList READ MySortList WRITE SetMySortList)
  Q_PROPERTY(bool MyRowSelectReadonly READ MyRowSelectReadonly WRITE SetMyRowSelectReadonly)

 public:
  explicit TMyDBGrid(QWidget* parent = nullptr);

  // Shows a table (not owned; nullptr for none) through the grid's own model.
  void setTable(TMyClientDataSet* table);
  TMyClientDataSet* table() const { return FModel->DataSet(); }
  TClientDataSetModel* TableModel() const { return FModel; }

  bool MyBandColor() const { return FBandColor; }
  void SetMyBandColor(bool on);
  QColor MyBandColor1() const { return FBandColor1; }
  void SetMyBandColor1(const QColor& color);
  QColor MyBandColor2() const { return FBandColor2; }
  void SetMyBandColor2(const QColor& color);
  int MyBandRowNum() const { return FBandRowNum; }
  // Values below 1 are taken as 1.
  void SetMyBandRowNum(int rows);
  bool MySortFields() const { return FSortFields; }
  void SetMySortFields(bool on) { FSortFields = on; }
  QString MySortList() const { return FSortList; }
  // A non-empty list is kept as given; an empty one becomes DefaultSortList of the table's
  // field count when a table is shown, and stays empty otherwise.
  void SetMySortList(const QString& list);
  bool MyRowSelectReadonly() const { return FRowSelectReadonly; }
  void SetMyRowSelectReadonly(bool on);

  // Background of a data cell at a view row: the band colour, or an invalid colour when the
  // cell is drawn as the base view draws it (current row, banding off).
  QColor BandBackground(int row) const;
  // Whether a click on the title of column `field` sorts (MySortFields on and the field's
  // two-digit position one of the entries of MySortList).
  bool IsSortable(int field) const;

 private:
  void TitleClick(int section);
  void ApplyRowSelect();

  TClientDataSetModel* FModel;
  bool FBandColor = true;
  QColor FBandColor1{218, 255, 254};
  QColor FBandColor2{255, 240, 221};
  int FBandRowNum = 5;
  bool FSortFields = true;
  QString FSortList;
  bool FRowSelectReadonly = true;
};

// Paints a cell's band background under the normal cell drawing of the grid it serves.
class TBandDelegate : public QStyledItemDelegate {
  Q_OBJECT
 public:
  explicit TBandDelegate(TMyDBGrid* grid);

 protected:
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

 private:
  TMyDBGrid* FGrid;
};

}  // namespace velm
