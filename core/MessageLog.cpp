#include "core/MessageLog.h"

#include "base/NumberFormat.h"

namespace velm {

TLogLine TLogLine::Plain(std::string text) {
  TLogLine l;
  l.FKind = TKind::Text;
  l.FText = std::move(text);
  return l;
}

TLogLine TLogLine::FitError(double errorPercent) {
  TLogLine l;
  l.FKind = TKind::FitError;
  l.FError = errorPercent;
  return l;
}

TLogLine TLogLine::Polynomial(const double* coefs, int degree, std::string_view varName,
                              std::string_view lhsName) {
  TLogLine l;
  l.FKind = TKind::Polynomial;
  if (degree > kMaxLazyDegree || degree < 0) {
    l.FKind = TKind::Text;
    l.FText = std::string(lhsName) + "=" + PolynomialText(coefs, degree, varName);
    return l;
  }
  l.FDegree = degree;
  for (int k = 0; k <= degree; ++k) l.FCoefs[static_cast<size_t>(k)] = coefs[k];
  l.FVar = varName;
  l.FLhs = lhsName;
  return l;
}

std::string TLogLine::Text() const {
  switch (FKind) {
    case TKind::Text:
      return FText;
    case TKind::FitError:
      return "Max relativity error=" + FormatGeneral(FError, 4) + " %";
    case TKind::Polynomial:
      return FLhs + "=" + PolynomialText(FCoefs.data(), FDegree, FVar);
  }
  return {};
}

std::string PolynomialText(const double* coefs, int degree, std::string_view varName) {
  std::string s;
  for (int k = 0; k <= degree; ++k) {
    s += " + ";
    s += FormatGeneral(coefs[k], 15);
    s += '.';
    s += varName;
    if (degree - k != 1) {
      s += '^';
      s += std::to_string(degree - k);
    }
  }
  // Drop the leading " +" and the ".var^0" of the constant term.
  s.erase(0, 2);
  const size_t tail = 1 + varName.size() + 2;
  if (s.size() >= tail) s.erase(s.size() - tail);
  // "+ -" becomes "-".
  for (size_t p = s.find("+ -"); p != std::string::npos; p = s.find("+ -", p)) s.replace(p, 3, "-");
  return s;
}

}  // namespace velm
