#include "cli/AnalysisJson.h"

#include <cmath>
#include <cstdlib>

#include "cli/CaseJson.h"
#include "cli/JsonParse.h"
#include "core/Analysis.h"
#include "core/FieldRegistry.h"
#include "core/Methods.h"

namespace velm {

using json = nlohmann::json;

namespace {

double Positive(const json& j, const char* key, const std::string& where, double high = 1e300) {
  if (!j.contains(key) || !j[key].is_number() || !(j[key].get<double>() > 0.0) ||
      !(j[key].get<double>() <= high))
    throw TCaseFormatError(where + "." + key + " must be a positive number");
  return j[key].get<double>();
}

std::optional<double> OptionalPositive(const json& j, const char* key, const std::string& where,
                                       double high = 1e300) {
  if (!j.contains(key) || j[key].is_null()) return std::nullopt;
  return Positive(j, key, where, high);
}

const TFieldInfo& InputByKey(const std::string& key) {
  for (const TFieldInfo& f : FieldRegistry())
    if (f.CaseInput && f.JsonKey && key == f.JsonKey) return f;
  throw TCaseFormatError("no input called \"" + key + "\"");
}

json Band(const std::optional<TPercentiles>& p) {
  return p ? json{{"P10", p->P10}, {"P50", p->P50}, {"P90", p->P90}} : json(nullptr);
}

}  // namespace

std::vector<TPlantPoint> PointsOf(const json& doc) {
  if (!doc.is_object() || !doc.contains("points") || !doc["points"].is_array())
    throw TCaseFormatError("the calibration file must hold \"points\", an array");
  std::vector<TPlantPoint> points;
  for (size_t i = 0; i < doc["points"].size(); ++i) {
    const json& j = doc["points"][i];
    const std::string where = "points[" + std::to_string(i) + "]";
    if (!j.is_object()) throw TCaseFormatError(where + " must be an object");
    TPlantPoint p;
    p.Name = j.contains("Name") && j["Name"].is_string() ? j["Name"].get<std::string>()
                                                         : std::to_string(i + 1);
    TParsedCase point = ParseCaseJson(j);
    p.Inputs = InputValues(point.Fields);
    p.Diameter = Positive(j, "Diameter", where, 100.0);
    p.PressureDrop = OptionalPositive(j, "PressureDrop", where);
    p.BedHeight = OptionalPositive(j, "BedHeight", where, 1000.0);
    p.Stages = OptionalPositive(j, "Stages", where, 10000.0);
    points.push_back(std::move(p));
  }
  return points;
}

json AnalysisResultJson(const TDocumentAnalysis& a) {
  json out;
  if (a.Calibration) {
    const TCalibration& c = *a.Calibration;
    json points = json::array();
    for (const TPointFit& p : c.Points)
      points.push_back({{"Name", p.Name},
                        {"PressureDrop", Opt(p.PressureDrop)},
                        {"Calculated", Opt(p.Calculated)},
                        {"Residual", Opt(p.Residual)},
                        {"Hetp", Opt(p.Hetp)},
                        {"HetpCalculated", Opt(p.HetpCalculated)},
                        {"error", p.Error.empty() ? json(nullptr) : json(p.Error)}});
    out["Calibration"] = {{"FactorRatio", Opt(c.FactorRatio)},
                          {"HetpFactor", Opt(c.HetpFactor)},
                          {"RmsResidual", Opt(c.RmsResidual)},
                          {"Applied", a.CalibrationApplied},
                          {"Points", points}};
  } else if (!a.CalibrationError.empty()) {
    out["Calibration"] = {{"error", a.CalibrationError}};
  }
  if (a.Uncertainty) {
    const TUncertainty& u = *a.Uncertainty;
    json methods = json::array();
    for (const TMethodResult& m : u.Methods)
      methods.push_back({{"Method", m.Method},
                         {"TheoreticalDiameter", Opt(m.TheoreticalDiameter)},
                         {"FloodPercent", Opt(m.FloodPercent)},
                         {"PressureDrop", Opt(m.PressureDrop)},
                         {"Hetp", Opt(m.Hetp)},
                         {"error", m.Error.empty() ? json(nullptr) : json(m.Error)}});
    out["Uncertainty"] = {{"Samples", u.Samples},
                          {"Failed", u.Failed},
                          {"TheoreticalDiameter", Band(u.TheoreticalDiameter)},
                          {"FloodPercent", Band(u.FloodPercent)},
                          {"PressureDrop", Band(u.PressureDrop)},
                          {"Hetp", Band(u.Hetp)},
                          {"PackedHeight", Band(u.PackedHeight)},
                          {"FloodProbability", u.FloodProbability},
                          {"Methods", methods},
                          {"Sources", u.Sources}};
  }
  if (!a.Sensitivity.empty()) {
    json rows = json::array();
    for (const TSensitivity& s : a.Sensitivity)
      rows.push_back(
          {{"Input", s.Field ? json(FieldInfo(*s.Field).JsonKey) : json("PackingFactor")},
           {"Step", s.Step},
           {"DiameterLow", Opt(s.DiameterLow)},
           {"DiameterHigh", Opt(s.DiameterHigh)},
           {"HetpLow", Opt(s.HetpLow)},
           {"HetpHigh", Opt(s.HetpHigh)}});
    out["Sensitivity"] = rows;
  }
  if (a.SweepSettings) {
    const TFieldInfo& field = FieldInfo(a.SweepSettings->Input);
    json rows = json::array();
    for (const TSweepPoint& p : a.Sweep) {
      json row = {{field.JsonKey, p.Value},
                  {"error", p.Error.empty() ? json(nullptr) : json(p.Error)}};
      for (const TFieldInfo& f : FieldRegistry())
        if (f.Role != TFieldRole::Input && f.JsonKey)
          row[f.JsonKey] = Opt(p.Results[size_t(f.Field)]);
      rows.push_back(row);
    }
    out["Sweep"] = rows;
  }
  out["error"] = a.AnalysisError.empty() ? json(nullptr) : json(a.AnalysisError);
  return out;
}

json RunAnalysisJson(const json& input, const TAnalysisRequest& request) {
  TParsedCase parsed = ParseCaseJson(input);
  if (!parsed.Packing) throw TCaseFormatError("the case must give its packing");
  TUncertaintyInput in;
  in.Options = parsed.Case;
  in.Inputs = InputValues(parsed.Fields);
  const json a = input.contains("analysis") ? input["analysis"] : json::object();
  if (!a.is_object()) throw TCaseFormatError("\"analysis\" must be an object");
  if (a.contains("Bands")) {
    if (!a["Bands"].is_object()) throw TCaseFormatError("analysis.Bands must be an object");
    for (const auto& [key, value] : a["Bands"].items()) {
      if (!value.is_number() || !(value.get<double>() >= 0.0) || value.get<double>() > 1.0)
        throw TCaseFormatError("analysis.Bands." + key + " must be a fraction from 0 to 1");
      in.Band[size_t(InputByKey(key).Field)] = value.get<double>();
    }
  }
  if (a.contains("PackingFactorBand"))
    in.PackingFactorBand = Positive(a, "PackingFactorBand", "analysis", 1.0);
  in.Stages = OptionalPositive(a, "Stages", "analysis", 10000.0);
  if (a.contains("CorrelationBands")) {
    if (!a["CorrelationBands"].is_boolean())
      throw TCaseFormatError("analysis.CorrelationBands must be true or false");
    in.CorrelationBands = a["CorrelationBands"].get<bool>();
  }
  if (a.contains("Seed")) {
    if (!a["Seed"].is_number_unsigned())
      throw TCaseFormatError("analysis.Seed must be a whole number");
    in.Seed = a["Seed"].get<std::uint64_t>();
  }
  TPackingRecord packing = *parsed.Packing;
  TDocumentAnalysis result;
  if (request.Points) {
    result.Calibration = Calibrate(in.Options, packing, PointsOf(*request.Points));
    result.CalibrationApplied = true;
    packing = CalibratedPacking(packing, *result.Calibration);
    in.HetpFactor = result.Calibration->HetpFactor.value_or(1.0);
  }

  // The built column: the case's rated diameter, else the standard one its design rounds to.
  in.Diameter = parsed.Case.GivenDiameter.value_or(0.0);
  if (const auto d = OptionalPositive(a, "Diameter", "analysis", 100.0)) in.Diameter = *d;
  if (!(in.Diameter > 0.0)) {
    std::string why;
    const TDesignCase design = CaseRun(in.Options, in.Inputs, packing, std::nullopt, false, &why);
    if (!design.Diameter) throw TCaseFormatError("the case cannot be designed: " + why);
    in.Diameter = *design.Diameter;
  }
  if (request.Samples > 0) {
    in.Samples = request.Samples;
    result.Uncertainty = RunUncertainty(in, packing);
    if (!result.Uncertainty->TheoreticalDiameter)
      result.AnalysisError = "no sample could be calculated";
  }
  if (request.Sensitivity) result.Sensitivity = RunSensitivity(in, packing);
  if (!request.Sweep.empty()) {
    const TAnalysisSettings::TSweep w = ParseSweep(request.Sweep);
    result.SweepSettings = w;
    result.Sweep = RunSweep(in, packing, w.Input, w.From, w.To, w.Points);
    for (TSweepPoint& p : result.Sweep)
      if (auto& h = p.Results[size_t(TField::HETPD)]) *h *= in.HetpFactor;
  }
  json out = AnalysisResultJson(result);
  out["Diameter"] = in.Diameter;
  if (out.contains("Uncertainty")) out["Uncertainty"]["Seed"] = in.Seed;
  return out;
}

TAnalysisSettings::TSweep ParseSweep(const std::string& s) {
  // KEY:FROM:TO:N
  const size_t c1 = s.find(':'), c2 = s.find(':', c1 + 1), c3 = s.find(':', c2 + 1);
  if (c1 == std::string::npos || c2 == std::string::npos || c3 == std::string::npos)
    throw TCaseFormatError("--sweep takes KEY:FROM:TO:N");
  const auto number = [&](size_t from, size_t to) {
    const std::string text = s.substr(from, to - from);
    char* end = nullptr;
    const double x = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !std::isfinite(x))
      throw TCaseFormatError("--sweep: \"" + text + "\" is not a number");
    return x;
  };
  TAnalysisSettings::TSweep w;
  w.Input = InputByKey(s.substr(0, c1)).Field;
  const double n = number(c3 + 1, s.size());
  if (n != std::floor(n) || n < 2 || n > kMaximumSweepPoints)
    throw TCaseFormatError("--sweep: N must be a whole number from 2 to " +
                           std::to_string(kMaximumSweepPoints));
  w.From = number(c1 + 1, c2);
  w.To = number(c2 + 1, c3);
  w.Points = static_cast<int>(n);
  w.Result = TField::dpD;
  return w;
}

}  // namespace velm
