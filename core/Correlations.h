#pragma once
// The correlations of the hydraulic and mass-transfer design, one function each, SI units unless
// stated in brackets.
#include <span>

#include "core/Matrix.h"

namespace velm {

// Number of rows of the two curve tables.
constexpr int kEckertRows = 12;  // rows 0..10 constant pressure drop, row 11 flooding line
constexpr int kEckertCurves = 11;
constexpr int kKisterCurves = 6;

// Wet packing factor [1/m] from a packing's fit: t = B log10(X) (logarithmic form) or B X
// (linear form), K = 10^(A + sign(t) min(A/2, |t|)); X is the liquid load at flooding
// [m3/(m2 h)]. The correction of the exponent is limited to half of A in either direction.
double WetPackingFactor(double A, double B, bool logForm, double X);

// Standard column diameter [m] for a theoretical diameter dp [m], in 10 mm steps below 100 mm,
// 50 mm steps below 1000 mm and 100 mm steps from 1000 mm on. The column is built at the next
// standard size at or above dp, so it never runs closer to flooding than designed.
// legacy: the nearest-size rule of earlier versions (remainder up to 24 mm down, up to 50 mm to
// the half step, above 50 mm up; from 1000 mm on 10 mm added and rounded to the nearest step;
// ties of the whole-number rounding go to even), which can give a column below dp.
double RoundDiameter(double dp, bool legacy);

// The smallest standard column diameter [m] at or above dp [m] (the steps of RoundDiameter);
// at least 10 mm.
double StandardDiameterAtLeast(double dp);

// Rounds to the nearest whole number, a tie going to the even one.
double RoundHalfEven(double z);

// Generalized pressure-drop correlation of the Eckert type (Eckert, Chem. Eng. Prog. 66(3), 1970),
// as twelve fitted curves Y_i = exp(poly6(log10 FP)). Fills Curves (row 0 pressure drops [Pa/m],
// row 1 capacities Y) for rows 0..10 and returns the flooding line's Y at FP.
double EckertCurves(double FP, mnMatrix& Curves);
// The flooding line's ordinate alone, the same number EckertCurves returns.
double EckertFloodOrdinate(double FP);

// The coefficients c0..c6 of EckertCurves' flooding line, ln Y = sum cj u^j with u = log10 FP.
std::span<const double> EckertFloodLine();

// Generalized pressure-drop correlation of the Kister type (Kister & Gill, Chem. Eng. Prog. 87(2),
// 1991) as six fitted curves CP_i = poly4(log10 FP). Fills Curves.
void KisterCurves(double FP, mnMatrix& Curves);

// Gas velocity at flooding [m/s] whose Eckert ordinate Y(U, Kf) = U^2 Kf (1000/rhoL)(rhoV/rhoL)
// muL^0.2 / 9.807 lies on the flooding line Yflood.
double EckertFloodVelocity(double Yflood, double Kf, double rhoL, double rhoV, double muL);

// Gas velocity at flooding [m/s] from the Kister capacity at the flooding pressure drop,
// CP = U (Kp rhoV/(rhoL - rhoV))^0.5 nu^0.05. The curve constants are the generalized
// pressure-drop chart of Strigle and Kister converted to SI with the kinematic viscosity
// nu = muL/rhoL in [m2/s] (Kister, Scherffius, Afshar & Abkar, Chem. Eng. Prog., 2007:
// "the kinematic viscosity is obtained by dividing the dynamic viscosity by the liquid density").
// legacy: the form of earlier versions, with the dynamic viscosity muL [Pa s] in place of nu.
// Needs rhoL > rhoV.
double KisterFloodVelocity(double CPflood, double Kp, double rhoL, double rhoV, double muL,
                           bool legacy);

// Pressure drop at flooding [Pa/m] from the packing factor Fp [1/m]: 0.115 Fp^0.7 in H2O/ft with
// Fp in 1/ft (Kister & Gill, Chem. Eng. Prog. 87(2), 1991), which is 40.91 Fp^0.7 in SI.
// legacy: 40.196 Fp^0.7, the constant of earlier versions.
double KisterFloodPressureDrop(double Fp, bool legacy);

// Liquid holdup [m3/m3] of a random bed (Buchanan, Ind. Eng. Chem. Fundam. 8, 1969):
// 2.2 (muL Uls / (g rhoL dn^2))^(1/3) + 1.8 (Uls^2 / (g dn))^(1/2), with g = 9.81.
double LiquidHoldup(double muL, double Uls, double rhoL, double dn);

// Minimum wetting rate [m3/(m h)] (Morris & Jackson, Absorption Towers, 1953): 0.08 below a
// nominal size of 75 mm, 0.12 from 75 mm on.
double MinimumWettingRate(double dn);

// Liquid load as a whole-number percentage of the minimum wetting load.
double WettingPercent(double Uls, double a, double dn);

// Film coefficients of Onda, Takeuchi & Okumoto (J. Chem. Eng. Japan 1, 1968, 56) with g = 9.807,
// from the mass velocities Lw and Gw [kg/(m2 s)]. kL and kG are per unit of wetted area aw.
struct TOndaResult {
  double WettedRatio;  // aw/a
  double kL;           // [m/s]
  double kG;           // [m/s]
};
TOndaResult OndaCoefficients(double Lw, double Gw, double a, double dn, double sigmaC,
                             double sigmaL, double muL, double rhoL, double DL, double muV,
                             double rhoV, double DV);

// Enhancement of the film coefficients when the column runs above half of its flooding velocity
// (F = Uvs/Uf > 0.5): kL x (1 + 2.6 (F - 0.5)^2.2), kG x (1 + 9.5 (F - 0.5)^1.4). The form of
// earlier versions (legacy basis only); it is not part of Onda's correlation and no published
// source for it is known.
double LiquidFilmEnhancement(double F);
double GasFilmEnhancement(double F);

struct THeights {
  double HTUV, HTUL, HTUOV, HETP;  // [m]
};
// HTUOV = HTUV + lambda HTUL and HETP = HTUOV ln(lambda)/(lambda - 1) (HTUOV at lambda = 1;
// lambda taken as at least 0.01) from the two heights of transfer units [m].
THeights HeightsFromUnits(double HTUV, double HTUL, double lambda);
// Heights of transfer units of the rounded column of diameter D and the HETP from the stripping
// factor lambda, with a the interfacial area per volume [m2/m3] the film coefficients are based
// on (Onda: the wetted area aw): HTUV = Gm/(kG a rhoV), HTUL = Lm/(kL a rhoL), HTUOV = HTUV +
// lambda HTUL, HETP = HTUOV ln(l)/(l - 1) with l = max(lambda, 0.01) (HETP = HTUOV when l is within
// 1e-6 of 1).
THeights TransferHeights(double V, double L, double D, double kG, double kL, double a, double rhoV,
                         double rhoL, double lambda);

}  // namespace velm
