#include "units/UnitEntry.h"

#include <map>

#include "base/Decimal.h"
#include "core/FieldRegistry.h"

namespace velm {

namespace {

// Number of UTF-8 characters (every byte that does not continue a sequence starts one).
int CharCount(std::string_view s) {
  int n = 0;
  for (unsigned char c : s)
    if ((c & 0xC0) != 0x80) ++n;
  return n;
}

// At most `maxChars` UTF-8 characters from the start of s.
std::string_view HeadChars(std::string_view s, int maxChars) {
  int n = 0;
  for (size_t i = 0; i < s.size(); ++i) {
    if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) {
      if (n == maxChars) return s.substr(0, i);
      ++n;
    }
  }
  return s;
}

using TList = std::vector<std::string>;

TList Build(int width, std::initializer_list<std::pair<const char*, const char*>> items) {
  TList list;
  for (const auto& [name, factor] : items) list.push_back(MakeUnitEntry(name, width, factor));
  return list;
}

// One list per unit family of the field registry.
const std::map<TUnitFamily, TList>& Lists() {
  static const std::map<TUnitFamily, TList> lists = [] {
    std::map<TUnitFamily, TList> m;
    const TList massFlow = Build(22, {{"kg/s", "1.000000000000000"},
                                      {"kg/h", "0.000277777777777"},
                                      {"kg/m", "0.016666666666666"},
                                      {"t/h", "0.277777777777777"}});
    const TList density =
        Build(24, {{"kg/m3", "1.0000000000"}, {"g/l", "1.0000000000"}, {"t/m3", "1000.0000000"}});
    const TList viscosity = Build(25, {{"Pa.s", "1.0000000000"}, {"cp", "0.00100000000"}});
    TList surfaceTension = Build(
        26, {{"N/m", "1.0000000000"}, {"dyn/cm", "0.00100000000"}, {"kg/s2", "1.0000000000"}});
    surfaceTension.push_back(" ");
    const TList diffusivity =
        Build(27, {{"m2/s", "1.0000000000"}, {"m2/h", "0.0002777777"}, {"cm2/s", "0.00010000000"}});
    const TList velocity = Build(22, {{"m/s", "1.0000000000"},
                                      {"m3/m2.s", "1.0000000000"},
                                      {"m/h", "0.0002777777"},
                                      {"m3/m2.h", "0.0002777777"},
                                      {"km/h", "0.2777777777"}});
    const TList length =
        Build(22, {{"m", "1.0000000000"}, {"cm", "0.0100000000"}, {"mm", "0.001"}});
    const TList packingFactor = Build(19, {{"1/m", "1.00000000"},
                                           {"1/dm", "10.0000000"},
                                           {"1/cm", "100.000000"},
                                           {"1/mm", "1000.00000"}});
    TList pressureDrop = Build(23, {{"Pa", "1.0000000000"},
                                    {"mmH2O", "10.000000000"},
                                    {"kPa", "1000.0000000"},
                                    {"kg/cm2", "100000.00000"},
                                    {"MPa", "1000000.0000"}});
    pressureDrop.push_back("");
    const TList flowParameter = Build(19, {{"无量纲", "1.00000000"}});
    const TList dimensionless = Build(26, {{"无量纲", "1.0000000000"}});
    const TList percent = Build(22, {{"%", "1.0000000000"}});
    const TList holdup = Build(26, {{"m3/m3", "1.0000000000"}});

    m[TUnitFamily::MassFlow] = massFlow;
    m[TUnitFamily::Density] = density;
    m[TUnitFamily::Viscosity] = viscosity;
    m[TUnitFamily::SurfaceTension] = surfaceTension;
    m[TUnitFamily::Diffusivity] = diffusivity;
    m[TUnitFamily::Velocity] = velocity;
    m[TUnitFamily::Length] = length;
    m[TUnitFamily::PackingFactor] = packingFactor;
    m[TUnitFamily::PressureDrop] = pressureDrop;
    m[TUnitFamily::FlowParameter] = flowParameter;
    m[TUnitFamily::Dimensionless] = dimensionless;
    m[TUnitFamily::Percent] = percent;
    m[TUnitFamily::Holdup] = holdup;
    return m;
  }();
  return lists;
}

}  // namespace

std::optional<TUnitConversion> ParseUnitEntry(std::string_view entry) {
  const std::string_view t = Trim(entry);
  if (t.empty()) return std::nullopt;
  std::string_view conv = t;
  if (const size_t bar = t.find('|'); bar != std::string_view::npos)
    conv = HeadChars(t.substr(bar + 1), 100);
  TUnitConversion c;
  if (const size_t comma = conv.find(','); comma != std::string_view::npos) {
    c.FK = StrToFloat(conv.substr(0, comma));
    c.FB = StrToFloat(conv.substr(comma + 1));
  } else {
    c.FK = StrToFloat(conv);
  }
  return c;
}

std::string UnitDisplayName(std::string_view entry) {
  const std::string_view t = Trim(entry);
  const size_t bar = t.find('|');
  return std::string(bar == std::string_view::npos ? t : Trim(t.substr(0, bar)));
}

std::string MakeUnitEntry(std::string_view name, int width, std::string_view factor) {
  std::string e(name);
  for (int n = CharCount(name); n < width; ++n) e += ' ';
  e += '|';
  e += factor;
  return e;
}

const std::vector<std::string>& UnitListFor(TUnitFamily family) { return Lists().at(family); }

const std::vector<std::string>& UnitListFor(std::string_view selectorName) {
  static const std::vector<std::string> none;
  const TFieldInfo* field = FindFieldBySelector(selectorName);
  return field ? UnitListFor(field->Unit) : none;
}

}  // namespace velm
