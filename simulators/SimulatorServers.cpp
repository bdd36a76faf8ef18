#include "simulators/SimulatorServers.h"

#include "simulators/HysysServer.h"

namespace velm {

void RegisterSimulatorServers() { RegisterHysysServer(); }

}  // namespace velm
