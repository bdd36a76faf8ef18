#include "core/Methods.h"

#include <stdexcept>

#include "core/CalcTrace.h"
#include "core/CheckedMath.h"

namespace velm {

double PlaceOnCurves(const mnMatrix& curves, int used, double x, const char* resultName,
                     const char* varName, TCurveScratch& scratch, TMessageLog* log) {
  SelectWindow(curves, 1, used, 3, x, scratch.Window);
  const double dP = checked::Finite(
      PolyFitEval(scratch.Window, 1, 0, 4, 3, scratch.Coef, x, varName, resultName, log),
      resultName);
  TracePlacement(scratch.Trace, resultName, x, scratch.Window, scratch.Coef, dP);
  return dP;
}

const std::vector<std::unique_ptr<TFloodingMethod>>& FloodingMethods() {
  static const auto methods = [] {
    std::vector<std::unique_ptr<TFloodingMethod>> m;
    m.push_back(MakeEckertOrvik());     // index 0
    m.push_back(MakeKisterOrvik());     // index 1
    m.push_back(MakeBilletSchultes());  // index 2
    return m;
  }();
  return methods;
}

const std::vector<std::unique_ptr<TMassTransferMethod>>& MassTransferMethods() {
  static const auto methods = [] {
    std::vector<std::unique_ptr<TMassTransferMethod>> m;
    m.push_back(MakeOnda());
    m.push_back(MakeBilletSchultesMassTransfer());
    return m;
  }();
  return methods;
}

const TFloodingMethod& FloodingMethodAt(int index) {
  const auto& all = FloodingMethods();
  if (index < 0 || index >= static_cast<int>(all.size()))
    throw std::out_of_range("no flooding method " + std::to_string(index));
  return *all[static_cast<size_t>(index)];
}

int FloodingMethodIndex(int choice) {
  return choice >= 0 && choice < static_cast<int>(FloodingMethods().size()) ? choice : 0;
}

int FloodingMethodIndexOf(std::string_view name) {
  const auto& all = FloodingMethods();
  for (size_t i = 0; i < all.size(); ++i)
    if (name == all[i]->Name()) return static_cast<int>(i);
  throw std::out_of_range("no flooding method " + std::string(name));
}

const TFloodingMethod* FindFloodingMethod(std::string_view name) {
  for (const auto& m : FloodingMethods())
    if (name == m->Name()) return m.get();
  return nullptr;
}

const TMassTransferMethod& MassTransferMethodAt(int index) {
  const auto& all = MassTransferMethods();
  if (index < 0 || index >= static_cast<int>(all.size()))
    throw std::out_of_range("no mass-transfer method " + std::to_string(index));
  return *all[static_cast<size_t>(index)];
}

}  // namespace velm
