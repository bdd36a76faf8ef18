#include "core/Screening.h"

#include <algorithm>
#include <cmath>
#include <exception>

#include "base/Errors.h"
#include "core/Calculate.h"
#include "core/PlainFields.h"

namespace velm {

namespace {

// The inputs a duty carries to every packing; the wet packing factors are the packing's own.
constexpr TField kDutyInputs[] = {TField::LD,  TField::DlD, TField::MlD, TField::SLD,
                                  TField::DlfD, TField::VD, TField::DvD, TField::MvD,
                                  TField::DvfD, TField::LmdD};

TScreenRow RunOne(const TScreenCase& duty, const TPackingRecord& packing, int index) {
  TScreenRow row;
  row.Index = index;
  row.Packing = packing;

  TDesignCase dc;
  dc.FloodMethod = duty.Options.FloodMethod;
  dc.AccelMethod = duty.Options.AccelMethod;
  dc.FoamingFactorText = duty.Options.FoamingFactorText;
  dc.FloodPercentText = duty.Options.FloodPercentText;
  dc.LegacyMethods = duty.Options.LegacyMethods;
  dc.CalcKf = true;
  dc.CalcKp = true;

  TPlainFields fields;
  fields.RecordWrites = false;
  fields.KpCaption = dc.FloodMethod == kEckertOrvik ? "压降湿填料因子" : "实验填料因子";
  for (TField f : kDutyInputs) fields[f] = duty.Inputs[static_cast<size_t>(f)];
  TPlainLog log;

  try {
    Calculate(dc, &packing, log, fields);
  } catch (const TSilentAbort&) {
    row.Error = fields.AbortMessage.value_or("输入数据不完整");
  } catch (const std::exception& e) {
    row.Error = e.what();
  }
  row.MethodApplies = !fields.MethodReset;
  if (!row.MethodApplies)
    row.Error = "该填料没有实验填料因子，不能用 Kister-Orvik 算法";
  else if (row.Error.empty() && dc.Converged && !*dc.Converged)
    row.Error = "计算未收敛";
  else if (row.Error.empty() && !dc.HydraulicsDone)
    row.Error = "输入数据不完整";

  row.HydraulicsDone = dc.HydraulicsDone;
  row.TheoreticalDiameter = dc.TheoreticalDiameter;
  row.Diameter = dc.Diameter;
  row.FloodFraction = dc.FloodFraction;
  row.PressureDrop = dc.WetPressureDrop;
  row.Holdup = dc.Holdup;
  row.WettingPercent = dc.WettingPercent;
  row.HTUOV = dc.HTUOV;
  row.HETP = dc.HETP;
  if (duty.Stages > 0 && dc.HETP) row.PackedHeight = duty.Stages * *dc.HETP;
  if (row.MethodApplies) row.Findings = CheckValidity(dc, &packing);
  return row;
}

// 0: sound, 1: sound with warnings, 2: rejected.
int Group(const TScreenRow& r) {
  if (r.Rejected()) return 2;
  return r.FindingCount(TFindingLevel::Warning) > 0 ? 1 : 0;
}

// The size that orders rows of one group: packed volume [m3] where known, else cross section
// [m2] (every row of a group is measured alike, see RankScreening), else infinity.
double Size(const TScreenRow& r, bool byVolume) {
  if (!r.Diameter) return HUGE_VAL;
  const double area = M_PI / 4.0 * *r.Diameter * *r.Diameter;
  if (!byVolume) return area;
  return r.PackedHeight ? area * *r.PackedHeight : HUGE_VAL;
}

}  // namespace

bool TScreenRow::Rejected() const {
  return !MethodApplies || !HydraulicsDone || !Error.empty() ||
         FindingCount(TFindingLevel::Error) > 0;
}

std::optional<TFindingLevel> TScreenRow::WorstLevel() const {
  std::optional<TFindingLevel> worst;
  for (const auto& f : Findings)
    if (!worst || static_cast<int>(f.Level) < static_cast<int>(*worst)) worst = f.Level;
  return worst;
}

int TScreenRow::FindingCount(TFindingLevel level) const {
  return static_cast<int>(std::count_if(Findings.begin(), Findings.end(),
                                        [level](const TFinding& f) { return f.Level == level; }));
}

std::vector<TScreenRow> ScreenPackings(const TScreenCase& duty,
                                       const std::vector<TPackingRecord>& table) {
  std::vector<TScreenRow> rows;
  rows.reserve(table.size());
  for (size_t i = 0; i < table.size(); ++i)
    rows.push_back(RunOne(duty, table[i], static_cast<int>(i)));
  return rows;
}

void RankScreening(std::vector<TScreenRow>& rows, double stages) {
  // Rank by volume only when every sound row has a packed height; a row without mass transfer
  // would otherwise jump ahead of (or behind) rows measured differently.
  bool byVolume = stages > 0;
  for (const auto& r : rows)
    if (!r.Rejected() && !r.PackedHeight) byVolume = false;
  std::stable_sort(rows.begin(), rows.end(), [byVolume](const TScreenRow& a, const TScreenRow& b) {
    const int ga = Group(a), gb = Group(b);
    if (ga != gb) return ga < gb;
    const double sa = Size(a, byVolume), sb = Size(b, byVolume);
    if (sa != sb) return sa < sb;
    const double pa = a.PressureDrop.value_or(HUGE_VAL), pb = b.PressureDrop.value_or(HUGE_VAL);
    return pa < pb;
  });
}

}  // namespace velm
