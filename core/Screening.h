#pragma once
// Packing screening: one duty run against every packing of a table at once.
//
// Each packing gets an independent run of the same calculation the window makes, on plain fields
// that hold the duty's inputs, followed by the same validity findings. The rows are then ranked
// so that the engineer sees first the packings that give a sound design in the least packed
// volume. All values are SI.
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "core/DesignCase.h"
#include "core/Validity.h"

namespace velm {

// What the sound rows are ranked by, smallest first.
enum class TScreenCriterion {
  ByService,             // pressure drop per stage for vacuum columns, else packed volume
  PackedVolume,          // pi/4 D^2 N HETP [m3] (cross section when no row has a height)
  PressureDropPerStage,  // wet pressure drop x HETP [Pa per theoretical stage]
  Diameter,              // the built column's cross section
};

struct TScreenCase {
  // Options and basis of the duty (method, acceleration, foaming factor and design-percentage
  // texts, LegacyMethods). Results in it are ignored. The wet packing factors are always taken
  // from each packing: a factor typed for one packing means nothing for another.
  TDesignCase Options;
  // Texts of the input fields in SI units, as TPlainFields holds them (result fields ignored).
  std::array<std::string, kFieldCount> Inputs;
  // Theoretical stages the packed height is given for; 0 or less: no packed height.
  double Stages = 0;
  TScreenCriterion Criterion = TScreenCriterion::ByService;
};

struct TScreenRow {
  int Index = 0;  // position of the packing in the table given
  TPackingRecord Packing;
  // False when the method cannot be used with this packing (the Kister-type method needs a
  // measured packing factor).
  bool MethodApplies = true;
  bool HydraulicsDone = false;
  // The text that ended the run early (a field's message, an arithmetic failure); empty when none.
  std::string Error;
  std::optional<double> TheoreticalDiameter, Diameter;  // [m]
  std::optional<double> FloodFraction;                  // of the rounded column [-]
  std::optional<double> PressureDrop;                   // [Pa/m]
  std::optional<double> Holdup;                         // [m3/m3]
  std::optional<double> WettingPercent;                 // [%]
  std::optional<double> HTUOV, HETP;                    // [m]
  std::optional<double> PackedHeight;                   // Stages × HETP [m]
  std::optional<double> PressureDropPerStage;           // PressureDrop × HETP [Pa]
  std::vector<TFinding> Findings;
  // What the row was ranked by (RankScreening) and its rank, 1 first; no rank for a rejected
  // row.
  std::optional<double> RankValue;
  std::optional<int> Rank;
  // The row is no design: the method does not apply, the run failed (an error ended it, also
  // one in the mass-transfer step), the hydraulics did not complete, or a finding has the level
  // Error.
  bool Rejected() const;
  // Worst level among the findings; nothing when there are none.
  std::optional<TFindingLevel> WorstLevel() const;
  int FindingCount(TFindingLevel level) const;
};

// Runs the duty on every packing of the table, in table order. Never throws for a bad packing or
// input: each row carries its own error.
std::vector<TScreenRow> ScreenPackings(const TScreenCase& duty,
                                       const std::vector<TPackingRecord>& table);

// Orders the rows for the engineer: sound designs first (no warnings before warnings), ranked by
// the criterion (ByService: the pressure drop per theoretical stage for a vacuum column, where
// it limits the bottom temperature; otherwise the packed volume π/4·D²·N·HETP where the stages
// and HETP are known, else the column's cross section), then by pressure drop; rejected rows
// last and without a rank. Sets each row's RankValue and Rank; returns the criterion used.
// Stable for equal keys.
TScreenCriterion RankScreening(std::vector<TScreenRow>& rows, double stages,
                               TScreenCriterion criterion = TScreenCriterion::PackedVolume,
                               int service = 0);
// "packed-volume", "pressure-drop-per-stage", "diameter" (for JSON); and the caption.
const char* CriterionKey(TScreenCriterion c);
const char* CriterionCaption(TScreenCriterion c);

}  // namespace velm
