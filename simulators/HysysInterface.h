#pragma once
// The stage import from a running process-simulator case, over the late-bound automation layer.
//
// GetHysysStageData produces the stage-data list, ten lines in this order:
//   "MaxVNo=" stage of the gas-side values, "Fv=" vapour mass flow [kg/s],
//   "Dv=" vapour density [kg/m3], "Vv=" vapour viscosity [Pa s], "  " (separator),
//   "MaxLNo=" stage of the liquid-side values, "Fl=" liquid mass flow [kg/s],
//   "Dl=" liquid density [kg/m3], "Vl=" liquid viscosity [Pa s], "Sl=" surface tension [N/m].
// The simulator answers viscosity in cP and surface tension in dyn/cm; both are divided by 1000.
#include <string>
#include <vector>

#include "automation/Variant.h"
#include "core/Column.h"
#include "simulators/SimulatorLists.h"

namespace velm {

// The running simulator application; empty until the first successful attach, replaced by
// every attach, released by ReleaseHysys at program end.
extern TVariant HysysApp;

// Attaches to the running "HYSYS.Application" and reads its Version. On any failure shows
// "Hysys错误！" (the reason beneath it) and returns false; a failed attach keeps the previous
// reference.
bool ConnectHysys();

// Appends the names of the active case's column operations to `list`, each name once (names
// compared without regard to letter case). False, with the list unchanged, when no connection
// could be made. Errors of later calls pass on to the caller; names appended so far stay.
bool GetHysysColumns(TStrings& list);

// Reads the stage data of column `columnName`: stage `stageIndex` of its stage collection, or,
// when negative, the stages 1 ... n-2 with the largest vapour flow (gas side) and the largest
// liquid flow (liquid side). Appends the ten lines to `list` (when given) only after every read
// succeeded. Writes nothing when no connection could be made; other errors pass on.
void GetHysysStageData(const std::string& columnName, int stageIndex, TStrings* list);

// Every stage of column `columnName`, in the order of its stage collection: the vapour and
// liquid leaving each, SI (viscosities and surface tension converted as above). A stage whose
// phase has no flow keeps zeros for it. Empty when no connection could be made; other errors
// pass on.
std::vector<TStageLoads> GetHysysColumnStages(const std::string& columnName);

void ReleaseHysys();

}  // namespace velm
