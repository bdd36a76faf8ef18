#include "core/Analysis.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <random>

#include "base/Decimal.h"
#include "base/Errors.h"
#include "base/NumberFormat.h"
#include "core/Methods.h"
#include "core/Rating.h"

namespace velm {

namespace {

// The text with its leading number multiplied by `ratio`; unchanged when it has none.
std::string ScaleLeadingNumber(const std::string& text, double ratio) {
  const char* begin = text.c_str();
  char* end = nullptr;
  const double x = std::strtod(begin, &end);
  if (end == begin || !(x > 0.0) || !std::isfinite(x)) return text;
  return FormatField(x * ratio) + std::string(end);
}

// The spread of a log-normal factor whose 95 % range is ±band: ln(1 + band) / 1.96.
double SigmaOfBand(double band) { return band > 0.0 ? std::log1p(band) / 1.959964 : 0.0; }

// A mean absolute relative deviation read as the spread of a log-normal error: for a normal
// error the mean absolute deviation is σ·(2/π)^0.5.
double SigmaOfMeanDeviation(double deviation) {
  return std::log1p(deviation) * std::sqrt(std::acos(-1.0) / 2.0);
}

TPercentiles PercentilesOf(std::vector<double>& v) {
  const auto at = [&v](double p) {
    const size_t k = std::min(v.size() - 1, static_cast<size_t>(p * static_cast<double>(v.size())));
    std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(k), v.end());
    return v[k];
  };
  return {at(0.10), at(0.50), at(0.90)};
}

std::optional<double> DiameterOf(const TUncertaintyInput& in) {
  return in.Diameter > 0.0 ? std::optional<double>(in.Diameter) : std::nullopt;
}

}  // namespace

TPackingRecord ScaledPacking(const TPackingRecord& packing, double ratio) {
  TPackingRecord p = packing;
  if (ratio == 1.0) return p;
  const double shift = std::log10(ratio);
  for (const int c : {7, 10})
    if (const auto a = ParseNumber(Trim(p.F[size_t(c)]))) p.F[size_t(c)] = FormatField(*a + shift);
  p.F[14] = ScaleLeadingNumber(p.F[14], ratio);
  const size_t at = p.F[15].find("Cp=");
  if (at != std::string::npos) {
    const size_t value = at + 3;
    const size_t end = p.F[15].find(' ', value);
    p.F[15].replace(value, end == std::string::npos ? std::string::npos : end - value,
                    ScaleLeadingNumber(p.F[15].substr(value, end - value), ratio));
  }
  return p;
}

TPackingRecord CalibratedPacking(const TPackingRecord& packing, const TCalibration& c) {
  return ScaledPacking(packing, c.FactorRatio.value_or(1.0));
}

TCalibration Calibrate(const TDesignCase& options, const TPackingRecord& packing,
                       const std::vector<TPlantPoint>& points) {
  TCalibration out;
  std::vector<size_t> usable;
  for (size_t i = 0; i < points.size(); ++i) {
    const TPlantPoint& p = points[i];
    TPointFit fit;
    fit.Name = p.Name;
    fit.PressureDrop = p.PressureDrop;
    if (p.BedHeight && p.Stages && *p.Stages > 0.0) fit.Hetp = *p.BedHeight / *p.Stages;
    std::string error;
    const TDesignCase run = CaseRun(options, p.Inputs, packing, p.Diameter, true, &error);
    if (!(p.Diameter > 0.0))
      fit.Error = "没有塔径";
    else if (!run.HydraulicsDone || !run.WetPressureDrop)
      fit.Error = error.empty() ? std::string("计算没有完成") : error;
    else if (p.PressureDrop && !(*p.PressureDrop > 0.0))
      fit.Error = "实测压降必须是正数";
    if (fit.Error.empty() && (p.PressureDrop || fit.Hetp)) usable.push_back(i);
    out.Points.push_back(std::move(fit));
  }
  if (usable.empty()) throw TInputError("没有可用于校准的实测点");

  // The sum of squared log residuals of the pressure drops at ratio e^u; a point whose run fails
  // at a trial ratio counts as far off, which keeps the search where every point runs.
  const auto misfit = [&](double u) {
    const TPackingRecord scaled = ScaledPacking(packing, std::exp(u));
    double sum = 0.0;
    for (const size_t i : usable) {
      const TPlantPoint& p = points[i];
      if (!p.PressureDrop) continue;
      const TDesignCase run = CaseRun(options, p.Inputs, scaled, p.Diameter, false);
      sum += run.HydraulicsDone && run.WetPressureDrop && *run.WetPressureDrop > 0.0
                 ? std::pow(std::log(*run.WetPressureDrop / *p.PressureDrop), 2)
                 : 1e3;
    }
    return sum;
  };
  const bool pressureDrops =
      std::any_of(usable.begin(), usable.end(), [&](size_t i) { return points[i].PressureDrop; });
  double u = 0.0;
  if (pressureDrops) {
    // Golden-section search (Kiefer, Proc. AMS 4, 1953) over ln(ratio) in [ln 0.1, ln 10].
    const double g = (std::sqrt(5.0) - 1.0) / 2.0;
    double a = std::log(0.1), b = std::log(10.0);
    double c = b - g * (b - a), d = a + g * (b - a);
    double fc = misfit(c), fd = misfit(d);
    while (b - a > 1e-9) {
      if (fc <= fd) {
        b = d, d = c, fd = fc;
        c = b - g * (b - a), fc = misfit(c);
      } else {
        a = c, c = d, fc = fd;
        d = a + g * (b - a), fd = misfit(d);
      }
    }
    u = (a + b) / 2.0;
    out.FactorRatio = std::exp(u);
  }

  const TPackingRecord fitted = ScaledPacking(packing, std::exp(u));
  double squares = 0.0, logHetp = 0.0;
  int dps = 0, hetps = 0;
  for (const size_t i : usable) {
    TPointFit& fit = out.Points[i];
    const TDesignCase run = CaseRun(options, points[i].Inputs, fitted, points[i].Diameter, true);
    if (!run.HydraulicsDone || !run.WetPressureDrop) {
      fit.Error = "按拟合的填料因子计算没有完成";
      continue;
    }
    if (fit.PressureDrop) {
      fit.Calculated = run.WetPressureDrop;
      fit.Residual = 100.0 * (*fit.Calculated - *fit.PressureDrop) / *fit.PressureDrop;
      squares += *fit.Residual * *fit.Residual;
      ++dps;
    }
    if (fit.Hetp && run.HETP && *run.HETP > 0.0) {
      fit.HetpCalculated = run.HETP;
      logHetp += std::log(*fit.Hetp / *run.HETP);
      ++hetps;
    }
  }
  if (dps > 0) out.RmsResidual = std::sqrt(squares / dps);
  if (hetps > 0) {
    out.HetpFactor = std::exp(logHetp / hetps);
    for (TPointFit& fit : out.Points)
      if (fit.HetpCalculated) *fit.HetpCalculated *= *out.HetpFactor;
  }
  return out;
}

const std::vector<TField>& VariedFields() {
  static const std::vector<TField> fields = {TField::LD,   TField::VD,  TField::DlD, TField::DvD,
                                             TField::MlD,  TField::MvD, TField::SLD, TField::DlfD,
                                             TField::DvfD, TField::LmdD};
  return fields;
}

TCorrelationSpread CorrelationSpread(int floodMethod) {
  TCorrelationSpread s;
  if (std::string_view(FloodingMethodAt(FloodingMethodIndex(floodMethod)).Name()) ==
      "Billet-Schultes") {
    // Mean deviations of the model from the authors' data: loading and flooding 5 %, pressure
    // drop 9.1 %, rectification efficiency 14.1 % (Billet & Schultes, Trans IChemE 77A, 1999,
    // 498; as quoted by Kolev, Packed Bed Columns, 2006, p. 206).
    s.Flood = SigmaOfMeanDeviation(0.05);
    s.PressureDrop = SigmaOfMeanDeviation(0.091);
    s.Hetp = SigmaOfMeanDeviation(0.141);
    s.Sources.push_back(
        "Billet & Schultes 1999 的平均偏差: 泛点 5 %，压降 9.1 %，精馏效率 14.1 % "
        "(Kolev 2006, p. 206)");
  } else {
    // No accuracy band of the generalized chart is published as a figure; its spread is that of
    // the packing factor (the user's band). Onda's HETP needs a factor a little above 1.6 for
    // 95 % confidence, the 1.6 of Bravo & Fair's model (Kister, Distillation Design, 1992,
    // Ch. 9): 1.6 is taken as the one-sided 95 % point, a lower bound of Onda's spread.
    s.Hetp = std::log(1.6) / 1.644854;
    s.Sources.push_back(
        "HETP: 95 % 置信度须乘 1.6 (Bravo & Fair 1982; Onda 略大，Kister 1992 第 9 章)；"
        "通用关联图的泛点和压降没有发表的精度数字，其不确定性由填料因子的 ± 给出");
  }
  return s;
}

TUncertainty RunUncertainty(const TUncertaintyInput& in, const TPackingRecord& packing) {
  if (!(in.Samples >= 1 && in.Samples <= kMaximumSamples))
    throw TInputError("抽样次数应在 1 到 " + std::to_string(kMaximumSamples) + " 之间");
  TUncertainty out;
  out.Samples = in.Samples;
  const TCorrelationSpread spread =
      in.CorrelationBands ? CorrelationSpread(in.Options.FloodMethod) : TCorrelationSpread{};
  out.Sources = spread.Sources;
  std::mt19937_64 random(in.Seed);
  std::normal_distribution<double> normal;
  std::vector<std::pair<TField, double>> sigmas;
  for (const TField f : VariedFields())
    if (in.Inputs[size_t(f)] && in.Band[size_t(f)] > 0.0)
      sigmas.emplace_back(f, SigmaOfBand(in.Band[size_t(f)]));
  const double packingSigma = SigmaOfBand(in.PackingFactorBand);

  std::vector<double> diameters, floods, drops, hetps, heights;
  int flooded = 0;
  for (int i = 0; i < in.Samples; ++i) {
    auto inputs = in.Inputs;
    for (const auto& [f, sigma] : sigmas) *inputs[size_t(f)] *= std::exp(sigma * normal(random));
    const double ratio = packingSigma > 0.0 ? std::exp(packingSigma * normal(random)) : 1.0;
    const double mf = std::exp(spread.Flood * normal(random));
    const double mp = std::exp(spread.PressureDrop * normal(random));
    const double mh = std::exp(spread.Hetp * normal(random)) * in.HetpFactor;
    const TDesignCase run =
        CaseRun(in.Options, inputs, ScaledPacking(packing, ratio), DiameterOf(in), true);
    if (!run.HydraulicsDone || !run.FloodFraction || !run.TheoreticalDiameter ||
        !run.WetPressureDrop) {
      ++out.Failed;
      continue;
    }
    // The flooding velocity off by mf: the flood fraction goes with 1/mf and the diameter the
    // design fraction needs with mf^-0.5.
    diameters.push_back(*run.TheoreticalDiameter / std::sqrt(mf));
    floods.push_back(100.0 * *run.FloodFraction / mf);
    if (floods.back() >= 100.0) ++flooded;
    drops.push_back(*run.WetPressureDrop * mp);
    if (run.HETP) {
      hetps.push_back(*run.HETP * mh);
      if (in.Stages) heights.push_back(*in.Stages * hetps.back());
    }
  }
  if (!diameters.empty()) {
    out.TheoreticalDiameter = PercentilesOf(diameters);
    out.FloodPercent = PercentilesOf(floods);
    out.PressureDrop = PercentilesOf(drops);
    out.FloodProbability = static_cast<double>(flooded) / static_cast<double>(floods.size());
  }
  if (!hetps.empty()) out.Hetp = PercentilesOf(hetps);
  if (!heights.empty()) out.PackedHeight = PercentilesOf(heights);

  // The method spread: every method at the nominal inputs.
  for (size_t m = 0; m < FloodingMethods().size(); ++m) {
    TDesignCase options = in.Options;
    options.FloodMethod = static_cast<int>(m);
    TMethodResult r;
    r.Method = FloodingMethods()[m]->Name();
    const TDesignCase run = CaseRun(options, in.Inputs, packing, DiameterOf(in), true, &r.Error);
    if (run.HydraulicsDone && run.FloodFraction) {
      r.Error.clear();
      r.TheoreticalDiameter = run.TheoreticalDiameter;
      r.FloodPercent = 100.0 * *run.FloodFraction;
      r.PressureDrop = run.WetPressureDrop;
      r.Hetp = run.HETP;
    } else if (r.Error.empty()) {
      r.Error = "计算没有完成";
    }
    out.Methods.push_back(std::move(r));
  }
  return out;
}

std::vector<TSensitivity> RunSensitivity(const TUncertaintyInput& in, const TPackingRecord& packing,
                                         double step) {
  const TDesignCase nominal = CaseRun(in.Options, in.Inputs, packing, DiameterOf(in), true);
  if (!nominal.HydraulicsDone || !nominal.TheoreticalDiameter)
    throw TCalcError("设计工况计算没有完成，无法分析敏感性");
  const auto change = [](const TDesignCase& run, const std::optional<double>& base,
                         const std::optional<double> TDesignCase::*member) {
    const std::optional<double>& v = run.*member;
    return run.HydraulicsDone && v && base ? std::optional<double>(100.0 * (*v / *base - 1.0))
                                           : std::nullopt;
  };
  std::vector<TSensitivity> out;
  const auto add = [&](std::optional<TField> f, double s) {
    TSensitivity r;
    r.Field = f;
    r.Step = s;
    for (const double sign : {-1.0, 1.0}) {
      auto inputs = in.Inputs;
      TPackingRecord pk = packing;
      if (f)
        *inputs[size_t(*f)] *= 1.0 + sign * s;
      else
        pk = ScaledPacking(packing, 1.0 + sign * s);
      const TDesignCase run = CaseRun(in.Options, inputs, pk, DiameterOf(in), true);
      (sign < 0 ? r.DiameterLow : r.DiameterHigh) =
          change(run, nominal.TheoreticalDiameter, &TDesignCase::TheoreticalDiameter);
      (sign < 0 ? r.HetpLow : r.HetpHigh) = change(run, nominal.HETP, &TDesignCase::HETP);
    }
    out.push_back(r);
  };
  for (const TField f : VariedFields())
    if (in.Inputs[size_t(f)]) add(f, in.Band[size_t(f)] > 0.0 ? in.Band[size_t(f)] : step);
  add(std::nullopt, in.PackingFactorBand > 0.0 ? in.PackingFactorBand : step);
  const auto effect = [](const TSensitivity& s) {
    return std::max(std::abs(s.DiameterLow.value_or(0.0)), std::abs(s.DiameterHigh.value_or(0.0)));
  };
  std::stable_sort(out.begin(), out.end(), [&](const TSensitivity& a, const TSensitivity& b) {
    return effect(a) > effect(b);
  });
  return out;
}

std::vector<TSweepPoint> RunSweep(const TUncertaintyInput& in, const TPackingRecord& packing,
                                  TField field, double from, double to, int points) {
  if (!(points >= 2 && points <= kMaximumSweepPoints))
    throw TInputError("扫描点数应在 2 到 " + std::to_string(kMaximumSweepPoints) + " 之间");
  if (!std::isfinite(from) || !std::isfinite(to)) throw TInputError("扫描范围不是数");
  std::vector<TSweepPoint> out;
  for (int i = 0; i < points; ++i) {
    TSweepPoint p;
    p.Value = from + (to - from) * i / (points - 1);
    auto inputs = in.Inputs;
    inputs[size_t(field)] = p.Value;
    const TDesignCase run = CaseRun(in.Options, inputs, packing, DiameterOf(in), true, &p.Error);
    if (run.HydraulicsDone) {
      p.Error.clear();
      p.Results = run.Values;
    } else if (p.Error.empty()) {
      p.Error = "计算没有完成";
    }
    out.push_back(std::move(p));
  }
  return out;
}

}  // namespace velm
