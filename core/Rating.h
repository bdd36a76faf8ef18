#pragma once
// Rating a column that exists: its diameter (and bed height) are given, and the question is how
// close to its limits it runs at one or several load cases. Capacity is stated by every common
// definition side by side, because designers disagree on what "% of flood" means:
//  - % of flooding at constant L/V (the generalized pressure-drop chart's own definition; Eckert,
//    Chem. Eng. Prog. 66(3), 1970);
//  - % of flooding at constant liquid rate (gas raised alone until the column floods; Kister,
//    Distillation Design, 1992, Sec. 8.2);
//  - ΔP/ΔP at flooding, the flooding pressure drop being the method's own at its flooding point
//    (for the Kister-type method that of Kister & Gill, Chem. Eng. Prog. 87(2), 1991);
//  - Fs/Fs at flooding, Fs = u·ρV^0.5 [Pa^0.5] (the F-factor of Billet, Packed Towers, 1995);
//  - % of the loading point (methods that give one: Billet & Schultes, Trans IChemE 77A, 1999);
//  - the capacity factor Cs = u·[ρV/(ρL − ρV)]^0.5 [m/s] (Kister 1992, Eq. 8.1).
// At constant L/V the Fs and Cs ratios equal the flood fraction; their absolute values are what
// vendors' capacity tables are read in.
#include <array>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/DesignCase.h"
#include "core/MessageLog.h"
#include "core/Validity.h"

namespace velm {

// One load case: the liquid and gas mass flows as percentages of the design case's.
struct TLoadCase {
  std::string Name;
  double LiquidPercent = 100.0, GasPercent = 100.0;
  bool operator==(const TLoadCase&) const = default;
};

// Design, maximum, minimum and two revamp cases.
const std::vector<TLoadCase>& DefaultLoadCases();
// The cases as a project stores them: "name,L%,G%" joined by ";". An empty text is the default
// cases. Parsing throws TInputError (base/Errors.h) with a message that names the bad case.
std::string LoadCasesText(const std::vector<TLoadCase>& cases);
inline constexpr size_t kMaximumLoadCases = 100;
std::vector<TLoadCase> ParseLoadCases(std::string_view text);

// One load case rated at the given column. Percentages [%], velocities [m/s], pressure drops
// [Pa/m], Fs [Pa^0.5].
struct TCaseRating {
  TLoadCase Case;
  double LiquidFlow = 0, GasFlow = 0;  // [kg/s]
  bool Rated = false;                  // false: Error says why the case has no results
  std::string Error;
  double GasLoad = 0, LiquidLoad = 0, FloodVelocity = 0;
  double FloodPercent = 0;                           // constant L/V
  std::optional<double> FloodPercentConstantLiquid;  // empty when the gas alone cannot flood it
  double PressureDrop = 0, FloodPressureDrop = 0, PressureDropPercent = 0;
  double Fs = 0, FsFlood = 0;
  double CapacityFactor = 0, CapacityFactorFlood = 0;
  std::optional<double> LoadingPercent;
  double Holdup = 0, WettingPercent = 0;
  std::optional<double> HETP;
  // With a bed height: the bed's pressure drop [Pa] and its theoretical stages Z/HETP.
  std::optional<double> BedPressureDrop, Stages;
  std::vector<TFinding> Findings;
};

// The operating window along the design case's operating line: both flows scaled together by a
// throughput factor s (1 = the design case), L/V and the properties unchanged, so that the flooding
// velocity stays the same and the flood fraction goes with s. Each limit is the factor at which it
// is reached; empty when it does not apply.
struct TOperatingWindow {
  double Flood = 0;                    // 100 % of flooding
  double MaximumOperational = 0;       // 90 % of flooding (Kister 1992: MOC 5-10 % below flood)
  std::optional<double> Loading;       // the loading point (Billet & Schultes)
  std::optional<double> PressureDrop;  // the service's highest design pressure drop
  double MinimumWetting = 0;           // the minimum wetting rate (Morris & Jackson, 1953)
  double MinimumGas = 0;               // 40 % of flooding (see kMinimumGasFraction)
  double Maximum = 0, Minimum = 0;     // the lowest upper and the highest lower limit
  std::string MaximumBy, MinimumBy;    // which limit sets each (Chinese)
  double Turndown = 0;                 // Maximum / Minimum; 0 when Minimum >= Maximum
  // The design case's flood fraction and pressure drop along the line, for the load diagram:
  // (throughput factor, % of flooding, ΔP [Pa/m]) from the minimum to the maximum.
  std::vector<std::array<double, 3>> Line;
};

// The lowest gas load of the window as a fraction of flooding: a rule of thumb for random
// packings, below which their efficiency is seldom measured; the liquid side is set by the
// minimum wetting rate.
inline constexpr double kMinimumGasFraction = 0.40;
inline constexpr double kMaximumOperationalFraction = 0.90;

// The limits of the given column on the load diagram (liquid against gas mass flow [kg/s]), each
// a line of (L, V) points over the liquid flows `liquids`: for each liquid flow the gas flow at
// which the limit is reached, at that flow's own L/V. A point where the limit is not reached
// below 100 times the design gas flow, or where the run fails, is left out.
struct TLoadLines {
  std::vector<std::pair<double, double>> Flood, Loading, PressureDrop, MinimumGas;
  std::optional<double> MinimumWettingLiquid;  // the liquid flow of the minimum wetting rate
};
struct TRating {
  double Diameter = 0;              // [m]
  std::optional<double> BedHeight;  // [m]
  std::vector<TCaseRating> Cases;
  int Governing = -1;                      // the case closest to flooding; -1: none rated
  std::optional<TOperatingWindow> Window;  // of the first case, when it was rated
  std::optional<TLoadLines> Lines;         // for the load diagram (RatingLoadLines)
  // What was rated, for rating further loads of the same column (the load diagram's pointer).
  std::shared_ptr<const struct TRatingInput> Input;
};

// What a rating needs besides the cases: the run options (method, basis, service...) and the
// SI values of the input fields of the design case, as the window's fields hold them (an empty
// optional is an empty field).
struct TRatingInput {
  TDesignCase Options;  // only the option members are used
  std::array<std::optional<double>, kFieldCount> Inputs;
  double Diameter = 0;              // [m]
  std::optional<double> BedHeight;  // [m]
  std::vector<TLoadCase> Cases;
};

// The input field values a field access holds: every input that is filled, or with `only` the
// inputs that run read.
std::array<std::optional<double>, kFieldCount> InputValues(TFieldAccess& fields,
                                                           const TRunRecord* only = nullptr);

// Rates every case. A case whose run fails or stops keeps its error and the others go on.
TRating RateColumn(const TRatingInput& in, const TPackingRecord& packing);

// The hydraulic step of a design run (no given diameter) of a case over SI input values: its
// diameters, loads and pressure drop; an error or early end is in `error`, never thrown.
TDesignCase DesignRun(const TDesignCase& options,
                      const std::array<std::optional<double>, kFieldCount>& inputs,
                      const TPackingRecord& packing, std::string* error = nullptr);

// A whole run (hydraulics, then mass transfer when `massTransfer`) of a case over SI input values,
// at the given `diameter` [m] or designed; errors and early ends as DesignRun.
TDesignCase CaseRun(const TDesignCase& options,
                    const std::array<std::optional<double>, kFieldCount>& inputs,
                    const TPackingRecord& packing, std::optional<double> diameter,
                    bool massTransfer, std::string* error = nullptr);

// One load case of the given column, without the operating window.
TCaseRating RateLoadCase(const TRatingInput& in, const TPackingRecord& packing,
                         const TLoadCase& lc);

// One more load of a rated column: liquid and gas mass flows L and V [kg/s], at the case the
// rating holds (an empty result when it holds none).
std::optional<TCaseRating> RateLoad(const TRating& rating, const TPackingRecord& packing, double L,
                                    double V);

TLoadLines RatingLoadLines(const TRatingInput& in, const TPackingRecord& packing,
                           const std::vector<double>& liquids);

// The columns of a rating table, the same in the window, the report and the batch output:
// caption, unit, significant digits, whether it is one of the capacity definitions (then with
// its source), and the value of a rated case (empty where the case gives none).
struct TRatingColumn {
  const char* Caption;
  const char* Unit;
  int Digits;
  const char* Source;  // null: not a capacity definition
  std::optional<double> (*Value)(const TCaseRating&);
};
const std::vector<TRatingColumn>& RatingColumns();

}  // namespace velm
