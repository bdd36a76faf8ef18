#include "core/PackingRecord.h"

#include <cmath>

#include "base/Decimal.h"
#include "base/Errors.h"

namespace velm {

namespace {

std::optional<double> Number(std::string_view text) { return ParseNumber(Trim(text)); }

// The names of column 15, each with the constant it sets.
constexpr std::pair<std::string_view, std::optional<double> TBilletSchultesConstants::*>
    kConstantNames[] = {
        {"a", &TBilletSchultesConstants::a},   {"eps", &TBilletSchultesConstants::Epsilon},
        {"Ch", &TBilletSchultesConstants::Ch}, {"Cp", &TBilletSchultesConstants::Cp},
        {"CL", &TBilletSchultesConstants::CL}, {"CV", &TBilletSchultesConstants::CV},
        {"CS", &TBilletSchultesConstants::CS}, {"CFl", &TBilletSchultesConstants::CFl}};

}  // namespace

std::optional<TBilletSchultesConstants> ParseBilletSchultes(std::string_view text) {
  const std::string_view t = Trim(text);
  if (t.empty()) return std::nullopt;
  const auto bad = [&](const std::string& why) -> TInputError {
    return TInputError("Billet-Schultes 常数“" + std::string(t) + "”" + why);
  };
  TBilletSchultesConstants c;
  size_t i = 0;
  while (i < t.size()) {
    if (t[i] == ' ' || t[i] == '\t') {
      ++i;
      continue;
    }
    size_t end = i;
    while (end < t.size() && t[end] != ' ' && t[end] != '\t') ++end;
    const std::string_view item = t.substr(i, end - i);
    i = end;
    const size_t eq = item.find('=');
    if (eq == std::string_view::npos) throw bad("中的“" + std::string(item) + "”不是 名称=数值");
    const std::string_view name = item.substr(0, eq);
    const std::optional<double> v = ParseNumber(item.substr(eq + 1));
    if (!v || !(*v > 0.0)) throw bad("中 " + std::string(name) + " 的值不是正数");
    bool known = false;
    for (const auto& [n, member] : kConstantNames) {
      if (name != n) continue;
      if (c.*member) throw bad("中 " + std::string(name) + " 出现了两次");
      c.*member = *v;
      known = true;
    }
    if (!known) throw bad("中的名称“" + std::string(name) + "”不认识");
  }
  if (c.Epsilon && *c.Epsilon >= 1.0) throw bad("中的空隙率 eps 不小于 1");
  return c;
}

std::string MissingConstants(const TBilletSchultesConstants& c, std::string_view needed) {
  std::string missing;
  size_t i = 0;
  while (i < needed.size()) {
    size_t end = needed.find(' ', i);
    if (end == std::string_view::npos) end = needed.size();
    const std::string_view want = needed.substr(i, end - i);
    i = end + 1;
    for (const auto& [n, member] : kConstantNames)
      if (want == n && !(c.*member)) missing += (missing.empty() ? "" : ", ") + std::string(n);
  }
  return missing;
}

std::optional<double> NominalSizeMm(std::string_view sizeText) {
  const std::string_view t = Trim(sizeText);
  size_t i = 0;
  while (i < t.size() && ((t[i] >= '0' && t[i] <= '9') || t[i] == '.')) ++i;
  return ParseNumber(t.substr(0, i));
}

TPackingData PackingData(const TPackingRecord& p) {
  TPackingData d;
  if (const auto mm = NominalSizeMm(p.F[2])) d.NominalSize = *mm / 1000.0;
  d.SpecificArea = Number(p.F[4]);
  d.KpForm = Number(p.F[6]);
  d.KpA = Number(p.F[7]);
  d.KpB = Number(p.F[8]);
  d.KfForm = Number(p.F[9]);
  d.KfA = Number(p.F[10]);
  d.KfB = Number(p.F[11]);
  if (const auto s = Number(p.F[13])) d.CriticalSurfaceTension = *s * 0.001;
  d.Experimental = ParseNumber(LeadingNumber(p.F[14]));
  return d;
}

TPackingNumbers RequirePackingNumbers(const TPackingRecord& p) {
  TPackingNumbers n{};
  const auto mm = NominalSizeMm(p.F[2]);
  if (!mm) throw TInputError("填料尺寸“" + p.F[2] + "”不以数值开始");
  n.NominalSize = *mm / 1000.0;
  n.SpecificArea = StrToFloat(p.F[4]);
  n.KpLogForm = StrToFloat(p.F[6]) == 0.0;
  n.KpA = StrToFloat(p.F[7]);
  n.KpB = StrToFloat(p.F[8]);
  n.KfLogForm = StrToFloat(p.F[9]) != 0.0;
  n.KfA = StrToFloat(p.F[10]);
  n.KfB = StrToFloat(p.F[11]);
  n.CriticalSurfaceTension = StrToFloat(p.F[13]) * 0.001;
  // Every run reads its record, and a design, a rating or a Monte Carlo study runs over one
  // packing many times: the constants' text read last is kept with what it gave.
  thread_local struct {
    std::string Text;
    std::optional<TBilletSchultesConstants> Constants;
    std::string Error;
    bool Read = false;
  } last;
  if (!last.Read || last.Text != p.F[15]) {
    last.Text = p.F[15];
    last.Error.clear();
    try {
      last.Constants = ParseBilletSchultes(p.F[15]);
    } catch (const TInputError& e) {
      last.Constants.reset();
      last.Error = e.what();
    }
    last.Read = true;
  }
  n.BilletSchultes = last.Constants;
  n.BilletSchultesError = last.Error;
  return n;
}

bool PackingFactorEstimated(const TPackingRecord& p) {
  const std::optional<double> f = PackingData(p).Experimental;
  return !f || !(*f > 0.0);
}

std::optional<TNewerPackingFactor> NewerPackingFactor(const TPackingRecord& p) {
  // The older set (1 ft = 0.3048 m): metal Pall rings 1 in 48 and 2 in 20 1/ft; the newer
  // values of the same rings, which the table also lists: 56 and 27 1/ft (Kister, Distillation
  // Design, 1992, Table 8.2; Strigle, Random Packings and Packed Towers, 1994).
  static constexpr struct {
    const char *Material, *Type;
    double SizeMm, Older, Newer;
  } kReplaced[] = {{"金属", "鲍尔环", 25.0, 48.0 / 0.3048, 56.0 / 0.3048},
                   {"金属", "鲍尔环", 50.0, 20.0 / 0.3048, 27.0 / 0.3048}};
  const TPackingData d = PackingData(p);
  const std::optional<double> size = NominalSizeMm(p.F[2]);
  if (!d.Experimental || !size) return std::nullopt;
  for (const auto& r : kReplaced)
    if (p.F[1] == r.Material && p.F[3] == r.Type && *size == r.SizeMm &&
        std::abs(*d.Experimental - r.Older) < 1.0)
      return TNewerPackingFactor{r.Older, r.Newer,
                                 "Kister 1992, Distillation Design, Table 8.2; Strigle 1994"};
  return std::nullopt;
}

}  // namespace velm
