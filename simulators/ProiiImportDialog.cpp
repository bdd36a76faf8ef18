#include "simulators/ProiiImportDialog.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <cmath>

#include "simulators/PROIIInterface.h"
#include "simulators/SimulatorFields.h"

namespace velm {
namespace {

TProiiOpenHook GOpenHook;

QString OpenFileDialog(QWidget* parent, const QStringList& filters) {
  QFileDialog dialog(parent);
  dialog.setObjectName(QStringLiteral("OpenDialogPRoii"));
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  // The description is shown as it is; the patterns in the last brackets do the filtering.
  dialog.setOption(QFileDialog::HideNameFilterDetails);
  dialog.setNameFilters(filters);
  dialog.setSizeGripEnabled(true);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().constFirst();
}

// Whole number of a list value, as the tray and count lines hold them.
int WholeNumber(double v) {
  if (!(std::fabs(v) < 1e9)) return 0;
  return static_cast<int>(std::nearbyint(v));
}

}  // namespace

void SetProiiOpenHook(TProiiOpenHook hook) { GOpenHook = std::move(hook); }

QStringList TFormProii::OpenFilters() {
  return {QStringLiteral("PROII 模拟文件(*.prz;*.pr1) (*.prz *.pr1)"),
          QStringLiteral("PROII 模拟快照(*.json) (*.json)")};
}

TFormProii::TFormProii(QWidget* owner) : QDialog(owner) {
  const TImportButtons buttons = SetUpImportDialog(
      this, QStringLiteral("FormProii"), QStringLiteral("连接Proii"), [this] { BOKClick(); });
  FBGetData = buttons.GetData;
  FBOK = buttons.OK;
  FBCancel = buttons.Cancel;

  FBOpen = new QPushButton(QStringLiteral("打开文件"), this);
  FBOpen->setObjectName(QStringLiteral("BOpen"));

  FGroupBox1 = new QGroupBox(QStringLiteral("塔器模块"), this);
  FGroupBox1->setObjectName(QStringLiteral("GroupBox1"));
  FListColumns = new QListWidget(FGroupBox1);
  FListColumns->setObjectName(QStringLiteral("ListColumns"));
  FListColumns->setSelectionMode(QAbstractItemView::SingleSelection);
  (new QVBoxLayout(FGroupBox1))->addWidget(FListColumns);

  FGroupBox2 = new QGroupBox(QStringLiteral("当前塔器"), this);
  FGroupBox2->setObjectName(QStringLiteral("GroupBox2"));
  FListBoxColumnData = new QListWidget(FGroupBox2);
  FListBoxColumnData->setObjectName(QStringLiteral("ListBoxColumnData"));
  (new QVBoxLayout(FGroupBox2))->addWidget(FListBoxColumnData);

  FRGModal = new QGroupBox(QStringLiteral("塔径位置（理论版编号）"), this);
  FRGModal->setObjectName(QStringLiteral("RGModal"));
  FAuto = new QRadioButton(QStringLiteral("自动(NF0-1)"), FRGModal);
  FAuto->setObjectName(QStringLiteral("RGModalAuto"));
  FGiven = new QRadioButton(QStringLiteral("指定"), FRGModal);
  FGiven->setObjectName(QStringLiteral("RGModalGiven"));
  auto* group = new QButtonGroup(FRGModal);
  group->addButton(FAuto, 0);
  group->addButton(FGiven, 1);
  FAuto->setChecked(true);
  FStageIndex = new QComboBox(FRGModal);
  FStageIndex->setObjectName(QStringLiteral("StageIndex"));
  FStageIndex->setEditable(false);
  for (int i = 1; i <= 5; ++i) FStageIndex->addItem(QString::number(i));
  FStageIndex->setCurrentIndex(0);
  FStageIndex->setMinimumWidth(60);
  auto* modal = new QHBoxLayout(FRGModal);
  modal->addWidget(FAuto, 1);
  modal->addWidget(FGiven);
  modal->addWidget(FStageIndex, 1);

  FLabel1 = new QLabel(QStringLiteral("当前塔盘"), this);
  FLabel1->setObjectName(QStringLiteral("Label1"));
  FListData = new QListWidget(this);
  FListData->setObjectName(QStringLiteral("ListData"));

  FBOpen->setAutoDefault(false);

  auto* left = new QVBoxLayout;
  left->addWidget(FBOpen, 0, Qt::AlignLeft);
  left->addWidget(FGroupBox1, 2);
  left->addWidget(FGroupBox2, 3);
  auto* right = new QVBoxLayout;
  right->addWidget(FRGModal);
  right->addWidget(FLabel1);
  right->addWidget(FListData, 1);
  auto* top = new QHBoxLayout;
  top->addLayout(left, 1);
  top->addLayout(right, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top, 1);
  layout->addLayout(buttons.Row);
  resize(600, 480);

  const auto guarded = [this](void (TFormProii::*handler)()) {
    return [this, handler] { GuardSimulatorHandler([this, handler] { (this->*handler)(); }); };
  };
  connect(FBOpen, &QPushButton::clicked, this, guarded(&TFormProii::BOpenClick));
  // A selection made by the user, with the mouse or the keyboard.
  connect(FListColumns, &QListWidget::itemSelectionChanged, this,
          guarded(&TFormProii::ListColumnsClick));
  connect(FBGetData, &QPushButton::clicked, this, guarded(&TFormProii::BGetDataClick));
}

TFormProii::~TFormProii() {
  // The database and the server belong to the open dialog.
  ReleaseProii();
}

QString ChooseProiiFile(QWidget* parent) {
  const QStringList filters = TFormProii::OpenFilters();
  return GOpenHook ? GOpenHook(parent, filters) : OpenFileDialog(parent, filters);
}

void TFormProii::BOpenClick() {
  const QString path = ChooseProiiFile(this);
  if (path.isEmpty()) return;
  if (!ConnectProii()) return;
  OpenProiiDatabase(path.toStdString());
  TListBoxStrings columns(FListColumns);
  GetProiiColumns(ProiiDatabase, columns);
  if (FListColumns->count() == 0) ShowSimulatorMessage(QStringLiteral("该模拟文件中没有塔器模块!"));
}

void TFormProii::ListColumnsClick() {
  if (FListColumns->count() == 0) return;
  const QList<QListWidgetItem*> selected = FListColumns->selectedItems();
  if (!selected.isEmpty()) {
    GetProiiColumnData(ProiiDatabase, selected.first()->text().toStdString(), ProiiColumnData);
    const int n = WholeNumber(GetListValue(ProiiColumnData, "NumberOfTrays"));
    FStageIndex->clear();
    for (int i = 1; i <= std::min(n, 1000); ++i) FStageIndex->addItem(QString::number(i));
    FStageIndex->setCurrentIndex(FStageIndex->count() > 1 ? 1 : -1);  // tray 2
  }
  FListBoxColumnData->clear();
  for (const std::string& line : ProiiColumnData.Lines())
    FListBoxColumnData->addItem(QString::fromStdString(line));
}

void TFormProii::BGetDataClick() {
  const QList<QListWidgetItem*> selected = FListColumns->selectedItems();
  if (selected.isEmpty()) return;
  int tray = 0;
  if (FGiven->isChecked()) {
    tray = FStageIndex->currentIndex() + 1;  // 0 with no entry selected
  } else {
    const int feedTray = WholeNumber(GetListValue(ProiiColumnData, "FeedT0"));
    tray = feedTray - 1;
    // Entry tray - 1 shows it; none is selected when there is no such entry.
    FStageIndex->setCurrentIndex(tray >= 1 && tray <= FStageIndex->count() ? tray - 1 : -1);
  }
  TListBoxStrings data(FListData);
  GetProiiTrayData(ProiiDatabase, selected.first()->text().toStdString(), tray, data);
}

void TFormProii::BOKClick() {
  if (FListData->count() == 0) return;
  const TListBoxStrings data(FListData);
  static const std::pair<const char*, const char*> kValues[] = {
      {"VapTotalMassRate", "VD"}, {"VapDensityAct", "DvD"}, {"VapViscosity", "MvD"},
      {"LiqTotalMassRate", "LD"}, {"LiqDensityAct", "DlD"}, {"LiqViscosity", "MlD"},
      {"LiqSurfTension", "SLD"}};
  for (const auto& [name, field] : kValues)
    WriteFieldValue(parentWidget(), field, GetListValue(data, name));
}

}  // namespace velm
