#pragma once
// The packing record and its one reader. A packing is a row of the packing table, 15 texts read
// by column index; the calculation, the validity checks, the screening, the chart and the table
// converter all take its numbers through PackingData, so each column is read in one place.
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace velm {

// One row of the packing table, read by column index 0 to 15; every column is text.
//   0 key ("F000"), 1 caption (material), 2 size text (its leading number is the nominal size
//   in mm: "50", "50mm (2in)", "100mm"), 3 caption (type), 4 specific area a [m2/m3],
//   5 void fraction (not used by the chart methods), 6 Kp fit form (0 = logarithmic), 7 Kp fit
//   constant A, 8 Kp fit slope B, 9 Kf fit form (0 = linear), 10 Kf fit constant A, 11 Kf fit
//   slope B, 12 bulk density (not used), 13 critical surface tension [mN/m], 14 experimental
//   packing factor text, leading number in [1/m] (may be empty), 15 the Billet & Schultes
//   constants (may be empty; tables of earlier versions end at column 14).
struct TPackingRecord {
  static constexpr int kColumns = 16;
  // The columns every table has; column 15 is optional.
  static constexpr int kRequiredColumns = 15;
  std::array<std::string, kColumns> F;
};

// The constants of Billet & Schultes (Trans IChemE 77A, 1999, 498) for one packing, with the
// specific area and void fraction they were fitted with (their own, which may differ from the
// record's columns 4 and 5). Each is empty where the source gives none.
struct TBilletSchultesConstants {
  std::optional<double> a;        // [m2/m3]
  std::optional<double> Epsilon;  // [-]
  std::optional<double> Ch;       // holdup (hydraulic area)
  std::optional<double> Cp;       // dry pressure drop (C_P,0)
  std::optional<double> CL, CV;   // liquid- and gas-side mass transfer
  std::optional<double> CS;       // loading point
  std::optional<double> CFl;      // flooding point
};

// Column 15 read as "a=223.5 eps=0.954 Ch=0.719 Cp=0.957 CL=1.440 CV=0.336 CS=2.627 CFl=2.083"
// (names in any order, each at most once, separated by blanks; a constant the source lacks is
// left out). Empty text: no constants. Anything else throws TInputError naming the text.
std::optional<TBilletSchultesConstants> ParseBilletSchultes(std::string_view text);

// The names of the constants a result needs that `c` lacks, "Ch, Cp"; empty when none is missing.
std::string MissingConstants(const TBilletSchultesConstants& c, std::string_view needed);

// What kind of packing a record describes. The table holds random (dumped) packings; structured
// packings will have their own constants.
enum class TPackingKind { Random };

// The numbers of a record, each empty where its column is not a number.
struct TPackingData {
  TPackingKind Kind = TPackingKind::Random;
  std::optional<double> NominalSize;       // [m]
  std::optional<double> SpecificArea;      // a [m2/m3]
  std::optional<double> KpForm, KpA, KpB;  // the pressure-drop factor's fit (form 0: logarithmic)
  std::optional<double> KfForm, KfA, KfB;  // the flooding factor's fit (form 0: linear)
  std::optional<double> CriticalSurfaceTension;  // sigma_c [N/m]
  std::optional<double> Experimental;            // published packing factor [1/m]

  bool KpLogForm() const { return KpForm && *KpForm == 0.0; }
  bool KfLogForm() const { return KfForm && *KfForm != 0.0; }
};

// The nominal size [mm]: the number the size text starts with ("50", "50mm (2in)", "8mm" and
// "100mm" are 50, 50, 8 and 100); empty when the text does not start with a number.
std::optional<double> NominalSizeMm(std::string_view sizeText);

TPackingData PackingData(const TPackingRecord& p);

// The numbers the calculation needs, all present: a column that is not a number throws
// TInputError naming its text.
struct TPackingNumbers {
  double NominalSize;   // [m]
  double SpecificArea;  // [m2/m3]
  bool KpLogForm;
  double KpA, KpB;
  bool KfLogForm;
  double KfA, KfB;
  double CriticalSurfaceTension;  // [N/m]
  // Column 15: the Billet & Schultes constants, empty when the record has none; a text that is
  // not readable leaves them empty and says why in BilletSchultesError (only the method that
  // needs them fails on it).
  std::optional<TBilletSchultesConstants> BilletSchultes;
  std::string BilletSchultesError;
};
TPackingNumbers RequirePackingNumbers(const TPackingRecord& p);

// A newer published packing factor for the same packing than the one the record carries: the
// older factor set of the 1970s tables gives some rings a factor 15-35 % lower (a design on it
// comes out optimistic). Empty when the record's factor is not one of those.
struct TNewerPackingFactor {
  double Older, Newer;  // [1/m]
  const char* Source;   // where the newer value is published
};
std::optional<TNewerPackingFactor> NewerPackingFactor(const TPackingRecord& p);

// True when the packing's factor is an estimate: the record gives no published (measured) packing
// factor in column 14, whose text must begin with a positive number to count. The packing table
// keeps such rows with a/eps^3 in the fits (see data/README.md); results for them are rough.
bool PackingFactorEstimated(const TPackingRecord& p);

}  // namespace velm
