#include "core/Services.h"

#include <iterator>

namespace velm {

namespace {

// 1 in H2O per ft of packing in Pa/m: 249.089 Pa / 0.3048 m.
constexpr double kInWaterPerFt = 249.089 / 0.3048;

// Design pressure drops of random packings by service, in in H2O/ft: Strigle, Random Packings
// and Packed Towers, 2nd ed., Gulf 1994, as tabulated by Kister, Distillation Design,
// McGraw-Hill 1992, Table 8.4 (maximum pressure drops recommended for random packings):
// absorbers and regenerators 0.25-0.50 (non-foaming) and 0.12-0.25 (moderately foaming);
// atmospheric and pressure fractionators 0.50-1.0; vacuum fractionators 0.10-0.20. Ludwig
// advises against designing below 0.1 in H2O/ft (minimum wetting; Kister, Sec. 8.2).
// Without a service the general limit of earlier versions, about 800 Pa/m (80 mm H2O/m, the
// top of the distillation range of Sinnott, Coulson & Richardson's Chemical Engineering Vol. 6,
// 4th ed., 2005, Sec. 11.14.4), is kept.
const TService kServices[] = {
    {"Unspecified", "未指定", TServiceKind::Unspecified, false, 0.0, 800.0},
    {"Distillation", "常压/加压精馏", TServiceKind::Distillation, false, 0.50 * kInWaterPerFt,
     1.0 * kInWaterPerFt},
    {"VacuumDistillation", "减压精馏", TServiceKind::VacuumDistillation, false,
     0.10 * kInWaterPerFt, 0.20 * kInWaterPerFt},
    {"Absorption", "吸收/解吸(不发泡)", TServiceKind::Absorption, false, 0.25 * kInWaterPerFt,
     0.50 * kInWaterPerFt},
    {"FoamingAbsorption", "吸收/解吸(中度发泡)", TServiceKind::Absorption, true,
     0.12 * kInWaterPerFt, 0.25 * kInWaterPerFt},
};

}  // namespace

std::span<const TService> Services() { return kServices; }

const TService& ServiceAt(int index) {
  return index >= 0 && index < static_cast<int>(std::size(kServices)) ? kServices[index]
                                                                      : kServices[0];
}

int ServiceIndexOf(std::string_view name) {
  for (size_t i = 0; i < std::size(kServices); ++i)
    if (name == kServices[i].Key || name == kServices[i].Caption) return static_cast<int>(i);
  return -1;
}

}  // namespace velm
