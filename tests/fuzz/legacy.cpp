// Legacy positional files: the shape test decides; a file of the legacy shape is applied, and
// the project written from it reads back to the same state.
#include "FuzzCheck.h"
#include "QtFuzz.h"
#include "project/FormRecord.h"
#include "project/LegacyProject.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto& a = velm::fuzz::Form(0);
  auto& b = velm::fuzz::Form(1);
  const std::string bytes(velm::fuzz::Bytes(data, size));
  if (velm::LegacyShapeProblem(bytes)) return 0;
  velm::ApplyLegacyProject(&a, bytes);
  const std::string saved = velm::BuildRecordText(&a);
  FUZZ_CHECK(velm::ApplyRecordText(&b, saved));
  FUZZ_CHECK(velm::BuildRecordText(&b) == saved);
  return 0;
}
