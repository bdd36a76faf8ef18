// Flooding and pressure drop from the generalized pressure-drop chart of the Kister type
// (Kister & Gill, Chem. Eng. Prog. 87(2), 1991; Strigle, Random Packings and Packed Towers,
// 2nd ed., Gulf 1994) with the packing's published (experimental) packing factor.
#include "core/CalcTrace.h"
#include "core/CheckedMath.h"
#include "core/Methods.h"

namespace velm {

namespace {

class TKisterOrvik : public TFloodingMethod {
 public:
  const char* Name() const override { return "Kister-Orvik"; }
  const char* KpCaption() const override { return "实验填料因子"; }
  bool KpFromExperimentalFactor() const override { return true; }
  bool UsesKf() const override { return false; }
  // The chart is drawn for 0.005 <= FP <= 5; its fits stay in order a little beyond, but no
  // data lie there.
  std::pair<double, double> FlowParameterRange() const override { return {0.005, 5.0}; }
  int LastChartCurve(double) const override { return kKisterCurves - 1; }

  int TopChartCurve() const override { return kKisterCurves - 1; }
  double ChartPressureDropEnd() const override { return 1300.0; }

  double Step(const TFloodingState& s, TDesignCase& dc, TCurveScratch& scratch,
              TMessageLog& log) const override {
    using namespace checked;
    KisterCurves(s.FP, dc.Curves);
    dc.CurveCount = kKisterCurves;
    // Kister & Gill 1991 (legacy: the constant 40.196).
    dc.FloodPoint.PressureDrop = KisterFloodPressureDrop(s.Kp, s.Legacy);
    SelectWindow(dc.Curves, 0, kKisterCurves, 1, dc.FloodPoint.PressureDrop, scratch.Window);
    const double CPflood = Finite(PolyFitEval(scratch.Window, 0, 1, 2, 1, scratch.Coef,
                                              dc.FloodPoint.PressureDrop, "△Pf", "Yf", &log),
                                  "Yf");
    dc.FloodPoint.Capacity = CPflood;
    dc.FloodPoint.Placed = true;
    // Kinematic viscosity in the capacity parameter, Kister et al. 2007 (legacy: μL). The
    // design and 80 % points are placed at f and f80 times this capacity, so they sit at the
    // gas velocities f Uf and f80 Uf on the same basis.
    const double Uf = KisterFloodVelocity(CPflood, s.Kp, s.rhoL, s.rhoV, s.muL, s.Legacy);
    TraceKisterFlood(scratch.Trace, s, dc.FloodPoint.PressureDrop, scratch.Window, scratch.Coef,
                     CPflood, Uf);
    if (scratch.FloodOnly) return Uf;
    dc.DesignPoint.Capacity = s.f * CPflood;
    dc.DesignPoint.PressureDrop =
        PlaceOnCurves(dc.Curves, kKisterCurves, dc.DesignPoint.Capacity, "△P", "Y", scratch, &log);
    dc.DesignPoint.Placed = true;
    dc.Load80Point.Capacity = s.f80 * CPflood;
    dc.Load80Point.PressureDrop = PlaceOnCurves(dc.Curves, kKisterCurves, dc.Load80Point.Capacity,
                                                "△Pm", "Ym", scratch, &log);
    dc.Load80Point.Placed = true;
    return Uf;
  }

  TOperatingPoint PlaceAtFraction(double F, const TDesignCase& dc,
                                  TCurveScratch& scratch) const override {
    TOperatingPoint p;
    p.Capacity = F * dc.FloodPoint.Capacity;  // CP goes with U
    p.PressureDrop =
        PlaceOnCurves(dc.Curves, kKisterCurves, p.Capacity, "△Pc", "Yc", scratch, nullptr);
    p.Placed = true;
    return p;
  }
};

}  // namespace

std::unique_ptr<TFloodingMethod> MakeKisterOrvik() { return std::make_unique<TKisterOrvik>(); }

}  // namespace velm
