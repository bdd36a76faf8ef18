#include "core/Accelerator.h"

#include <cmath>

namespace velm {

TAitken::TAitken(int& counter, double start, int maxCount, std::uint8_t mode, bool relative)
    : FHistory{start, 1e200, 1e200, 0.0},
      FStart(start),
      FLastX(start),
      FLastCount(1),
      FMaxCount(maxCount),
      FMode(mode),
      FRelative(relative) {
  counter = 1;
}

double TAitken::Step(double& x, int& k) {
  if (k > FMaxCount) return 1e200;
  double& H0 = FHistory[0];
  double& H1 = FHistory[1];
  double& H2 = FHistory[2];
  double& H3 = FHistory[3];
  double ref = 1.0;
  double diff = 1e200;

  switch (FMode) {
    case 0:
      if (k > 1) H0 = H1;
      H1 = x;
      ref = H0;
      diff = H1 - H0;
      break;
    case 1:
      if (k % 2 == 1) {
        H1 = x;
        ref = H0;
        diff = H1 - H0;
      } else {
        H2 = x;
        ref = H1;
        const double e = H2 - 2.0 * H1 + H0;
        const double s = std::fabs(e) > 1e-200 ? (H1 - H0) * (H1 - H0) / e : 0.0;
        x = H0 - s;
        H0 = x;
        diff = H0 - ref;
      }
      break;
    case 2:
    case 3: {
      const int c = k % 3;
      if (c == 1 || c == 2) {
        FHistory[c] = x;
        ref = FHistory[c - 1];
        diff = FHistory[c] - FHistory[c - 1];
      } else {
        H3 = x;
        ref = H2;
        bool used = false;
        double p = 0.0;
        if (FMode == 2) {
          const double d1 = (H0 - H1) * (H0 - H2);
          const double d2 = (H1 - H0) * (H1 - H2);
          const double d3 = (H2 - H0) * (H2 - H1);
          if (std::fabs(d1 * d2 * d3) > 1e-30) {
            p = H1 * (x - H1) * (x - H2) / d1 + H2 * (x - H0) * (x - H2) / d2 +
                H3 * (x - H0) * (x - H1) / d3;
            used = true;
          }
        } else {
          if (std::fabs((H0 - H1) * (H1 - H2) * (H2 - H0)) > 1e-30) {
            const double s1 = H1 + (H2 - H1) * (x - H0) / (H1 - H0);
            const double s2 = H2 + (H3 - H2) * (x - H1) / (H2 - H1);
            p = ((H2 - x) * s1 + (x - H0) * s2) / (H2 - H0);
            used = true;
          }
        }
        if (used) {
          x = p;
          H0 = x;
          diff = H0 - ref;
        } else {
          H0 = x;
          diff = H3 - ref;
        }
      }
      break;
    }
    default:
      break;
  }

  ++k;
  FLastX = x;
  FLastCount = k;
  if (FRelative && std::fabs(ref) >= 1e-200) return std::fabs(diff / ref);
  return std::fabs(diff);
}

}  // namespace velm
