// The recent-files list: a list that parses is written and parses to the same list.
#include "FuzzCheck.h"
#include "QtFuzz.h"
#include "base/Errors.h"
#include "project/RecentFiles.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  velm::fuzz::NeedApplication();
  velm::TRecentFiles list;
  try {
    list.Parse(std::string(velm::fuzz::Bytes(data, size)));
  } catch (const velm::TInputError&) {
    return 0;
  }
  const std::string saved = list.Serialize();
  velm::TRecentFiles back;
  back.Parse(saved);
  FUZZ_CHECK(back.Serialize() == saved);
  FUZZ_CHECK(back.Maximum() == list.Maximum() && back.Count() == list.Count());
  return 0;
}
