#pragma once
// The commands that import from the process simulators: the loads and properties of one stage
// through the import dialogs, and every stage of a column into the whole-column block.
#include <QString>
#include <QStringList>

class QWidget;

namespace velm {

class TFormVELM;

// The list dialog of the column imports (parent, title, items): the chosen item, empty when
// cancelled.
QString ChooseItemDialog(QWidget* parent, const QString& title, const QStringList& items);

class TSimulatorCommands {
 public:
  explicit TSimulatorCommands(TFormVELM& window) : FWindow(window) {}
  TSimulatorCommands(const TSimulatorCommands&) = delete;
  TSimulatorCommands& operator=(const TSimulatorCommands&) = delete;

  // Fills in the default list dialog and connects the tool bar buttons.
  void Connect();
  // Each opens its import dialog modally, fresh on every click; the dialog writes the imported
  // loads and properties into the fields and frees itself on close.
  void HysysDialog();
  void ProiiDialog();
  // Imports every stage of a simulator column into the "全塔" block (asks for the column).
  void ImportHysysColumn();
  // The same from a simulation file of the database server; the sections split at its feeds.
  void ImportProiiColumn();

 private:
  TFormVELM& FWindow;
};

}  // namespace velm
