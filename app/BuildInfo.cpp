#include "app/BuildInfo.h"

#include "base/VelmVersion.h"

namespace velm {

const char* BuildVersion() { return kVelmVersion; }
const char* BuildCommit() { return kVelmCommit; }

}  // namespace velm
