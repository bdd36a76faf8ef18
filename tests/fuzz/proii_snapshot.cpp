// The PRO/II snapshot file the substitute database server reads: any bytes are refused with a
// message or give a snapshot.
#include <stdexcept>

#include "FuzzCheck.h"
#include "simulators/ProiiSnapshot.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  try {
    velm::ParseProiiSnapshot(velm::fuzz::Bytes(data, size), "snapshot.prz");
  } catch (const std::runtime_error& e) {
    FUZZ_CHECK(*e.what() != '\0');
  }
  return 0;
}
