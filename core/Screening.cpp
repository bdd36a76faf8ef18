#include "core/Screening.h"

#include <algorithm>
#include <cmath>
#include <exception>

#include "base/Errors.h"
#include "core/Calculate.h"
#include "core/Methods.h"
#include "core/PlainFields.h"
#include "core/Services.h"

namespace velm {

namespace {

// The inputs a duty carries to every packing; the wet packing factors are the packing's own.
constexpr TField kDutyInputs[] = {TField::LD, TField::DlD, TField::MlD, TField::SLD,  TField::DlfD,
                                  TField::VD, TField::DvD, TField::MvD, TField::DvfD, TField::LmdD};

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
  fields.KpCaption = FloodingMethodAt(dc.FloodMethod).KpCaption();
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
    row.Error = std::string("该填料没有实验填料因子，不能用 ") +
                FloodingMethodAt(dc.FloodMethod).Name() + " 算法";
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
  if (dc.HETP && dc.WetPressureDrop) row.PressureDropPerStage = *dc.WetPressureDrop * *dc.HETP;
  if (row.MethodApplies) row.Findings = CheckValidity(dc, &packing);
  return row;
}

// 0: sound, 1: sound with warnings, 2: rejected.
int Group(const TScreenRow& r) {
  if (r.Rejected()) return 2;
  return r.FindingCount(TFindingLevel::Warning) > 0 ? 1 : 0;
}

// The value that orders rows of one group by the criterion (every row of a group is measured
// alike, see RankScreening); nothing when the row lacks it.
std::optional<double> ValueOf(const TScreenRow& r, TScreenCriterion c) {
  if (c == TScreenCriterion::PressureDropPerStage) return r.PressureDropPerStage;
  if (!r.Diameter) return std::nullopt;
  const double area = M_PI / 4.0 * *r.Diameter * *r.Diameter;
  if (c == TScreenCriterion::Diameter) return area;
  if (!r.PackedHeight) return std::nullopt;
  return area * *r.PackedHeight;
}

}  // namespace

bool TScreenRow::Rejected() const {
  return !MethodApplies || !Error.empty() || !HydraulicsDone ||
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

TScreenCriterion RankScreening(std::vector<TScreenRow>& rows, double stages,
                               TScreenCriterion criterion, int service) {
  if (criterion == TScreenCriterion::ByService)
    criterion = ServiceAt(service).Kind == TServiceKind::VacuumDistillation
                    ? TScreenCriterion::PressureDropPerStage
                    : TScreenCriterion::PackedVolume;
  // A criterion that needs the mass transfer applies only when every sound row has it; a row
  // without it would otherwise jump ahead of (or behind) rows measured differently. Then the
  // cross section decides.
  if (criterion == TScreenCriterion::PackedVolume && !(stages > 0))
    criterion = TScreenCriterion::Diameter;
  for (const auto& r : rows)
    if (!r.Rejected() && !ValueOf(r, criterion)) criterion = TScreenCriterion::Diameter;
  std::stable_sort(rows.begin(), rows.end(), [criterion](const TScreenRow& a, const TScreenRow& b) {
    const int ga = Group(a), gb = Group(b);
    if (ga != gb) return ga < gb;
    const double sa = ValueOf(a, criterion).value_or(HUGE_VAL),
                 sb = ValueOf(b, criterion).value_or(HUGE_VAL);
    if (sa != sb) return sa < sb;
    const double pa = a.PressureDrop.value_or(HUGE_VAL), pb = b.PressureDrop.value_or(HUGE_VAL);
    return pa < pb;
  });
  int rank = 0;
  for (auto& r : rows) {
    r.RankValue = ValueOf(r, criterion);
    r.Rank = r.Rejected() ? std::nullopt : std::optional<int>(++rank);
  }
  return criterion;
}

const char* CriterionKey(TScreenCriterion c) {
  switch (c) {
    case TScreenCriterion::PressureDropPerStage:
      return "pressure-drop-per-stage";
    case TScreenCriterion::Diameter:
      return "diameter";
    case TScreenCriterion::ByService:
    case TScreenCriterion::PackedVolume:
      break;
  }
  return "packed-volume";
}

const char* CriterionCaption(TScreenCriterion c) {
  switch (c) {
    case TScreenCriterion::PressureDropPerStage:
      return "每理论板压降 (Pa)";
    case TScreenCriterion::Diameter:
      return "塔截面积 (m2)";
    case TScreenCriterion::ByService:
    case TScreenCriterion::PackedVolume:
      break;
  }
  return "填料体积 (m3)";
}

}  // namespace velm
