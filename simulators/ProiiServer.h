#pragma once
// The substitute tray-data server. It is registered with the automation layer under the
// implementation name "velm-proii-snapshot"; a class entry of the settings source gives it its
// ProgID, as the system registry does for the simulator's own database server:
//
//   [CLSID\{8D5C2A61-3F0B-4E8A-9C71-2B6D0E4F5A93}\ProgID]
//   @=SimSciDbs.Database.100
//   [CLSID\{8D5C2A61-3F0B-4E8A-9C71-2B6D0E4F5A93}\InprocServer32]
//   @=velm-proii-snapshot
//
// Object model (members by name, arguments as the tray import passes them):
//   Server:   Initialize, SetOption(name, value), OpenDatabase(path) -> database
//   Database: Status, GetObjectCount("Column"), GetObjectNames("Column", index),
//             CalculateUnitProps(column), ActivateObject(class, name), CreateObject("Stream",
//             name), CopyTrayToStream(column, tray, phase 2 = liquid | 1 = vapour, 0, 2,
//             stream), CalculateStreamProps(stream), DeleteObject("Stream", name)
//   Objects by class: "Column" (NumberOfTrays, RefluxRatio, NumberOfHeaters, HeaterNames(i),
//             HeaterDuties(i)), "ColumnIn" (CurrentFeeds, FeedTrays(i)), "Stream"
//             (Temperature, Pressure, TotalMolarRate), "SrBulkProp" (Liq... or Vap...
//             properties of the phase the stream holds), each read with GetAttribute(name[, i]).
// Every value is SI: K, Pa, kmol/s, kg/kmol, kg/m3, Pa s, N/m, W/(m K), W.
#include "automation/Variant.h"

namespace velm {

inline constexpr const char* kProiiServerName = "velm-proii-snapshot";

// A new server object (what creating the registered class gives).
TVariant MakeProiiServer();

void RegisterProiiServer();

}  // namespace velm
