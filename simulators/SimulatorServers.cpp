#include "simulators/SimulatorServers.h"

#include "simulators/HysysServer.h"
#include "simulators/PROIIInterface.h"
#include "simulators/ProiiServer.h"

namespace velm {

void RegisterSimulatorServers() {
  RegisterHysysServer();
  RegisterProiiServer();
  // The tray import looks its server's version up once, at start.
  StartProiiInterface();
}

}  // namespace velm
