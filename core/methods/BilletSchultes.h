#pragma once
// The correlations of Billet & Schultes for random packings (Trans IChemE 77A, 1999, 498-504),
// in the form Seader & Henley print them (Separation Process Principles, 2nd ed., Wiley 2006,
// Sec. 6.8: Eqs. 6-97 to 6-115 and 6-132 to 6-140). Each needs the packing's own constants
// (TBilletSchultesConstants) with the specific area a and void fraction eps they were fitted
// with. SI throughout; velocities are superficial.
#include <string>

#include "core/PackingRecord.h"

namespace velm {

// Acceleration of gravity used by the correlations [m/s2].
inline constexpr double kBsGravity = 9.81;

// Seader & Henley's rule after Billet: the loading point lies near 70 % of the flooding
// velocity, u_Fl = u_lp / 0.7 (Eq. 6-109, Example 6.14).
inline constexpr double kBsLoadingToFlooding = 0.7;

// Liquid Reynolds and Froude numbers of the packing, Re_L = uL rhoL/(a muL) and
// Fr_L = uL^2 a/g (Eqs. 6-98, 6-99) [-].
double BsLiquidReynolds(double uL, double rhoL, double muL, double a);
double BsLiquidFroude(double uL, double a);

// Hydraulic (wetted) area over the packing area, a_h/a = Ch Re_L^0.15 Fr_L^0.1 below Re_L = 5,
// 0.85 Ch Re_L^0.25 Fr_L^0.1 above (Eqs. 6-100, 6-101) [-].
double BsHydraulicAreaRatio(double Ch, double ReL, double FrL);

// Specific liquid holdup below the loading point, h_L = (12 Fr_L/Re_L)^(1/3) (a_h/a)^(2/3)
// (Eq. 6-97) [m3/m3]; uL [m/s], rhoL [kg/m3], muL [Pa s], a [m2/m3].
double BsHoldup(double uL, double rhoL, double muL, double a, double Ch);

// Superficial gas velocity at the loading point [m/s] (Eqs. 6-105 to 6-108; Kolev, Packed Bed
// Columns, Elsevier 2006, Eqs. 54-56): u_lp = (g/psi)^(1/2) [eps/a^(1/6) - a^(1/2) y^(1/3)]
// y^(1/6) (rhoL/rhoV)^(1/2), y = 12 muL uL/(g rhoL), uL = uV (L/V)(rhoV/rhoL), and
// psi = g/C^2 [FP (muL/muV)^0.4]^(-2 n) with FP = (L/V)(rhoV/rhoL)^(1/2): n = -0.326, C = CS up
// to FP = 0.4; n = -0.723, C = 0.695 CS (muL/muV)^0.1588 above. LV is the mass flow ratio L/V.
double BsLoadingVelocity(double LV, double rhoL, double rhoV, double muL, double muV, double a,
                         double eps, double CS);
// The same on the branch of the other side of FP = 0.4 (for the continuity check there).
double BsLoadingVelocityBranch(double LV, double rhoL, double rhoV, double muL, double muV,
                               double a, double eps, double CS, bool above);

// Wall factor K, 1/K = 1 + (2/3) d_p/((1 - eps) D), d_p = 6 (1 - eps)/a (Eq. 6-111) [-]; D the
// column diameter [m].
double BsWallFactor(double a, double eps, double D);

// Dry-bed pressure drop [Pa/m] (Eqs. 6-110 to 6-114): dP0/H = Psi0 (a/eps^3) (rhoV uV^2/2)/K,
// Psi0 = Cp (64/Re_V + 1.8/Re_V^0.08), Re_V = uV d_p rhoV K/((1 - eps) muV). D <= 0 means a
// column so wide that the wall does not count (K = 1).
double BsDryPressureDrop(double uV, double rhoV, double muV, double a, double eps, double Cp,
                         double D);

// Irrigated-bed pressure drop below the loading point [Pa/m] (Eq. 6-115):
// dP/dP0 = (eps/(eps - h_L))^1.5 exp(13300 Fr_L^0.5/a^1.5).
double BsWetPressureDrop(double dryDrop, double hL, double FrL, double a, double eps);

// Interfacial over packing area, a_Ph/a = 1.5 (a d_h)^-0.5 Re_Lh^-0.2 We_Lh^0.75 Fr_Lh^-0.45
// with d_h = 4 eps/a and the numbers formed with d_h (Eqs. 6-136 to 6-140) [-]; sigma [N/m].
double BsInterfacialAreaRatio(double uL, double rhoL, double muL, double sigma, double a,
                              double eps);

// Heights of a liquid and a gas transfer unit [m] (Eqs. 6-132, 6-133):
// H_L = (1/CL) 12^(-1/6) (4 eps h_L/(DL a uL))^(1/2) (uL/a) / (a_Ph/a),
// H_V = (1/CV) (eps - h_L)^(1/2) (4 eps/a^4)^(1/2) Re_V^-3/4 Sc_V^-1/3 uV/(DV a_Ph/a), with
// Re_V = uV rhoV/(a muV), Sc_V = muV/(rhoV DV); DL, DV [m2/s].
double BsLiquidTransferHeight(double uL, double DL, double a, double eps, double hL, double CL,
                              double areaRatio);
double BsGasTransferHeight(double uV, double rhoV, double muV, double DV, double a, double eps,
                           double hL, double CV, double areaRatio);

// The constants each part of the method needs, as MissingConstants takes them.
inline constexpr const char* kBsHydraulicConstants = "a eps CS Ch Cp";
inline constexpr const char* kBsMassTransferConstants = "CL CV";

}  // namespace velm
