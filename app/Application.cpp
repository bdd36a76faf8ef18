#include "app/Application.h"

#include <exception>

#include "base/Errors.h"
#include "units/ValueField.h"

namespace velm {

bool TApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const TSilentAbort&) {
  } catch (const std::exception& e) {
    ReportError(QString::fromStdString(e.what()));
  } catch (...) {
    ReportError(QStringLiteral("未知错误"));
  }
  return false;
}

}  // namespace velm
