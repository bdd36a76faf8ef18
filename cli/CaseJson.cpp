#include "cli/CaseJson.h"

#include <charconv>

#include "base/Errors.h"
#include "core/Calculate.h"
#include "core/PlainFields.h"
#include "core/Validity.h"

namespace velm {

namespace {

using nlohmann::json;

struct TFieldInput {
  const char* Key;
  TField Field;
};

constexpr TFieldInput kFieldInputs[] = {
    {"LiquidFlow", TField::LD},
    {"LiquidDensity", TField::DlD},
    {"LiquidViscosity", TField::MlD},
    {"SurfaceTension", TField::SLD},
    {"LiquidDiffusivity", TField::DlfD},
    {"GasFlow", TField::VD},
    {"GasDensity", TField::DvD},
    {"GasViscosity", TField::MvD},
    {"GasDiffusivity", TField::DvfD},
    {"Lambda", TField::LmdD},
    {"Kf", TField::KfD},
    {"Kp", TField::KpD},
};

// Shortest text that reads back as exactly the same double.
std::string ExactText(double v) {
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, r.ptr);
}

// The text of a field or list given as a number, a string, or null/missing (empty).
std::string TextOf(const json& v, const std::string& key) {
  if (v.is_null()) return {};
  if (v.is_string()) return v.get<std::string>();
  if (v.is_number()) return ExactText(v.get<double>());
  throw TCaseFormatError("inputs." + key + " must be a number, a string or null");
}

int IndexOf(const json& inputs, const char* key, int dflt, int max) {
  if (!inputs.contains(key) || inputs[key].is_null()) return dflt;
  const json& v = inputs[key];
  if (!v.is_number_integer())
    throw TCaseFormatError(std::string("inputs.") + key + " must be an integer");
  // Checked on the JSON number itself: 4294967297 is not 1.
  const bool inRange = v.is_number_unsigned()
                           ? v.get<std::uint64_t>() <= static_cast<std::uint64_t>(max)
                           : v.get<std::int64_t>() >= 0 && v.get<std::int64_t>() <= max;
  const int i = inRange ? static_cast<int>(v.get<std::int64_t>()) : -1;
  if (!inRange)
    throw TCaseFormatError(std::string("inputs.") + key + " must be between 0 and " +
                           std::to_string(max));
  return i;
}

bool FlagOf(const json& inputs, const char* key, bool dflt) {
  if (!inputs.contains(key)) return dflt;
  const json& v = inputs[key];
  if (v.is_null()) return false;
  if (!v.is_boolean())
    throw TCaseFormatError(std::string("inputs.") + key + " must be true or false");
  return v.get<bool>();
}

json Opt(const std::optional<double>& v) { return v ? json(*v) : json(nullptr); }
json Opt(const std::optional<bool>& v) { return v ? json(*v) : json(nullptr); }
json Opt(const std::optional<int>& v) { return v ? json(*v) : json(nullptr); }

json Point(const TOperatingPoint& p) {
  if (!p.Placed) return nullptr;
  return {{"Capacity", p.Capacity}, {"PressureDrop", p.PressureDrop}};
}

}  // namespace

TParsedCase ParseCaseJson(const json& input) {
  if (!input.is_object()) throw TCaseFormatError("the case must be a JSON object");
  const json inputs = input.contains("inputs") ? input["inputs"] : json::object();
  if (!inputs.is_object()) throw TCaseFormatError("\"inputs\" must be an object");

  static const char* const kOptionKeys[] = {"FoamingFactor", "FloodPercent", "FloodMethod",
                                            "AccelMethod",   "CalcKf",       "CalcKp",
                                            "LegacyMethods"};
  for (auto it = inputs.begin(); it != inputs.end(); ++it) {
    bool known = false;
    for (const auto& fi : kFieldInputs) known = known || it.key() == fi.Key;
    for (const char* k : kOptionKeys) known = known || it.key() == k;
    if (!known) throw TCaseFormatError("unknown input \"" + it.key() + "\"");
  }

  TParsedCase parsed;
  TDesignCase& dc = parsed.Case;
  TPlainFields& fields = parsed.Fields;
  for (const auto& fi : kFieldInputs)
    if (inputs.contains(fi.Key)) fields[fi.Field] = TextOf(inputs[fi.Key], fi.Key);
  if (inputs.contains("FoamingFactor"))
    dc.FoamingFactorText = TextOf(inputs["FoamingFactor"], "FoamingFactor");
  if (inputs.contains("FloodPercent"))
    dc.FloodPercentText = TextOf(inputs["FloodPercent"], "FloodPercent");
  dc.FloodMethod = IndexOf(inputs, "FloodMethod", 0, 1);
  dc.AccelMethod = IndexOf(inputs, "AccelMethod", 0, 3);
  dc.CalcKf = FlagOf(inputs, "CalcKf", true);
  dc.CalcKp = FlagOf(inputs, "CalcKp", true);
  dc.LegacyMethods = FlagOf(inputs, "LegacyMethods", false);
  fields.KpCaption = dc.FloodMethod == kEckertOrvik ? "压降湿填料因子" : "实验填料因子";

  if (input.contains("packing") && !input["packing"].is_null()) {
    TPackingRecord packing;
    const json& p = input["packing"];
    if (!p.is_array() || p.size() != TPackingRecord::kColumns)
      throw TCaseFormatError("\"packing\" must be an array of 15 texts or null");
    for (size_t i = 0; i < p.size(); ++i) {
      if (p[i].is_string())
        packing.F[i] = p[i].get<std::string>();
      else if (p[i].is_number())
        packing.F[i] = ExactText(p[i].get<double>());
      else if (!p[i].is_null())
        throw TCaseFormatError("packing[" + std::to_string(i) + "] must be a text");
    }
    parsed.Packing = packing;
  }
  return parsed;
}

json RunCaseJson(const json& input) {
  TParsedCase parsed = ParseCaseJson(input);
  TDesignCase& dc = parsed.Case;
  TPlainFields& fields = parsed.Fields;
  TPlainLog log;
  json error = nullptr;
  try {
    Calculate(dc, parsed.Packing ? &*parsed.Packing : nullptr, log, fields);
  } catch (const TSilentAbort&) {
    error = fields.AbortMessage ? json(*fields.AbortMessage) : json(nullptr);
  } catch (const std::exception& e) {
    error = e.what();
  }
  // A run that ended early without an error (no packing, an empty input, no convergence) is
  // not a result: say so, or a script takes the missing values for a calculation.
  if (error.is_null() && !dc.Stopped.empty()) error = dc.Stopped;

  json out;
  out["LegacyMethods"] = dc.LegacyMethods;  // the calculation basis the results were made on
  out["FlowParameter"] = Opt(dc.FlowParameter);
  out["FloodVelocity"] = Opt(dc.FloodVelocity);
  out["DesignVelocity"] = Opt(dc.DesignVelocity);
  out["TheoreticalDiameter"] = Opt(dc.TheoreticalDiameter);
  out["Diameter"] = Opt(dc.Diameter);
  out["GasLoad"] = Opt(dc.GasLoad);
  out["FloodFraction"] = Opt(dc.FloodFraction);
  out["LiquidLoad"] = Opt(dc.LiquidLoad);
  out["WetPressureDrop"] = Opt(dc.WetPressureDrop);
  out["Holdup"] = Opt(dc.Holdup);
  out["WettingPercent"] = Opt(dc.WettingPercent);
  out["WettingSufficient"] = Opt(dc.WettingSufficient);
  out["HTUV"] = Opt(dc.HTUV);
  out["HTUL"] = Opt(dc.HTUL);
  out["HTUOV"] = Opt(dc.HTUOV);
  out["HETP"] = Opt(dc.HETP);
  out["IterationCount"] = Opt(dc.IterationCount);
  out["Converged"] = Opt(dc.Converged);
  out["HydraulicsDone"] = dc.HydraulicsDone;
  out["Kf"] = Opt(dc.Kf);
  out["Kp"] = Opt(dc.Kp);

  const bool curves = dc.CurveCount > 0;
  out["CurveCount"] = curves ? json(dc.CurveCount) : json(nullptr);
  json pd = json::array(), cap = json::array();
  for (int i = 0; i < dc.CurveCount; ++i) {
    pd.push_back(dc.Curves[0][i]);
    cap.push_back(dc.Curves[1][i]);
  }
  out["CurvePressureDrop"] = curves ? pd : json(nullptr);
  out["CurveCapacity"] = curves ? cap : json(nullptr);
  out["FloodPoint"] = Point(dc.FloodPoint);
  out["DesignPoint"] = Point(dc.DesignPoint);
  out["Load80Point"] = Point(dc.Load80Point);

  json writes = json::array();
  for (const auto& w : fields.Writes)
    writes.push_back(w.Caption ? json::array({w.Name, *w.Caption})
                               : json::array({w.Name, w.Value}));
  out["writes"] = writes;
  out["log"] = log.Texts();
  out["messages"] = fields.Messages;
  out["MethodReset"] = fields.MethodReset;
  out["error"] = error;
  json findings = json::array();
  for (const TFinding& f : CheckValidity(dc, parsed.Packing ? &*parsed.Packing : nullptr))
    findings.push_back(
        {{"code", f.Code}, {"level", LevelKey(f.Level)}, {"field", f.Field}, {"text", f.Text}});
  out["findings"] = findings;
  return out;
}

}  // namespace velm
