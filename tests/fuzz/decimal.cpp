// Decimal parsing and the general number format: whatever parses comes back from its 17-digit
// text as the same double, and every text the format writes parses.
#include "base/Decimal.h"

#include <cmath>

#include "FuzzCheck.h"
#include "base/NumberFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text = velm::fuzz::Bytes(data, size);
  const auto v = velm::ParseNumber(text);
  velm::LeadingNumber(text);
  if (!v) return 0;
  FUZZ_CHECK(std::isfinite(*v));
  const auto exact = velm::ParseNumber(velm::FormatGeneral(*v, 17));
  FUZZ_CHECK(exact && (*exact == *v || (*v == 0 && *exact == 0)));
  for (int precision : {15, 7, 4}) {
    const auto shown = velm::ParseNumber(velm::FormatGeneral(*v, precision));
    FUZZ_CHECK(shown && std::isfinite(*shown));
  }
  return 0;
}
