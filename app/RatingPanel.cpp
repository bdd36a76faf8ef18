#include "app/RatingPanel.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "base/Errors.h"
#include "base/NumberFormat.h"

namespace velm {

namespace {

constexpr int kInputColumns = 3;  // name, liquid %, gas %

QString Number(double v, int digits) { return QString::fromStdString(FormatGeneral(v, digits)); }

QTableWidgetItem* ReadOnlyItem(const QString& text) {
  auto* item = new QTableWidgetItem(text);
  item->setFlags(item->flags() & ~Qt::ItemIsEditable);
  item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
  return item;
}

}  // namespace

TLoadCaseTable::TLoadCaseTable(QWidget* parent) : QTableWidget(parent) {
  QStringList headers = {QStringLiteral("工况"), QStringLiteral("液相负荷 %"),
                         QStringLiteral("气相负荷 %")};
  for (const TRatingColumn& c : RatingColumns()) {
    const QString unit = QString::fromUtf8(c.Unit);
    headers << QString::fromUtf8(c.Caption) + (unit.isEmpty() ? QString() : ' ' + unit);
  }
  headers << QStringLiteral("提示");
  setColumnCount(static_cast<int>(headers.size()));
  setHorizontalHeaderLabels(headers);
  for (int c = 0; c < columnCount(); ++c) {
    if (const size_t i = size_t(c - kInputColumns);
        c >= kInputColumns && i < RatingColumns().size())
      if (const char* source = RatingColumns()[i].Source)
        horizontalHeaderItem(c)->setToolTip(QStringLiteral("定义来源：") +
                                            QString::fromUtf8(source));
  }
  verticalHeader()->setVisible(false);
  horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  horizontalHeader()->setStretchLastSection(true);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  Fill(DefaultLoadCases());
  connect(this, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
    if (!FFilling && item->column() < kInputColumns) emit CasesEdited();
  });
}

void TLoadCaseTable::Fill(const std::vector<TLoadCase>& cases) {
  FFilling = true;
  setRowCount(static_cast<int>(cases.size()));
  for (int r = 0; r < rowCount(); ++r) {
    const TLoadCase& c = cases[size_t(r)];
    setItem(r, 0, new QTableWidgetItem(QString::fromStdString(c.Name)));
    setItem(r, 1, new QTableWidgetItem(Number(c.LiquidPercent, 15)));
    setItem(r, 2, new QTableWidgetItem(Number(c.GasPercent, 15)));
    for (int col = kInputColumns; col < columnCount(); ++col) setItem(r, col, ReadOnlyItem({}));
  }
  FFilling = false;
}

QString TLoadCaseTable::Text() const {
  // As typed: a cell that is no number stays in the text, and the run names it; the default
  // cases are no text, as the core writes them.
  QStringList rows;
  for (int r = 0; r < rowCount(); ++r) {
    QStringList cells;
    for (int c = 0; c < kInputColumns; ++c)
      cells << (item(r, c) ? item(r, c)->text().trimmed() : QString());
    rows << cells.join(QLatin1Char(','));
  }
  const QString text = rows.join(QLatin1Char(';'));
  try {
    if (ParseLoadCases(text.toStdString()) == DefaultLoadCases()) return {};
  } catch (const TInputError&) {
  }
  return text;
}

void TLoadCaseTable::SetText(const QString& text) {
  try {
    Fill(ParseLoadCases(text.toStdString()));
  } catch (const TInputError&) {
    // A case that does not read is kept as it stands, for the user to mend.
    Fill({});
    const QStringList rows = text.split(QLatin1Char(';'));
    FFilling = true;
    setRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < rowCount(); ++r) {
      const QStringList cells = rows[r].split(QLatin1Char(','));
      for (int c = 0; c < kInputColumns; ++c)
        setItem(r, c, new QTableWidgetItem(c < cells.size() ? cells[c] : QString()));
      for (int col = kInputColumns; col < columnCount(); ++col) setItem(r, col, ReadOnlyItem({}));
    }
    FFilling = false;
  }
}

void TLoadCaseTable::AddCase() {
  FFilling = true;
  const int r = rowCount();
  insertRow(r);
  setItem(r, 0, new QTableWidgetItem(QStringLiteral("工况 %1").arg(r + 1)));
  setItem(r, 1, new QTableWidgetItem(QStringLiteral("100")));
  setItem(r, 2, new QTableWidgetItem(QStringLiteral("100")));
  for (int col = kInputColumns; col < columnCount(); ++col) setItem(r, col, ReadOnlyItem({}));
  FFilling = false;
  emit CasesEdited();
}

void TLoadCaseTable::RemoveCurrentCase() {
  if (rowCount() <= 1 || currentRow() < 0) return;
  removeRow(currentRow());
  emit CasesEdited();
}

void TLoadCaseTable::ShowRating(const TRating* rating) {
  FFilling = true;
  for (int r = 0; r < rowCount(); ++r) {
    const TCaseRating* c =
        rating && r < static_cast<int>(rating->Cases.size()) ? &rating->Cases[size_t(r)] : nullptr;
    const bool governing = rating && r == rating->Governing;
    for (size_t i = 0; i < RatingColumns().size(); ++i) {
      const TRatingColumn& col = RatingColumns()[i];
      const std::optional<double> v = c && c->Rated ? col.Value(*c) : std::nullopt;
      QTableWidgetItem* it = item(r, kInputColumns + static_cast<int>(i));
      it->setText(v ? Number(*v, col.Digits) : (c && c->Rated ? QStringLiteral("—") : QString()));
    }
    QString hint;
    if (c && !c->Rated) hint = QString::fromStdString(c->Error);
    if (c && c->Rated) {
      QStringList lines;
      for (const TFinding& f : c->Findings)
        if (f.Level != TFindingLevel::Note || f.Code.rfind("above-", 0) == 0)
          lines << QString::fromStdString(FindingLine(f));
      hint = lines.join(QLatin1Char('\n'));
    }
    QTableWidgetItem* hintItem = item(r, columnCount() - 1);
    hintItem->setText(hint.section(QLatin1Char('\n'), 0, 0));
    hintItem->setToolTip(hint);
    hintItem->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    for (int col = 0; col < columnCount(); ++col) {
      QFont f = item(r, col)->font();
      f.setBold(governing);
      item(r, col)->setFont(f);
    }
  }
  FFilling = false;
}

TRatingPanel::TRatingPanel(QWidget* parent) : QGroupBox(QStringLiteral("核算"), parent) {
  setObjectName(QStringLiteral("GroupBoxRating"));
  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(6, 4, 6, 4);
  grid->setHorizontalSpacing(6);
  grid->setVerticalSpacing(3);
  const auto label = [&](int col, const char* name, const char* text) {
    auto* l = new QLabel(QString::fromUtf8(text));
    l->setObjectName(QString::fromLatin1(name));
    grid->addWidget(l, 0, col);
    return l;
  };
  label(0, "CalcTypeL", "计算类型")
      ->setToolTip(
          QStringLiteral("设计: 按设计泛点率求塔径.\n核算: 已有塔的直径(和填料层高度)给定, "
                         "求各负荷工况的泛点率、压降、效率和操作弹性."));
  FType = new QComboBox;
  FType->setObjectName(QStringLiteral("CalcTypeD"));
  for (const std::string& item : CalculationTypeItems())
    FType->addItem(QString::fromStdString(item));
  grid->addWidget(FType, 0, 1);
  label(2, "RatedDiameterL", "核算塔径 (mm)");
  FDiameter = new QLineEdit;
  FDiameter->setObjectName(QStringLiteral("RatedDiameterD"));
  FDiameter->setMaximumWidth(90);
  grid->addWidget(FDiameter, 0, 3);
  label(4, "BedHeightL", "填料层高度 (m)")
      ->setToolTip(QStringLiteral("可不填; 填写后给出床层压降和理论板数."));
  FBedHeight = new QLineEdit;
  FBedHeight->setObjectName(QStringLiteral("BedHeightD"));
  FBedHeight->setMaximumWidth(90);
  grid->addWidget(FBedHeight, 0, 5);
  FAdd = new QPushButton(QStringLiteral("添加工况"));
  FAdd->setObjectName(QStringLiteral("AddLoadCaseB"));
  FRemove = new QPushButton(QStringLiteral("删除工况"));
  FRemove->setObjectName(QStringLiteral("RemoveLoadCaseB"));
  grid->addWidget(FAdd, 0, 6);
  grid->addWidget(FRemove, 0, 7);
  grid->setColumnStretch(8, 1);
  FTable = new TLoadCaseTable;
  FTable->setObjectName(QStringLiteral("LoadCasesD"));
  FTable->setMinimumHeight(FTable->verticalHeader()->defaultSectionSize() * 6 +
                           FTable->horizontalHeader()->sizeHint().height() + 4);
  grid->addWidget(FTable, 1, 0, 1, 9);
  FSummary = new QLabel;
  FSummary->setObjectName(QStringLiteral("RatingSummaryL"));
  FSummary->setWordWrap(true);
  FSummary->setTextInteractionFlags(Qt::TextSelectableByMouse);
  grid->addWidget(FSummary, 2, 0, 1, 9);

  // A project file sets the index without a user's choice: the fields follow it either way.
  connect(FType, &QComboBox::currentIndexChanged, this, &TRatingPanel::UpdateEnabled);
  connect(FType, &QComboBox::activated, this, &TRatingPanel::Changed);
  for (QLineEdit* e : {FDiameter, FBedHeight})
    connect(e, &QLineEdit::editingFinished, this, [this, e] {
      if (e->isModified()) {
        e->setModified(false);
        emit Changed();
      }
    });
  connect(FTable, &TLoadCaseTable::CasesEdited, this, &TRatingPanel::Changed);
  connect(FAdd, &QPushButton::clicked, FTable, &TLoadCaseTable::AddCase);
  connect(FRemove, &QPushButton::clicked, FTable, &TLoadCaseTable::RemoveCurrentCase);
  UpdateEnabled();
}

void TRatingPanel::UpdateEnabled() {
  const bool rating = FType->currentIndex() == 1;
  for (QWidget* w : std::initializer_list<QWidget*>{FDiameter, FBedHeight, FTable, FAdd, FRemove})
    w->setEnabled(rating);
}

void TRatingPanel::ReadInto(TDesignDocument& doc) const {
  doc.CalcTypeIndex = std::max(0, FType->currentIndex());
  doc.RatedDiameterText = FDiameter->text().toStdString();
  doc.BedHeightText = FBedHeight->text().toStdString();
  doc.LoadCasesText = FTable->Text().toStdString();
}

void TRatingPanel::ShowDocument(const TDesignDocument& doc) {
  const TRating* rating = doc.Rating ? &*doc.Rating : nullptr;
  FTable->ShowRating(rating);
  UpdateEnabled();
  if (doc.CalcTypeIndex != 1) {
    FSummary->setText(
        QStringLiteral("设计: 塔径按设计泛点率圆整. 选择“核算”可按已有塔的直径核算多个负荷工况."));
    return;
  }
  if (!rating) {
    FSummary->setText(QStringLiteral("核算没有结果: 请检查塔径、填料层高度和负荷工况."));
    return;
  }
  QString text;
  if (rating->Governing >= 0) {
    const TCaseRating& g = rating->Cases[size_t(rating->Governing)];
    text = QStringLiteral("控制工况: %1 (泛点率 %2 %). ")
               .arg(QString::fromStdString(g.Case.Name), Number(g.FloodPercent, 3));
  }
  if (const auto& w = rating->Window) {
    text += QStringLiteral(
                "操作区间 (沿第一工况的操作线, 液气比不变): 最大负荷 %1 % (%2), "
                "最小负荷 %3 % (%4), ")
                .arg(Number(100.0 * w->Maximum, 3), QString::fromStdString(w->MaximumBy),
                     Number(100.0 * w->Minimum, 3), QString::fromStdString(w->MinimumBy));
    text += w->Turndown > 0.0 ? QStringLiteral("操作弹性 %1 : 1.").arg(Number(w->Turndown, 3))
                              : QStringLiteral("没有可行的操作区间 (最小负荷高于最大负荷).");
  }
  FSummary->setText(text);
}

TRatingPanel::TState TRatingPanel::State() const {
  return {FType->currentIndex(), FDiameter->text(), FBedHeight->text(), FTable->Text()};
}

void TRatingPanel::SetState(const TState& s) {
  FType->setCurrentIndex(s.Type);
  FDiameter->setText(s.Diameter);
  FBedHeight->setText(s.BedHeight);
  FTable->SetText(s.Cases);
  UpdateEnabled();
}

}  // namespace velm
