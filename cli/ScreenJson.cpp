#include "cli/ScreenJson.h"

#include <fstream>

#include "base/Errors.h"
#include "cli/CaseJson.h"
#include "cli/JsonParse.h"
#include "core/RelationGroups.h"
#include "core/Screening.h"
#include "table/PackingTable.h"

namespace velm {

namespace {

using nlohmann::json;

}  // namespace

json ScreenCaseJson(const json& input, const std::vector<TPackingRecord>& table, double stages,
                    TScreenCriterion criterionAsked) {
  TParsedCase parsed = ParseCaseJson(input);
  // With DeriveRelations, λ derived once serves every packing (the groups use no packing); inputs
  // the groups refuse are no case to screen.
  TCaseRelations relations;
  try {
    DeriveCaseRelations(parsed, relations);
  } catch (const TSilentAbort&) {
    throw TCaseFormatError(parsed.Fields.AbortMessage.value_or(kRelationGroupWarning));
  } catch (const TCalcError& e) {
    throw TCaseFormatError(e.what());
  }
  TScreenCase duty;
  duty.Options = parsed.Case;
  duty.Inputs = parsed.Fields.Text;
  duty.Stages = stages;
  std::vector<TScreenRow> rows = ScreenPackings(duty, table);
  const TScreenCriterion criterion =
      RankScreening(rows, stages, criterionAsked, parsed.Case.Service);

  json out = json::array();
  for (const TScreenRow& r : rows) {
    json findings = json::array();
    for (const TFinding& f : r.Findings)
      findings.push_back(
          {{"code", f.Code}, {"level", LevelKey(f.Level)}, {"field", f.Field}, {"text", f.Text}});
    out.push_back({{"Rank", r.Rank ? json(*r.Rank) : json(nullptr)},
                   {"Criterion", CriterionKey(criterion)},
                   {"RankValue", Opt(r.RankValue)},
                   {"Key", r.Packing.F[0]},
                   {"Material", r.Packing.F[1]},
                   {"Size", r.Packing.F[2]},
                   {"Type", r.Packing.F[3]},
                   {"MethodApplies", r.MethodApplies},
                   {"Rejected", r.Rejected()},
                   {"error", r.Error.empty() ? json(nullptr) : json(r.Error)},
                   {"TheoreticalDiameter", Opt(r.TheoreticalDiameter)},
                   {"Diameter", Opt(r.Diameter)},
                   {"FloodFraction", Opt(r.FloodFraction)},
                   {"WetPressureDrop", Opt(r.PressureDrop)},
                   {"Holdup", Opt(r.Holdup)},
                   {"WettingPercent", Opt(r.WettingPercent)},
                   {"HTUOV", Opt(r.HTUOV)},
                   {"HETP", Opt(r.HETP)},
                   {"PackedHeight", Opt(r.PackedHeight)},
                   {"PressureDropPerStage", Opt(r.PressureDropPerStage)},
                   {"findings", findings}});
  }
  return out;
}

std::vector<TPackingRecord> ReadPackingTable(const std::string& path) {
  TMyClientDataSet table;
  const bool csv = path.size() >= 4 && (path.compare(path.size() - 4, 4, ".csv") == 0 ||
                                        path.compare(path.size() - 4, 4, ".CSV") == 0);
  if (csv) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw TTableError(path + ": cannot open the file");
    table.LoadCsv(in, path, "来源");
  } else {
    table.LoadLabelledFile(path);
  }
  return PackingRecords(table);
}

}  // namespace velm
