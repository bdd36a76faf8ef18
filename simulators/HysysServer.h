#pragma once
// The substitute "HYSYS.Application" server: it answers the members the stage import reads
// over a case file (HysysCase.h). A case counts as running while it is named:
//   - by the environment variable VELM_HYSYS_CASE (for scripts and tests), else
//   - by the value "HysysCase" of the key "Simulators" in the settings source (a relative path
//     is taken from the folder of the settings file).
// With neither, attaching fails as it does when the simulator is not started.
//
// Object model (names as the simulator's own; collections count from 0):
//   Application: Version, ActiveDocument, Name
//   Document:    Flowsheet, Title
//   Flowsheet:   Operations([type]) -> collection of operations (all, or those of one type)
//   Collection:  Count, Item(index | name)
//   Operation:   Name, TypeName; a column also ColumnFlowsheet
//   ColumnFlowsheet: ColumnStages -> collection of stages
//   Stage:       Name, SeparationStage -> Vapour, Liquid (streams)
//   Stream:      Name, MassFlow [kg/s], MassDensity [kg/m3], VapourPhase, LightLiquidPhase
//   Phase:       Viscosity [cP], SurfaceTension [dyn/cm]
// Numbers come as real-variable objects whose default value is the number.
#include <memory>
#include <string>

#include "automation/Variant.h"
#include "simulators/HysysCase.h"

namespace velm {

inline constexpr const char* kHysysProgId = "HYSYS.Application";

// The application object over a case held in memory.
TVariant MakeHysysApplication(std::shared_ptr<const THysysCase> hysysCase);

// The case file named now (environment, then settings); empty when none. `problem` gets the
// reason a settings file that exists was not used (TSettings::Problem).
std::string HysysCasePath(std::string* problem = nullptr);

// Registers the substitute under "HYSYS.Application". Attaching reads the named case file
// (again only when the file changed); a file that cannot be read is an automation error with
// the reader's message.
void RegisterHysysServer();

}  // namespace velm
