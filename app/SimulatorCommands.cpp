#include "app/SimulatorCommands.h"

#include <QAction>
#include <QInputDialog>
#include <QStringList>
#include <utility>

#include "app/ColumnPanel.h"
#include "app/MainWindow.h"
#include "simulators/HysysImportDialog.h"
#include "simulators/HysysInterface.h"
#include "simulators/PROIIInterface.h"
#include "simulators/ProiiImportDialog.h"

namespace velm {

namespace {

QStringList Names(const TStringList& list) {
  QStringList names;
  for (const std::string& c : list.Lines()) names << QString::fromStdString(c);
  return names;
}

}  // namespace

QString ChooseItemDialog(QWidget* parent, const QString& title, const QStringList& items) {
  bool ok = false;
  const QString item =
      QInputDialog::getItem(parent, title, QStringLiteral("塔器模块"), items, 0, false, &ok);
  // Cancelled, the dialog still returns its current item: nothing was chosen.
  return ok ? item : QString();
}

void TSimulatorCommands::Connect() {
  if (!FWindow.FSetup.ChooseItem) FWindow.FSetup.ChooseItem = ChooseItemDialog;
  for (const auto& [name, handler] :
       {std::pair{"BHysys", &TFormVELM::BHysysClick}, std::pair{"BProii", &TFormVELM::BProiiClick}})
    FWindow.OnCommand(name,
                      [this, h = handler](QAction*) { FWindow.Guard([&] { (FWindow.*h)(); }); });
}

void TSimulatorCommands::ImportHysysColumn() {
  // The columns of the running case; every stage of the chosen one goes to the "全塔" block.
  std::vector<TStageLoads> stages;
  GuardSimulatorHandler([&] {
    TStringList columns;
    if (!GetHysysColumns(columns) || columns.Count() == 0) return;
    const QString name =
        FWindow.FSetup.ChooseItem(&FWindow, QStringLiteral("导入全塔"), Names(columns));
    if (name.isEmpty()) return;
    stages = GetHysysColumnStages(name.toStdString());
  });
  if (stages.empty()) return;
  FWindow.FColumn->SetStages(stages);
  FWindow.FPageControl->setCurrentIndex(2);  // the chart page, where the column is
}

void TSimulatorCommands::ImportProiiColumn() {
  TProiiColumnStages column;
  GuardSimulatorHandler([&] {
    const QString path = ChooseProiiFile(&FWindow);
    if (path.isEmpty() || !ConnectProii()) return;
    OpenProiiDatabase(path.toStdString());
    TStringList columns;
    GetProiiColumns(ProiiDatabase, columns);
    if (columns.Count() == 0) {
      ShowSimulatorMessage(QStringLiteral("该模拟文件中没有塔器模块!"));
      return;
    }
    const QString name =
        FWindow.FSetup.ChooseItem(&FWindow, QStringLiteral("导入全塔"), Names(columns));
    if (!name.isEmpty()) column = GetProiiColumnStages(ProiiDatabase, name.toStdString());
  });
  ReleaseProii();
  if (column.Stages.empty()) return;
  // A new section begins at each feed tray (tray n is stage n - 1).
  std::vector<int> starts;
  for (int tray : column.FeedTrays) starts.push_back(tray - 1);
  FWindow.FColumn->SetStages(column.Stages, SectionsAt(column.Stages, starts));
  FWindow.FPageControl->setCurrentIndex(2);  // the chart page, where the column is
}

void TSimulatorCommands::HysysDialog() {
  // A fresh dialog on every click: it lists the columns of the case running now.
  FWindow.FormHysys = new TFormHysys(&FWindow);
  FWindow.FormHysys->exec();  // deletes itself on close
}

void TSimulatorCommands::ProiiDialog() {
  // The server and the database live while the dialog is open; a new opening starts empty.
  FWindow.FormProii = new TFormProii(&FWindow);
  FWindow.FormProii->exec();  // deletes itself on close
}

}  // namespace velm
