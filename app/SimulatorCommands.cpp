// The tool bar commands that import loads and properties from the process simulators.
#include <QAction>

#include "app/MainWindow.h"
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
