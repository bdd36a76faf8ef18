#include "chart/Envelope.h"

#include <cmath>

#include "base/Decimal.h"
#include "base/Errors.h"
#include "base/NumberFormat.h"
#include "core/CheckedMath.h"
#include "core/Correlations.h"
#include "core/Matrix.h"
#include "core/Methods.h"

namespace velm {

namespace {

double Load(double num, double den, const char* what) {
  return checked::Div(checked::Finite(num, what), den, what);
}

}  // namespace

TEnvelopeLoads EnvelopeLoads(double L, double V, double Um, double f) {
  TEnvelopeLoads e;
  e.L = checked::Finite(L, "L");
  e.V = checked::Finite(V, "V");
  // Same order as the drawing has always computed them: minimum load first.
  e.Lmin = Load(100.0 * L, Um, "Lmin");
  e.Vmin = Load(V * e.Lmin, L, "Vmin");
  e.L80 = Load(L * 80.0, f, "L80");
  e.V80 = Load(V * 80.0, f, "V80");
  e.Lf = checked::Finite(1.25 * e.L80, "Lf");
  e.Vf = checked::Finite(1.25 * e.V80, "Vf");
  return e;
}

TLoadPercents LoadPercents(const TEnvelopeLoads& e) {
  auto percent = [&](double load, const char* what) {
    const double q = checked::Div(100.0 * load, e.L, what);
    if (std::fabs(q) > 2.0e9) checked::Fail(what, "超出范围", q);
    // A half goes to the even integer (62.5 -> 62).
    return static_cast<int>(RoundHalfEven(q));
  };
  TLoadPercents p;
  p.Nmin = percent(e.Lmin, "Nmin");
  p.N80 = percent(e.L80, "N80");
  p.Nf = percent(e.Lf, "Nf");
  return p;
}

int LastCurveIndex(int floodMethod, double FP) {
  return FloodingMethodAt(floodMethod).LastChartCurve(FP);
}

std::string ChartNumber(double value, int exponentDigits) {
  return FormatGeneral(value, 4, exponentDigits);
}

TEnvelope BuildEnvelope(const TDesignCase& dc, const TEnvelopeLoads& loads) {
  TEnvelope env;
  env.FloodMethod = FloodingMethodIndex(dc.FloodMethod);
  const TFloodingMethod& method = FloodingMethodAt(env.FloodMethod);
  env.FlowParameter = dc.FlowParameter.value_or(0.0);
  const int a = LastCurveIndex(env.FloodMethod, env.FlowParameter);
  env.LastIndex = a;
  // The capacity axis of Eckert-Orvik always reaches the top curve, also when fewer are drawn.
  const int top = method.TopChartCurve();
  const bool curvesThere = dc.Curves.size() >= 2 && dc.CurveCount > top &&
                           static_cast<int>(dc.Curves[0].size()) > top &&
                           static_cast<int>(dc.Curves[1].size()) > top;
  if (!curvesThere || !dc.FlowParameter || !dc.FloodPoint.Placed || !dc.DesignPoint.Placed ||
      !dc.Load80Point.Placed)
    throw TCalcError("没有有效的数据: 压降曲线或操作点尚未计算");

  const lMatrix& dp = dc.Curves[0];
  const lMatrix& cp = dc.Curves[1];
  for (int i = 0; i <= a; ++i)
    env.CurvePoints.push_back({checked::Finite(dp[i], "△P"), checked::Finite(cp[i], "Cp")});

  // 51 samples equally spaced in pressure drop; sample 50 falls on point a.
  const double step = (dp[a] - dp[0]) / 50.0;
  env.CurveSamples.reserve(51);
  for (int j = 0; j <= 50; ++j) {
    const double x = dp[0] + j * step;
    env.CurveSamples.push_back(
        {x, checked::Finite(InterpolateCurve(dc.Curves, a + 1, 0, 1, x), "Cp(△P)")});
  }

  auto point = [](const TOperatingPoint& p) {
    return TChartPoint{checked::Finite(p.PressureDrop, "△P"), checked::Finite(p.Capacity, "Cp")};
  };
  // A rated column's own operating point stands for the design point.
  env.Rated = dc.GivenDiameter && dc.ColumnPoint.Placed;
  env.Design = point(env.Rated ? dc.ColumnPoint : dc.DesignPoint);
  env.Flood = point(dc.FloodPoint);
  env.Load80 = point(dc.Load80Point);
  env.FloodExtension = env.Flood.X >= dp[a] && env.Flood.Y >= cp[a];

  TPressureDropAxes& ax = env.PressureDropAxes;
  ax.PressureDropEnd = std::max(method.ChartPressureDropEnd(), env.Flood.X);
  ax.CapacityEnd = std::max(cp[top], env.Flood.Y) + 0.001;

  env.Loads = loads;
  env.Percents = LoadPercents(loads);
  env.LoadAxes = {1.375 * loads.L80, 1.375 * loads.V80, 1.25 * loads.L80 / 10.0,
                  1.25 * loads.V80 / 10.0};

  const TLoadPercents& n = env.Percents;
  const std::string nmin = std::to_string(n.Nmin), n80 = std::to_string(n.N80),
                    nf = std::to_string(n.Nf);
  env.MinLabel =
      n.Nmin < 90
          ? TLoadLabel{{loads.Lmin, loads.Vmin}, TLabelSide::Left, "最小负荷(" + nmin + "%)   "}
          : TLoadLabel{
                {loads.Lmin, loads.Vmin}, TLabelSide::RightBelow, "   最小负荷(" + nmin + "%)"};
  env.DesignLabel = {{loads.L, loads.V}, TLabelSide::Left, "设计负荷(100%)   "};
  env.Load80Label =
      n.N80 > 110
          ? TLoadLabel{{loads.L80, loads.V80}, TLabelSide::Left, "80负荷(" + n80 + "%)   "}
          : TLoadLabel{{loads.L80, loads.V80}, TLabelSide::RightAbove, "   80大负荷(" + n80 + "%)"};
  env.FloodLabel =
      n.Nf > 130
          ? TLoadLabel{{loads.Lf, loads.Vf}, TLabelSide::Left, "泛点负荷(" + nf + "%)   "}
          : TLoadLabel{{loads.Lf, loads.Vf}, TLabelSide::RightAbove, "   泛点负荷(" + nf + "%)"};
  return env;
}

std::optional<TEnvelope> DocumentEnvelope(const TDesignDocument& doc) {
  const auto value = [&doc](TField f) -> std::optional<double> {
    const TValueFieldState& s = doc[f];
    if (s.Stale) return std::nullopt;
    const auto x = ParseNumber(Trim(s.Text));
    return x ? std::optional(s.K * *x + s.B) : std::nullopt;
  };
  const auto L = value(TField::LD), V = value(TField::VD), Um = value(TField::UmD);
  auto f = ParseNumber(Trim(doc.FloodPercentText));
  const bool rated = doc.CalcTypeIndex == 1 && doc.Rating && doc.Case.FloodFraction;
  if (rated) f = 100.0 * *doc.Case.FloodFraction;
  if (!doc.Case.HydraulicsDone || !L || !V || !Um || !value(TField::dD) || !f) return std::nullopt;
  TEnvelope env = BuildEnvelope(doc.Case, EnvelopeLoads(*L, *V, *Um, *f));
  if (rated) {
    env.RatingLines = doc.Rating->Lines;
    env.Window = doc.Rating->Window;
  }
  return env;
}

}  // namespace velm
