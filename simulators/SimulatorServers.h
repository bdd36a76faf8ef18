#pragma once
// Registers the substitute automation servers of the simulators with the automation layer and
// runs the start-up of the tray import (its server version); called once at program start.
namespace velm {

void RegisterSimulatorServers();

}  // namespace velm
