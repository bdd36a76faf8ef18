#pragma once
// The table of automation servers by ProgID: the stand-in for the system's class registration
// and its table of running objects.
#include <functional>
#include <string>

#include "automation/Variant.h"

namespace velm {

struct TServerEntry {
  // The running instance of the server; throws a TAutomationError when none is running. Left
  // empty, attaching always fails as for a program that is not running.
  std::function<TVariant()> Attach = {};
  // A new instance; left empty, the server cannot be created.
  std::function<TVariant()> Create = {};
};

// Registers (or replaces) the server known as `name`: a ProgID, or the name of an
// implementation that a class entry of the settings source points to. Names are compared
// without regard to letter case.
void RegisterServer(const std::string& name, TServerEntry entry);
void UnregisterServer(const std::string& name);

// The running instance of `progId`: an automation error when the ProgID is unknown or no
// instance is running. Never starts an instance.
TVariant AttachToRunning(const std::string& progId);

// A new instance of `progId`. A ProgID registered in the program is created directly;
// otherwise the settings source is searched for a class entry
//   CLSID\<id>\ProgID          (default value = progId)
//   CLSID\<id>\InprocServer32  (default value = name of a registered implementation)
// and that implementation is created. Anything else is an automation error.
TVariant CreateInstance(const std::string& progId);

}  // namespace velm
