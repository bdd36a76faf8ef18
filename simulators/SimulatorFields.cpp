#include "simulators/SimulatorFields.h"

#include "base/Errors.h"
#include "units/EditD.h"

namespace velm {

void WriteFieldValue(QWidget* owner, const char* name, double value) {
  TEditD* field = owner ? owner->findChild<TEditD*>(QString::fromLatin1(name)) : nullptr;
  if (!field) throw TInputError(std::string("主窗口没有字段 ") + name);
  field->SetValue(value);
}

}  // namespace velm
