#pragma once
// TFormProii: the dialog that takes the gas and liquid loads and properties of one tray of a
// simulated column into the main window. The user opens a simulation file, picks a column,
// lets the tray be chosen (one above the first feed) or picks it, reads the tray data, and on
// OK the seven values go by name into the owner's fields VD, DvD, MvD, LD, DlD, MlD and SLD
// through their SI Value. Closing releases the database and the server.
#include <QDialog>
#include <QString>
#include <functional>

class QComboBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace velm {

// The file-open dialog of the import (parent, filters): the chosen path, empty when cancelled.
// Empty hook (the default): a QFileDialog for existing files. Tests set it.
using TProiiOpenHook = std::function<QString(QWidget* parent, const QStringList& filters)>;
void SetProiiOpenHook(TProiiOpenHook hook);
// The simulation file to open, as the dialog's "打开" asks for it (through the hook when set);
// empty when cancelled.
QString ChooseProiiFile(QWidget* parent);

class TFormProii : public QDialog {
  Q_OBJECT

 public:
  explicit TFormProii(QWidget* owner);
  ~TFormProii() override;

  void BOpenClick();
  void ListColumnsClick();
  void BGetDataClick();
  void BOKClick();

  // The filters the open dialog offers: the simulator's own files and our snapshots.
  static QStringList OpenFilters();

 private:
  QPushButton* FBOpen;
  QGroupBox* FGroupBox1;
  QListWidget* FListColumns;
  QGroupBox* FGroupBox2;
  QListWidget* FListBoxColumnData;
  QGroupBox* FRGModal;
  QRadioButton* FAuto;
  QRadioButton* FGiven;
  QComboBox* FStageIndex;
  QLabel* FLabel1;
  QListWidget* FListData;
  QPushButton* FBGetData;
  QPushButton* FBOK;
  QPushButton* FBCancel;
};

}  // namespace velm
