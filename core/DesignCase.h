#pragma once
// The records of one calculation: the packing record, the design case with its inputs, results,
// curve set and operating points, and the interface through which a run reads and writes the
// main window's value fields. All values are SI.
#include <array>
#include <bitset>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "core/FieldRegistry.h"
#include "core/Matrix.h"
#include "core/PackingRecord.h"

namespace velm {

class TCalcTrace;

// The main window's fields as the core sees them. A read may end the run: the field shows its own
// message and throws TSilentAbort. No Qt type crosses this interface.
class TFieldAccess {
 public:
  virtual ~TFieldAccess() = default;
  // The field has non-empty text (blanks count as filled).
  virtual bool IsFilled(TField f) = 0;
  // The field's value in SI [unit of the field].
  virtual double Value(TField f) = 0;
  // Shows the SI value in the field's selected unit.
  virtual void SetValue(TField f, double si) = 0;
  // Caption of the wetting result's label.
  virtual void SetWettingCaption(const std::string& caption) = 0;
  // Sets the flooding-method selector back to "Eckert-Orvik".
  virtual void ResetFloodMethod() = 0;
  // A modal message box.
  virtual void ShowMessage(const std::string& text) = 0;
};

// A capacity ordinate with its wet pressure drop [Pa/m].
struct TOperatingPoint {
  double Capacity = 0.0;
  double PressureDrop = 0.0;
  bool Placed = false;  // a step of some run has placed it
};

// What the latest run read and wrote. A run clears it when it starts (also one that ends at
// once for want of a packing), so a result whose field is not in Written belongs to an earlier
// run: it is stale, not a result of the current inputs.
struct TRunRecord {
  std::bitset<kFieldCount> Read;     // input fields whose value the run took
  std::bitset<kFieldCount> Written;  // result fields the run wrote
  bool OptionsRead = false;          // FoamingFactor and FloodPercent were converted
  bool IterationDone = false;        // the flooding iteration ended (converged or not)

  bool WasRead(TField f) const { return Read.test(static_cast<size_t>(f)); }
  bool WasWritten(TField f) const { return Written.test(static_cast<size_t>(f)); }
};

struct TDesignCase {
  // Option lists, set by the caller before a run.
  int FloodMethod = 0;  // index of the flooding method (Methods.h): 0 "Eckert-Orvik", 1
                        // "Kister-Orvik", 2 "Billet-Schultes"
  int AccelMethod = 0;  // 0 "Normal", 1 "Aitken", 2 "Orvik Talvsen", 3 "OTV2"
  bool CalcKf = true;
  bool CalcKp = true;
  std::string FoamingFactorText = "0.8";  // text of the foaming-factor list
  std::string FloodPercentText = "80";    // text of the design-percentage list [%]
  // Calculation basis: false computes by the published literature ("文献"), true reproduces the
  // methods of earlier versions bit for bit ("旧版算法").
  bool LegacyMethods = false;
  // Service of the column, an index into Services() (core/Services.h); 0: not given.
  int Service = 0;
  // Rating ("核算"): the diameter of the column that exists [m]; the run computes at it instead
  // of rounding the theoretical diameter. Empty: design ("设计").
  std::optional<double> GivenDiameter;

  // Numeric inputs as read by the last run (from the value fields).
  double LiquidFlow = 0, LiquidDensity = 0, LiquidViscosity = 0, SurfaceTension = 0,
         LiquidDiffusivity = 0, FoamingFactor = 0, GasFlow = 0, GasDensity = 0, GasViscosity = 0,
         GasDiffusivity = 0, FloodPercent = 0, Lambda = 0;

  // Results; empty until a run produced them, then kept between runs.
  std::optional<double> FlowParameter, FloodVelocity, DesignVelocity, TheoreticalDiameter, Diameter,
      GasLoad, FloodFraction, LiquidLoad, WetPressureDrop, Holdup, WettingPercent;
  // The loading point, for a method that gives it: gas velocity [m/s] and the built column's gas
  // load over it [%].
  std::optional<double> LoadingVelocity, LoadingPercent;
  std::optional<bool> WettingSufficient;
  std::optional<double> HTUV, HTUL, HTUOV, HETP;
  std::optional<int> IterationCount;
  std::optional<bool> Converged;
  bool HydraulicsDone = false;
  // Empty when the last run went through to the end; otherwise why it ended early without an
  // error ("no packing", "empty input LD, VD", "not converged after 200 steps"...); a run that
  // ends with an exception leaves it empty and the caller reports the exception.
  std::string Stopped;
  std::optional<double> Kf, Kp;           // wet packing factors of the last step [1/m]
  std::optional<double> FloodLiquidLoad;  // X of the last step [m3/(m2 h)]
  TRunRecord Latest;                      // what the latest run read and wrote
  // The SI value of every field the calculation wrote, by field; kept between runs like the
  // named results above (which Latest tells current from stale).
  std::array<std::optional<double>, kFieldCount> Values;

  // Curve set of the chosen method: row 0 pressure drops [Pa/m], row 1 capacities at the current
  // flow parameter; and the three operating points.
  int CurveCount = 0;
  mnMatrix Curves;
  TOperatingPoint FloodPoint, DesignPoint, Load80Point;
  // The column that is built: the rounded diameter's flood fraction placed on the same curves.
  // Placed by a converged run on the literature basis, whose wet pressure drop it gives; earlier
  // versions reported the design point's pressure drop (legacy basis: never placed).
  TOperatingPoint ColumnPoint;

  // The calculation trace (core/CalcTrace.h): when the case holds one, a run records its steps
  // there (a fresh trace per run is the caller's to give); null: the run records nothing.
  std::shared_ptr<TCalcTrace> Trace;
};

}  // namespace velm
