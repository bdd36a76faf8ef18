#pragma once
// A whole column as JSON, for the headless calculator:
//   input  {"column": {
//             "stages": [{"Name": "1", "LiquidFlow": kg/s, "LiquidDensity", "LiquidViscosity",
//                         "SurfaceTension", "GasFlow", "GasDensity", "GasViscosity",
//                         optional "LiquidDiffusivity", "GasDiffusivity", "Lambda"}, ...],
//             "sections": [{"Name": "精馏段", "First": 0, "Last": 9, "Diameter": m | null,
//                           "inputs": {...}, "packing": [...]}, ...],
//             "beds": {"DesignFactor": 1.2, "StagesPerBed": 10, "MaximumBedHeight": 6,
//                      "RedistributorHeight": 1} (optional)}}
//          A section's "inputs" and "packing" are those of a case (cli/CaseJson.h): its options
//          (method, design %, foaming factor, basis, service) and the values its stages leave out.
//          A column has at least one section; a section's stages are indices into "stages".
//   output {"Sections": [{Name, Designed, Diameter, DesignStage, Governing, PressureDrop, Beds,
//           error, Stages: [{Stage, Name, FloodPercent, PressureDrop, WettingPercent, HETP,
//           Height, error, findings}]}], "PressureDrop", "PackedHeight", "Height", "error"}
#include <nlohmann/json.hpp>

namespace velm {

struct TColumnInput;
struct TColumnResult;

// The column a document describes; throws TCaseFormatError (cli/CaseJson.h) for a document that
// cannot be a column.
TColumnInput ParseColumnJson(const nlohmann::json& input);
// The output object of a rated column; error: the first stage or section without a result.
nlohmann::json ColumnResultJson(const TColumnResult& result);
// Both: parsed, rated and written.
nlohmann::json RunColumnJson(const nlohmann::json& input);

}  // namespace velm
