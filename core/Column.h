#pragma once
// The whole column: every stage of a simulated column rated at the column of its section, the
// governing stage of each section, the packed height from the stages' HETP and its split into
// beds. A section is designed from its governing stage (the largest standard diameter any of its
// stages needs at the design fraction of flooding) or rated at a given diameter.
//
// Each simulator stage counts as one theoretical stage; its packed height is its HETP times the
// design factor. Bed rules, each the lowest limit taken:
//  - about 10 theoretical stages per bed, beyond which maldistribution grows and a redistributor is
//    due (the rule the design literature gives for random packings; adjustable);
//  - the bed height at most 3 column diameters for Raschig rings and 8 for other random packings,
//    and at most 6 m (Sinnott, Coulson & Richardson's Chemical Engineering Vol. 6, 4th ed., 2005,
//    Sec. 11.14, liquid redistribution).
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/DesignCase.h"
#include "core/Rating.h"

namespace velm {

// The loads of one stage, SI: the liquid leaving it and the vapour rising to it. Mass-transfer
// properties the stage does not give are its section's (TColumnSection::Inputs).
struct TStageLoads {
  std::string Name;
  double LiquidFlow = 0, LiquidDensity = 0, LiquidViscosity = 0, SurfaceTension = 0;
  double GasFlow = 0, GasDensity = 0, GasViscosity = 0;
  std::optional<double> LiquidDiffusivity, GasDiffusivity, Lambda;
};

struct TColumnSection {
  std::string Name;
  int First = 0, Last = 0;  // indices of its first and last stage (inclusive)
  TPackingRecord Packing;
  TDesignCase Options;             // method, foaming factor, design %, basis, service
  std::optional<double> Diameter;  // [m] rated at it; empty: designed from the governing stage
  // The section's values of what stages may leave out (SI, by field): diffusivities, λ.
  std::array<std::optional<double>, kFieldCount> Inputs;
};

struct TBedRules {
  // Packed height = HETP x this, per theoretical stage. 1.2 is a customary margin with no
  // published source; the published ones belong to a correlation and a confidence level (Kister,
  // Distillation Design, 1992, Ch. 9: 1.6 for Bravo & Fair's HETP at 95 %, a little more for
  // Onda's, 1.3 by MacDougall's reanalysis).
  double DesignFactor = 1.2;
  double StagesPerBed = 10.0;        // theoretical stages a bed may hold
  double MaximumBedHeight = 6.0;     // [m] (Sinnott 2005)
  double RedistributorHeight = 1.0;  // [m] a redistributor with its support and hold-down
};

struct TColumnInput {
  std::vector<TStageLoads> Stages;
  std::vector<TColumnSection> Sections;
  TBedRules Beds;
};

struct TStageResult {
  int Stage = 0;  // index into the stages
  TCaseRating Rating;
  std::optional<double> Height;  // packed height of this theoretical stage [m]
};

struct TBedPlan {
  double PackedHeight = 0;  // [m]
  int Beds = 0;
  double BedHeight = 0;  // [m] each bed
  int Redistributors = 0;
  double Height = 0;    // packed height with the redistributors [m]
  double Limit = 0;     // the highest bed the rules allow [m]
  std::string LimitBy;  // which rule sets it
};

struct TSectionResult {
  std::string Name;
  std::string Packing;  // the section's packing: "key material size type"
  std::string Method;   // its flooding method's name
  bool Designed = false;
  double Diameter = 0;   // [m]
  int DesignStage = -1;  // the stage that needs the largest column (designed sections)
  std::string Error;     // why the section has no column (no stage could be designed)
  std::vector<TStageResult> Stages;
  int Governing = -1;       // the stage closest to flooding
  double PressureDrop = 0;  // [Pa] over the stages that were rated with a height
  std::optional<TBedPlan> Beds;
};

struct TColumnResult {
  std::vector<TSectionResult> Sections;
  double PressureDrop = 0;              // [Pa] of the whole column
  double PackedHeight = 0, Height = 0;  // [m]
};

TColumnResult RateWholeColumn(const TColumnInput& in);

// A section as a project stores it: its stages and, for a rated section, its diameter; its own
// packing (its key in the packing table) and flooding method (its name), empty for the design's.
struct TSectionRange {
  std::string Name;
  int First = 0, Last = 0;
  std::optional<double> Diameter;  // [m]; empty: designed
  std::string Packing, Method;
  bool operator==(const TSectionRange&) const = default;
};

// The stages and sections of a whole column as one text (a project's record): records joined by
// ";", fields by ","; a stage "S,name,L,ρL,μL,σ,V,ρV,μV" in SI, a section "C,name,first,last,D"
// (D in m, empty for a designed section) or "C,name,first,last,D,packing,method" for a section
// with its own packing key or method (either may be empty), and the design factor "F,factor"
// when one is given.
// Names lose any "," or ";". An empty text is no column.
std::string ColumnText(const std::vector<TStageLoads>& stages,
                       const std::vector<TSectionRange>& sections,
                       std::optional<double> designFactor = std::nullopt);
// Throws TInputError (base/Errors.h) naming the record that does not read (a design factor must
// lie above 0 and at most 10), or for more than kMaximumStages stages or sections.
inline constexpr size_t kMaximumStages = 1000;
void ParseColumnText(std::string_view text, std::vector<TStageLoads>& stages,
                     std::vector<TSectionRange>& sections,
                     std::optional<double>* designFactor = nullptr);
// The sections a column gets when none are given: one from the first to the last stage with
// both a vapour and a liquid flow that is not named a condenser or reboiler (none when no stage
// is such).
std::vector<TSectionRange> DefaultSections(const std::vector<TStageLoads>& stages);
// The default section split where new sections begin (stage indices, e.g. each feed stage):
// "段 1", "段 2", ... Boundaries outside the default section are left out.
std::vector<TSectionRange> SectionsAt(const std::vector<TStageLoads>& stages,
                                      std::vector<int> starts);

// The beds of a section of packed height `height` holding `stages` theoretical stages, in a
// column of diameter D with `packing`.
TBedPlan PlanBeds(double height, int stages, double D, const TPackingRecord& packing,
                  const TBedRules& rules);

// The sections of `ranges` (none: DefaultSections) with `design`'s options and inputs, each with
// its own packing from `packings` (found by key) and method where it names them. Throws
// TInputError for a packing key no record has or a method name no method has.
std::vector<TColumnSection> SectionsOf(const std::vector<TStageLoads>& stages,
                                       std::vector<TSectionRange> ranges,
                                       const TColumnSection& design,
                                       std::span<const TPackingRecord> packings);

}  // namespace velm
