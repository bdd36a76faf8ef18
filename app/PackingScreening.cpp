#include "app/PackingScreening.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSpinBox>
#include <QStyle>
#include <QTableView>
#include <QToolBar>
#include <QVBoxLayout>
#include <charconv>
#include <cmath>
#include <string_view>

#include "app/MainWindow.h"
#include "base/NumberFormat.h"
#include "core/Methods.h"
#include "project/FileIo.h"
#include "units/ValueField.h"

namespace velm {

namespace {

// The shortest text that reads back as the same double: the duty reaches every packing's run
// with the window's SI values unchanged.
std::string ExactText(double v) {
  char buf[64];
  const auto r = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, r.ptr);
}

QString Num(const std::optional<double>& v, double scale = 1.0) {
  if (!v) return {};
  return QString::fromStdString(FormatGeneral(*v * scale, 4));
}

QString LevelText(TFindingLevel level) { return QString::fromUtf8(LevelLabel(level)); }

QString FindingsSummary(const TScreenRow& r) {
  if (!r.Error.empty()) return QStringLiteral("未算出：") + QString::fromStdString(r.Error);
  const auto worst = r.WorstLevel();
  if (!worst) return QStringLiteral("无");
  const int count = static_cast<int>(r.Findings.size());
  const QString first = [&] {
    for (const auto& f : r.Findings)
      if (f.Level == *worst) return QString::fromStdString(f.Text);
    return QString();
  }();
  return QStringLiteral("%1 %2 条：%3").arg(LevelText(*worst)).arg(count).arg(first);
}

QString FindingsTooltip(const TScreenRow& r) {
  QStringList lines;
  if (!r.Error.empty()) lines << QString::fromStdString(r.Error);
  for (const auto& f : r.Findings)
    lines << QStringLiteral("[%1] %2").arg(LevelText(f.Level), QString::fromStdString(f.Text));
  return lines.join(QLatin1Char('\n'));
}

// The value a column shows, in the column's display unit, or nothing.
std::optional<double> ColumnValue(const TScreenRow& r, int column) {
  switch (column) {
    case kScrDiameter:
      return r.Diameter ? std::optional(*r.Diameter * 1000.0) : std::nullopt;  // [mm]
    case kScrTheoreticalDiameter:
      return r.TheoreticalDiameter ? std::optional(*r.TheoreticalDiameter * 1000.0) : std::nullopt;
    case kScrFloodFraction:
      return r.FloodFraction ? std::optional(*r.FloodFraction * 100.0) : std::nullopt;  // [%]
    case kScrPressureDrop:
      return r.PressureDrop;  // [Pa/m]
    case kScrHoldup:
      return r.Holdup;
    case kScrWetting:
      return r.WettingPercent;
    case kScrHTUOV:
      return r.HTUOV;
    case kScrHETP:
      return r.HETP;
    case kScrPackedHeight:
      return r.PackedHeight;
    case kScrRankValue:
      return r.RankValue;
    default:
      return std::nullopt;
  }
}

QString CsvField(const QString& text) {
  if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) &&
      !text.contains(QLatin1Char('\n')))
    return text;
  QString quoted = text;
  quoted.replace(QLatin1String("\""), QLatin1String("\"\""));
  return QLatin1Char('"') + quoted + QLatin1Char('"');
}

}  // namespace

// --- the duty ---------------------------------------------------------------------------------

TScreenCase ScreenCaseFromWindow(TFormVELM& form, double stages) {
  // Bring the window's own design up to date first: the relation groups complete the inputs
  // (λ from m, for one) exactly as leaving a field would.
  if (NeedsRecalc()) form.LDExit();
  TScreenCase duty;
  const TDesignCase& current = form.DesignCase();
  duty.Options.FloodMethod = current.FloodMethod;
  duty.Options.AccelMethod = current.AccelMethod;
  duty.Options.FoamingFactorText = current.FoamingFactorText;
  duty.Options.FloodPercentText = current.FloodPercentText;
  duty.Options.LegacyMethods = current.LegacyMethods;
  duty.Options.Service = current.Service;
  if (const auto* method = form.Control<QComboBox>(QStringLiteral("MethodD")))
    duty.Options.FloodMethod = FloodingMethodIndex(method->currentIndex());
  if (const auto* af = form.Control<QComboBox>(QStringLiteral("AfD")))
    duty.Options.FoamingFactorText = af->currentText().toStdString();
  if (const auto* fp = form.Control<QComboBox>(QStringLiteral("fpercentD")))
    duty.Options.FloodPercentText = fp->currentText().toStdString();
  for (int i = 0; i < kFieldCount; ++i) {
    TEditD* field = form.Control<TEditD>(QString::fromLatin1(FieldName(static_cast<TField>(i))));
    if (!field || field->text().trimmed().isEmpty()) continue;
    duty.Inputs[static_cast<size_t>(i)] = ExactText(field->Value());
  }
  duty.Stages = stages;
  return duty;
}

std::vector<TPackingRecord> PackingTableRecords(const TFormVELM& form) {
  return PackingRecords(form.MyClientDataSet1());
}

// --- model ------------------------------------------------------------------------------------

void TScreenModel::SetRows(std::vector<TScreenRow> rows, TScreenCriterion criterion) {
  beginResetModel();
  FRows = std::move(rows);
  FCriterion = criterion;
  endResetModel();
}

int TScreenModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(FRows.size());
}

int TScreenModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kScrColumnCount;
}

QVariant TScreenModel::data(const QModelIndex& index, int role) const {
  if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
    return {};
  const TScreenRow& r = FRows[static_cast<size_t>(index.row())];
  const int c = index.column();
  switch (role) {
    case Qt::DisplayRole:
      switch (c) {
        case kScrRank:  // a rejected row has no rank
          return r.Rank ? QVariant(*r.Rank) : QVariant(QStringLiteral("—"));
        case kScrKey:
          return QString::fromStdString(r.Packing.F[0]);
        case kScrMaterial:
          return QString::fromStdString(r.Packing.F[1]);
        case kScrSize:
          return QString::fromStdString(r.Packing.F[2]);
        case kScrType:
          return QString::fromStdString(r.Packing.F[3]);
        case kScrFindings:
          return FindingsSummary(r);
        default:
          return Num(ColumnValue(r, c));
      }
    case kSortRole:
      switch (c) {
        case kScrRank:
          return index.row();
        case kScrKey:
        case kScrMaterial:
        case kScrSize:
        case kScrType:
          return data(index, Qt::DisplayRole);
        case kScrFindings: {
          const auto worst = r.WorstLevel();
          return worst ? 3 - static_cast<int>(*worst) : 0;
        }
        default: {
          const auto v = ColumnValue(r, c);
          return v ? *v : HUGE_VAL;
        }
      }
    case Qt::ToolTipRole:
      return c == kScrFindings || !r.Error.empty() ? FindingsTooltip(r) : QVariant();
    case Qt::ForegroundRole:
      if (r.Rejected()) return QColor(Qt::gray);
      if (c == kScrFindings && r.WorstLevel() == TFindingLevel::Warning)
        return QColor(0xB0, 0x60, 0x00);
      return {};
    case Qt::TextAlignmentRole:
      return c >= kScrDiameter && c <= kScrPackedHeight
                 ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                 : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    default:
      return {};
  }
}

QVariant TScreenModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  static const char* const kTitles[kScrColumnCount] = {
      "排名",        "编号",         "材质",      "规格",         "类型",        "塔径 mm",
      "理论塔径 mm", "实际泛点率 %", "压降 Pa/m", "持液量 m3/m3", "喷淋/最小 %", "HTUOV m",
      "HETP m",      "填料高度 m",   "",          "校核"};
  if (section < 0 || section >= kScrColumnCount) return {};
  if (section == kScrRankValue)
    return QStringLiteral("排序依据：") + QString::fromUtf8(CriterionCaption(FCriterion));
  return QString::fromUtf8(kTitles[section]);
}

QString TScreenModel::Csv(const std::vector<int>& rowOrder) const {
  QStringList lines;
  QStringList header;
  for (int c = 0; c < kScrColumnCount; ++c)
    header << CsvField(headerData(c, Qt::Horizontal).toString());
  lines << header.join(QLatin1Char(','));
  for (int row : rowOrder) {
    QStringList cells;
    for (int c = 0; c < kScrColumnCount; ++c)
      // One line per packing: the findings are joined on the line.
      cells << CsvField(c == kScrFindings ? FindingsTooltip(FRows[static_cast<size_t>(row)])
                                                .replace(QLatin1Char('\n'), QStringLiteral("；"))
                                          : data(index(row, c)).toString());
    lines << cells.join(QLatin1Char(','));
  }
  return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

// --- proxy ------------------------------------------------------------------------------------

void TScreenProxy::SetFilter(const QString& material, const QString& type) {
  FMaterial = material;
  FType = type;
  invalidateFilter();
}

bool TScreenProxy::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const {
  const QAbstractItemModel* m = sourceModel();
  if (!FMaterial.isEmpty() && m->index(sourceRow, kScrMaterial, sourceParent).data() != FMaterial)
    return false;
  if (!FType.isEmpty() && m->index(sourceRow, kScrType, sourceParent).data() != FType) return false;
  return true;
}

bool TScreenProxy::lessThan(const QModelIndex& left, const QModelIndex& right) const {
  const auto* model = static_cast<const TScreenModel*>(sourceModel());
  const bool lr = model->Rows()[static_cast<size_t>(left.row())].Rejected();
  const bool rr = model->Rows()[static_cast<size_t>(right.row())].Rejected();
  if (lr != rr) return sortOrder() == Qt::AscendingOrder ? rr : lr;
  const QVariant a = left.data(TScreenModel::kSortRole), b = right.data(TScreenModel::kSortRole);
  if (a.typeId() == QMetaType::QString) return a.toString().localeAwareCompare(b.toString()) < 0;
  return a.toDouble() < b.toDouble();
}

// --- dialog -----------------------------------------------------------------------------------

TFormScreening::TFormScreening(TFormVELM& form) : QDialog(&form), FForm(form) {
  setObjectName(QStringLiteral("FormScreening"));
  setWindowTitle(QStringLiteral("填料筛选"));
  setAttribute(Qt::WA_DeleteOnClose);
  resize(1100, 560);

  auto* top = new QHBoxLayout;
  top->addWidget(new QLabel(QStringLiteral("理论板数"), this));
  FStages = new QSpinBox(this);
  FStages->setObjectName(QStringLiteral("StagesD"));
  FStages->setRange(0, 500);
  FStages->setValue(10);
  FStages->setToolTip(QStringLiteral("填料高度 = 理论板数 × HETP；为 0 时按塔截面积排序"));
  top->addWidget(FStages);
  top->addSpacing(16);
  top->addWidget(new QLabel(QStringLiteral("材质"), this));
  FMaterial = new QComboBox(this);
  FMaterial->setObjectName(QStringLiteral("MaterialFilter"));
  top->addWidget(FMaterial);
  top->addWidget(new QLabel(QStringLiteral("类型"), this));
  FType = new QComboBox(this);
  FType->setObjectName(QStringLiteral("TypeFilter"));
  top->addWidget(FType);
  top->addStretch(1);
  auto* rerun = new QPushButton(QStringLiteral("重新筛选"), this);
  rerun->setObjectName(QStringLiteral("BRescreen"));
  top->addWidget(rerun);

  FProxy.setSourceModel(&FModel);
  FView = new QTableView(this);
  FView->setObjectName(QStringLiteral("ScreenTable"));
  FView->setModel(&FProxy);
  FView->setSortingEnabled(true);
  FView->setSelectionBehavior(QAbstractItemView::SelectRows);
  FView->setSelectionMode(QAbstractItemView::SingleSelection);
  FView->setEditTriggers(QAbstractItemView::NoEditTriggers);
  FView->verticalHeader()->hide();
  FView->horizontalHeader()->setStretchLastSection(true);
  FView->sortByColumn(kScrRank, Qt::AscendingOrder);

  FSummary = new QLabel(this);
  FSummary->setObjectName(QStringLiteral("ScreenSummary"));
  FSummary->setWordWrap(true);

  auto* buttons = new QDialogButtonBox(this);
  auto* apply = buttons->addButton(QStringLiteral("应用"), QDialogButtonBox::ApplyRole);
  apply->setObjectName(QStringLiteral("BApply"));
  apply->setToolTip(QStringLiteral("在主窗口选用该填料并重新计算"));
  auto* exportCsv = buttons->addButton(QStringLiteral("导出CSV"), QDialogButtonBox::ActionRole);
  exportCsv->setObjectName(QStringLiteral("BExport"));
  auto* copy = buttons->addButton(QStringLiteral("复制"), QDialogButtonBox::ActionRole);
  copy->setObjectName(QStringLiteral("BCopy"));
  auto* close = buttons->addButton(QStringLiteral("关闭"), QDialogButtonBox::RejectRole);
  close->setObjectName(QStringLiteral("BClose"));

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(FView, 1);
  layout->addWidget(FSummary);
  layout->addWidget(buttons);

  connect(rerun, &QPushButton::clicked, this, &TFormScreening::Rescreen);
  connect(FStages, &QSpinBox::valueChanged, this, &TFormScreening::Rescreen);
  const auto filter = [this] {
    FProxy.SetFilter(FMaterial->currentIndex() > 0 ? FMaterial->currentText() : QString(),
                     FType->currentIndex() > 0 ? FType->currentText() : QString());
  };
  connect(FMaterial, &QComboBox::currentIndexChanged, this, filter);
  connect(FType, &QComboBox::currentIndexChanged, this, filter);
  connect(apply, &QPushButton::clicked, this, [this] { ApplyClick(); });
  connect(FView, &QTableView::doubleClicked, this, [this] { ApplyClick(); });
  connect(exportCsv, &QPushButton::clicked, this, &TFormScreening::ExportClick);
  connect(copy, &QPushButton::clicked, this,
          [this] { QApplication::clipboard()->setText(ShownCsv()); });
  connect(close, &QPushButton::clicked, this, &QDialog::reject);
}

void TFormScreening::Rescreen() {
  FForm.Guard([this] {
    const double stages = FStages->value();
    const TScreenCase duty = ScreenCaseFromWindow(FForm, stages);
    std::vector<TScreenRow> rows = ScreenPackings(duty, PackingTableRecords(FForm));
    const TScreenCriterion criterion =
        RankScreening(rows, stages, TScreenCriterion::ByService, duty.Options.Service);
    FModel.SetRows(std::move(rows), criterion);
    FView->sortByColumn(kScrRank, Qt::AscendingOrder);
    FillFilters();
    FView->resizeColumnsToContents();
    const auto& shown = FModel.Rows();
    const auto sound = std::count_if(shown.begin(), shown.end(),
                                     [](const TScreenRow& r) { return !r.Rejected(); });
    QString text = QStringLiteral("共 %1 种填料，%2 种可作设计。").arg(shown.size()).arg(sound);
    if (!shown.empty() && !shown.front().Rejected())
      text += QStringLiteral("推荐：%1 %2 %3（%4）。")
                  .arg(QString::fromStdString(shown.front().Packing.F[1]),
                       QString::fromStdString(shown.front().Packing.F[2]),
                       QString::fromStdString(shown.front().Packing.F[3]),
                       QStringLiteral("%1最小").arg(QString::fromUtf8(CriterionCaption(criterion))
                                                        .section(QStringLiteral(" ("), 0, 0)));
    FSummary->setText(text);
  });
}

void TFormScreening::FillFilters() {
  for (auto [box, column] : {std::pair{FMaterial, 1}, std::pair{FType, 3}}) {
    const QString kept = box->currentIndex() > 0 ? box->currentText() : QString();
    QStringList values;
    for (const auto& r : FModel.Rows()) {
      const QString v = QString::fromStdString(r.Packing.F[static_cast<size_t>(column)]);
      if (!values.contains(v)) values << v;
    }
    const QSignalBlocker block(box);
    box->clear();
    box->addItem(QStringLiteral("全部"));
    box->addItems(values);
    box->setCurrentIndex(std::max(0, box->findText(kept)));
  }
  FProxy.SetFilter(FMaterial->currentIndex() > 0 ? FMaterial->currentText() : QString(),
                   FType->currentIndex() > 0 ? FType->currentText() : QString());
}

bool TFormScreening::ApplyClick() {
  const QModelIndex current = FView->currentIndex();
  if (!current.isValid()) return false;
  const int row = FProxy.mapToSource(current).row();
  const QString key = QString::fromStdString(FModel.Rows()[static_cast<size_t>(row)].Packing.F[0]);
  auto* ptd = FForm.Control<QComboBox>(QStringLiteral("PTD"));
  if (!ptd) return false;
  for (int i = 0; i < ptd->count(); ++i) {
    if (ptd->itemText(i).section(QLatin1Char(';'), 0, 0) != key) continue;
    ptd->setCurrentIndex(i);
    // As if the user had picked it: the project changed and the design is recalculated.
    SetModified(true);
    SetNeedsRecalc(true);
    FForm.LDExit();
    return true;
  }
  return false;
}

QString TFormScreening::ShownCsv() const {
  std::vector<int> order;
  for (int r = 0; r < FProxy.rowCount(); ++r)
    order.push_back(FProxy.mapToSource(FProxy.index(r, 0)).row());
  return FModel.Csv(order);
}

void TFormScreening::ExportClick() {
  const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("导出筛选结果"), QString(),
                                                    QStringLiteral("CSV 文件(*.csv)"));
  if (path.isEmpty()) return;
  // A byte-order mark lets spreadsheet programs recognise the Chinese headings as UTF-8.
  const QByteArray bytes = QByteArray("\xEF\xBB\xBF") + ShownCsv().toUtf8();
  try {
    CheckOutputFile(path, FForm.CurrentFile());
    WriteWholeFile(path, std::string_view(bytes.constData(), size_t(bytes.size())));
  } catch (const TFileError& e) {
    FForm.ReportError(QString::fromStdString(e.what()));
  }
}

void InstallScreeningCommand(TFormVELM& form) {
  const auto open = [&form] {
    auto* dialog = new TFormScreening(form);
    dialog->Rescreen();
    dialog->show();
  };
  const QString hint = QStringLiteral("当前工况下逐一计算填料表中的每种填料，并排序推荐");
  auto* menuItem = new QAction(QStringLiteral("&K 填料筛选"), &form);
  menuItem->setObjectName(QStringLiteral("MReport_Screen"));
  menuItem->setStatusTip(hint);
  QObject::connect(menuItem, &QAction::triggered, &form, open);
  if (auto* report = form.findChild<QMenu*>(QStringLiteral("MReport"))) report->addAction(menuItem);
  if (auto* bar = form.findChild<QToolBar*>(QStringLiteral("ToolBar1"))) {
    auto* tool = new QAction(form.style()->standardIcon(QStyle::SP_FileDialogDetailedView),
                             QStringLiteral("填料筛选"), &form);
    tool->setToolTip(hint);
    QObject::connect(tool, &QAction::triggered, &form, open);
    bar->addAction(tool);
    if (QWidget* button = bar->widgetForAction(tool))
      button->setObjectName(QStringLiteral("BScreen"));
  }
}

}  // namespace velm
