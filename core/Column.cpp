#include "core/Column.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "base/Decimal.h"
#include "base/Errors.h"
#include "base/NumberFormat.h"
#include "core/Correlations.h"
#include "core/Methods.h"

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

// "key material size type", the way the packing list names a packing.
std::string PackingLabel(const TPackingRecord& p) {
  std::string label;
  for (int c = 0; c < 4; ++c)
    if (const std::string_view t = Trim(p.F[size_t(c)]); !t.empty())
      label += (label.empty() ? "" : " ") + std::string(t);
  return label;
}

TSectionResult RateSection(const TColumnInput& in, const TColumnSection& sec) {
  TSectionResult out;
  out.Name = sec.Name;
  out.Packing = PackingLabel(sec.Packing);
  out.Method = FloodingMethodAt(FloodingMethodIndex(sec.Options.FloodMethod)).Name();
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
  if (heights && !out.Stages.empty()) {
    try {
      out.Beds =
          PlanBeds(height, static_cast<int>(out.Stages.size()), out.Diameter, sec.Packing, in.Beds);
    } catch (const std::exception& e) {
      out.Error = e.what();
    }
  }
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
  // More beds than any column holds: rules or heights out of all proportion.
  const double beds = std::ceil(height / p.Limit - 1e-9);
  if (!(beds < 1e4)) throw TCalcError("填料层需要 " + FormatGeneral(beds, 3) + " 个床，无法分床");
  p.Beds = height > 0.0 ? std::max(1, static_cast<int>(beds)) : 0;
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

std::string ColumnText(const std::vector<TStageLoads>& stages,
                       const std::vector<TSectionRange>& sections,
                       std::optional<double> designFactor) {
  std::string out;
  const auto add = [&out](const std::string& record) {
    if (!out.empty()) out += ';';
    out += record;
  };
  for (const TStageLoads& s : stages) {
    std::string r = "S," + RecordText(s.Name);
    for (double v : {s.LiquidFlow, s.LiquidDensity, s.LiquidViscosity, s.SurfaceTension, s.GasFlow,
                     s.GasDensity, s.GasViscosity})
      r += "," + FormatField(v);
    add(r);
  }
  for (const TSectionRange& c : sections)
    add("C," + RecordText(c.Name) + "," + std::to_string(c.First) + "," + std::to_string(c.Last) +
        "," + (c.Diameter ? FormatField(*c.Diameter) : std::string()) +
        (c.Packing.empty() && c.Method.empty()
             ? std::string()
             : "," + RecordText(c.Packing) + "," + RecordText(c.Method)));
  if (designFactor) add("F," + FormatField(*designFactor));
  return out;
}

void ParseColumnText(std::string_view text, std::vector<TStageLoads>& stages,
                     std::vector<TSectionRange>& sections, std::optional<double>* designFactor) {
  stages.clear();
  sections.clear();
  if (designFactor) designFactor->reset();
  if (Trim(text).empty()) return;
  for (std::string_view record : Split(text, ';')) {
    const std::vector<std::string_view> f = Split(record, ',');
    const auto number = [&](size_t i) {
      const auto x = i < f.size() ? ParseNumber(Trim(f[i])) : std::nullopt;
      if (!x || !std::isfinite(*x))
        throw TInputError("全塔数据的记录“" + std::string(record) + "”第 " + std::to_string(i + 1) +
                          " 项不是数");
      return *x;
    };
    if (!f.empty() && f[0] == "S" && f.size() == 9) {
      TStageLoads s;
      s.Name = std::string(Trim(f[1]));
      s.LiquidFlow = number(2);
      s.LiquidDensity = number(3);
      s.LiquidViscosity = number(4);
      s.SurfaceTension = number(5);
      s.GasFlow = number(6);
      s.GasDensity = number(7);
      s.GasViscosity = number(8);
      stages.push_back(std::move(s));
    } else if (!f.empty() && f[0] == "C" && (f.size() == 5 || f.size() == 7)) {
      TSectionRange c;
      c.Name = std::string(Trim(f[1]));
      // Stage indices: whole numbers within the column's size limit.
      const auto index = [&](size_t i) {
        const double x = number(i);
        if (!(x >= 0.0 && x < double(kMaximumStages)) || x != std::floor(x))
          throw TInputError("全塔数据的段“" + c.Name + "”的首末板不对");
        return static_cast<int>(x);
      };
      c.First = index(2);
      c.Last = index(3);
      if (!Trim(f[4]).empty()) c.Diameter = number(4);
      if (c.Diameter && !(*c.Diameter > 0.0))
        throw TInputError("全塔数据的段“" + c.Name + "”的塔径不是正数");
      if (c.Last < c.First) throw TInputError("全塔数据的段“" + c.Name + "”的首末板不对");
      if (f.size() == 7) {
        c.Packing = std::string(Trim(f[5]));
        c.Method = std::string(Trim(f[6]));
      }
      sections.push_back(std::move(c));
    } else if (!f.empty() && f[0] == "F" && f.size() == 2) {
      const double factor = number(1);
      if (!(factor > 0.0 && factor <= 10.0))
        throw TInputError("全塔数据的设计系数 " + std::string(Trim(f[1])) + " 应在 0 到 10 之间");
      if (designFactor) *designFactor = factor;
    } else {
      throw TInputError("全塔数据的记录“" + std::string(record) + "”不能识别");
    }
  }
  // A column of more stages than any real one is a damaged record, not a design to spend minutes
  // on.
  if (stages.size() > kMaximumStages || sections.size() > kMaximumStages)
    throw TInputError("全塔数据超过 " + std::to_string(kMaximumStages) + " 块塔板或段");
  for (const TSectionRange& c : sections)
    if (c.Last >= static_cast<int>(stages.size()))
      throw TInputError("全塔数据的段“" + c.Name + "”超出了塔板数 " +
                        std::to_string(stages.size()));
}

std::vector<TSectionRange> DefaultSections(const std::vector<TStageLoads>& stages) {
  // A condenser or a reboiler carries no packing: the section runs from the first to the last
  // stage with both phases that is not named as one (the simulators' stage names).
  const auto both = [](const TStageLoads& s) {
    std::string name = s.Name;
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    for (const char* end : {"condenser", "reboiler", "冷凝器", "再沸器"})
      if (name.find(end) != std::string::npos) return false;
    return s.GasFlow > 0.0 && s.LiquidFlow > 0.0;
  };
  const auto first = std::find_if(stages.begin(), stages.end(), both);
  if (first == stages.end()) return {};
  const auto last = std::find_if(stages.rbegin(), stages.rend(), both);
  return {{"全塔",
           static_cast<int>(first - stages.begin()),
           static_cast<int>(stages.rend() - last) - 1,
           std::nullopt,
           {},
           {}}};
}

std::vector<TSectionRange> SectionsAt(const std::vector<TStageLoads>& stages,
                                      std::vector<int> starts) {
  const std::vector<TSectionRange> whole = DefaultSections(stages);
  if (whole.empty()) return whole;
  std::sort(starts.begin(), starts.end());
  std::vector<TSectionRange> out;
  int first = whole.front().First;
  for (int start : starts) {
    if (start <= first || start > whole.front().Last) continue;
    out.push_back({"段 " + std::to_string(out.size() + 1), first, start - 1, std::nullopt, {}, {}});
    first = start;
  }
  out.push_back(
      {"段 " + std::to_string(out.size() + 1), first, whole.front().Last, std::nullopt, {}, {}});
  if (out.size() == 1) out.front().Name = whole.front().Name;
  return out;
}

std::vector<TColumnSection> SectionsOf(const std::vector<TStageLoads>& stages,
                                       std::vector<TSectionRange> ranges,
                                       const TColumnSection& design,
                                       std::span<const TPackingRecord> packings) {
  if (ranges.empty()) ranges = DefaultSections(stages);
  std::vector<TColumnSection> out;
  for (TSectionRange& range : ranges) {
    TColumnSection sec = design;
    sec.Name = range.Name;
    sec.First = range.First;
    sec.Last = range.Last;
    sec.Diameter = range.Diameter;
    sec.Options.GivenDiameter.reset();
    if (!range.Packing.empty()) {
      const auto p = std::find_if(packings.begin(), packings.end(), [&](const TPackingRecord& r) {
        return Trim(r.F[0]) == range.Packing;
      });
      if (p == packings.end())
        throw TInputError("全塔数据的段“" + range.Name + "”的填料 " + range.Packing +
                          " 不在填料表中");
      sec.Packing = *p;
    }
    if (!range.Method.empty()) {
      if (!FindFloodingMethod(range.Method))
        throw TInputError("全塔数据的段“" + range.Name + "”的泛点关联式“" + range.Method +
                          "”不存在");
      sec.Options.FloodMethod = FloodingMethodIndexOf(range.Method);
    }
    out.push_back(std::move(sec));
  }
  return out;
}

}  // namespace velm
