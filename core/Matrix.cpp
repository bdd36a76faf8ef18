#include "core/Matrix.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <string>

#include "base/Errors.h"
#include "core/MessageLog.h"

namespace velm {

namespace {

void EnsureSize(mnMatrix& M, int rows, int cols) {
  if (static_cast<int>(M.size()) < rows) M.resize(static_cast<size_t>(rows));
  for (int r = 0; r < rows; ++r)
    if (static_cast<int>(M[r].size()) < cols) M[r].resize(static_cast<size_t>(cols), 0.0);
}

// A quotient as the elimination needs it; false where the floating-point unit would trap
// (division by zero, 0/0, overflow).
bool Quotient(double num, double den, double& out) {
  if (den == 0.0) return false;
  out = num / den;
  return std::isfinite(out);
}

// AddScaledRow that stops at the first element the floating-point unit would trap on
// (an overflow), leaving the elements before it updated.
bool AddScaledRowChecked(mnMatrix& M, int r, int s, int n, double factor) {
  for (int i = 0; i < n; ++i) {
    const double v = M[r][i] + factor * M[s][i];
    if (!std::isfinite(v)) return false;
    M[r][i] = v;
  }
  return true;
}

bool ScaleRowChecked(mnMatrix& M, int r, int n, double factor) {
  for (int i = 0; i < n; ++i) {
    const double v = factor * M[r][i];
    if (!std::isfinite(v)) return false;
    M[r][i] = v;
  }
  return true;
}

// Assigns a - b * c unless it overflows.
bool SubtractChecked(double& a, double b, double c) {
  const double v = a - b * c;
  if (!std::isfinite(v)) return false;
  a = v;
  return true;
}

[[noreturn]] void FitOverflow(std::string_view lhsName, std::string_view varName) {
  throw TCalcError("计算错误: 拟合 " + std::string(lhsName) + "(" + std::string(varName) +
                   ") 时数值溢出");
}

bool AllFinite(const mnMatrix& M, int rows, int cols) {
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < cols; ++c)
      if (!std::isfinite(M[r][c])) return false;
  return true;
}

}  // namespace

void SwapRows(int n, int r, int s, mnMatrix& M) {
  for (int i = 0; i < n; ++i) std::swap(M[r][i], M[s][i]);
}

void AddScaledRow(mnMatrix& M, int r, int s, int n, double factor) {
  for (int i = 0; i < n; ++i) M[r][i] = M[r][i] + factor * M[s][i];
}

void ScaleRow(mnMatrix& M, int r, int n, double factor) {
  for (int i = 0; i < n; ++i) M[r][i] = factor * M[r][i];
}

void Transpose(int rows, int cols, const mnMatrix& A, mnMatrix& T) {
  EnsureSize(T, cols, rows);
  for (int i = 0; i < rows; ++i)
    for (int j = 0; j < cols; ++j) T[j][i] = A[i][j];
}

void MatMul(int a, int b, int c, const mnMatrix& A, const mnMatrix& B, mnMatrix& P) {
  EnsureSize(P, a, c);
  for (int i = 0; i < a; ++i)
    for (int j = 0; j < c; ++j) {
      double sum = 0.0;
      for (int k = 0; k < b; ++k) sum = sum + A[i][k] * B[k][j];
      P[i][j] = sum;
    }
}

bool GaussJordan(int n, mnMatrix& A, mnMatrix& B) {
  // Forward elimination with partial pivoting.
  for (int i = 0; i <= n - 2; ++i) {
    int pivot = i;
    double best = 0.0;
    for (int j = i; j < n; ++j)
      if (std::fabs(A[j][i]) > best) {
        best = std::fabs(A[j][i]);
        pivot = j;
      }
    SwapRows(n, i, pivot, A);
    SwapRows(1, i, pivot, B);
    for (int j = i + 1; j < n; ++j) {
      double factor;
      if (!Quotient(A[j][i], A[i][i], factor)) return false;
      if (!AddScaledRowChecked(A, j, i, n, -factor)) return false;
      if (!SubtractChecked(B[j][0], factor, B[i][0])) return false;
    }
  }
  // Back substitution.
  for (int r = n - 1; r >= 0; --r)
    for (int i = r - 1; i >= 0; --i) {
      double factor;
      if (!Quotient(A[i][r], A[r][r], factor)) return false;
      if (!AddScaledRowChecked(A, i, r, n, -factor)) return false;
      if (!SubtractChecked(B[i][0], factor, B[r][0])) return false;
    }
  // Normalise the diagonal.
  for (int i = 0; i < n; ++i) {
    double f;
    if (!Quotient(1.0, A[i][i], f)) return false;
    const double x = f * B[i][0];
    if (!std::isfinite(x)) return false;
    B[i][0] = x;
    if (!ScaleRowChecked(A, i, n, f)) return false;
  }
  return true;
}

namespace {

// The least-squares coefficients of PolyFitEval into coef (at least d + 1 rows).
void Fit(const mnMatrix& M, int xRow, int yRow, int m, int d, mnMatrix& coef,
         std::string_view varName, std::string_view lhsName) {
  // Scratch matrices are kept per thread so that the many small fits of a run allocate once.
  thread_local mnMatrix A, Y, T, N;
  const int p = d + 1;
  EnsureSize(A, m, p);
  EnsureSize(Y, m, 1);
  for (int i = 0; i < m; ++i) {
    const double xi = M[xRow][i];
    A[i][d] = 1.0;
    for (int k = d - 1; k >= 0; --k) A[i][k] = xi * A[i][k + 1];
    Y[i][0] = M[yRow][i];
  }
  // Powers of the abscissae and the sums of the normal equations can overflow: that is a
  // failure of the run, unlike a singular system, which the elimination reports by its result.
  if (!AllFinite(A, m, p)) FitOverflow(lhsName, varName);
  Transpose(m, p, A, T);
  MatMul(p, m, p, T, A, N);
  MatMul(p, m, 1, T, Y, coef);
  if (!AllFinite(N, p, p) || !AllFinite(coef, p, 1)) FitOverflow(lhsName, varName);
  GaussJordan(p, N, coef);  // a failed elimination leaves the coefficients as far as it got
}

}  // namespace

double PolyFitEval(const mnMatrix& M, int xRow, int yRow, int m, int d, mnMatrix& coef, double x,
                   std::string_view varName, std::string_view lhsName, TMessageLog* log) {
  const int p = d + 1;
  if (coef.empty()) coef.assign(static_cast<size_t>(p), lMatrix(1, 0.0));
  // A run places several points on the same stretch of the same curve (the flood, design and
  // 80 % points, at every step of the iteration): a fit through points already fitted is taken
  // from the fits kept per thread. The same points give the same coefficients bit for bit, so
  // nothing but the time changes.
  struct TFit {
    std::vector<double> Points;  // x0..x(m-1), y0..y(m-1)
    int Degree = -1;
    std::vector<double> Coef;
  };
  thread_local std::array<TFit, 4> fits;
  thread_local size_t nextFit = 0;
  thread_local std::vector<double> points;
  points.resize(static_cast<size_t>(2 * m));
  for (int i = 0; i < m; ++i) {
    points[static_cast<size_t>(i)] = M[xRow][i];
    points[static_cast<size_t>(m + i)] = M[yRow][i];
  }
  const auto same = [&](const TFit& f) {
    return f.Degree == d && f.Points.size() == points.size() &&
           std::memcmp(f.Points.data(), points.data(), points.size() * sizeof(double)) == 0;
  };
  const auto kept = std::find_if(fits.begin(), fits.end(), same);
  if (kept != fits.end()) {
    EnsureSize(coef, p, 1);
    for (int k = 0; k < p; ++k) coef[k][0] = kept->Coef[static_cast<size_t>(k)];
  } else {
    Fit(M, xRow, yRow, m, d, coef, varName, lhsName);
    TFit& f = fits[nextFit];
    nextFit = (nextFit + 1) % fits.size();
    f.Points = points;
    f.Degree = d;
    f.Coef.resize(static_cast<size_t>(p));
    for (int k = 0; k < p; ++k) f.Coef[static_cast<size_t>(k)] = coef[k][0];
  }

  auto eval = [&](double t) {
    double v = coef[0][0];
    for (int k = 1; k <= d; ++k) v = v * t + coef[k][0];
    if (!std::isfinite(v)) FitOverflow(lhsName, varName);
    return v;
  };

  if (log) {
    double e = 0.0;
    for (int i = 0; i < m; ++i) {
      const double yi = M[yRow][i];
      if (std::fabs(yi) >= 1e-30) {
        const double dev = std::fabs((eval(M[xRow][i]) - yi) / yi) * 100.0;
        if (!std::isfinite(dev)) FitOverflow(lhsName, varName);
        if (dev > e) e = dev;
      }
    }
    if (log->Count() > 500) log->Clear();
    log->Add(TLogLine::FitError(e));
    double c[64];
    const int nc = p <= 64 ? p : 64;
    for (int k = 0; k < nc; ++k) c[k] = coef[k][0];
    TLogLine poly = TLogLine::Polynomial(c, nc - 1, varName, lhsName);
    // The polynomial text always holds at least one coefficient, so it is always longer than
    // "lhs=" and is always added.
    if (log->Count() > 500) log->Clear();
    log->Add(poly);
  }
  return eval(x);
}

bool SelectWindow(const mnMatrix& M, int searchRow, int n, int d, double x, mnMatrix& W) {
  int k = n - 1;
  for (int i = 0; i < n; ++i)
    if (x < M[searchRow][i]) {
      k = i;
      break;
    }
  if (k > 0) {
    k = k + d / 2;
    if (k > n - 1) k = n - 1;
    k = k - d;
    if (k < 0) k = 0;
  }
  EnsureSize(W, 2, n > d + 1 ? n : d + 1);
  for (int j = 0; j <= d; ++j) {
    W[0][j] = M[0][k + j];
    W[1][j] = M[1][k + j];
  }
  for (int j = d + 1; j < n; ++j) {
    W[0][j] = 0.0;
    W[1][j] = 0.0;
  }
  return true;
}

double Lagrange3(const mnMatrix& M, int xRow, int yRow, int start, double x) {
  double sum = 0.0;
  for (int i = start; i <= start + 2; ++i) {
    double term = M[yRow][i];
    for (int j = start; j <= start + 2; ++j)
      if (j != i) term = term * (x - M[xRow][j]) / (M[xRow][i] - M[xRow][j]);
    sum = sum + term;
  }
  return sum;
}

double InterpolateCurve(const mnMatrix& M, int n, int xRow, int yRow, double x) {
  if (n < 1) throw TCalcError("没有有效的数据");
  const lMatrix& X = M[xRow];
  const lMatrix& Y = M[yRow];
  if (n == 1) return Y[0];
  if (n == 2) return Y[0] + (Y[1] - Y[0]) / (X[1] - X[0]) * (x - X[0]);
  if (x <= X[1] || n == 3) return Lagrange3(M, xRow, yRow, 0, x);
  if (x >= X[n - 2]) return Lagrange3(M, xRow, yRow, n - 3, x);
  int k = 0;
  for (int i = 0; i < n; ++i)
    if (x <= X[i]) {
      k = i - 1;
      break;
    }
  const double p1 = Lagrange3(M, xRow, yRow, k - 1, x);
  const double p2 = Lagrange3(M, xRow, yRow, k, x);
  return ((X[k + 1] - x) * p1 + (x - X[k]) * p2) / (X[k + 1] - X[k]);
}

}  // namespace velm
