#include "CoreTestSupport.h"

#include <algorithm>

#include "base/Errors.h"

namespace velm::test {

TPackingRecord CeramicRaschig25() {
  return {{"03", "陶瓷", "25mm", "拉西环", "190", "0.73", "1", "2.7067", "0.01539", "0", "2.7067",
           "0", "641", "61", "509 (1/m)"}};
}

TPackingRecord MetalPall25() {
  TPackingRecord p = CeramicRaschig25();
  p.F[4] = "223.5";
  p.F[13] = "75";
  p.F[15] = "a=223.5 eps=0.954 Ch=0.719 Cp=0.957 CL=1.440 CV=0.336 CS=2.627 CFl=2.083";
  return p;
}

TRun::TRun() {
  Fields[TField::LD] = "2";
  Fields[TField::DlD] = "998";
  Fields[TField::MlD] = "0.001";
  Fields[TField::SLD] = "0.072";
  Fields[TField::DlfD] = "1.9e-9";
  Fields[TField::VD] = "1.2";
  Fields[TField::DvD] = "1.19";
  Fields[TField::MvD] = "1.8e-5";
  Fields[TField::DvfD] = "2.3e-5";
  Fields[TField::LmdD] = "0.8";
  Case.FoamingFactorText = "1.0";
  Case.FloodPercentText = "70";
}

void TRun::Run(const TPackingRecord* packing) {
  try {
    Calculate(Case, packing, Log, Fields);
  } catch (const TSilentAbort&) {
    Error = Fields.AbortMessage.value_or("silent abort");
  } catch (const std::exception& e) {
    Error = e.what();
  }
}

std::vector<std::string> TRun::WriteNames() const {
  std::vector<std::string> names;
  for (const auto& w : Fields.Writes) names.push_back(w.Name);
  return names;
}

int TRun::Writes(const std::string& name) const {
  return static_cast<int>(std::count_if(Fields.Writes.begin(), Fields.Writes.end(),
                                        [&](const auto& w) { return w.Name == name; }));
}

}  // namespace velm::test
