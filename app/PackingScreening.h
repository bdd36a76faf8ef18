#pragma once
// Packing screening in the window: the current duty run on every packing of the in-memory table,
// shown ranked in a sortable table; "应用" selects a packing and recalculates the main design.
#include <QAbstractTableModel>
#include <QDialog>
#include <QSortFilterProxyModel>
#include <vector>

#include "core/Screening.h"

class QComboBox;
class QLabel;
class QSpinBox;
class QTableView;

namespace velm {

class TFormVELM;

// The duty of the window: its option lists, basis and the SI texts of its input fields. Reading a
// field that holds no number shows its message and throws TSilentAbort, as a calculation would.
TScreenCase ScreenCaseFromWindow(TFormVELM& form, double stages);
// Every record of the window's packing table (grid edits included), in the table's order.
std::vector<TPackingRecord> PackingTableRecords(const TFormVELM& form);

// Columns of the screening table.
enum TScreenColumn : int {
  kScrRank,
  kScrKey,
  kScrMaterial,
  kScrSize,
  kScrType,
  kScrDiameter,
  kScrTheoreticalDiameter,
  kScrFloodFraction,
  kScrPressureDrop,
  kScrHoldup,
  kScrWetting,
  kScrHTUOV,
  kScrHETP,
  kScrPackedHeight,
  kScrRankValue,  // the value the rows are ranked by (its caption names the criterion)
  kScrFindings,
  kScrColumnCount
};

class TScreenModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  using QAbstractTableModel::QAbstractTableModel;
  // Replaces the rows (ranked by RankScreening with `criterion`); they keep the order given.
  void SetRows(std::vector<TScreenRow> rows, TScreenCriterion criterion);
  const std::vector<TScreenRow>& Rows() const { return FRows; }
  // The number a column sorts by (rejected rows are kept last by the proxy).
  static constexpr int kSortRole = Qt::UserRole + 1;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;

  // The table as CSV (UTF-8), in the given row order, header first: what "导出CSV" writes and
  // "复制" puts on the clipboard.
  QString Csv(const std::vector<int>& rowOrder) const;

 private:
  std::vector<TScreenRow> FRows;
  TScreenCriterion FCriterion = TScreenCriterion::PackedVolume;
};

// Sorting and the material/type filter. Rejected rows stay after every sound row in either
// sort direction.
class TScreenProxy : public QSortFilterProxyModel {
  Q_OBJECT
 public:
  using QSortFilterProxyModel::QSortFilterProxyModel;
  void SetFilter(const QString& material, const QString& type);

 protected:
  bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;
  bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

 private:
  QString FMaterial, FType;  // empty: every value
};

class TFormScreening : public QDialog {
  Q_OBJECT
 public:
  explicit TFormScreening(TFormVELM& form);

  // Runs the screening on the window's current duty and table. Errors reach the window's report.
  void Rescreen();
  TScreenModel& Model() { return FModel; }
  TScreenProxy& Proxy() { return FProxy; }
  QTableView* View() const { return FView; }
  // Selects the packing of the current row in the window and recalculates; false without a row.
  bool ApplyClick();
  // The rows shown, in their shown order, as CSV.
  QString ShownCsv() const;

 private:
  void FillFilters();
  void ExportClick();

  TFormVELM& FForm;
  TScreenModel FModel;
  TScreenProxy FProxy;
  QTableView* FView = nullptr;
  QSpinBox* FStages = nullptr;
  QComboBox* FMaterial = nullptr;
  QComboBox* FType = nullptr;
  QLabel* FSummary = nullptr;
};

// Adds "填料筛选" to the report menu and the tool bar of the window.
void InstallScreeningCommand(TFormVELM& form);

}  // namespace velm
