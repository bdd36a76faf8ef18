#include "base/Decimal.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

#include "base/Errors.h"

namespace velm {

namespace {
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

// The power of ten of the first non-zero digit of a number text in the syntax above, without
// sign ("123.4" 2, "0.05" -2, "1e-5" -5); the exponent saturates far beyond any double.
long long DecimalMagnitude(std::string_view t) {
  const size_t epos = t.find_first_of("eE");
  const std::string_view mantissa = t.substr(0, epos);
  long long exponent = 0;
  if (epos != std::string_view::npos) {
    std::string_view e = t.substr(epos + 1);
    const bool negative = !e.empty() && e.front() == '-';
    if (!e.empty() && (e.front() == '-' || e.front() == '+')) e.remove_prefix(1);
    for (char c : e) exponent = std::min<long long>(exponent * 10 + (c - '0'), 1'000'000'000);
    if (negative) exponent = -exponent;
  }
  const size_t point = std::min(mantissa.find('.'), mantissa.size());
  for (size_t i = 0; i < mantissa.size(); ++i) {
    if (mantissa[i] < '1' || mantissa[i] > '9') continue;
    const long long place =
        i < point ? static_cast<long long>(point - i - 1) : -static_cast<long long>(i - point);
    return place + exponent;
  }
  return std::numeric_limits<long long>::min();  // zero
}
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
    // untouched here, so tell the two apart by the decimal magnitude of the text: a long run of
    // digits with a negative exponent ("123…(400 digits)e-10") is still far beyond double.
    if (DecimalMagnitude(digits) >= 0) return std::nullopt;
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

std::vector<std::string_view> Split(std::string_view text, char by) {
  std::vector<std::string_view> parts;
  size_t start = 0;
  for (;;) {
    const size_t end = text.find(by, start);
    parts.push_back(text.substr(start, end == std::string_view::npos ? end : end - start));
    if (end == std::string_view::npos) return parts;
    start = end + 1;
  }
}

std::string RecordText(std::string name) {
  for (char& c : name)
    if (c == ',' || c == ';') c = ' ';
  return name;
}

double StrToFloat(std::string_view text) {
  if (auto v = ParseNumber(Trim(text))) return *v;
  throw TInputError("“" + std::string(text) + "”不是有效的数值");
}

std::string LeadingNumber(std::string_view text) {
  std::string_view t = Trim(text);
  size_t i = 0;
  while (i < t.size() &&
         (IsDigit(t[i]) || t[i] == '+' || t[i] == '-' || t[i] == '.' || t[i] == 'e' || t[i] == 'E'))
    ++i;
  return std::string(t.substr(0, i));
}

}  // namespace velm
