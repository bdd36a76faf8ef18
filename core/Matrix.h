#pragma once
// Small matrix and curve library of the calculation: row operations, transpose and product, a
// Gauss-Jordan solver, a least-squares polynomial fit that can report its quality and its
// polynomial to the message log, the choice of a local window of points for such a fit,
// three-point Lagrange interpolation and a piecewise interpolation of a tabulated curve.
//
// A matrix is stored as rows: M[r][i] is element i of row r. A tabulated curve is a matrix used
// as parallel rows (one row of ascending abscissae, one of ordinates); row indices are passed.
#include <string_view>
#include <vector>

namespace velm {

class TMessageLog;

using lMatrix = std::vector<double>;
using mnMatrix = std::vector<lMatrix>;

// Exchanges the first n elements of rows r and s.
void SwapRows(int n, int r, int s, mnMatrix& M);
// M[r][i] += factor * M[s][i] for i < n.
void AddScaledRow(mnMatrix& M, int r, int s, int n, double factor);
// M[r][i] *= factor for i < n.
void ScaleRow(mnMatrix& M, int r, int n, double factor);
// T[j][i] = A[i][j] for i < rows, j < cols (T is enlarged when it is too small).
void Transpose(int rows, int cols, const mnMatrix& A, mnMatrix& T);
// P = A * B for an a x b matrix A and a b x c matrix B (P is enlarged when it is too small).
void MatMul(int a, int b, int c, const mnMatrix& A, const mnMatrix& B, mnMatrix& P);

// Solves A x = B (A n x n, B n x 1) by Gauss-Jordan elimination with partial pivoting. On return
// B holds x and A is reduced. Returns false when a floating-point failure (a zero pivot, an
// overflow) stopped it; A and B then keep what was done so far.
bool GaussJordan(int n, mnMatrix& A, mnMatrix& B);

// Least-squares polynomial of degree d through the first m points of the curve (xRow, yRow) of M
// (m >= d + 1), by the normal equations. The coefficients go to coef (sized (d + 1) x 1 when it is
// empty; otherwise it must have at least d + 1 rows), highest power first. When log is given, two
// lines are added: the largest relative deviation in percent, and the polynomial as text
// "lhsName= c0.varName^d + ... + cd". Returns the polynomial's value at x.
double PolyFitEval(const mnMatrix& M, int xRow, int yRow, int m, int d, mnMatrix& coef, double x,
                   std::string_view varName, std::string_view lhsName, TMessageLog* log);

// Copies into rows 0 and 1 of W the d + 1 consecutive points of rows 0 and 1 of M, chosen among
// the first n points around x in searchRow (two on each side for d = 3, the two neighbours for
// d = 1, sliding inside the first n points near the ends); zeroes W[.][d+1 .. n-1].
bool SelectWindow(const mnMatrix& M, int searchRow, int n, int d, double x, mnMatrix& W);

// Value at x of the parabola through the points start, start + 1, start + 2 of (xRow, yRow).
double Lagrange3(const mnMatrix& M, int xRow, int yRow, int start, double x);

// Piecewise interpolation of the first n points of the curve (xRow, yRow): a straight line for
// two points, a parabola near the ends and a linear blend of the two parabolas that share the
// interval inside. Throws TCalcError("没有有效的数据") for n < 1.
double InterpolateCurve(const mnMatrix& M, int n, int xRow, int yRow, double x);

}  // namespace velm
