#include "cli/ColumnJson.h"

#include <cmath>

#include "base/NumberFormat.h"
#include "cli/CaseJson.h"
#include "cli/JsonParse.h"
#include "core/Column.h"

namespace velm {

namespace {

using json = nlohmann::json;

double Number(const json& j, const char* key, const std::string& where, bool positive = true) {
  if (!j.contains(key) || !j[key].is_number() || !std::isfinite(j[key].get<double>()) ||
      (positive && !(j[key].get<double>() > 0.0)))
    throw TCaseFormatError(where + "." + key + " must be a " + (positive ? "positive " : "") +
                           "number");
  return j[key].get<double>();
}

std::optional<double> OptionalNumber(const json& j, const char* key, const std::string& where) {
  if (!j.contains(key) || j[key].is_null()) return std::nullopt;
  return Number(j, key, where);
}

TStageLoads StageOf(const json& j, const std::string& where) {
  if (!j.is_object()) throw TCaseFormatError(where + " must be an object");
  TStageLoads s;
  if (j.contains("Name")) {
    if (!j["Name"].is_string()) throw TCaseFormatError(where + ".Name must be a text");
    s.Name = j["Name"].get<std::string>();
  }
  s.LiquidFlow = Number(j, "LiquidFlow", where);
  s.LiquidDensity = Number(j, "LiquidDensity", where);
  s.LiquidViscosity = Number(j, "LiquidViscosity", where);
  s.SurfaceTension = Number(j, "SurfaceTension", where);
  s.GasFlow = Number(j, "GasFlow", where);
  s.GasDensity = Number(j, "GasDensity", where);
  s.GasViscosity = Number(j, "GasViscosity", where);
  s.LiquidDiffusivity = OptionalNumber(j, "LiquidDiffusivity", where);
  s.GasDiffusivity = OptionalNumber(j, "GasDiffusivity", where);
  s.Lambda = OptionalNumber(j, "Lambda", where);
  return s;
}

int IndexOf(const json& j, const char* key, int count, const std::string& where) {
  if (!j.contains(key) || !j[key].is_number_integer() || j[key].get<long long>() < 0 ||
      j[key].get<long long>() >= count)
    throw TCaseFormatError(where + "." + key + " must be a stage index 0.." +
                           std::to_string(count - 1));
  return static_cast<int>(j[key].get<long long>());
}

json Findings(const std::vector<TFinding>& findings) {
  json out = json::array();
  for (const TFinding& f : findings) out.push_back({{"code", f.Code}, {"text", f.Text}});
  return out;
}

}  // namespace

TColumnInput ParseColumnJson(const json& input) {
  if (!input.is_object() || !input.contains("column") || !input["column"].is_object())
    throw TCaseFormatError("\"column\" must be an object");
  const json& c = input["column"];
  if (!c.contains("stages") || !c["stages"].is_array() || c["stages"].empty())
    throw TCaseFormatError("column.stages must be a non-empty array");
  if (!c.contains("sections") || !c["sections"].is_array() || c["sections"].empty())
    throw TCaseFormatError("column.sections must be a non-empty array");
  TColumnInput in;
  for (size_t i = 0; i < c["stages"].size(); ++i)
    in.Stages.push_back(StageOf(c["stages"][i], "column.stages[" + std::to_string(i) + "]"));
  const int count = static_cast<int>(in.Stages.size());
  for (size_t i = 0; i < c["sections"].size(); ++i) {
    const json& j = c["sections"][i];
    const std::string where = "column.sections[" + std::to_string(i) + "]";
    if (!j.is_object()) throw TCaseFormatError(where + " must be an object");
    // The section's options and values read as a case's.
    TParsedCase parsed = ParseCaseJson(j);
    if (!parsed.Packing) throw TCaseFormatError(where + ".packing must be given");
    TColumnSection sec;
    sec.Name = j.contains("Name") && j["Name"].is_string() ? j["Name"].get<std::string>()
                                                           : "段 " + std::to_string(i + 1);
    sec.First = IndexOf(j, "First", count, where);
    sec.Last = IndexOf(j, "Last", count, where);
    if (sec.Last < sec.First) throw TCaseFormatError(where + ".Last is before its First");
    sec.Diameter = OptionalNumber(j, "Diameter", where);
    sec.Packing = *parsed.Packing;
    sec.Options = parsed.Case;
    sec.Inputs = InputValues(parsed.Fields);
    in.Sections.push_back(std::move(sec));
  }
  if (c.contains("beds")) {
    const json& b = c["beds"];
    if (!b.is_object()) throw TCaseFormatError("column.beds must be an object");
    // Each rule within what a column can be: a design factor up to 10, 1 to 1000 stages a bed,
    // bed and redistributor heights up to 100 m.
    const struct {
      const char* Key;
      double* To;
      double Low, High;
    } rules[] = {{"DesignFactor", &in.Beds.DesignFactor, 0.0, 10.0},
                 {"StagesPerBed", &in.Beds.StagesPerBed, 0.5, 1000.0},
                 {"MaximumBedHeight", &in.Beds.MaximumBedHeight, 0.0, 100.0},
                 {"RedistributorHeight", &in.Beds.RedistributorHeight, -1e-300, 100.0}};
    for (const auto& r : rules) {
      if (!b.contains(r.Key)) continue;
      const double x = Number(b, r.Key, "column.beds", false);
      if (!(x > r.Low && x <= r.High))
        throw TCaseFormatError(std::string("column.beds.") + r.Key + " must be above " +
                               FormatGeneral(std::max(r.Low, 0.0), 4) + " and at most " +
                               FormatGeneral(r.High, 4));
      *r.To = x;
    }
  }
  return in;
}

json ColumnResultJson(const TColumnResult& r) {
  json sections = json::array();
  std::string error;
  for (const TSectionResult& s : r.Sections) {
    json stages = json::array();
    for (const TStageResult& st : s.Stages) {
      const TCaseRating& k = st.Rating;
      json row = {{"Stage", st.Stage}, {"Name", k.Case.Name}, {"Height", Opt(st.Height)}};
      row["error"] = k.Rated ? json(nullptr) : json(k.Error);
      if (k.Rated) {
        row.update({{"FloodPercent", k.FloodPercent},
                    {"FloodPercentConstantLiquid", Opt(k.FloodPercentConstantLiquid)},
                    {"PressureDrop", k.PressureDrop},
                    {"WettingPercent", k.WettingPercent},
                    {"HETP", Opt(k.HETP)},
                    {"findings", Findings(k.Findings)}});
      } else if (error.empty()) {
        error = s.Name + " " + k.Case.Name + ": " + k.Error;
      }
      stages.push_back(std::move(row));
    }
    json beds = nullptr;
    if (s.Beds)
      beds = {{"PackedHeight", s.Beds->PackedHeight},
              {"Beds", s.Beds->Beds},
              {"BedHeight", s.Beds->BedHeight},
              {"Redistributors", s.Beds->Redistributors},
              {"Height", s.Beds->Height},
              {"Limit", s.Beds->Limit},
              {"LimitBy", s.Beds->LimitBy}};
    if (!s.Error.empty() && error.empty()) error = s.Name + ": " + s.Error;
    sections.push_back({{"Name", s.Name},
                        {"Packing", s.Packing},
                        {"Method", s.Method},
                        {"Designed", s.Designed},
                        {"Diameter", s.Error.empty() ? json(s.Diameter) : json(nullptr)},
                        {"DesignStage", s.DesignStage >= 0 ? json(s.DesignStage) : json(nullptr)},
                        {"Governing", s.Governing >= 0 ? json(s.Stages[size_t(s.Governing)].Stage)
                                                       : json(nullptr)},
                        {"PressureDrop", s.PressureDrop},
                        {"Beds", beds},
                        {"error", s.Error.empty() ? json(nullptr) : json(s.Error)},
                        {"Stages", stages}});
  }
  return {{"Sections", sections},
          {"PressureDrop", r.PressureDrop},
          {"PackedHeight", r.PackedHeight},
          {"Height", r.Height},
          {"error", error.empty() ? json(nullptr) : json(error)}};
}

json RunColumnJson(const json& input) {
  return ColumnResultJson(RateWholeColumn(ParseColumnJson(input)));
}

}  // namespace velm
