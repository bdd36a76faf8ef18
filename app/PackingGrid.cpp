#include "app/PackingGrid.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QStringList>

namespace velm {

bool BandUsesColor1(int recordNumber, int bandRowNum) {
  const int n = bandRowNum < 1 ? 1 : bandRowNum;
  return recordNumber % (2 * n) > n - 1;
}

QString DefaultSortList(int fieldCount) {
  QStringList parts;
  for (int i = 0; i < fieldCount; ++i)
    parts << (i < 10 ? QStringLiteral("0%1").arg(i) : QString::number(i));
  return parts.join(QLatin1Char(';'));
}

// ----------------------------------------------------------------------------------------------
// TClientDataSetModel

TClientDataSetModel::TClientDataSetModel(QObject* parent) : QAbstractTableModel(parent) {}

void TClientDataSetModel::SetDataSet(TMyClientDataSet* dataSet) {
  beginResetModel();
  FDataSet = dataSet;
  endResetModel();
}

void TClientDataSetModel::Reload() {
  beginResetModel();
  endResetModel();
}

bool TClientDataSetModel::IsValidCell(const QModelIndex& index) const {
  return FDataSet && index.isValid() && index.model() == this && !index.parent().isValid() &&
         index.row() >= 0 && index.row() < FDataSet->RecordCount() && index.column() >= 0 &&
         index.column() < FDataSet->FieldCount();
}

int TClientDataSetModel::rowCount(const QModelIndex& parent) const {
  return FDataSet && !parent.isValid() ? FDataSet->RecordCount() : 0;
}

int TClientDataSetModel::columnCount(const QModelIndex& parent) const {
  return FDataSet && !parent.isValid() ? FDataSet->FieldCount() : 0;
}

QVariant TClientDataSetModel::data(const QModelIndex& index, int role) const {
  if (!IsValidCell(index)) return {};
  switch (role) {
    case Qt::DisplayRole: {
      const std::string& text = FDataSet->Value(index.row(), index.column());
      if (text.empty() && FCellNote) {
        QVariant note = FCellNote(index.row(), index.column(), role);
        if (note.isValid()) return note;
      }
      return QString::fromStdString(text);
    }
    case Qt::EditRole:
      return QString::fromStdString(FDataSet->Value(index.row(), index.column()));
    case Qt::ToolTipRole:
      return FCellNote ? FCellNote(index.row(), index.column(), role) : QVariant();
    case Qt::TextAlignmentRole:
      // Numbers right-aligned, texts left-aligned, as a data grid lays out its columns.
      return QVariant::fromValue(
          Qt::Alignment(FDataSet->FieldKind(index.column()) == TFieldKind::Number
                            ? Qt::AlignRight | Qt::AlignVCenter
                            : Qt::AlignLeft | Qt::AlignVCenter));
    default:
      return {};
  }
}

void TClientDataSetModel::SetCellNote(TCellNote note) {
  beginResetModel();
  FCellNote = std::move(note);
  endResetModel();
}

bool TClientDataSetModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::EditRole || !IsValidCell(index)) return false;
  std::string text = value.toString().toStdString();
  if (text == FDataSet->Value(index.row(), index.column())) return true;
  if (!FDataSet->SetValue(index.row(), index.column(), std::move(text))) return false;
  emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
  return true;
}

QVariant TClientDataSetModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole || !FDataSet || section < 0) return {};
  if (orientation == Qt::Horizontal) {
    if (section >= FDataSet->FieldCount()) return {};
    return QString::fromStdString(FDataSet->DisplayTitle(section));
  }
  if (section >= FDataSet->RecordCount()) return {};
  return section + 1;
}

Qt::ItemFlags TClientDataSetModel::flags(const QModelIndex& index) const {
  if (!IsValidCell(index)) return Qt::NoItemFlags;
  Qt::ItemFlags f = Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
  if (!FDataSet->ReadOnly()) f |= Qt::ItemIsEditable;
  return f;
}

void TClientDataSetModel::SortByField(int field) {
  if (!FDataSet || field < 0 || field >= FDataSet->FieldCount()) return;
  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  const QModelIndexList before = persistentIndexList();
  const std::vector<int> newPos = FDataSet->SortByField(field);
  QModelIndexList after;
  after.reserve(before.size());
  for (const QModelIndex& i : before)
    after << index(newPos[static_cast<size_t>(i.row())], i.column());
  changePersistentIndexList(before, after);
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

// ----------------------------------------------------------------------------------------------
// TMyDBGrid

TMyDBGrid::TMyDBGrid(QWidget* parent) : QTableView(parent), FModel(new TClientDataSetModel(this)) {
  setModel(FModel);
  setItemDelegate(new TBandDelegate(this));
  horizontalHeader()->setSectionsClickable(true);
  connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &TMyDBGrid::TitleClick);
  // The current row is drawn without its band, so moving it repaints.
  connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this] { viewport()->update(); });
}

void TMyDBGrid::setTable(TMyClientDataSet* table) {
  FModel->SetDataSet(table);
  ApplyRowSelect();
}

void TMyDBGrid::SetMyBandColor(bool on) {
  FBandColor = on;
  viewport()->update();
}

void TMyDBGrid::SetMyBandColor1(const QColor& color) {
  FBandColor1 = color;
  viewport()->update();
}

void TMyDBGrid::SetMyBandColor2(const QColor& color) {
  FBandColor2 = color;
  viewport()->update();
}

void TMyDBGrid::SetMyBandRowNum(int rows) {
  // A band needs at least one row (the rule divides by 2n).
  FBandRowNum = rows < 1 ? 1 : rows;
  viewport()->update();
}

void TMyDBGrid::SetMySortList(const QString& list) {
  if (!list.isEmpty())
    FSortList = list;
  else
    FSortList = table() ? DefaultSortList(table()->FieldCount()) : QString();
}

void TMyDBGrid::SetMyRowSelectReadonly(bool on) {
  FRowSelectReadonly = on;
  ApplyRowSelect();
}

void TMyDBGrid::ApplyRowSelect() {
  const bool rows = table() && FRowSelectReadonly && table()->ReadOnly();
  setSelectionBehavior(rows ? QAbstractItemView::SelectRows : QAbstractItemView::SelectItems);
}

QColor TMyDBGrid::BandBackground(int row) const {
  if (!FBandColor || row == currentIndex().row()) return {};
  return BandUsesColor1(row + 1, FBandRowNum) ? FBandColor1 : FBandColor2;
}

bool TMyDBGrid::IsSortable(int field) const {
  if (!FSortFields || FSortList.isEmpty() || !table() || field < 0 ||
      field >= table()->FieldCount())
    return false;
  const QString position = field < 10 ? QStringLiteral("0%1").arg(field) : QString::number(field);
  // Whole entries only: "01" must not match inside "101".
  for (const QString& entry : FSortList.split(QLatin1Char(';')))
    if (entry.trimmed() == position) return true;
  return false;
}

void TMyDBGrid::TitleClick(int section) {
  if (IsSortable(section)) FModel->SortByField(section);
}

// ----------------------------------------------------------------------------------------------
// TBandDelegate

TBandDelegate::TBandDelegate(TMyDBGrid* grid) : QStyledItemDelegate(grid), FGrid(grid) {}

void TBandDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const {
  QStyledItemDelegate::initStyleOption(option, index);
  const QColor band = FGrid->BandBackground(index.row());
  if (band.isValid()) option->backgroundBrush = QBrush(band);
}

}  // namespace velm
