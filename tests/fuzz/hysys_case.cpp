// The HYSYS case file the substitute server reads: any bytes are refused with a message or
// give a case within the reader's bounds.
#include <stdexcept>

#include "FuzzCheck.h"
#include "simulators/HysysCase.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  try {
    velm::ParseHysysCase(velm::fuzz::Bytes(data, size), "case.json");
  } catch (const std::runtime_error& e) {
    FUZZ_CHECK(*e.what() != '\0');
  }
  return 0;
}
