#pragma once
// The tray import from a simulation file, over the simulator's database server reached through
// the late-bound automation layer.
//
// Column-data list (GetProiiColumnData): "NumberOfTrays=", "RefluxRatio=", one line per heater
// (its name "=" its duty), one line per feed ("FeedT0=" the tray of the first feed, ...).
// Tray-data list (GetProiiTrayData): seventeen lines, the liquid's temperature [°C] and pressure,
// then the liquid's and the vapour's density, viscosity, surface tension, thermal conductivity,
// molar rate and mass rate (molar rate x molecular weight), under three header lines. All
// values as the server gives them (SI) except the temperature.
#include <string>
#include <vector>

#include "automation/Variant.h"
#include "core/Column.h"
#include "simulators/SimulatorLists.h"

namespace velm {

inline constexpr const char* kProiiProgIdPrefix = "SimSciDbs.Database.";

// Module state.
extern std::string ProiiServerVersion;  // at most four characters
extern TVariant ProiiServer;
extern TVariant ProiiDatabase;
extern bool ProiiConnected;
extern TStringList ProiiColumnData;

// The version suffix of the first class entry (in the settings source's order) whose ProgID
// begins with "SimSciDbs.Database.": up to four characters after the prefix; empty when none.
std::string FindProiiServerVersion();
// Module start: looks the suffix up once and keeps it in ProiiServerVersion.
void StartProiiInterface();

// Creates and initialises a new server (after initialising and releasing an old one). On
// failure shows "PROII错误！" and returns false.
bool ConnectProii();
// Opens the simulation file; a file with errors or warnings recorded in it is reported with
// "模拟文件包含错误/警告信息！" and stays open. Server errors pass on to the caller.
void OpenProiiDatabase(const std::string& path);
void GetProiiColumns(const TVariant& database, TStrings& list);
void GetProiiColumnData(const TVariant& database, const std::string& column, TStrings& list);
void GetProiiTrayData(const TVariant& database, const std::string& column, int tray,
                      TStrings& list);
// The number after "=" of the first line whose name matches without regard to letter case; a
// missing name converts empty text and fails with the invalid-number error.
double GetListValue(const TStrings& list, const std::string& name);

// Every tray of `column` (1 to NumberOfTrays) as stage loads, read as GetProiiTrayData reads one,
// named by its number ("Condenser" and "Reboiler" for the first and last tray of a column with
// heaters so named), and the trays its feeds enter (from its column data). Server errors pass on.
struct TProiiColumnStages {
  std::vector<TStageLoads> Stages;
  std::vector<int> FeedTrays;
};
TProiiColumnStages GetProiiColumnStages(const TVariant& database, const std::string& column);

// Lets go of the database and the server (the dialog does this when it closes).
void ReleaseProii();

}  // namespace velm
