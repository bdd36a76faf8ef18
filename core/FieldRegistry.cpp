#include "core/FieldRegistry.h"

#include <algorithm>
#include <array>

#include "core/DesignCase.h"
#include "core/Methods.h"

namespace velm {

namespace {

using F = TField;
using U = TUnitFamily;
using R = TFieldRole;
using DC = TDesignCase;

constexpr const char* kDiffusionHint = "计算传质时需要填写此数据,只计算塔径不必填写.";

// clang-format off
const TFieldInfo kRows[] = {
// field       code        caption             hint                                   help unit               role        JSON key               input  member                       file  report    page place
  {F::LD,      "LD",       "液相质量流量",     "",                                    0,  U::MassFlow,        R::Input,   "LiquidFlow",          true,  nullptr,                     10, {26, 2}, {-1, -1}},
  {F::DlD,     "DlD",      "液相密度",         "",                                    0,  U::Density,         R::Input,   "LiquidDensity",       true,  nullptr,                     11, {14, 2}, {-1, -1}},
  {F::MlD,     "MlD",      "液相粘度",         "",                                    0,  U::Viscosity,       R::Input,   "LiquidViscosity",     true,  nullptr,                     12, {15, 2}, {-1, -1}},
  {F::SLD,     "SLD",      "液相表面张力",     "",                                    0,  U::SurfaceTension,  R::Input,   "SurfaceTension",      true,  nullptr,                     13, {16, 2}, {-1, -1}},
  {F::DlfD,    "DlfD",     "液相扩散系数",     kDiffusionHint,                        1,  U::Diffusivity,     R::Input,   "LiquidDiffusivity",   true,  nullptr,                     14, {17, 2}, {-1, -1}},
  {F::VD,      "VD",       "气相质量流量",     "",                                    0,  U::MassFlow,        R::Input,   "GasFlow",             true,  nullptr,                     18, {26, 6}, {-1, -1}},
  {F::DvD,     "DvD",      "气相密度",         "",                                    0,  U::Density,         R::Input,   "GasDensity",          true,  nullptr,                     17, {14, 6}, {-1, -1}},
  {F::MvD,     "MvD",      "气相粘度",         "",                                    0,  U::Viscosity,       R::Input,   "GasViscosity",        true,  nullptr,                     16, {15, 6}, {-1, -1}},
  {F::DvfD,    "DvfD",     "气相扩散系数",     kDiffusionHint,                        11, U::Diffusivity,     R::Input,   "GasDiffusivity",      true,  nullptr,                     15, {16, 6}, {-1, -1}},
  {F::LmdD,    "LmdD",     "参数λ",            "和气液平衡有关的常数，建议你不要直接填写该数据", 23, U::Dimensionless, R::Input, "Lambda",   true,  nullptr,                     19, {32, 6}, {-1, -1}},
  {F::meD,     "meD",      "平衡线斜率",       "亨利定律:y=mx中的m",                  21, U::Dimensionless,   R::Input,   "EquilibriumSlope",    false, nullptr,                     20, {32, 2}, {-1, -1}},
  {F::alfD,    "alfD",     "相对挥发度",       "y=ax/[1+(a-1)x]中的a",                22, U::Dimensionless,   R::Input,   "RelativeVolatility",  false, nullptr,                     21, {31, 6}, {-1, -1}},
  {F::FpD,     "FpD",      "流动参数",         "",                                    0,  U::FlowParameter,   R::Derived, "FlowParameter",       false, &DC::FlowParameter,           0, {35, 2}, {0, 0}},
  {F::UfD,     "UfD",      "泛点气速",         "",                                    0,  U::Velocity,        R::Result,  "FloodVelocity",       false, &DC::FloodVelocity,           2, {36, 2}, {0, 2}},
  {F::UpD,     "UpD",      "空速",             "理论空塔速度",                        42, U::Velocity,        R::Result,  "DesignVelocity",      false, &DC::DesignVelocity,          3, {37, 2}, {0, 3}},
  {F::UlsD,    "UlsD",     "液相负荷",         "也就是喷淋密度",                      43, U::Velocity,        R::Result,  "LiquidLoad",          false, &DC::LiquidLoad,              6, {38, 2}, {1, 0}},
  {F::UvsD,    "UvsD",     "气相负荷",         "",                                    0,  U::Velocity,        R::Result,  "GasLoad",             false, &DC::GasLoad,                 7, {39, 2}, {1, 1}},
  {F::KfD,     "KfD",      "泛点湿填料因子",   "",                                    0,  U::PackingFactor,   R::Result,  "Kf",                  true,  &DC::Kf,                      1, {}, {0, 1}},
  {F::dpD,     "dpD",      "理论塔径",         "",                                    0,  U::Length,          R::Result,  "TheoreticalDiameter", false, &DC::TheoreticalDiameter,     4, {36, 6}, {0, 4}},
  {F::dD,      "dD",       "实际塔径",         "圆整后的塔径",                        0,  U::Length,          R::Result,  "Diameter",            false, &DC::Diameter,                5, {37, 6}, {0, 5}},
  {F::fActualD,"fActualD", "实际泛点率",       "圆整后的塔径下气相负荷占泛点气速的百分数", 0, U::Percent,    R::Result,  "FloodFraction",       false, &DC::FloodFraction,          -1, {}, {1, 5}},
  {F::UlpD,    "UlpD",     "载点气速",         "Billet-Schultes 算法的载点气速；高于载点操作不经济", 0, U::Velocity, R::Result, "LoadingVelocity", false, &DC::LoadingVelocity,        -1, {}, {2, 5}},
  {F::fLoadD,  "fLoadD",   "实际载点率",       "圆整后的塔径下气相负荷占载点气速的百分数", 0, U::Percent,  R::Result,  "LoadingPercent",      false, &DC::LoadingPercent,         -1, {}, {2, 6}},
  {F::HTD,     "HTD",      "持液量",           "",                                    0,  U::Holdup,          R::Result,  "Holdup",              false, &DC::Holdup,                 27, {38, 6}, {1, 4}},
  {F::KpD,     "KpD",      "压降湿填料因子",   "",                                    0,  U::PackingFactor,   R::Result,  "Kp",                  true,  &DC::Kp,                      8, {}, {1, 2}},
  {F::dPwaterD,"dPwaterD", "湿塔压降(每米)",   "",                                    0,  U::PressureDrop,    R::Result,  "WetPressureDrop",     false, &DC::WetPressureDrop,         9, {40, 6}, {1, 3}},
  {F::UmD,     "UmD",      "饱和喷淋",         "喷淋密度占最小喷淋密度之百分数，小于100%不正常.", 31, U::Percent, R::Result, "WettingPercent", false, &DC::WettingPercent,         26, {40, 2}, {2, 0}},
  {F::HTUVD,   "HTUVD",    "HTUV",             "气相传质单元高度.",                   32, U::Length,          R::Result,  "HTUV",                false, &DC::HTUV,                   22, {43, 2}, {2, 1}},
  {F::HTULD,   "HTULD",    "HTUL",             "液相传质单元高度.",                   33, U::Length,          R::Result,  "HTUL",                false, &DC::HTUL,                   23, {44, 2}, {2, 2}},
  {F::HTUOVD,  "HTUOVD",   "HTUOV",            "总传质单元高度.",                     34, U::Length,          R::Result,  "HTUOV",               false, &DC::HTUOV,                  24, {43, 6}, {2, 3}},
  {F::HETPD,   "HETPD",    "HETP(等板高度)",   "等板高度,即一个理论板需要的填料高度.", 35, U::Length,         R::Result,  "HETP",                false, &DC::HETP,                   25, {44, 6}, {2, 4}},
};
// clang-format on

static_assert(std::size(kRows) == kFieldCount, "every field has one row");

// Row index of each field.
const std::array<const TFieldInfo*, kFieldCount>& ByField() {
  static const auto index = [] {
    std::array<const TFieldInfo*, kFieldCount> a{};
    for (const TFieldInfo& r : kRows) a[static_cast<size_t>(r.Field)] = &r;
    return a;
  }();
  return index;
}

// The selector codes, "LU" for "LD": the code with its last character "D" replaced by "U".
const std::array<std::string, kFieldCount>& SelectorCodes() {
  static const auto codes = [] {
    std::array<std::string, kFieldCount> a;
    for (const TFieldInfo& r : kRows) {
      std::string s(r.Code);
      s.back() = 'U';
      a[static_cast<size_t>(r.Field)] = s;
    }
    return a;
  }();
  return codes;
}

}  // namespace

std::span<const TFieldInfo> FieldRegistry() { return kRows; }

const TFieldInfo& FieldInfo(TField f) { return *ByField().at(static_cast<size_t>(f)); }

const TFieldInfo* FindField(std::string_view code) {
  for (const TFieldInfo& r : kRows)
    if (code == r.Code) return &r;
  return nullptr;
}

std::string_view SelectorCode(TField f) { return SelectorCodes().at(static_cast<size_t>(f)); }

const TFieldInfo* FindFieldBySelector(std::string_view selector) {
  for (const TFieldInfo& r : kRows)
    if (selector == SelectorCode(r.Field)) return &r;
  return nullptr;
}

const std::vector<const TFieldInfo*>& InputFields() {
  static const auto rows = [] {
    std::vector<const TFieldInfo*> v;
    for (const TFieldInfo& r : kRows)
      if (r.Role == TFieldRole::Input) v.push_back(&r);
    return v;
  }();
  return rows;
}

const std::vector<const TFieldInfo*>& ResultFields() {
  static const auto rows = [] {
    std::vector<const TFieldInfo*> v;
    for (const TFieldInfo& r : kRows)
      if (r.Role != TFieldRole::Input) v.push_back(&r);
    return v;
  }();
  return rows;
}

const std::vector<const TFieldInfo*>& StoredFields() {
  static const auto rows = [] {
    std::vector<const TFieldInfo*> v;
    for (const TFieldInfo& r : kRows)
      if (r.FileOrder >= 0) v.push_back(&r);
    std::sort(v.begin(), v.end(),
              [](const TFieldInfo* a, const TFieldInfo* b) { return a->FileOrder < b->FileOrder; });
    return v;
  }();
  return rows;
}

const char* FieldName(TField f) {
  const int i = static_cast<int>(f);
  return i >= 0 && i < kFieldCount ? FieldInfo(f).Code : "?";
}

const char* FieldCaption(TField f, int floodMethod) {
  if (f == TField::KpD) return FloodingMethodAt(floodMethod).KpCaption();
  const int i = static_cast<int>(f);
  return i >= 0 && i < kFieldCount ? FieldInfo(f).Caption : "?";
}

const char* SiUnitText(TUnitFamily family) {
  switch (family) {
    case TUnitFamily::MassFlow:
      return "kg/s";
    case TUnitFamily::Density:
      return "kg/m3";
    case TUnitFamily::Viscosity:
      return "Pa·s";
    case TUnitFamily::SurfaceTension:
      return "N/m";
    case TUnitFamily::Diffusivity:
      return "m2/s";
    case TUnitFamily::Velocity:
      return "m/s";
    case TUnitFamily::Length:
      return "m";
    case TUnitFamily::PackingFactor:
      return "1/m";
    case TUnitFamily::PressureDrop:
      return "Pa/m";
    case TUnitFamily::Percent:
      return "%";
    case TUnitFamily::Holdup:
      return "m3/m3";
    case TUnitFamily::FlowParameter:
    case TUnitFamily::Dimensionless:
      return "";
  }
  return "";
}

}  // namespace velm
