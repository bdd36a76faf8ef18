// The tool bar commands that import loads and properties from the process simulators.
#include <QAction>
#include <QInputDialog>

#include "app/ColumnPanel.h"
#include "app/MainWindow.h"
#include "simulators/HysysInterface.h"
#include "simulators/PROIIInterface.h"
#include "simulators/UnitHysys.h"
#include "simulators/UnitProii.h"

namespace velm {

void TFormVELM::ConnectSimulatorCommands() {
  if (auto* action = findChild<QAction*>(QStringLiteral("BHysys"))) {
    action->setEnabled(true);
    connect(action, &QAction::triggered, this, [this] { Guard([this] { BHysysClick(); }); });
  }
  if (auto* action = findChild<QAction*>(QStringLiteral("BProii"))) {
    action->setEnabled(true);
    connect(action, &QAction::triggered, this, [this] { Guard([this] { BProiiClick(); }); });
  }
}

void TFormVELM::ImportHysysColumn() {
  // The columns of the running case; every stage of the chosen one goes to the "全塔" page.
  std::vector<TStageLoads> stages;
  GuardSimulatorHandler([&] {
    TStringList columns;
    if (!GetHysysColumns(columns) || columns.Count() == 0) return;
    QStringList names;
    for (const std::string& c : columns.Lines()) names << QString::fromStdString(c);
    bool ok = false;
    const QString name =
        FSetup.ChooseItem ? FSetup.ChooseItem(this, QStringLiteral("导入全塔"), names)
                          : QInputDialog::getItem(this, QStringLiteral("导入全塔"),
                                                  QStringLiteral("塔器模块"), names, 0, false, &ok);
    if (name.isEmpty()) return;
    stages = GetHysysColumnStages(name.toStdString());
  });
  if (stages.empty()) return;
  FColumn->SetStages(stages);
  FPageControl->setCurrentIndex(2);  // the chart page, where the column is
}

void TFormVELM::ImportProiiColumn() {
  TProiiColumnStages column;
  GuardSimulatorHandler([&] {
    const QString path = ChooseProiiFile(this);
    if (path.isEmpty() || !ConnectProii()) return;
    OpenProiiDatabase(path.toStdString());
    TStringList columns;
    GetProiiColumns(ProiiDatabase, columns);
    QStringList names;
    for (const std::string& c : columns.Lines()) names << QString::fromStdString(c);
    if (names.isEmpty()) {
      ShowSimulatorMessage(QStringLiteral("该模拟文件中没有塔器模块!"));
      return;
    }
    bool ok = false;
    const QString name =
        FSetup.ChooseItem ? FSetup.ChooseItem(this, QStringLiteral("导入全塔"), names)
                          : QInputDialog::getItem(this, QStringLiteral("导入全塔"),
                                                  QStringLiteral("塔器模块"), names, 0, false, &ok);
    if (!name.isEmpty()) column = GetProiiColumnStages(ProiiDatabase, name.toStdString());
  });
  ReleaseProii();
  if (column.Stages.empty()) return;
  // A new section begins at each feed tray (tray n is stage n - 1).
  std::vector<int> starts;
  for (int tray : column.FeedTrays) starts.push_back(tray - 1);
  FColumn->SetStages(column.Stages, SectionsAt(column.Stages, starts));
  FPageControl->setCurrentIndex(2);  // the chart page, where the column is
}

void TFormVELM::BHysysClick() {
  // A fresh dialog on every click: it lists the columns of the case running now.
  FormHysys = new TFormHysys(this);
  FormHysys->exec();  // deletes itself on close
}

}  // namespace velm

namespace velm {

void TFormVELM::BProiiClick() {
  // The server and the database live while the dialog is open; a new opening starts empty.
  FormProii = new TFormProii(this);
  FormProii->exec();  // deletes itself on close
}

}  // namespace velm
