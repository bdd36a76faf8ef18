#pragma once
// TFormHysys: the dialog that takes the gas and liquid loads and properties of one column of a
// running simulator case into the main window. It lists the case's column operations, reads the
// stage data (chosen automatically or by stage number) and on OK writes seven fields of its
// owner through their SI Value: VD, DvD, MvD (gas side) and LD, DlD, MlD, SLD (liquid side).
// Nothing is recalculated here; the fields' change notifications mark the design for the next
// input check, as typing does.
#include <QDialog>

class QListWidget;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QGroupBox;

namespace velm {

class TFormHysys : public QDialog {
  Q_OBJECT

 public:
  // `owner` holds the value fields (found by their names); the dialog deletes itself when
  // closed.
  explicit TFormHysys(QWidget* owner);

  void FormCreate();
  void BGetDataClick();
  void BOKClick();

 private:
  QGroupBox* FGroupBox1;
  QListWidget* FListColumns;
  QGroupBox* FRGModal;
  QRadioButton* FAuto;
  QRadioButton* FGiven;
  QLineEdit* FEditStageIndex;
  QListWidget* FListData;
  QPushButton* FBGetData;
  QPushButton* FBOK;
  QPushButton* FBCancel;
};

}  // namespace velm
