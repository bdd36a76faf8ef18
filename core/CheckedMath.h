#pragma once
// Arithmetic that fails loudly. C++ raises nothing by itself on a logarithm of a non-positive
// number, a root of a negative one, a division by zero or an overflow; these helpers turn each
// into a TCalcError whose text names the quantity and the offending value, so a run never goes on
// with (or writes) NaN or infinity.
#include <cmath>
#include <string>

#include "base/Errors.h"
#include "base/NumberFormat.h"

namespace velm::checked {

[[noreturn]] inline void Fail(const char* what, const char* problem, double value) {
  throw TCalcError(std::string("计算错误: ") + what + " " + problem + " (" +
                   FormatGeneral(value, 15) + ")");
}

inline double Finite(double v, const char* what) {
  if (!std::isfinite(v)) throw TCalcError(std::string("计算错误: ") + what + " 不是有限数值");
  return v;
}

inline double Div(double num, double den, const char* what) {
  if (den == 0.0) Fail(what, "除数为零, 被除数", num);
  return Finite(num / den, what);
}

inline double Sqrt(double x, const char* what) {
  if (x < 0.0) Fail(what, "负数开平方", x);
  return Finite(std::sqrt(x), what);
}

inline double Log10(double x, const char* what) {
  if (x <= 0.0) Fail(what, "非正数取对数", x);
  return Finite(std::log10(x), what);
}

inline double Ln(double x, const char* what) {
  if (x <= 0.0) Fail(what, "非正数取对数", x);
  return Finite(std::log(x), what);
}

inline double Exp(double x, const char* what) { return Finite(std::exp(x), what); }

// base^exponent with the domain of a real power: a negative base needs a whole exponent, and a
// zero base a positive one.
inline double Pow(double base, double exponent, const char* what) {
  if (exponent == 0.0) return 1.0;
  if (base == 0.0) {
    if (exponent > 0.0) return 0.0;
    Fail(what, "零的负次幂, 指数", exponent);
  }
  if (base < 0.0 && std::floor(exponent) != exponent) Fail(what, "负数的非整数次幂, 底数", base);
  return Finite(std::pow(base, exponent), what);
}

}  // namespace velm::checked
