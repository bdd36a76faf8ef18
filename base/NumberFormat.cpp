#include "base/NumberFormat.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace velm {

std::string FormatGeneral(double value, int precision, int minExpDigits) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  if (precision < 1) precision = 1;
  if (precision > 18) precision = 18;

  // Correctly rounded scientific form "d.ddddde[+-]xx" (to_chars rounds the exact binary value).
  char buf[64];
  auto res =
      std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, precision - 1);
  std::string_view sci(buf, static_cast<size_t>(res.ptr - buf));

  bool negative = false;
  if (!sci.empty() && sci.front() == '-') {
    negative = true;
    sci.remove_prefix(1);
  }
  size_t epos = sci.find('e');
  std::string_view mant = sci.substr(0, epos);
  int exp10 = std::atoi(std::string(sci.substr(epos + 1)).c_str());

  std::string digits;
  digits.reserve(20);
  for (char c : mant)
    if (c != '.') digits.push_back(c);
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

  if (digits == "0") return "0";

  std::string out;
  out.reserve(32);
  if (negative) out.push_back('-');
  const int e = exp10 + 1;  // value = 0.d1d2... x 10^e
  const int n = static_cast<int>(digits.size());
  if (e >= -3 && e <= precision) {
    if (e <= 0) {
      out += "0.";
      out.append(static_cast<size_t>(-e), '0');
      out += digits;
    } else if (n <= e) {
      out += digits;
      out.append(static_cast<size_t>(e - n), '0');
    } else {
      out.append(digits, 0, static_cast<size_t>(e));
      out.push_back('.');
      out.append(digits, static_cast<size_t>(e), std::string::npos);
    }
  } else {
    out.push_back(digits[0]);
    if (n > 1) {
      out.push_back('.');
      out.append(digits, 1, std::string::npos);
    }
    out.push_back('E');
    int x = e - 1;
    if (x < 0) {
      out.push_back('-');
      x = -x;
    }
    std::string xs = std::to_string(x);
    if (static_cast<int>(xs.size()) < minExpDigits)
      out.append(static_cast<size_t>(minExpDigits) - xs.size(), '0');
    out += xs;
  }
  return out;
}

std::string DisplayFormatCode(double value, int precision) {
  const std::string text = FormatGeneral(value, precision);
  const std::size_t e = text.find('E');
  const std::string mantissa = text.substr(0, e);
  const std::size_t point = mantissa.find('.');
  const std::size_t decimals = point == std::string::npos ? 0 : mantissa.size() - point - 1;
  std::string code = decimals ? "0." + std::string(decimals, '0') : "0";
  if (e != std::string::npos) code += "E+00";
  return code;
}

}  // namespace velm
