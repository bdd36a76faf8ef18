#pragma once
// Writing an imported value into a value field of the main window, and the frame the import
// dialogs share.
#include <QWidget>
#include <functional>

class QDialog;
class QHBoxLayout;
class QPushButton;

namespace velm {

// Sets the SI value of the value field named `name` among the children of `owner`; the field
// then shows it in its chosen unit and raises its change notifications. A missing field is an
// error naming it.
void WriteFieldValue(QWidget* owner, const char* name, double value);

// The buttons of an import dialog in their row: "获得数据" on the left, "确定" and "取消" on the
// right.
struct TImportButtons {
  QPushButton* GetData;
  QPushButton* OK;
  QPushButton* Cancel;
  QHBoxLayout* Row;
};

// Makes `dialog` an import dialog (object name, title, modal, on top, deleted when closed) and
// adds its buttons: "确定" runs `ok` under the simulator guard and closes the dialog whatever
// the handler met on the way; "取消" closes it.
TImportButtons SetUpImportDialog(QDialog* dialog, const QString& name, const QString& title,
                                 std::function<void()> ok);

}  // namespace velm
