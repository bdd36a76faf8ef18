#include "core/Analysis.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <random>

#include "base/Decimal.h"
#include "base/Errors.h"
#include "base/NumberFormat.h"
#include "core/FieldRegistry.h"
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

std::array<TPercentileRow, 5> PercentileRows(const TUncertainty& u) {
  return {{{"diameter", "理论塔径", "m", &u.TheoreticalDiameter},
           {"flood", "实际泛点率", "%", &u.FloodPercent},
           {"dp", "湿塔压降", "Pa/m", &u.PressureDrop},
           {"hetp", "HETP", "m", &u.Hetp},
           {"height", "填料高度", "m", &u.PackedHeight}}};
}

std::string MethodResultText(const TMethodResult& m) {
  if (!m.Error.empty() || !m.TheoreticalDiameter) return m.Method + " 不能计算";
  const auto num = [](const std::optional<double>& v, int digits) {
    return v ? FormatGeneral(*v, digits) : std::string("—");
  };
  return m.Method + " 理论塔径 " + num(m.TheoreticalDiameter, 4) + " m、泛点率 " +
         num(m.FloodPercent, 3) + " %、HETP " + num(m.Hetp, 3) + " m";
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
      if (run.HETP) r.Hetp = *run.HETP * in.HetpFactor;
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

namespace {

// The fields of one record, with a reader of its numbers that names the record when one does
// not read.
struct TRecord {
  std::string_view Text;
  std::vector<std::string_view> F;
  std::string What;  // "校准数据" or "分析设置"

  [[noreturn]] void Fail() const {
    throw TInputError(What + "的记录“" + std::string(Text) + "”不能识别");
  }
  double Number(size_t i) const {
    const auto x = i < F.size() ? ParseNumber(Trim(F[i])) : std::nullopt;
    if (!x || !std::isfinite(*x)) Fail();
    return *x;
  }
  std::optional<double> Positive(size_t i, bool optional) const {
    if (optional && i < F.size() && Trim(F[i]).empty()) return std::nullopt;
    const double x = Number(i);
    if (!(x > 0.0)) Fail();
    return x;
  }
  TField Field(size_t i, bool varied) const {
    const TFieldInfo* f = i < F.size() ? FindField(Trim(F[i])) : nullptr;
    if (!f) Fail();
    const auto& all = VariedFields();
    if (varied != (std::find(all.begin(), all.end(), f->Field) != all.end()) ||
        (!varied && f->Role == TFieldRole::Input))
      Fail();
    return f->Field;
  }
};

std::vector<TRecord> Records(std::string_view text, const char* what) {
  std::vector<TRecord> out;
  if (Trim(text).empty()) return out;
  for (std::string_view r : Split(text, ';')) out.push_back({r, Split(r, ','), what});
  return out;
}

std::string Field(const std::optional<double>& x) { return x ? FormatField(*x) : std::string(); }

}  // namespace

std::string CalibrationText(const TCalibrationSettings& c) {
  std::string out;
  for (const auto& p : c.Points)
    out += (out.empty() ? "" : ";") + std::string("P,") + RecordText(p.Name) + "," +
           FormatField(p.LiquidFlow) + "," + FormatField(p.GasFlow) + "," +
           FormatField(p.Diameter) + "," + Field(p.PressureDrop) + "," + Field(p.BedHeight) + "," +
           Field(p.Stages);
  if (c.Apply) out += out.empty() ? "U" : ";U";
  return out;
}

TCalibrationSettings ParseCalibrationText(std::string_view text) {
  TCalibrationSettings c;
  for (const TRecord& r : Records(text, "校准数据")) {
    if (r.F.size() == 1 && Trim(r.F[0]) == "U") {
      c.Apply = true;
    } else if (r.F.size() == 8 && r.F[0] == "P") {
      TCalibrationSettings::TPoint p;
      p.Name = std::string(Trim(r.F[1]));
      p.LiquidFlow = *r.Positive(2, false);
      p.GasFlow = *r.Positive(3, false);
      p.Diameter = *r.Positive(4, false);
      p.PressureDrop = r.Positive(5, true);
      p.BedHeight = r.Positive(6, true);
      p.Stages = r.Positive(7, true);
      c.Points.push_back(std::move(p));
    } else {
      r.Fail();
    }
  }
  if (c.Points.size() > kMaximumPlantPoints)
    throw TInputError("校准数据超过 " + std::to_string(kMaximumPlantPoints) + " 个实测点");
  return c;
}

std::vector<TPlantPoint> PlantPoints(const TCalibrationSettings& c,
                                     const std::array<std::optional<double>, kFieldCount>& design) {
  std::vector<TPlantPoint> out;
  for (const auto& p : c.Points) {
    TPlantPoint x;
    x.Name = p.Name;
    x.Inputs = design;
    x.Inputs[size_t(TField::LD)] = p.LiquidFlow;
    x.Inputs[size_t(TField::VD)] = p.GasFlow;
    x.Diameter = p.Diameter;
    x.PressureDrop = p.PressureDrop;
    x.BedHeight = p.BedHeight;
    x.Stages = p.Stages;
    out.push_back(std::move(x));
  }
  return out;
}

std::string AnalysisText(const TAnalysisSettings& a) {
  std::vector<std::string> records;
  for (const TField f : VariedFields())
    if (a.Band[size_t(f)] > 0.0)
      records.push_back("B," + std::string(FieldInfo(f).Code) + "," +
                        FormatField(a.Band[size_t(f)]));
  if (a.PackingFactorBand > 0.0) records.push_back("B,Fp," + FormatField(a.PackingFactorBand));
  if (a.Samples > 0) records.push_back("N," + std::to_string(a.Samples));
  if (a.Seed != 1) records.push_back("S," + std::to_string(a.Seed));
  if (a.Stages) records.push_back("H," + FormatField(*a.Stages));
  if (a.Sweep)
    records.push_back("W," + std::string(FieldInfo(a.Sweep->Input).Code) + "," +
                      FormatField(a.Sweep->From) + "," + FormatField(a.Sweep->To) + "," +
                      std::to_string(a.Sweep->Points) + "," + FieldInfo(a.Sweep->Result).Code);
  std::string out;
  for (const std::string& r : records) out += (out.empty() ? "" : ";") + r;
  return out;
}

TAnalysisSettings ParseAnalysisText(std::string_view text) {
  TAnalysisSettings a;
  for (const TRecord& r : Records(text, "分析设置")) {
    const std::string_view kind = r.F[0];
    const auto whole = [&](size_t i, double low, double high) {
      const double x = r.Number(i);
      if (x != std::floor(x) || x < low || x > high) r.Fail();
      return x;
    };
    if (kind == "B" && r.F.size() == 3) {
      const double band = r.Number(2);
      if (!(band >= 0.0 && band <= 1.0)) r.Fail();
      if (Trim(r.F[1]) == "Fp")
        a.PackingFactorBand = band;
      else
        a.Band[size_t(r.Field(1, true))] = band;
    } else if (kind == "N" && r.F.size() == 2) {
      a.Samples = static_cast<int>(whole(1, 0, kMaximumSamples));
    } else if (kind == "S" && r.F.size() == 2) {
      a.Seed = static_cast<std::uint64_t>(whole(1, 0, 9007199254740992.0));
    } else if (kind == "H" && r.F.size() == 2) {
      a.Stages = r.Positive(1, false);
    } else if (kind == "W" && r.F.size() == 6) {
      TAnalysisSettings::TSweep w;
      w.Input = r.Field(1, true);
      w.From = r.Number(2);
      w.To = r.Number(3);
      w.Points = static_cast<int>(whole(4, 2, kMaximumSweepPoints));
      w.Result = r.Field(5, false);
      a.Sweep = w;
    } else {
      r.Fail();
    }
  }
  return a;
}

}  // namespace velm
