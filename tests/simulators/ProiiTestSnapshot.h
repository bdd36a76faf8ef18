#pragma once
// Small snapshot files for the tray-import tests.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <string>
#include <vector>

namespace velm::test {

struct TTestColumn {
  std::string Name;
  int Trays = 3;
  std::vector<int> Feeds;
  std::vector<std::pair<std::string, double>> Heaters;
};

// Tray n: liquid at 300.15 + n K, 0.5 kmol/s of molecular weight 18; vapour 0.25 kmol/s of 29.
inline std::string SnapshotJson(const std::vector<TTestColumn>& columns, int status = 0) {
  std::string s = R"({"format":"velm-proii-snapshot","formatVersion":1,"status":)" +
                  std::to_string(status) + R"(,"columns":[)";
  for (size_t c = 0; c < columns.size(); ++c) {
    const TTestColumn& col = columns[c];
    s += (c ? "," : "") + std::string(R"({"name":")") + col.Name + R"(","numberOfTrays":)" +
         std::to_string(col.Trays) + R"(,"refluxRatio":2.5,"heaters":[)";
    for (size_t i = 0; i < col.Heaters.size(); ++i)
      s += (i ? "," : "") + std::string(R"({"name":")") + col.Heaters[i].first + R"(","duty_W":)" +
           std::to_string(col.Heaters[i].second) + "}";
    s += R"(],"feeds":[)";
    for (size_t i = 0; i < col.Feeds.size(); ++i)
      s += (i ? "," : "") + std::string(R"({"tray":)") + std::to_string(col.Feeds[i]) + "}";
    s += R"(],"trays":[)";
    for (int t = 1; t <= col.Trays; ++t) {
      const std::string temp = std::to_string(300 + t) + ".15";
      s += (t > 1 ? "," : "") + std::string(R"({"tray":)") + std::to_string(t) +
           R"(,"liquid":{"temperature_K":)" + temp +
           R"(,"pressure_Pa":101325,"molarRate_kmol_s":0.5,"molecularWeight_kg_kmol":18,)"
           R"("density_kg_m3":958,"viscosity_Pa_s":0.00028,"surfaceTension_N_m":0.0589,)"
           R"("thermalConductivity_W_mK":0.68},"vapour":{"temperature_K":)" +
           temp +
           R"(,"pressure_Pa":101325,"molarRate_kmol_s":0.25,"molecularWeight_kg_kmol":29,)"
           R"("density_kg_m3":0.95,"viscosity_Pa_s":0.0000215,"thermalConductivity_W_mK":0.031}})";
    }
    s += "]}";
  }
  return s + "]}";
}

inline QString WriteFile(const QTemporaryDir& dir, const QString& name, const std::string& text) {
  const QString path = QDir(dir.path()).filePath(name);
  QFile f(path);
  if (f.open(QIODevice::WriteOnly)) f.write(text.data(), static_cast<qint64>(text.size()));
  return path;
}

// Settings that register the snapshot server under the given ProgID.
inline std::string ServerSettings(const std::string& progId) {
  return "[CLSID\\{1}\\ProgID]\n@=" + progId +
         "\n[CLSID\\{1}\\InprocServer32]\n@=velm-proii-snapshot\n";
}

}  // namespace velm::test
