#pragma once
// How sure a design case is, for the headless calculator (core/Analysis.h):
//   --calibrate POINTS.json  the plant points {"points": [{"Name", "inputs": {...}, "Diameter" m,
//                            "PressureDrop" Pa/m, "BedHeight" m, "Stages"}]} fit the packing
//                            factor and an HETP multiplier; the analyses below then use them
//   --uncertainty N          N Monte Carlo samples: P10/P50/P90 and the chance of flooding
//   --sensitivity            each input moved by its band (10 % where it has none)
//   --sweep KEY:FROM:TO:N    the input KEY (a JSON input key, SI) over N points
// The case document's "analysis" object sets the bands: {"Bands": {"LiquidDensity": 0.05, ...},
// "PackingFactorBand": 0.2, "Stages": 10, "Diameter" (the built column [m]; default the case's
// rated diameter, else its designed standard one), "CorrelationBands": true, "Seed": 1}.
#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "core/DesignDocument.h"

namespace velm {

struct TAnalysisRequest {
  std::optional<nlohmann::json> Points;  // the calibration's plant points
  int Samples = 0;                       // 0: no uncertainty
  bool Sensitivity = false;
  std::string Sweep;  // "KEY:FROM:TO:N"; empty: none
};

// Throws TCaseFormatError (cli/CaseJson.h) for a document, a point or a request that cannot be
// read; "error" in the result is null when every analysis asked for was made.
nlohmann::json RunAnalysisJson(const nlohmann::json& input, const TAnalysisRequest& request);

// What a run made of the calibration and analyses, as JSON ("Calibration", "Uncertainty",
// "Sensitivity", "Sweep", each present when made, and "error").
nlohmann::json AnalysisResultJson(const TDocumentAnalysis& a);

// "KEY:FROM:TO:N" (KEY a JSON input key, SI values): the sweep it asks for (the chart's result the
// theoretical diameter). Throws TCaseFormatError naming what does not read.
TAnalysisSettings::TSweep ParseSweep(const std::string& text);

// The plant points of a calibration file, {"points": [{"Name", "inputs": {...}, "Diameter",
// "PressureDrop", "BedHeight", "Stages"}]}. Throws TCaseFormatError.
std::vector<TPlantPoint> PointsOf(const nlohmann::json& doc);

}  // namespace velm
