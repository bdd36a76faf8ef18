#pragma once
// A rating as JSON, for the headless calculator and the batch mode's --json output:
//   input  inputs.Rating = {"Diameter": m, "BedHeight": m (optional),
//                           "Cases": [{"Name": "设计", "LiquidPercent": 100, "GasPercent": 100},
//                                     ...] (optional: the default cases)}
//   output {"Diameter", "BedHeight", "Governing" (index or null), "Cases": [...],
//           "Window": {...} or null}, every value SI or [%].
#include <nlohmann/json.hpp>

#include "core/Rating.h"

namespace velm {

// The rated column and cases of inputs.Rating. Throws TCaseFormatError (cli/CaseJson.h).
struct TRatingRequest {
  double Diameter = 0;
  std::optional<double> BedHeight;
  std::vector<TLoadCase> Cases;
};
TRatingRequest ParseRatingJson(const nlohmann::json& rating);

nlohmann::json RatingJson(const TRating& rating);

}  // namespace velm
