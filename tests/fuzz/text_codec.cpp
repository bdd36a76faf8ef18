// The GB2312/GB18030 codec: decoding gives valid UTF-8 that encodes and decodes to itself, and
// text that decodes cleanly encodes back to the same bytes.
#include "FuzzCheck.h"
#include "base/TextCodec.h"

namespace {

bool ValidUtf8(std::string_view s) {
  for (size_t i = 0; i < s.size();) {
    const auto c = static_cast<unsigned char>(s[i]);
    const size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    if (n == 0 || i + n > s.size()) return false;
    for (size_t k = 1; k < n; ++k)
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    i += n;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes = velm::fuzz::Bytes(data, size);
  const std::string utf8 = velm::GbToUtf8(bytes);
  FUZZ_CHECK(ValidUtf8(utf8));
  FUZZ_CHECK(velm::GbToUtf8(velm::Utf8ToGb(utf8)) == utf8);
  if (velm::IsGbText(bytes)) FUZZ_CHECK(velm::Utf8ToGb(utf8) == bytes);
  // The same bytes taken as UTF-8 text to be saved.
  velm::GbToUtf8(velm::Utf8ToGb(bytes));
  const std::string left = velm::Utf8Left(utf8, size % 7);
  FUZZ_CHECK(utf8.compare(0, left.size(), left) == 0 && ValidUtf8(left));
  return 0;
}
