#pragma once
// The line sink of the calculation: the messages pane of the main window, or a plain list in the
// headless calculator, the tests and the benchmarks.
//
// The fit routine adds two lines per fit, many times per run. They are kept as their numbers and
// turned into text only when somebody reads them (`Text()`), so a run whose lines nobody looks at
// formats nothing.
#include <array>
#include <string>

namespace velm {

class TLogLine {
 public:
  enum class TKind { Text, FitError, Polynomial };

  static TLogLine Plain(std::string text);
  // "Max relativity error=" + error (4 significant digits) + " %".
  static TLogLine FitError(double errorPercent);
  // lhsName + "=" + the polynomial c0.var^d + ... + cd; coefficients highest power first.
  static TLogLine Polynomial(const double* coefs, int degree, std::string_view varName,
                             std::string_view lhsName);

  TKind Kind() const { return FKind; }
  std::string Text() const;

 private:
  static constexpr int kMaxLazyDegree = 7;
  TKind FKind = TKind::Text;
  std::string FText;  // the text of a plain line, or of a polynomial too long to keep lazily
  double FError = 0;
  int FDegree = 0;
  std::array<double, kMaxLazyDegree + 1> FCoefs{};
  std::string FVar, FLhs;
};

class TMessageLog {
 public:
  virtual ~TMessageLog() = default;
  virtual int Count() const = 0;
  virtual void Clear() = 0;
  virtual void Add(const TLogLine& line) = 0;
  void Add(std::string text) { Add(TLogLine::Plain(std::move(text))); }
};

// The polynomial text of a fit (without the "lhs=" prefix), e.g. " 2.x + 1".
std::string PolynomialText(const double* coefs, int degree, std::string_view varName);

}  // namespace velm
