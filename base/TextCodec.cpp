#include "base/TextCodec.h"

#include <iconv.h>

#include <cerrno>
#include <stdexcept>

namespace velm {

namespace {

// Converts the whole input at once (stateless: an incomplete last sequence is replaced, never
// silently kept back). `replacement` stands in for every input byte that cannot be converted.
std::string Convert(const char* to, const char* from, std::string_view in,
                    std::string_view replacement) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1))
    throw std::runtime_error(std::string("iconv cannot convert ") + from + " to " + to);
  std::string out;
  out.reserve(in.size() * 2 + 8);
  char* inPtr = const_cast<char*>(in.data());
  size_t inLeft = in.size();
  char buf[4096];
  while (inLeft > 0) {
    char* outPtr = buf;
    size_t outLeft = sizeof buf;
    size_t r = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    out.append(buf, static_cast<size_t>(outPtr - buf));
    if (r == static_cast<size_t>(-1)) {
      if (errno == E2BIG) continue;
      // EILSEQ or EINVAL (truncated sequence): replace one byte and go on.
      out += replacement;
      ++inPtr;
      --inLeft;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
  }
  char* outPtr = buf;
  size_t outLeft = sizeof buf;
  iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
  out.append(buf, static_cast<size_t>(outPtr - buf));
  iconv_close(cd);
  return out;
}

}  // namespace

std::string Utf8Left(std::string_view text, size_t n) {
  size_t i = 0;
  for (size_t count = 0; i < text.size() && count < n; ++count) {
    ++i;
    // Continuation bytes 10xxxxxx belong to the character just started.
    while (i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) ++i;
  }
  return std::string(text.substr(0, i));
}

std::string GbToUtf8(std::string_view bytes) {
  return Convert("UTF-8", "GB18030", bytes, "\xEF\xBF\xBD");
}

bool IsGbText(std::string_view bytes) { return Utf8ToGb(GbToUtf8(bytes)) == bytes; }

bool IsUtf8Text(std::string_view text) { return GbToUtf8(Utf8ToGb(text)) == text; }

std::string Utf8ToGb(std::string_view text) { return Convert("GB18030", "UTF-8", text, "?"); }

}  // namespace velm
