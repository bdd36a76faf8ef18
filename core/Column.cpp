#include "core/Column.h"

#include <algorithm>
#include <cmath>

#include "base/NumberFormat.h"
#include "core/Correlations.h"

namespace velm {

namespace {

std::array<std::optional<double>, kFieldCount> StageInputs(
    const TStageLoads& s, const std::array<std::optional<double>, kFieldCount>& common) {
  auto v = common;
  const auto set = [&v](TField f, std::optional<double> x) {
    if (x) v[size_t(f)] = x;
  };
  set(TField::LD, s.LiquidFlow);
  set(TField::DlD, s.LiquidDensity);
  set(TField::MlD, s.LiquidViscosity);
  set(TField::SLD, s.SurfaceTension);
  set(TField::VD, s.GasFlow);
  set(TField::DvD, s.GasDensity);
  set(TField::MvD, s.GasViscosity);
  set(TField::DlfD, s.LiquidDiffusivity);
  set(TField::DvfD, s.GasDiffusivity);
  set(TField::LmdD, s.Lambda);
  return v;
}

TSectionResult RateSection(const TColumnInput& in, const TColumnSection& sec) {
  TSectionResult out;
  out.Name = sec.Name;
  const int first = std::max(0, sec.First);
  const int last = std::min(sec.Last, static_cast<int>(in.Stages.size()) - 1);
  if (sec.Diameter) {
    out.Diameter = *sec.Diameter;
  } else {
    // Designed: the standard diameter of the stage that needs the largest column at the design
    // fraction of flooding.
    out.Designed = true;
    double widest = 0.0;
    for (int i = first; i <= last; ++i) {
      const TDesignCase run =
          DesignRun(sec.Options, StageInputs(in.Stages[size_t(i)], sec.Inputs), sec.Packing);
      if (run.HydraulicsDone && run.Diameter && *run.TheoreticalDiameter > widest) {
        widest = *run.TheoreticalDiameter;
        out.Diameter = *run.Diameter;
        out.DesignStage = i;
      }
    }
    if (out.DesignStage < 0) {
      out.Error = "没有一块板能算出塔径";
      return out;
    }
  }
  TRatingInput rating;
  rating.Options = sec.Options;
  rating.Diameter = out.Diameter;
  double worst = -1.0, height = 0.0;
  bool heights = true;
  for (int i = first; i <= last; ++i) {
    rating.Inputs = StageInputs(in.Stages[size_t(i)], sec.Inputs);
    TStageResult r;
    r.Stage = i;
    r.Rating = RateLoadCase(rating, sec.Packing, {in.Stages[size_t(i)].Name, 100.0, 100.0});
    if (r.Rating.Rated && r.Rating.HETP) {
      r.Height = *r.Rating.HETP * in.Beds.DesignFactor;
      height += *r.Height;
      out.PressureDrop += r.Rating.PressureDrop * *r.Height;
    } else {
      heights = false;
    }
    if (r.Rating.Rated && r.Rating.FloodPercent > worst) {
      worst = r.Rating.FloodPercent;
      out.Governing = static_cast<int>(out.Stages.size());
    }
    out.Stages.push_back(std::move(r));
  }
  if (heights && !out.Stages.empty())
    out.Beds =
        PlanBeds(height, static_cast<int>(out.Stages.size()), out.Diameter, sec.Packing, in.Beds);
  return out;
}

}  // namespace

TBedPlan PlanBeds(double height, int stages, double D, const TPackingRecord& packing,
                  const TBedRules& rules) {
  TBedPlan p;
  p.PackedHeight = height;
  // Raschig rings spread liquid to the wall soonest (Sinnott 2005, Sec. 11.14).
  const bool rings = std::string(packing.F[3]).find("拉西环") != std::string::npos;
  const double perDiameter = rings ? 3.0 : 8.0;
  p.Limit = rules.MaximumBedHeight;
  p.LimitBy = "每床最高 " + FormatGeneral(rules.MaximumBedHeight, 3) + " m";
  if (perDiameter * D < p.Limit) {
    p.Limit = perDiameter * D;
    p.LimitBy = std::string(rings ? "拉西环" : "散堆填料") + "每床不超过 " +
                FormatGeneral(perDiameter, 2) + " 倍塔径";
  }
  if (stages > 0 && height > 0.0) {
    const double perStages = rules.StagesPerBed * height / stages;
    if (perStages < p.Limit) {
      p.Limit = perStages;
      p.LimitBy = "每床约 " + FormatGeneral(rules.StagesPerBed, 3) + " 块理论板";
    }
  }
  p.Beds = height > 0.0 ? std::max(1, static_cast<int>(std::ceil(height / p.Limit - 1e-9))) : 0;
  p.BedHeight = p.Beds > 0 ? height / p.Beds : 0.0;
  p.Redistributors = std::max(0, p.Beds - 1);
  p.Height = height + p.Redistributors * rules.RedistributorHeight;
  return p;
}

TColumnResult RateWholeColumn(const TColumnInput& in) {
  TColumnResult out;
  for (const TColumnSection& sec : in.Sections) {
    out.Sections.push_back(RateSection(in, sec));
    const TSectionResult& r = out.Sections.back();
    out.PressureDrop += r.PressureDrop;
    if (r.Beds) {
      out.PackedHeight += r.Beds->PackedHeight;
      out.Height += r.Beds->Height;
    }
  }
  return out;
}

}  // namespace velm
