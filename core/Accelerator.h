#pragma once
// Accelerator of a scalar fixed-point iteration x(k+1) = g(x(k)) that the caller evaluates.
//
// After each evaluation the caller hands the new value to Step, which remembers the recent
// iterates, may replace the value by an accelerated estimate, counts the step and returns the
// size of the change. Modes:
//   0 "Normal"        plain substitution;
//   1 "Aitken"        Aitken's delta-squared extrapolation every second step
//                     (Aitken, Proc. Roy. Soc. Edinburgh 46, 1926);
//   2 "Orvik Talvsen" three-point interpolation of the iteration map, Lagrange form;
//   3 "OTV2"          the same interpolation in Neville's form.
// Modes 2 and 3 predict the next iterate g(x) at the latest iterate from the parabola through the
// last three points (t, g(t)) of the map; they differ only in rounding and in their guard.
#include <cstdint>

namespace velm {

class TAitken {
 public:
  // Sets the caller's counter to 1.
  TAitken(int& counter, double start, int maxCount, std::uint8_t mode, bool relative);
  virtual ~TAitken() = default;

  // x: the caller's iterate (may be replaced), k: the caller's counter (raised by one).
  // Returns the change of this step (relative to the reference when FRelative is set), or 1e200
  // without any change when the counter is past the limit.
  virtual double Step(double& x, int& k);

  double FHistory[4];
  double FStart;
  double FLastX;
  int FLastCount;
  int FMaxCount;
  std::uint8_t FMode;
  bool FRelative;
};

}  // namespace velm
