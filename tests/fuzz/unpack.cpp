// The compressed layout: whatever inflates stays within the bound, and a text packed by the
// writer unpacks to itself.
#include "FuzzCheck.h"
#include "project/FormRecord.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes = velm::fuzz::Bytes(data, size);
  const velm::TUnpacked u = velm::Unpack(bytes);
  if (u.FLayout == velm::TRecordLayout::Compressed) {
    FUZZ_CHECK(u.FText.size() <= velm::kMaxRecordTextSize);
  } else {
    FUZZ_CHECK(u.FText == bytes);
  }
  if (bytes.size() > velm::kMaxRecordTextSize) return 0;
  const velm::TUnpacked again = velm::Unpack(velm::PackRecordText(bytes));
  FUZZ_CHECK(again.FLayout == velm::TRecordLayout::Compressed && again.FText == bytes);
  return 0;
}
