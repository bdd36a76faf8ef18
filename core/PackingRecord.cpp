#include "core/PackingRecord.h"

#include "base/Decimal.h"
#include "base/Errors.h"

namespace velm {

namespace {

std::optional<double> Number(std::string_view text) { return ParseNumber(Trim(text)); }

}  // namespace

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
  return n;
}

bool PackingFactorEstimated(const TPackingRecord& p) {
  const std::optional<double> f = PackingData(p).Experimental;
  return !f || !(*f > 0.0);
}

}  // namespace velm
