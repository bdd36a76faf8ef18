#pragma once
// The case file that stands for a running process-simulator case: a JSON document that lists the
// flowsheet's operations and, for each column operation, its stages with the vapour and the
// liquid leaving each stage. The format is described in the README; in short:
//
//   { "format": "velm-hysys-case", "formatVersion": 1, "title": "...",
//     "operations": [
//       { "name": "T-100", "type": "ColumnOp",
//         "stages": [ { "name": "Condenser",
//                       "vapour": { "massFlow_kg_s": 0, "massDensity_kg_m3": 2.7,
//                                   "viscosity_cP": 0.0089 },
//                       "liquid": { "massFlow_kg_s": 1.4, "massDensity_kg_m3": 812,
//                                   "viscosity_cP": 0.31, "surfaceTension_dyn_cm": 21.2 } },
//                     ... ] },
//       { "name": "P-100", "type": "PumpOp" } ] }
//
// Units are those the simulator answers in: kg/s, kg/m3, cP and dyn/cm.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velm {

struct THysysStream {
  double MassFlow = 0;                   // [kg/s]
  double MassDensity = 0;                // [kg/m3]
  std::optional<double> Viscosity;       // of the stream's own phase [cP]
  std::optional<double> SurfaceTension;  // [dyn/cm]; liquids only
};

struct THysysStage {
  std::string Name;
  THysysStream Vapour, Liquid;
};

struct THysysOperation {
  std::string Name;
  std::string Type;  // "ColumnOp" for a column
  bool IsColumn = false;
  std::vector<THysysStage> Stages;  // column operations only
};

struct THysysCase {
  std::string Title;
  std::vector<THysysOperation> Operations;
};

// Bounds on what a case file may hold; larger files are refused with a message.
struct THysysCaseLimits {
  static constexpr size_t MaxFileSize = 16u << 20;
  static constexpr size_t MaxOperations = 2000;
  static constexpr size_t MaxStages = 2000;
  static constexpr size_t MaxNameLength = 200;
  static constexpr int MaxDepth = 32;
};

// Reads a case file. A missing, oversized or malformed file is a std::runtime_error whose text
// names the file and, for a malformed one, the place and what is wrong.
THysysCase ReadHysysCase(const std::string& path);
THysysCase ParseHysysCase(std::string_view text, const std::string& fileName);

}  // namespace velm
