#pragma once
// Writing an imported value into a value field of the main window.
#include <QWidget>

namespace velm {

// Sets the SI value of the value field named `name` among the children of `owner`; the field
// then shows it in its chosen unit and raises its change notifications. A missing field is an
// error naming it.
void WriteFieldValue(QWidget* owner, const char* name, double value);

}  // namespace velm
