#include "app/AnalysisPanel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "base/Decimal.h"
#include "base/Errors.h"
#include "base/NumberFormat.h"
#include "chart/AnalysisChart.h"

namespace velm {

namespace {

QString Num(double v, int digits = 15) { return QString::fromStdString(FormatGeneral(v, digits)); }
QString Num(const std::optional<double>& v, int digits) { return v ? Num(*v, digits) : QString(); }

QString Cell(const QTableWidget* t, int r, int c) {
  const QTableWidgetItem* item = t->item(r, c);
  return item ? item->text().trimmed() : QString();
}

QTableWidgetItem* ReadOnly(const QString& text) {
  auto* item = new QTableWidgetItem(text);
  item->setFlags(item->flags() & ~Qt::ItemIsEditable);
  return item;
}

QTableWidget* Table(const QString& name, const QStringList& headers) {
  auto* t = new QTableWidget(0, static_cast<int>(headers.size()));
  t->setObjectName(name);
  t->setHorizontalHeaderLabels(headers);
  t->verticalHeader()->setVisible(false);
  t->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  return t;
}

QLineEdit* Edit(const QString& name, int width) {
  auto* e = new QLineEdit;
  e->setObjectName(name);
  e->setMaximumWidth(width);
  return e;
}

// The calibration table's input columns, then what the fit gives.
const char* const kPointHeaders[] = {
    "名称",         "液相流量 kg/s", "气相流量 kg/s", "塔径 mm", "实测压降 Pa/m",
    "填料层高度 m", "理论板数",      "计算压降 Pa/m", "残差 %",  "计算 HETP m"};
constexpr int kPointInputs = 7;

// A typed number for a record: as typed when it is none (the run names the record), scaled.
QString RecordNumber(const QString& text, double scale = 1.0) {
  bool ok = false;
  const double x = text.toDouble(&ok);
  return !ok ? QString(text).replace(',', ' ').replace(';', ' ') : Num(x * scale);
}

}  // namespace

// --- the stored box ---------------------------------------------------------------------------

TSettingsBox::TSettingsBox(const QString& title, const QString& name, QWidget* parent)
    : QGroupBox(title, parent) {
  setObjectName(name);
}

QString TSettingsBox::Text() const { return FEdited ? Compose() : FSetText; }

void TSettingsBox::SetText(const QString& text) {
  FFilling = true;
  if (!Show(text)) Show(QString());  // not shown: the run names the record that does not read
  FFilling = false;
  FSetText = text;
  FEdited = false;
}

void TSettingsBox::Edited() {
  if (FFilling) return;
  FEdited = true;
  emit Changed();
}

// --- calibration ------------------------------------------------------------------------------

TCalibrationBox::TCalibrationBox(QWidget* parent)
    : TSettingsBox(QStringLiteral("按实测数据校准"), QStringLiteral("CalibrationD"), parent) {
  auto* layout = new QVBoxLayout(this);
  auto* buttons = new QHBoxLayout;
  auto* add = new QPushButton(QStringLiteral("添加实测点"));
  add->setObjectName(QStringLiteral("AddPlantPointB"));
  auto* remove = new QPushButton(QStringLiteral("删除实测点"));
  remove->setObjectName(QStringLiteral("RemovePlantPointB"));
  FApply = new QCheckBox(QStringLiteral("设计采用校准结果"));
  FApply->setObjectName(QStringLiteral("ApplyCalibrationC"));
  FApply->setToolTip(
      QStringLiteral("勾选后设计按拟合的填料因子和 HETP 系数计算，结果标明“按实测数据校准”"));
  buttons->addWidget(add);
  buttons->addWidget(remove);
  buttons->addSpacing(12);
  buttons->addWidget(FApply);
  buttons->addStretch(1);
  layout->addLayout(buttons);
  QStringList headers;
  for (const char* h : kPointHeaders) headers << QString::fromUtf8(h);
  FPoints = Table(QStringLiteral("PlantPointsT"), headers);
  FPoints->setMinimumHeight(130);
  layout->addWidget(FPoints);
  FSummary = new QLabel;
  FSummary->setObjectName(QStringLiteral("CalibrationL"));
  FSummary->setWordWrap(true);
  FSummary->setTextInteractionFlags(Qt::TextSelectableByMouse);
  layout->addWidget(FSummary);

  connect(add, &QPushButton::clicked, this, [this] {
    AddRow();
    Edited();
  });
  connect(remove, &QPushButton::clicked, this, [this] {
    if (FPoints->currentRow() < 0) return;
    FPoints->removeRow(FPoints->currentRow());
    Edited();
  });
  connect(FApply, &QCheckBox::toggled, this, [this] { Edited(); });
  connect(FPoints, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
    if (item->column() < kPointInputs) Edited();
  });
}

void TCalibrationBox::AddRow() {
  const bool filling = FFilling;
  FFilling = true;
  const int r = FPoints->rowCount();
  FPoints->insertRow(r);
  FPoints->setItem(r, 0, new QTableWidgetItem(QStringLiteral("点 %1").arg(r + 1)));
  for (int c = 1; c < kPointInputs; ++c) FPoints->setItem(r, c, new QTableWidgetItem);
  for (int c = kPointInputs; c < FPoints->columnCount(); ++c) FPoints->setItem(r, c, ReadOnly({}));
  FFilling = filling;
}

QString TCalibrationBox::Compose() const {
  QStringList records;
  for (int r = 0; r < FPoints->rowCount(); ++r) {
    // Stored in SI: the diameter typed in mm.
    QStringList f{QStringLiteral("P"), Cell(FPoints, r, 0).replace(',', ' ').replace(';', ' ')};
    for (int c = 1; c < kPointInputs; ++c) {
      const QString t = Cell(FPoints, r, c);
      f << (t.isEmpty() ? QString() : RecordNumber(t, c == 3 ? 0.001 : 1.0));
    }
    records << f.join(',');
  }
  if (FApply->isChecked()) records << QStringLiteral("U");
  return records.join(';');
}

bool TCalibrationBox::Show(const QString& text) {
  TCalibrationSettings c;
  try {
    c = ParseCalibrationText(text.toStdString());
  } catch (const TInputError&) {
    return false;
  }
  FPoints->setRowCount(0);
  for (const auto& p : c.Points) {
    AddRow();
    const int r = FPoints->rowCount() - 1;
    FPoints->item(r, 0)->setText(QString::fromStdString(p.Name));
    const std::optional<double> values[] = {p.LiquidFlow,   p.GasFlow,   1000.0 * p.Diameter,
                                            p.PressureDrop, p.BedHeight, p.Stages};
    for (int i = 0; i < 6; ++i) FPoints->item(r, i + 1)->setText(Num(values[i], 15));
  }
  FApply->setChecked(c.Apply);
  FSummary->clear();
  return true;
}

void TCalibrationBox::ShowResult(const TDocumentAnalysis& a) {
  const bool filling = FFilling;
  FFilling = true;
  for (int r = 0; r < FPoints->rowCount(); ++r)
    for (int c = kPointInputs; c < FPoints->columnCount(); ++c) FPoints->item(r, c)->setText({});
  QString summary;
  if (a.Calibration) {
    const TCalibration& c = *a.Calibration;
    for (int r = 0; r < FPoints->rowCount() && r < static_cast<int>(c.Points.size()); ++r) {
      const TPointFit& p = c.Points[size_t(r)];
      FPoints->item(r, kPointInputs)->setText(Num(p.Calculated, 4));
      FPoints->item(r, kPointInputs + 1)->setText(Num(p.Residual, 3));
      FPoints->item(r, kPointInputs + 2)->setText(Num(p.HetpCalculated, 4));
      FPoints->item(r, 0)->setToolTip(QString::fromStdString(p.Error));
    }
    summary = c.FactorRatio ? QStringLiteral(
                                  "拟合填料因子 = 表值 × %1 (污垢或沉降指数；"
                                  "残差均方根 %2 %)")
                                  .arg(Num(*c.FactorRatio, 4), Num(c.RmsResidual, 3))
                            : QStringLiteral("没有实测压降，填料因子不校准");
    if (c.HetpFactor)
      summary += QStringLiteral("；HETP 系数 %1 (实测 ÷ 计算)").arg(Num(*c.HetpFactor, 4));
    summary += a.CalibrationApplied ? QStringLiteral("。设计已采用校准结果。")
                                    : QStringLiteral("。设计未采用 (勾选“设计采用校准结果”)。");
  } else if (!a.CalibrationError.empty()) {
    summary = QString::fromStdString(a.CalibrationError);
  } else if (FPoints->rowCount() > 0) {
    summary = QStringLiteral("没有校准结果: 请先完成设计计算。");
  } else {
    summary = QStringLiteral(
        "填入装置上实测的操作点 (与设计同一物系): 气液负荷、塔径、每米实测压降，"
        "可选填料层高度和实测理论板数；程序按最小二乘拟合填料因子和 HETP 系数。");
  }
  FSummary->setText(summary);
  FFilling = filling;
}

// --- uncertainty, sensitivity, sweep ----------------------------------------------------------

TAnalysisBox::TAnalysisBox(QWidget* parent)
    : TSettingsBox(QStringLiteral("不确定性与敏感性"), QStringLiteral("AnalysisD"), parent) {
  auto* layout = new QGridLayout(this);
  FBands = Table(QStringLiteral("AnalysisBandsT"), {QStringLiteral("输入"), QStringLiteral("± %")});
  for (const TField f : VariedFields()) {
    const int r = FBands->rowCount();
    FBands->insertRow(r);
    FBands->setItem(r, 0, ReadOnly(QString::fromUtf8(FieldInfo(f).Caption)));
    FBands->setItem(r, 1, new QTableWidgetItem);
  }
  FBands->insertRow(FBands->rowCount());
  FBands->setItem(FBands->rowCount() - 1, 0, ReadOnly(QStringLiteral("填料因子")));
  FBands->setItem(FBands->rowCount() - 1, 1, new QTableWidgetItem);
  FBands->setToolTip(QStringLiteral("± 为 95 % 范围 (对数正态分布)；空: 不变"));
  FBands->setMinimumWidth(220);
  layout->addWidget(FBands, 0, 0, 3, 1);

  auto* options = new QHBoxLayout;
  FSamples = Edit(QStringLiteral("SamplesD"), 70);
  FSeed = Edit(QStringLiteral("SeedD"), 70);
  FStages = Edit(QStringLiteral("AnalysisStagesD"), 60);
  for (const auto& [label, edit] : {std::pair{QStringLiteral("抽样次数"), FSamples},
                                    std::pair{QStringLiteral("随机种子"), FSeed},
                                    std::pair{QStringLiteral("理论板数"), FStages}}) {
    options->addWidget(new QLabel(label));
    options->addWidget(edit);
  }
  options->addStretch(1);
  layout->addLayout(options, 0, 1);

  auto* sweep = new QHBoxLayout;
  FInput = new QComboBox;
  FInput->setObjectName(QStringLiteral("SweepInputD"));
  FInput->addItem(QStringLiteral("不扫描"));
  for (const TField f : VariedFields()) FInput->addItem(QString::fromUtf8(FieldInfo(f).Caption));
  FResult = new QComboBox;
  FResult->setObjectName(QStringLiteral("SweepResultD"));
  for (const TFieldInfo* f : ResultFields())
    FResult->addItem(QString::fromUtf8(f->Caption), static_cast<int>(f->Field));
  FFrom = Edit(QStringLiteral("SweepFromD"), 80);
  FTo = Edit(QStringLiteral("SweepToD"), 80);
  FPoints = Edit(QStringLiteral("SweepPointsD"), 50);
  sweep->addWidget(new QLabel(QStringLiteral("扫描")));
  sweep->addWidget(FInput);
  sweep->addWidget(new QLabel(QStringLiteral("从 (SI)")));
  sweep->addWidget(FFrom);
  sweep->addWidget(new QLabel(QStringLiteral("到")));
  sweep->addWidget(FTo);
  sweep->addWidget(new QLabel(QStringLiteral("点数")));
  sweep->addWidget(FPoints);
  sweep->addWidget(new QLabel(QStringLiteral("结果")));
  sweep->addWidget(FResult);
  sweep->addStretch(1);
  layout->addLayout(sweep, 1, 1);

  FBandsOut = Table(QStringLiteral("UncertaintyT"), {QStringLiteral("结果"), QStringLiteral("P10"),
                                                     QStringLiteral("P50"), QStringLiteral("P90")});
  FBandsOut->setMaximumHeight(170);
  layout->addWidget(FBandsOut, 2, 1);
  FSummary = new QLabel;
  FSummary->setObjectName(QStringLiteral("UncertaintyL"));
  FSummary->setWordWrap(true);
  FSummary->setTextInteractionFlags(Qt::TextSelectableByMouse);
  layout->addWidget(FSummary, 3, 0, 1, 2);
  auto* pictures = new QVBoxLayout;
  FTornado = new QLabel;
  FTornado->setObjectName(QStringLiteral("TornadoL"));
  FSweep = new QLabel;
  FSweep->setObjectName(QStringLiteral("SweepL"));
  pictures->addWidget(FTornado);
  pictures->addWidget(FSweep);
  pictures->addStretch(1);
  layout->addLayout(pictures, 4, 0, 1, 2);
  auto* save = new QHBoxLayout;
  auto* saveTornado = new QPushButton(QStringLiteral("保存龙卷风图..."));
  saveTornado->setObjectName(QStringLiteral("SaveTornadoB"));
  auto* saveSweep = new QPushButton(QStringLiteral("保存扫描图..."));
  saveSweep->setObjectName(QStringLiteral("SaveSweepB"));
  save->addWidget(saveTornado);
  save->addWidget(saveSweep);
  save->addStretch(1);
  layout->addLayout(save, 5, 0, 1, 2);
  layout->setColumnStretch(1, 1);

  connect(saveTornado, &QPushButton::clicked, this, &TAnalysisBox::SaveTornadoRequested);
  connect(saveSweep, &QPushButton::clicked, this, &TAnalysisBox::SaveSweepRequested);
  connect(FBands, &QTableWidget::itemChanged, this, [this] { Edited(); });
  for (QLineEdit* e : {FSamples, FSeed, FStages, FFrom, FTo, FPoints})
    connect(e, &QLineEdit::editingFinished, this, [this, e] {
      if (!e->isModified()) return;
      e->setModified(false);
      Edited();
    });
  for (QComboBox* c : {FInput, FResult})
    connect(c, &QComboBox::currentIndexChanged, this, [this] { Edited(); });
}

QString TAnalysisBox::Compose() const {
  // Typed texts go into the records as typed; one that is no number is the run's message.
  QStringList records;
  const auto& fields = VariedFields();
  for (int r = 0; r < FBands->rowCount(); ++r) {
    const QString t = Cell(FBands, r, 1);
    if (t.isEmpty()) continue;
    const QString code = r < static_cast<int>(fields.size())
                             ? QString::fromLatin1(FieldInfo(fields[size_t(r)]).Code)
                             : QStringLiteral("Fp");
    records << QStringLiteral("B,%1,%2").arg(code, RecordNumber(t, 0.01));
  }
  const auto add = [&](const char* kind, const QLineEdit* e) {
    if (!e->text().trimmed().isEmpty())
      records << QString::fromLatin1(kind) + ',' + RecordNumber(e->text().trimmed());
  };
  add("N", FSamples);
  add("S", FSeed);
  add("H", FStages);
  if (FInput->currentIndex() > 0) {
    const TField input = fields[size_t(FInput->currentIndex() - 1)];
    const TField result = static_cast<TField>(FResult->currentData().toInt());
    records << QStringList{QStringLiteral("W"),
                           QString::fromLatin1(FieldInfo(input).Code),
                           RecordNumber(FFrom->text().trimmed()),
                           RecordNumber(FTo->text().trimmed()),
                           RecordNumber(FPoints->text().trimmed()),
                           QString::fromLatin1(FieldInfo(result).Code)}
                   .join(',');
  }
  return records.join(';');
}

bool TAnalysisBox::Show(const QString& text) {
  TAnalysisSettings a;
  try {
    a = ParseAnalysisText(text.toStdString());
  } catch (const TInputError&) {
    return false;
  }
  const auto& fields = VariedFields();
  for (int r = 0; r < FBands->rowCount(); ++r) {
    const double band = r < static_cast<int>(fields.size()) ? a.Band[size_t(fields[size_t(r)])]
                                                            : a.PackingFactorBand;
    FBands->item(r, 1)->setText(band > 0.0 ? Num(100.0 * band, 15) : QString());
  }
  FSamples->setText(a.Samples > 0 ? QString::number(a.Samples) : QString());
  FSeed->setText(a.Seed != 1 ? QString::number(a.Seed) : QString());
  FStages->setText(Num(a.Stages, 15));
  FInput->setCurrentIndex(0);
  FFrom->clear();
  FTo->clear();
  FPoints->clear();
  if (a.Sweep) {
    const auto at = std::find(fields.begin(), fields.end(), a.Sweep->Input);
    FInput->setCurrentIndex(static_cast<int>(at - fields.begin()) + 1);
    FFrom->setText(Num(a.Sweep->From));
    FTo->setText(Num(a.Sweep->To));
    FPoints->setText(QString::number(a.Sweep->Points));
    FResult->setCurrentIndex(FResult->findData(static_cast<int>(a.Sweep->Result)));
  }
  return true;
}

void TAnalysisBox::ShowResult(const TDocumentAnalysis& a) {
  FBandsOut->setRowCount(0);
  QStringList summary;
  if (a.Uncertainty) {
    const TUncertainty& u = *a.Uncertainty;
    for (const TPercentileRow& row : PercentileRows(u)) {
      const std::optional<TPercentiles>& p = *row.Value;
      if (!p) continue;
      const int r = FBandsOut->rowCount();
      FBandsOut->insertRow(r);
      FBandsOut->setItem(
          r, 0, ReadOnly(QString::fromUtf8(row.Caption) + ' ' + QString::fromUtf8(row.Unit)));
      FBandsOut->setItem(r, 1, ReadOnly(Num(p->P10, 4)));
      FBandsOut->setItem(r, 2, ReadOnly(Num(p->P50, 4)));
      FBandsOut->setItem(r, 3, ReadOnly(Num(p->P90, 4)));
    }
    summary << QStringLiteral("%1 次抽样 (%2 次未算出)，建成的塔发生液泛的概率 %3 %。")
                   .arg(u.Samples)
                   .arg(u.Failed)
                   .arg(Num(100.0 * u.FloodProbability, 3));
    QStringList methods;
    for (const TMethodResult& m : u.Methods) methods << QString::fromStdString(MethodResultText(m));
    summary << QStringLiteral("各算法对照: ") + methods.join(QStringLiteral("；"));
    for (const std::string& s : u.Sources)
      summary << QStringLiteral("精度依据: ") + QString::fromStdString(s);
  }
  if (!a.AnalysisError.empty()) summary << QString::fromStdString(a.AnalysisError);
  if (summary.isEmpty())
    summary << QStringLiteral(
        "在左表填入各输入的 ± % 和抽样次数，得到理论塔径、泛点率、压降和填料高度的 P10/P50/P90；"
        "不填抽样次数时只作敏感性分析。");
  FSummary->setText(summary.join('\n'));
  // The pictures one above the other, the tornado as wide as the box allows.
  const auto fit = [this](QImage picture) {
    picture.setDevicePixelRatio(1.0);
    const int room = std::max(200, width() - 30);
    if (picture.width() > room) picture = picture.scaledToWidth(room, Qt::SmoothTransformation);
    return QPixmap::fromImage(picture);
  };
  if (!a.Sensitivity.empty())
    FTornado->setPixmap(fit(TornadoPicture(a.Sensitivity, 1.0)));
  else
    FTornado->clear();
  if (a.SweepSettings && !a.Sweep.empty())
    FSweep->setPixmap(
        fit(SweepPicture(a.Sweep, a.SweepSettings->Input, a.SweepSettings->Result, 1.0)));
  else
    FSweep->clear();
}

// --- the panel --------------------------------------------------------------------------------

TAnalysisPanel::TAnalysisPanel(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("AnalysisPanel"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(6, 4, 6, 4);
  FCalibration = new TCalibrationBox(this);
  FAnalysis = new TAnalysisBox(this);
  layout->addWidget(FCalibration);
  layout->addWidget(FAnalysis, 1);
  connect(FCalibration, &TSettingsBox::Changed, this, &TAnalysisPanel::Changed);
  connect(FAnalysis, &TSettingsBox::Changed, this, &TAnalysisPanel::Changed);
  FCalibration->ShowResult({});
  FAnalysis->ShowResult({});
}

void TAnalysisPanel::ShowDocument(const TDesignDocument& doc) {
  FCalibration->ShowResult(doc.Analysis);
  FAnalysis->ShowResult(doc.Analysis);
}

}  // namespace velm
