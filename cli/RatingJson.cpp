#include "cli/RatingJson.h"

#include <cmath>

#include "cli/CaseJson.h"
#include "cli/JsonParse.h"

namespace velm {

namespace {

using json = nlohmann::json;

double PositiveNumber(const json& j, const char* key) {
  if (!j.contains(key) || !j[key].is_number() || !(j[key].get<double>() > 0.0) ||
      !std::isfinite(j[key].get<double>()))
    throw TCaseFormatError(std::string("inputs.Rating.") + key + " must be a positive number");
  return j[key].get<double>();
}

}  // namespace

TRatingRequest ParseRatingJson(const json& rating) {
  if (!rating.is_object()) throw TCaseFormatError("inputs.Rating must be an object");
  for (auto it = rating.begin(); it != rating.end(); ++it)
    if (it.key() != "Diameter" && it.key() != "BedHeight" && it.key() != "Cases")
      throw TCaseFormatError("unknown key inputs.Rating." + it.key());
  TRatingRequest r;
  r.Diameter = PositiveNumber(rating, "Diameter");
  if (rating.contains("BedHeight") && !rating["BedHeight"].is_null())
    r.BedHeight = PositiveNumber(rating, "BedHeight");
  if (!rating.contains("Cases") || rating["Cases"].is_null()) {
    r.Cases = DefaultLoadCases();
    return r;
  }
  if (!rating["Cases"].is_array() || rating["Cases"].empty())
    throw TCaseFormatError("inputs.Rating.Cases must be a non-empty array");
  for (const json& c : rating["Cases"]) {
    if (!c.is_object() || !c.contains("Name") || !c["Name"].is_string())
      throw TCaseFormatError("each of inputs.Rating.Cases needs a \"Name\" text");
    TLoadCase lc;
    lc.Name = c["Name"].get<std::string>();
    lc.LiquidPercent = c.contains("LiquidPercent") ? PositiveNumber(c, "LiquidPercent") : 100.0;
    lc.GasPercent = c.contains("GasPercent") ? PositiveNumber(c, "GasPercent") : 100.0;
    r.Cases.push_back(std::move(lc));
  }
  return r;
}

json RatingJson(const TRating& rating) {
  json cases = json::array();
  for (const TCaseRating& c : rating.Cases) {
    json j = {{"Name", c.Case.Name},
              {"LiquidPercent", c.Case.LiquidPercent},
              {"GasPercent", c.Case.GasPercent},
              {"LiquidFlow", c.LiquidFlow},
              {"GasFlow", c.GasFlow},
              {"error", c.Rated ? json(nullptr) : json(c.Error)}};
    if (c.Rated) {
      j.update({{"GasLoad", c.GasLoad},
                {"LiquidLoad", c.LiquidLoad},
                {"FloodVelocity", c.FloodVelocity},
                {"FloodPercent", c.FloodPercent},
                {"FloodPercentConstantLiquid", Opt(c.FloodPercentConstantLiquid)},
                {"PressureDrop", c.PressureDrop},
                {"FloodPressureDrop", c.FloodPressureDrop},
                {"PressureDropPercent", c.PressureDropPercent},
                {"Fs", c.Fs},
                {"FsFlood", c.FsFlood},
                {"CapacityFactor", c.CapacityFactor},
                {"CapacityFactorFlood", c.CapacityFactorFlood},
                {"LoadingPercent", Opt(c.LoadingPercent)},
                {"Holdup", c.Holdup},
                {"WettingPercent", c.WettingPercent},
                {"HETP", Opt(c.HETP)},
                {"BedPressureDrop", Opt(c.BedPressureDrop)},
                {"Stages", Opt(c.Stages)}});
      json findings = json::array();
      for (const TFinding& f : c.Findings) findings.push_back({{"code", f.Code}, {"text", f.Text}});
      j["findings"] = findings;
    }
    cases.push_back(std::move(j));
  }
  json window = nullptr;
  if (const auto& w = rating.Window) {
    json line = json::array();
    for (const auto& p : w->Line) line.push_back({p[0], p[1], p[2]});
    window = {{"Flood", w->Flood},
              {"MaximumOperational", w->MaximumOperational},
              {"Loading", Opt(w->Loading)},
              {"PressureDrop", Opt(w->PressureDrop)},
              {"MinimumWetting", w->MinimumWetting},
              {"MinimumGas", w->MinimumGas},
              {"Maximum", w->Maximum},
              {"MaximumBy", w->MaximumBy},
              {"Minimum", w->Minimum},
              {"MinimumBy", w->MinimumBy},
              {"Turndown", w->Turndown},
              {"Line", line}};
  }
  return {{"Diameter", rating.Diameter},
          {"BedHeight", Opt(rating.BedHeight)},
          {"Governing", rating.Governing >= 0 ? json(rating.Governing) : json(nullptr)},
          {"Cases", cases},
          {"Window", window}};
}

}  // namespace velm
