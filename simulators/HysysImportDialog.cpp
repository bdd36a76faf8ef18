#include "simulators/HysysImportDialog.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "base/Decimal.h"
#include "simulators/HysysInterface.h"
#include "simulators/SimulatorFields.h"

namespace velm {

TFormHysys::TFormHysys(QWidget* owner) : QDialog(owner) {
  const TImportButtons buttons = SetUpImportDialog(
      this, QStringLiteral("FormHysys"), QStringLiteral("连接Hysys"), [this] { BOKClick(); });
  FBGetData = buttons.GetData;
  FBOK = buttons.OK;
  FBCancel = buttons.Cancel;

  FGroupBox1 = new QGroupBox(QStringLiteral("塔器模块"), this);
  FGroupBox1->setObjectName(QStringLiteral("GroupBox1"));
  FListColumns = new QListWidget(FGroupBox1);
  FListColumns->setObjectName(QStringLiteral("ListColumns"));
  FListColumns->setSelectionMode(QAbstractItemView::SingleSelection);
  auto* columnsLayout = new QVBoxLayout(FGroupBox1);
  columnsLayout->setContentsMargins(4, 4, 4, 4);
  columnsLayout->addWidget(FListColumns);

  FRGModal = new QGroupBox(QStringLiteral("塔径位置（理论版编号）"), this);
  FRGModal->setObjectName(QStringLiteral("RGModal"));
  FAuto = new QRadioButton(QStringLiteral("自动"), FRGModal);
  FAuto->setObjectName(QStringLiteral("RGModalAuto"));
  FGiven = new QRadioButton(QStringLiteral("指定"), FRGModal);
  FGiven->setObjectName(QStringLiteral("RGModalGiven"));
  auto* group = new QButtonGroup(FRGModal);
  group->addButton(FAuto, 0);
  group->addButton(FGiven, 1);
  FAuto->setChecked(true);
  FEditStageIndex = new QLineEdit(QStringLiteral("1"), this);
  FEditStageIndex->setObjectName(QStringLiteral("EditStageIndex"));
  FEditStageIndex->setMaximumWidth(60);
  auto* modal = new QHBoxLayout(FRGModal);
  modal->addWidget(FAuto, 1);
  modal->addWidget(FGiven);
  modal->addWidget(FEditStageIndex, 1);

  FListData = new QListWidget(this);
  FListData->setObjectName(QStringLiteral("ListData"));

  auto* right = new QVBoxLayout;
  right->addWidget(FRGModal);
  right->addWidget(FListData, 1);
  auto* top = new QHBoxLayout;
  top->addWidget(FGroupBox1, 1);
  top->addLayout(right, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top, 1);
  layout->addLayout(buttons.Row);
  resize(560, 340);

  connect(FBGetData, &QPushButton::clicked, this,
          [this] { GuardSimulatorHandler([this] { BGetDataClick(); }); });

  // An error of the simulator while the columns are listed is reported; the dialog opens with
  // the names read so far.
  GuardSimulatorHandler([this] { FormCreate(); });
}

void TFormHysys::FormCreate() {
  TListBoxStrings columns(FListColumns);
  GetHysysColumns(columns);
  if (FListColumns->count() > 0) FListColumns->setCurrentRow(0);
}

void TFormHysys::BGetDataClick() {
  QListWidgetItem* column = FListColumns->currentItem();
  if (!column || !column->isSelected()) {
    ShowSimulatorMessage(QStringLiteral("没有选定塔器模块!"));
    return;
  }
  // The stage text is converted before the list is emptied: a text that is not a whole number
  // leaves the list as it was.
  const int stage = FAuto->isChecked() ? -1 : StrToInt(FEditStageIndex->text().toStdString());
  FListData->clear();
  TListBoxStrings data(FListData);
  GetHysysStageData(column->text().toStdString(), stage, &data);
}

void TFormHysys::BOKClick() {
  if (FListData->count() == 0) return;
  // Line (from 1) of the stage-data list and the field it goes to, in writing order.
  static const std::pair<int, const char*> kLines[] = {
      {2, "VD"}, {3, "DvD"}, {4, "MvD"}, {7, "LD"}, {8, "DlD"}, {9, "MlD"}, {10, "SLD"}};
  for (const auto& [line, field] : kLines) {
    const QListWidgetItem* item = FListData->item(line - 1);
    const QString text = item ? item->text().mid(3, 100) : QString();
    WriteFieldValue(parentWidget(), field, StrToFloat(text.toStdString()));
  }
}

}  // namespace velm
