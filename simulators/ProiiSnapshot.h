#pragma once
// The simulation snapshot that the substitute tray-data server opens: a JSON document with the
// column units of a converged simulation, their column data and, per tray, the liquid and the
// vapour leaving it. All values in SI. The format is described in the README; in short:
//
//   { "format": "velm-proii-snapshot", "formatVersion": 1, "title": "...", "status": 0,
//     "columns": [
//       { "name": "T1", "numberOfTrays": 22, "refluxRatio": 2.1,
//         "heaters": [ { "name": "CONDENSER", "duty_W": -2.4e6 }, ... ],
//         "feeds": [ { "name": "FEED", "tray": 11 }, ... ],
//         "trays": [ { "tray": 1,
//                      "liquid": { "temperature_K": 355.2, "pressure_Pa": 103300,
//                                  "molarRate_kmol_s": 0.0366, "molecularWeight_kg_kmol": 78.6,
//                                  "density_kg_m3": 812.8, "viscosity_Pa_s": 3.06e-4,
//                                  "surfaceTension_N_m": 0.0209,
//                                  "thermalConductivity_W_mK": 0.128 },
//                      "vapour": { ... the same; surfaceTension_N_m may be left out } },
//                    ... one entry for every tray 1 ... numberOfTrays ] } ] }
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace velm {

struct TProiiPhase {
  double Temperature = 0;      // [K]
  double Pressure = 0;         // [Pa]
  double MolarRate = 0;        // [kmol/s]
  double MolecularWeight = 0;  // [kg/kmol]
  double Density = 0;          // [kg/m3]
  double Viscosity = 0;        // [Pa s]
  double SurfaceTension = 0;   // [N/m]
  double ThermalCond = 0;      // [W/(m K)]
};

struct TProiiTray {
  TProiiPhase Liquid, Vapour;
};

struct TProiiHeater {
  std::string Name;
  double Duty = 0;  // [W]
};

struct TProiiFeed {
  std::string Name;
  int Tray = 0;
};

struct TProiiColumn {
  std::string Name;
  int NumberOfTrays = 0;
  double RefluxRatio = 0;
  std::vector<TProiiHeater> Heaters;
  std::vector<TProiiFeed> Feeds;
  std::vector<TProiiTray> Trays;  // tray n at position n - 1
};

struct TProiiSnapshot {
  std::string Title;
  int Status = 0;  // above 0: the simulation recorded errors or warnings
  std::vector<TProiiColumn> Columns;
};

struct TProiiSnapshotLimits {
  static constexpr size_t MaxFileSize = 16u << 20;
  static constexpr size_t MaxColumns = 500;
  static constexpr int MaxTrays = 1000;
  static constexpr size_t MaxHeaters = 100;
  static constexpr size_t MaxFeeds = 100;
  static constexpr size_t MaxNameLength = 200;
  static constexpr int MaxDepth = 32;
};

// Reads a snapshot. A file that is not a snapshot (a simulator's own binary file), an oversized
// or a malformed one is a std::runtime_error naming the file and, where it applies, the place.
TProiiSnapshot ReadProiiSnapshot(const std::string& path);
TProiiSnapshot ParseProiiSnapshot(std::string_view text, const std::string& fileName);

}  // namespace velm
