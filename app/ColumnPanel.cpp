#include "app/ColumnPanel.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "base/Errors.h"
#include "base/NumberFormat.h"
#include "chart/Profile.h"

namespace velm {

namespace {

// The stage table's input columns (SI) and the rated ones after them.
const char* const kStageHeaders[] = {
    "板",           "液相流量 kg/s", "液相密度 kg/m3", "液相粘度 Pa·s",
    "表面张力 N/m", "气相流量 kg/s", "气相密度 kg/m3", "气相粘度 Pa·s"};
constexpr int kStageInputs = 8;
const char* const kResultHeaders[] = {"段",     "泛点率 %",   "湿塔压降 Pa/m", "饱和喷淋 %",
                                      "HETP m", "填料高度 m", "提示"};
const char* const kSectionHeaders[] = {"段名", "首板",      "末板", "塔径 mm (空: 设计)",
                                       "填料", "泛点关联式"};
constexpr int kPackingColumn = 4, kMethodColumn = 5;
// The selectors' first entry: the section takes the design's packing or method.
const QString kSameAsDesign = QStringLiteral("同设计");

QString Num(double v, int digits = 15) { return QString::fromStdString(FormatGeneral(v, digits)); }

QTableWidgetItem* ReadOnly(const QString& text) {
  auto* item = new QTableWidgetItem(text);
  item->setFlags(item->flags() & ~Qt::ItemIsEditable);
  return item;
}

QString Cell(const QTableWidget* t, int r, int c) {
  const QTableWidgetItem* item = t->item(r, c);
  return item ? item->text().trimmed() : QString();
}

}  // namespace

TColumnPanel::TColumnPanel(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("ColumnD"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(6, 4, 6, 4);
  auto* buttons = new QHBoxLayout;
  auto* import = new QPushButton(QStringLiteral("导入 HYSYS 全塔..."));
  import->setObjectName(QStringLiteral("ImportColumnB"));
  auto* importProii = new QPushButton(QStringLiteral("导入 PRO/II 全塔..."));
  importProii->setObjectName(QStringLiteral("ImportProiiColumnB"));
  auto* add = new QPushButton(QStringLiteral("添加段"));
  add->setObjectName(QStringLiteral("AddSectionB"));
  auto* remove = new QPushButton(QStringLiteral("删除段"));
  remove->setObjectName(QStringLiteral("RemoveSectionB"));
  auto* clear = new QPushButton(QStringLiteral("清除全塔"));
  clear->setObjectName(QStringLiteral("ClearColumnB"));
  for (QPushButton* b : {import, importProii, add, remove, clear}) buttons->addWidget(b);
  // The margin on HETP each theoretical stage's packed height takes.
  auto* factorLabel = new QLabel(QStringLiteral("设计系数"));
  factorLabel->setToolTip(
      QStringLiteral("每块理论板的填料高度 = HETP × 设计系数。默认 1.2 为常用余量 (无发表依据)；"
                     "95 % 置信度: Bravo-Fair 1.6，Onda 略大于 1.6 (Kister 1992, 第 9 章)"));
  FFactor = new QLineEdit(QString::fromStdString(FormatField(TBedRules().DesignFactor)));
  FFactor->setObjectName(QStringLiteral("DesignFactorD"));
  FFactor->setMaximumWidth(60);
  factorLabel->setBuddy(FFactor);
  buttons->addSpacing(12);
  buttons->addWidget(factorLabel);
  buttons->addWidget(FFactor);
  buttons->addStretch(1);
  layout->addLayout(buttons);

  FSections = new QTableWidget(0, int(std::size(kSectionHeaders)));
  FSections->setObjectName(QStringLiteral("ColumnSectionsT"));
  QStringList sectionHeaders;
  for (const char* h : kSectionHeaders) sectionHeaders << QString::fromUtf8(h);
  FSections->setHorizontalHeaderLabels(sectionHeaders);
  FSections->verticalHeader()->setVisible(false);
  FSections->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  FSections->setMaximumHeight(120);
  layout->addWidget(FSections);

  FStages = new QTableWidget(0, kStageInputs + int(std::size(kResultHeaders)));
  FStages->setObjectName(QStringLiteral("ColumnStagesT"));
  QStringList stageHeaders;
  for (const char* h : kStageHeaders) stageHeaders << QString::fromUtf8(h);
  for (const char* h : kResultHeaders) stageHeaders << QString::fromUtf8(h);
  FStages->setHorizontalHeaderLabels(stageHeaders);
  // Rows numbered as the sections count them.
  FStages->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  FStages->horizontalHeader()->setStretchLastSection(true);
  FStages->setMinimumHeight(320);
  layout->addWidget(FStages, 1);

  FSummary = new QLabel;
  FSummary->setObjectName(QStringLiteral("ColumnSummaryL"));
  FSummary->setWordWrap(true);
  FSummary->setTextInteractionFlags(Qt::TextSelectableByMouse);
  layout->addWidget(FSummary);
  FProfile = new QLabel;
  FProfile->setObjectName(QStringLiteral("ColumnProfileL"));
  layout->addWidget(FProfile);

  connect(FFactor, &QLineEdit::editingFinished, this, [this] {
    if (!FFactor->isModified()) return;
    FFactor->setModified(false);
    FEdited = true;
    emit Changed();
  });
  connect(import, &QPushButton::clicked, this, &TColumnPanel::ImportRequested);
  connect(importProii, &QPushButton::clicked, this, &TColumnPanel::ImportProiiRequested);
  connect(add, &QPushButton::clicked, this, &TColumnPanel::AddSection);
  connect(remove, &QPushButton::clicked, this, &TColumnPanel::RemoveSection);
  connect(clear, &QPushButton::clicked, this, [this] {
    SetText(QString());
    emit Changed();
  });
  for (QTableWidget* t : {FStages, FSections})
    connect(t, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
      if (FFilling || (item->tableWidget() == FStages && item->column() >= kStageInputs)) return;
      FEdited = true;
      emit Changed();
    });
}

void TColumnPanel::Fill(const std::vector<TStageLoads>& stages,
                        const std::vector<TSectionRange>& sections) {
  FFilling = true;
  FStages->setRowCount(static_cast<int>(stages.size()));
  for (int r = 0; r < FStages->rowCount(); ++r) {
    const TStageLoads& s = stages[size_t(r)];
    const double values[] = {s.LiquidFlow, s.LiquidDensity, s.LiquidViscosity, s.SurfaceTension,
                             s.GasFlow,    s.GasDensity,    s.GasViscosity};
    FStages->setItem(r, 0, new QTableWidgetItem(QString::fromStdString(s.Name)));
    for (int c = 0; c < 7; ++c) FStages->setItem(r, c + 1, new QTableWidgetItem(Num(values[c])));
    for (int c = kStageInputs; c < FStages->columnCount(); ++c)
      FStages->setItem(r, c, ReadOnly({}));
  }
  FSections->setRowCount(static_cast<int>(sections.size()));
  for (int r = 0; r < FSections->rowCount(); ++r) {
    const TSectionRange& c = sections[size_t(r)];
    // Stages are numbered from 1 on the page, from 0 in the document.
    FSections->setItem(r, 0, new QTableWidgetItem(QString::fromStdString(c.Name)));
    FSections->setItem(r, 1, new QTableWidgetItem(QString::number(c.First + 1)));
    FSections->setItem(r, 2, new QTableWidgetItem(QString::number(c.Last + 1)));
    FSections->setItem(r, 3,
                       new QTableWidgetItem(c.Diameter ? Num(1000.0 * *c.Diameter) : QString()));
    PutChoices(r, c.Packing, c.Method);
  }
  FFilling = false;
}

void TColumnPanel::PutChoices(int row, const std::string& packing, const std::string& method) {
  const bool filling = FFilling;
  FFilling = true;
  for (const auto& [column, items, chosen] : {std::tuple{kPackingColumn, &FPackings, packing},
                                              std::tuple{kMethodColumn, &FMethods, method}}) {
    auto* box = new QComboBox;
    box->addItem(kSameAsDesign);
    box->addItems(*items);
    // A key or name the lists lack stays as it was read, for the run to name.
    int at = 0;
    if (!chosen.empty()) {
      const QString text = QString::fromStdString(chosen);
      for (int i = 1; i < box->count() && at == 0; ++i)
        if (box->itemText(i) == text || box->itemText(i).section(';', 0, 0) == text) at = i;
      if (at == 0) {
        box->addItem(text);
        at = box->count() - 1;
      }
    }
    box->setCurrentIndex(at);
    connect(box, &QComboBox::currentIndexChanged, this, [this] {
      if (FFilling) return;
      FEdited = true;
      emit Changed();
    });
    FSections->setCellWidget(row, column, box);
  }
  FFilling = filling;
}

QString TColumnPanel::Choice(int row, int column) const {
  const auto* box = qobject_cast<const QComboBox*>(FSections->cellWidget(row, column));
  if (!box || box->currentIndex() <= 0) return {};
  return column == kPackingColumn ? box->currentText().section(';', 0, 0) : box->currentText();
}

void TColumnPanel::SetChoices(const QStringList& packings, const QStringList& methods) {
  FPackings = packings;
  FMethods = methods;
  for (int r = 0; r < FSections->rowCount(); ++r)
    PutChoices(r, Choice(r, kPackingColumn).toStdString(), Choice(r, kMethodColumn).toStdString());
}

QString TColumnPanel::Text() const {
  if (!FEdited) return FSetText;
  if (FStages->rowCount() == 0) return {};
  // As typed: a cell that is no number stays in the text, and the run names its record.
  QStringList records;
  for (int r = 0; r < FStages->rowCount(); ++r) {
    QStringList f{QStringLiteral("S"), Cell(FStages, r, 0).replace(',', ' ').replace(';', ' ')};
    for (int c = 1; c < kStageInputs; ++c) f << Cell(FStages, r, c);
    records << f.join(',');
  }
  for (int r = 0; r < FSections->rowCount(); ++r) {
    const QString d = Cell(FSections, r, 3);
    bool ok = false;
    const double mm = d.toDouble(&ok);
    QStringList f{QStringLiteral("C"), Cell(FSections, r, 0).replace(',', ' ').replace(';', ' '),
                  QString::number(Cell(FSections, r, 1).toInt() - 1),
                  QString::number(Cell(FSections, r, 2).toInt() - 1),
                  d.isEmpty() ? QString()
                  : ok        ? Num(mm / 1000.0)
                              : d};
    const QString packing = Choice(r, kPackingColumn), method = Choice(r, kMethodColumn);
    if (!packing.isEmpty() || !method.isEmpty()) f << packing << method;
    records << f.join(',');
  }
  return records.join(';');
}

void TColumnPanel::SetText(const QString& text) {
  std::vector<TStageLoads> stages;
  std::vector<TSectionRange> sections;
  std::optional<double> factor;
  try {
    ParseColumnText(text.toStdString(), stages, sections, &factor);
  } catch (const TInputError&) {
    // Not shown: the run that follows names the record that does not read.
    stages.clear();
    sections.clear();
  }
  Fill(stages, sections);
  FFactor->setText(QString::fromStdString(FormatField(factor.value_or(TBedRules().DesignFactor))));
  FSetText = text;
  FEdited = false;
}

void TColumnPanel::SetStages(const std::vector<TStageLoads>& stages,
                             const std::vector<TSectionRange>& sections) {
  Fill(stages, sections.empty() ? DefaultSections(stages) : sections);
  FEdited = true;
  emit Changed();
}

void TColumnPanel::AddSection() {
  const int n = FStages->rowCount();
  if (n == 0) return;
  FFilling = true;
  const int r = FSections->rowCount();
  FSections->insertRow(r);
  FSections->setItem(r, 0, new QTableWidgetItem(QStringLiteral("段 %1").arg(r + 1)));
  FSections->setItem(r, 1, new QTableWidgetItem(QStringLiteral("1")));
  FSections->setItem(r, 2, new QTableWidgetItem(QString::number(n)));
  FSections->setItem(r, 3, new QTableWidgetItem(QString()));
  PutChoices(r, {}, {});
  FFilling = false;
  FEdited = true;
  emit Changed();
}

void TColumnPanel::RemoveSection() {
  if (FSections->currentRow() < 0) return;
  FSections->removeRow(FSections->currentRow());
  FEdited = true;
  emit Changed();
}

void TColumnPanel::ShowDocument(const TDesignDocument& doc) {
  FFilling = true;
  for (int r = 0; r < FStages->rowCount(); ++r)
    for (int c = kStageInputs; c < FStages->columnCount(); ++c) FStages->item(r, c)->setText({});
  QStringList summary;
  if (doc.Column && doc.ColumnInput) {
    const TColumnResult& col = *doc.Column;
    for (const TSectionResult& s : col.Sections) {
      for (const TStageResult& st : s.Stages) {
        if (st.Stage < 0 || st.Stage >= FStages->rowCount()) continue;
        const auto put = [&](int c, const QString& text) {
          FStages->item(st.Stage, kStageInputs + c)->setText(text);
        };
        put(0, QString::fromStdString(s.Name));
        const TCaseRating& k = st.Rating;
        if (!k.Rated) {
          put(6, QString::fromStdString(k.Error));
          continue;
        }
        put(1, Num(k.FloodPercent, 4));
        put(2, Num(k.PressureDrop, 4));
        put(3, Num(k.WettingPercent, 3));
        if (k.HETP) put(4, Num(*k.HETP, 4));
        if (st.Height) put(5, Num(*st.Height, 4));
        QStringList hints;
        for (const TFinding& f : k.Findings)
          if (f.Level != TFindingLevel::Note) hints << QString::fromStdString(f.Text);
        put(6, hints.join(QStringLiteral("；")));
        FStages->item(st.Stage, kStageInputs + 6)->setToolTip(hints.join('\n'));
      }
      QString line = QStringLiteral("%1: ").arg(QString::fromStdString(s.Name));
      if (!s.Error.empty()) {
        summary << line + QString::fromStdString(s.Error);
        continue;
      }
      line += QStringLiteral("%1，%2，塔径 %3 mm (%4)")
                  .arg(QString::fromStdString(s.Packing), QString::fromStdString(s.Method),
                       Num(1000.0 * s.Diameter, 4),
                       s.Designed ? QStringLiteral("按控制板设计") : QStringLiteral("核算"));
      if (s.Governing >= 0) {
        const TStageResult& g = s.Stages[size_t(s.Governing)];
        line += QStringLiteral("，控制板 %1 (泛点率 %2 %)")
                    .arg(QString::fromStdString(g.Rating.Case.Name), Num(g.Rating.FloodPercent, 3));
      }
      if (s.Beds)
        line += QStringLiteral("，填料高度 %1 m，%2 床每床 %3 m (%4)，%5 个再分布器，高度 %6 m")
                    .arg(Num(s.Beds->PackedHeight, 4))
                    .arg(s.Beds->Beds)
                    .arg(Num(s.Beds->BedHeight, 3), QString::fromStdString(s.Beds->LimitBy))
                    .arg(s.Beds->Redistributors)
                    .arg(Num(s.Beds->Height, 4));
      line += QStringLiteral("，压降 %1 Pa").arg(Num(s.PressureDrop, 4));
      summary << line;
    }
    summary << QStringLiteral(
                   "全塔: 压降 %1 Pa，填料高度 %2 m，含再分布器 %3 m。每块理论板的填料高度 = "
                   "HETP × %4。")
                   .arg(Num(col.PressureDrop, 4), Num(col.PackedHeight, 4), Num(col.Height, 4),
                        Num(doc.ColumnInput->Beds.DesignFactor, 4));
    // The profile as wide as the block (drawn at screen size, then scaled down).
    QImage picture = ProfilePicture(ProfileOf(*doc.ColumnInput, col), 1.0);
    picture.setDevicePixelRatio(1.0);
    if (picture.width() > width() - 16)
      picture = picture.scaledToWidth(std::max(200, width() - 16), Qt::SmoothTransformation);
    FProfile->setPixmap(QPixmap::fromImage(picture));
  } else {
    FProfile->clear();
    summary << (FStages->rowCount() == 0
                    ? QStringLiteral("没有全塔数据: 用“导入 HYSYS 全塔...”或“导入 PRO/II 全塔...”"
                                     "读入模拟软件的各块塔板。")
                    : QStringLiteral("全塔没有结果: 请检查塔板数据、段和填料。"));
  }
  FSummary->setText(summary.join('\n'));
  FFilling = false;
}

}  // namespace velm
