#pragma once
// Text encodings at the file boundary. Inside the program every text is UTF-8; files that hold
// Chinese text in GB2312 are decoded and encoded here (as GB18030, a superset of GB2312 and GBK
// that can also encode every other character, so saving never loses text).
#include <string>
#include <string_view>

namespace velm {

// Decodes GB2312/GBK/GB18030 bytes to UTF-8. Undecodable bytes become U+FFFD.
std::string GbToUtf8(std::string_view bytes);

// True when the bytes are GB2312/GBK/GB18030 text that decodes without a replacement (and so
// encodes back to the same bytes).
bool IsGbText(std::string_view bytes);

// Encodes UTF-8 text as GB18030 (identical to GB2312 for every GB2312 character).
// Invalid UTF-8 input bytes are replaced by '?'.
std::string Utf8ToGb(std::string_view text);

// True when the text is valid UTF-8 (and so encodes to GB18030 and back unchanged).
bool IsUtf8Text(std::string_view text);

// The first n characters (not bytes) of a UTF-8 text; the whole text when it is shorter.
std::string Utf8Left(std::string_view text, size_t n);

}  // namespace velm
