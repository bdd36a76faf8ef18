#include "base/Decimal.h"

#include <charconv>
#include <cmath>
#include <system_error>

#include "base/Errors.h"

namespace velm {

namespace {
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }
}  // namespace

std::optional<double> ParseNumber(std::string_view s) {
  size_t i = 0;
  const size_t n = s.size();
  bool negative = false;
  if (i < n && (s[i] == '+' || s[i] == '-')) {
    negative = s[i] == '-';
    ++i;
  }
  const size_t body = i;
  size_t intDigits = 0, fracDigits = 0;
  while (i < n && IsDigit(s[i])) ++i, ++intDigits;
  if (i < n && s[i] == '.') {
    ++i;
    while (i < n && IsDigit(s[i])) ++i, ++fracDigits;
  }
  if (intDigits + fracDigits == 0) return std::nullopt;
  if (i < n && (s[i] == 'e' || s[i] == 'E')) {
    ++i;
    if (i < n && (s[i] == '+' || s[i] == '-')) ++i;
    size_t expDigits = 0;
    while (i < n && IsDigit(s[i])) ++i, ++expDigits;
    if (expDigits == 0) return std::nullopt;
  }
  if (i != n) return std::nullopt;

  // from_chars takes no leading '+' and is locale independent; it accepts "5." and ".5".
  std::string_view digits = s.substr(body);
  std::string tmp;
  if (!digits.empty() && digits.front() == '.') {
    tmp = "0";
    tmp += digits;
    digits = tmp;
  }
  double v = 0;
  auto res = std::from_chars(digits.data(), digits.data() + digits.size(), v);
  if (res.ec == std::errc::result_out_of_range) {
    // Underflow to zero is harmless; overflow is not a usable number. from_chars leaves v
    // untouched here, so tell the two apart by the sign of the exponent.
    const size_t epos = digits.find_first_of("eE");
    if (epos == std::string_view::npos || digits.substr(epos + 1).find('-') == std::string_view::npos)
      return std::nullopt;
    v = 0.0;
  } else if (res.ec != std::errc() || res.ptr != digits.data() + digits.size()) {
    return std::nullopt;
  }
  return negative ? -v : v;
}

std::string_view Trim(std::string_view t) {
  while (!t.empty() && IsBlank(t.front())) t.remove_prefix(1);
  while (!t.empty() && IsBlank(t.back())) t.remove_suffix(1);
  return t;
}

double StrToFloat(std::string_view text) {
  if (auto v = ParseNumber(Trim(text))) return *v;
  throw TInputError("“" + std::string(text) + "”不是有效的数值");
}

std::string LeadingNumber(std::string_view text) {
  std::string_view t = Trim(text);
  size_t i = 0;
  while (i < t.size() && (IsDigit(t[i]) || t[i] == '+' || t[i] == '-' || t[i] == '.' ||
                          t[i] == 'e' || t[i] == 'E'))
    ++i;
  return std::string(t.substr(0, i));
}

}  // namespace velm
