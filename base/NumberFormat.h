#pragma once
// The general number format used for every number text the system writes.
//
// The value is rounded correctly to `precision` significant digits and trailing zeros are
// dropped. Written as 0.d1d2... x 10^e, fixed notation is used when -3 <= e <= precision,
// otherwise scientific notation: first digit, ".", remaining digits if any, "E", "-" for a
// negative exponent (no sign for a positive one) and the exponent padded with zeros to at least
// `minExpDigits` digits. Examples (precision 15): 0.0001 -> "0.0001", 0.00001 -> "1E-5",
// 1E16 -> "1E16". Never depends on the C locale; "." is the decimal point.
#include <string>

namespace velm {

std::string FormatGeneral(double value, int precision, int minExpDigits = 0);

// The spreadsheet number format that shows `value` as FormatGeneral(value, precision) writes it:
// as many decimals as that text has ("0", "0.000"), or the scientific form with as many digits
// after the point ("0.00E+00"). A cell keeps the full value and shows this rounding.
std::string DisplayFormatCode(double value, int precision);

// Field texts: 15 significant digits.
inline std::string FormatField(double value) { return FormatGeneral(value, 15, 0); }

}  // namespace velm
