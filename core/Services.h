#pragma once
// The service of a column ("工况"): what the column does decides the pressure drop it is designed
// for and what a packing is ranked by. The list order is the order of the window's selector and
// of the index stored in project files; index 0 is the default, a column whose service is not
// given, which keeps the general limit of earlier versions.
#include <span>
#include <string_view>

namespace velm {

enum class TServiceKind {
  Unspecified,
  Distillation,        // atmospheric or pressure distillation
  VacuumDistillation,  // pressure drop per stage decides
  Absorption,          // absorbers and strippers: packed volume decides
};

struct TService {
  const char* Key;      // the headless calculator's name ("VacuumDistillation")
  const char* Caption;  // the selector's text
  TServiceKind Kind;
  bool Foaming;
  // Design range of the wet pressure drop [Pa/m]; Low 0: no lower end. See Services.cpp.
  double PressureDropLow, PressureDropHigh;
};

// The services in selector order.
std::span<const TService> Services();
// The service at a stored index; an index out of range is the default (index 0).
const TService& ServiceAt(int index);
// The index of the service whose Key or Caption is `name`; -1 when none is.
int ServiceIndexOf(std::string_view name);

}  // namespace velm
