// Form-record text: a text that reads is applied; the state written from the window then reads
// into a second window and writes the same text again (what is saved reads back the same).
#include "FuzzCheck.h"
#include "QtFuzz.h"
#include "base/Errors.h"
#include "project/FormRecord.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto& a = velm::fuzz::Form(0);
  auto& b = velm::fuzz::Form(1);
  try {
    if (!velm::ApplyRecordText(&a, velm::fuzz::Bytes(data, size))) return 0;
  } catch (const velm::TInputError&) {
    return 0;
  }
  const std::string saved = velm::BuildRecordText(&a);
  FUZZ_CHECK(velm::ApplyRecordText(&b, saved));
  FUZZ_CHECK(velm::BuildRecordText(&b) == saved);
  return 0;
}
