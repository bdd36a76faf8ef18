#pragma once
// The correlations by name. A flooding (hydraulic) method gives, at one step of the flooding
// iteration, its curve set, the flooding velocity and the flooding, design and 80 % points; a
// mass-transfer method gives the heights of transfer units and HETP. Callers ask the registry
// what a method provides instead of testing an index.
//
// Adding a method: one file under core/methods/ with its class and a factory, and one line in
// core/Methods.cpp that registers it (the list order is the order of the window's selector and
// of the index stored in project files).
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/Correlations.h"
#include "core/DesignCase.h"
#include "core/MessageLog.h"

namespace velm {

class TCalcTrace;

// What one step of the flooding iteration knows.
struct TFloodingState {
  double FP;          // flow parameter (L/V) sqrt(rhoV/rhoL)
  double Kf, Kp;      // wet packing factors of this step [1/m]
  double rhoL, rhoV;  // [kg/m3]
  double muL;         // [Pa s]
  double f, f80;      // design and 80 % fractions of flooding (with the foaming factor)
  bool Legacy;        // the calculation basis of earlier versions
  double muV = 0.0;   // [Pa s], read only for a method that needs it (NeedsGasViscosity)
  const TPackingNumbers* Packing = nullptr;  // the packing's numbers and constants
};

// What the steps of one run keep: the matrices of the curve fits of the chart methods; for a
// method that computes its points by its own correlations, the last step's state and the
// loading velocity it found [m/s].
struct TCurveScratch {
  mnMatrix Window, Coef;
  std::optional<TFloodingState> State;
  std::optional<double> LoadingVelocity;
  TCalcTrace* Trace = nullptr;  // where the placements are recorded; null: not traced
  // Only the flooding velocity is wanted: a step may leave the points it would place unplaced
  // (a rating solving for a flooding condition calls Step many times).
  bool FloodOnly = false;
};

class TMassTransferMethod;

class TFloodingMethod {
 public:
  virtual ~TFloodingMethod() = default;
  // The name the selector shows and reports print ("Eckert-Orvik").
  virtual const char* Name() const = 0;
  // Caption of the pressure-drop packing factor field under this method.
  virtual const char* KpCaption() const = 0;
  // True when Kp is the packing's published (experimental) factor rather than a fit of the
  // liquid load; the method cannot run for a packing without one.
  virtual bool KpFromExperimentalFactor() const = 0;
  // True when the method reads the flooding packing factor Kf (the window enables its field).
  virtual bool UsesKf() const = 0;
  // Flow parameter range of the method's chart [-], with its source in the implementation.
  virtual std::pair<double, double> FlowParameterRange() const = 0;
  // Index of the highest curve the chart draws at flow parameter FP.
  virtual int LastChartCurve(double FP) const = 0;
  // Index of the top curve of the chart (the capacity axis reaches it also when fewer are drawn)
  // and the end of the chart's pressure-drop axis [Pa/m].
  virtual int TopChartCurve() const = 0;
  virtual double ChartPressureDropEnd() const = 0;
  // One step: fills dc.Curves, dc.CurveCount and the flooding, design and 80 % points, and
  // returns the flooding velocity [m/s].
  virtual double Step(const TFloodingState& s, TDesignCase& dc, TCurveScratch& scratch,
                      TMessageLog& log) const = 0;
  // The operating point of a column that runs at the fraction F of the flooding velocity, placed
  // on the curve set of the last step the way Step places the design point (the capacity
  // ordinate grows with the gas velocity as the method's ordinate does). Needs dc.FlowParameter
  // and a placed flooding point.
  virtual TOperatingPoint PlaceAtFraction(double F, const TDesignCase& dc,
                                          TCurveScratch& scratch) const = 0;

  // False for a method that finds its points by its own correlations: it has no curve set and
  // does not take the wet packing factors Kf and Kp.
  virtual bool UsesChart() const { return true; }
  // True when a step needs the gas viscosity (TFloodingState::muV).
  virtual bool NeedsGasViscosity() const { return false; }
  // Why the method cannot run for this packing (a sentence for the user), empty when it can.
  virtual std::string Unavailable(const TPackingNumbers&) const { return {}; }
  // The liquid holdup [m3/m3] at the liquid load Uls [m/s] of the built column by the method's
  // own correlation; empty: the general one (LiquidHoldup).
  virtual std::optional<double> Holdup(double, const TCurveScratch&) const { return std::nullopt; }
  // The mass-transfer method that goes with this method for the packing; null: the default.
  virtual const TMassTransferMethod* MassTransfer(const TPackingNumbers&) const { return nullptr; }
};

// What the mass-transfer step knows: flows [kg/s], the built column's diameter D [m], its flood
// fraction F = Uvs/Uf and the flooding liquid load X [m3/(m2 h)], properties in SI, the packing.
struct TMassTransferState {
  double L, V, D, F, X;
  double rhoL, rhoV, muL, muV, sigmaL, DL, DV, lambda;
  const TPackingNumbers* Packing;
  bool Legacy;
  TCalcTrace* Trace = nullptr;  // null: not traced
};

class TMassTransferMethod {
 public:
  virtual ~TMassTransferMethod() = default;
  virtual const char* Name() const = 0;
  virtual THeights Heights(const TMassTransferState& s) const = 0;
};

// The registered flooding methods in selector order; the method at a stored index (an index out
// of range throws std::out_of_range); a method by name (null when none has it).
const std::vector<std::unique_ptr<TFloodingMethod>>& FloodingMethods();
const TFloodingMethod& FloodingMethodAt(int index);
const TFloodingMethod* FindFloodingMethod(std::string_view name);
// The stored index of a selector's choice: a choice that names no method (none, or beyond the
// list) counts as the first method.
int FloodingMethodIndex(int choice);
// The stored index of the method called `name`; std::out_of_range when none is.
int FloodingMethodIndexOf(std::string_view name);
// The mass-transfer methods; the first is the default.
const std::vector<std::unique_ptr<TMassTransferMethod>>& MassTransferMethods();
const TMassTransferMethod& MassTransferMethodAt(int index);

// Factories of the methods, one per file of core/methods/.
std::unique_ptr<TFloodingMethod> MakeEckertOrvik();
std::unique_ptr<TFloodingMethod> MakeKisterOrvik();
std::unique_ptr<TMassTransferMethod> MakeOnda();
std::unique_ptr<TFloodingMethod> MakeBilletSchultes();
std::unique_ptr<TMassTransferMethod> MakeBilletSchultesMassTransfer();

}  // namespace velm

namespace velm {

// Places a point of capacity x on the first `used` curves by the cubic through the four curves
// around it, and returns its wet pressure drop [Pa/m]; the fit lines go to log when it is given.
double PlaceOnCurves(const mnMatrix& curves, int used, double x, const char* resultName,
                     const char* varName, TCurveScratch& scratch, TMessageLog* log);

}  // namespace velm
