// Flooding and pressure drop from the generalized pressure-drop correlation of the Eckert type
// (Eckert, Chem. Eng. Prog. 66(3), 1970) with wet packing factors fitted to the liquid load.
#include "core/CalcTrace.h"
#include "core/CheckedMath.h"
#include "core/Methods.h"

namespace velm {

namespace {

class TEckertOrvik : public TFloodingMethod {
 public:
  const char* Name() const override { return "Eckert-Orvik"; }
  const char* KpCaption() const override { return "压降湿填料因子"; }
  bool KpFromExperimentalFactor() const override { return false; }
  bool UsesKf() const override { return true; }
  // The fitted curves (the 11 constant pressure-drop lines and the flooding line) keep their
  // order only for 0.0066 <= FP <= 3.4: below it the flooding line falls under the 1961 Pa/m
  // curve, above it two of the pressure-drop lines cross.
  std::pair<double, double> FlowParameterRange() const override { return {0.0066, 3.4}; }
  int LastChartCurve(double FP) const override {
    if (FP <= 0.25) return 10;
    if (FP <= 1.0) return 9;
    return 8;
  }

  int TopChartCurve() const override { return kEckertCurves - 1; }
  double ChartPressureDropEnd() const override { return 2000.0; }

  double Step(const TFloodingState& s, TDesignCase& dc, TCurveScratch& scratch,
              TMessageLog& log) const override {
    using namespace checked;
    // Only the flooding velocity: the flooding line alone, no curve set.
    if (scratch.FloodOnly)
      return EckertFloodVelocity(EckertFloodOrdinate(s.FP), s.Kf, s.rhoL, s.rhoV, s.muL);
    const double Yflood = EckertCurves(s.FP, dc.Curves);
    dc.CurveCount = kEckertCurves;  // only once the curves are there
    const double Uf = EckertFloodVelocity(Yflood, s.Kf, s.rhoL, s.rhoV, s.muL);
    TraceEckertFlood(scratch.Trace, s, Yflood, Uf);
    dc.FloodPoint.Capacity = Finite(Div(Yflood * s.Kp, s.Kf, "Yf·Kp/Kf"), "Yf");
    const int used = CurvesUsed(s.FP);
    dc.FloodPoint.PressureDrop =
        PlaceOnCurves(dc.Curves, used, dc.FloodPoint.Capacity, "△Pf", "Yf", scratch, &log);
    dc.FloodPoint.Placed = true;
    // The ordinate goes with the square of the gas velocity.
    dc.DesignPoint.Capacity = s.f * s.f * dc.FloodPoint.Capacity;
    dc.DesignPoint.PressureDrop =
        PlaceOnCurves(dc.Curves, used, dc.DesignPoint.Capacity, "△P", "Y", scratch, &log);
    dc.DesignPoint.Placed = true;
    dc.Load80Point.Capacity = s.f80 * s.f80 * dc.FloodPoint.Capacity;
    dc.Load80Point.PressureDrop =
        PlaceOnCurves(dc.Curves, used, dc.Load80Point.Capacity, "△Pm", "Ym", scratch, &log);
    dc.Load80Point.Placed = true;
    return Uf;
  }

  TOperatingPoint PlaceAtFraction(double F, const TDesignCase& dc,
                                  TCurveScratch& scratch) const override {
    TOperatingPoint p;
    p.Capacity = F * F * dc.FloodPoint.Capacity;  // Y goes with U^2
    p.PressureDrop = PlaceOnCurves(dc.Curves, CurvesUsed(dc.FlowParameter.value_or(0.0)),
                                   p.Capacity, "△Pc", "Yc", scratch, nullptr);
    p.Placed = true;
    return p;
  }

 private:
  // Curves the points are placed on: the upper curves lose their order at high FP.
  static int CurvesUsed(double FP) {
    if (FP <= 0.25) return 11;
    if (FP <= 1.0) return 9;
    return 8;
  }
};

}  // namespace

std::unique_ptr<TFloodingMethod> MakeEckertOrvik() { return std::make_unique<TEckertOrvik>(); }

}  // namespace velm
