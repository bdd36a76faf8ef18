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

struct TScreenCase {
  // Options and basis of the duty (method, acceleration, foaming factor and design-percentage
  // texts, LegacyMethods). Results in it are ignored. The wet packing factors are always taken
  // from each packing: a factor typed for one packing means nothing for another.
  TDesignCase Options;
  // Texts of the input fields in SI units, as TPlainFields holds them (result fields ignored).
  std::array<std::string, kFieldCount> Inputs;
  // Theoretical stages the packed height is given for; 0 or less: no packed height.
  double Stages = 0;
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
  std::vector<TFinding> Findings;
  // The row is no design: the method does not apply, the hydraulics did not complete, the run
  // failed (Error says why; the values it wrote before are not to be trusted), or a finding has
  // the level Error.
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
// the packed volume π/4·D²·N·HETP where the stages and HETP are known, else by the column's cross
// section, then by pressure drop; rejected rows last. Stable for equal keys.
void RankScreening(std::vector<TScreenRow>& rows, double stages);

}  // namespace velm
