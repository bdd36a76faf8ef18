#pragma once
// Registers the substitute automation servers of the simulators with the automation layer;
// called once at program start.
namespace velm {

void RegisterSimulatorServers();

}  // namespace velm
