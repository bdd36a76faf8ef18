#pragma once
// The calculation trace: while a run computes, each step records what a checker needs to redo
// it by hand — the step's name, its equation as text, the source (author, journal, year), the
// inputs with their values and units, the intermediate values and the result. The numbers are
// the ones the run used, handed over where they were computed; nothing here recomputes them.
//
// A run traces only when its design case holds a trace (TDesignCase::Trace); without one every
// Trace* call returns at once. The flooding iteration records its steps on every pass; a record
// with the id of an earlier one replaces it, so the trace keeps the last (converged) pass.
#include <string>
#include <string_view>
#include <vector>

#include "core/Matrix.h"

namespace velm {

struct TDesignCase;
struct TPackingNumbers;
struct TFloodingState;
struct TMassTransferState;
struct TOndaResult;
struct THeights;
struct TOperatingPoint;

// One number of a step, in the unit the equation takes it in.
struct TTraceValue {
  const char* Symbol = "";  // "ρL"
  const char* Name = "";    // "液相密度"
  double Value = 0.0;
  const char* Unit = "";  // "kg/m3"; empty for a pure number
  int Digits = 4;         // significant digits a sheet shows (the full value is kept)
};

// Significant digits of the three kinds of numbers: inputs as given, intermediate values with a
// guard digit, results to engineering precision.
inline constexpr int kInputDigits = 6;
inline constexpr int kValueDigits = 5;
inline constexpr int kResultDigits = 4;

struct TTraceStep {
  const char* Id = "";      // stable key, e.g. "flow-parameter"
  const char* Title = "";   // "流动参数"
  std::string Equation;     // "FP = (L/V)·(ρV/ρL)^0.5"
  const char* Source = "";  // author, journal, year; empty for plain arithmetic
  std::vector<TTraceValue> Inputs;
  std::vector<TTraceValue> Values;  // intermediate values
  std::vector<TTraceValue> Results;
  std::string Note;  // how the step was taken (a rule, a branch), empty when nothing to say
};

class TCalcTrace {
 public:
  // The basis of the run: method names and options as the window shows them.
  std::string FloodMethod, MassTransferMethod, Basis, Acceleration;

  // Adds the step, or replaces the step with the same id.
  void Put(TTraceStep step);
  const std::vector<TTraceStep>& Steps() const { return FSteps; }
  // The step with that id; null when the run did not reach it.
  const TTraceStep* Find(std::string_view id) const;
  // A result or intermediate value of a step by symbol; null when there is none.
  const TTraceValue* Value(std::string_view id, std::string_view symbol) const;

 private:
  std::vector<TTraceStep> FSteps;
};

// The calls of the run, one per step; each does nothing when trace is null.
void TraceRunStart(TCalcTrace* trace, const TDesignCase& dc, const TPackingNumbers& pk,
                   const char* packingFactorText);
void TraceFlowParameter(TCalcTrace* trace, double L, double V, double rhoL, double rhoV, double FP);
// A wet packing factor: from the packing's fit at liquid load X (fitted), the packing's
// published factor (experimental) or the value typed (given).
enum class TFactorOrigin { Fitted, Experimental, Given };
void TraceFactor(TCalcTrace* trace, bool flooding, TFactorOrigin origin, double A, double B,
                 bool logForm, double X, double K);
// The flooding velocity read from the chart: Eckert's flooding line at FP, or Kister's capacity
// at the flooding pressure drop (window: the two chart points the line runs through, coef its
// coefficients).
void TraceEckertFlood(TCalcTrace* trace, const TFloodingState& s, double Yflood, double Uf);
void TraceKisterFlood(TCalcTrace* trace, const TFloodingState& s, double dPflood,
                      const mnMatrix& window, const mnMatrix& coef, double CPflood, double Uf);
// A point placed on the curve set: the capacity x, the four chart points around it and the
// cubic through them (coefficients highest power first), the pressure drop found.
void TracePlacement(TCalcTrace* trace, std::string_view resultName, double x,
                    const mnMatrix& window, const mnMatrix& coef, double dP);
void TraceIteration(TCalcTrace* trace, double loadPerVelocity, double Uf, double X, int steps,
                    bool converged);
void TraceDesignVelocity(TCalcTrace* trace, double percent, double foaming, double f, double Uf,
                         double Up);
// given: D is the diameter of the rated column, not a rounding of dp.
void TraceDiameter(TCalcTrace* trace, double V, double Up, double rhoV, double dp, double D,
                   bool legacy, bool given = false);
void TraceColumn(TCalcTrace* trace, double V, double D, double rhoV, double Uvs, double Uf,
                 double F, double loadPerVelocity, double Uls);
void TracePressureDrop(TCalcTrace* trace, bool legacy, double F, const TOperatingPoint& point);
void TraceHoldup(TCalcTrace* trace, double muL, double Uls, double rhoL, double dn, double h);
void TraceWetting(TCalcTrace* trace, double Uls, double a, double dn, double minimumRate,
                  double percent);
// Onda's wetted area and film coefficients, the heights of transfer units and the HETP.
void TraceOnda(TCalcTrace* trace, const TMassTransferState& s, double Lw, double Gw,
               const TOndaResult& film, double enhanceL, double enhanceG, double area,
               const THeights& h);

}  // namespace velm
