#pragma once
// The field registry: one row for every value field of a design, in display order (the inputs
// as the calculation page groups them, then the results as the window lists them). Everything
// that names a field — the calculation's reads and writes, project files, the window, the report,
// the batch output and the headless calculator — takes the field's code, caption, unit family,
// role, JSON key and report cell from here.
//
// Adding a result: an entry in TField, a row in FieldRegistry.cpp, and the write in the step
// that computes it. Its value then reaches the window, the report, the batch output and the
// JSON output by itself (TDesignCase::Values holds it).
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace velm {

struct TDesignCase;

// The value fields. The first 26 are the ones the calculation reads or writes; FpD, meD and alfD
// are completed by the relation groups only.
enum class TField : std::uint8_t {
  LD,
  DlD,
  MlD,
  SLD,
  DlfD,
  VD,
  DvD,
  MvD,
  DvfD,
  LmdD,
  KfD,
  KpD,
  UfD,
  UpD,
  dpD,
  dD,
  UvsD,
  UlsD,
  HTD,
  UmD,
  dPwaterD,
  HTUVD,
  HTULD,
  HTUOVD,
  HETPD,
  fActualD,  // flood fraction of the rounded column [%]
  FpD,       // flow parameter, derived by relation group A
  meD,       // slope of the equilibrium line
  alfD,      // relative volatility
  UlpD,      // gas velocity at the loading point (methods that give it)
  fLoadD,    // gas load of the rounded column over the loading velocity [%]
  Count
};
constexpr int kFieldCount = static_cast<int>(TField::Count);

// What the numbers of a field measure; each family has one list of units (SI first).
enum class TUnitFamily : std::uint8_t {
  MassFlow,        // kg/s
  Density,         // kg/m3
  Viscosity,       // Pa s
  SurfaceTension,  // N/m
  Diffusivity,     // m2/s
  Velocity,        // m/s
  Length,          // m
  PackingFactor,   // 1/m
  PressureDrop,    // Pa/m
  FlowParameter,   // dimensionless
  Dimensionless,
  Percent,
  Holdup,  // m3/m3
};

enum class TFieldRole : std::uint8_t {
  Input,    // typed by the user (λ, m and α may also be derived from each other)
  Derived,  // completed by a relation group only
  Result,   // written by the calculation (KfD and KpD are inputs when their "计算" box is clear)
};

// A cell of the report sheet (1-based row and column); Row 0: not in the report.
struct TReportCell {
  int Row = 0;
  int Column = 0;
};

// Column (0..2) and row of a result on the calculation page.
struct TPagePlace {
  int Column = -1;
  int Row = -1;
};

struct TFieldInfo {
  TField Field;
  const char* Code;     // the control's name, stored in project files ("LD")
  const char* Caption;  // the caption of its label, which names it in messages ("液相质量流量")
  const char* Hint;     // tool tip; empty: none
  int HelpContext;      // help number; 0: none
  TUnitFamily Unit;
  TFieldRole Role;
  // The name in the headless calculator's JSON: an input key when CaseInput, and the output key
  // of the result (Member, else the run's value of the field). Null: not in the JSON.
  const char* JsonKey;
  bool CaseInput;
  std::optional<double> TDesignCase::*Member;  // the design case's named result, if any
  int FileOrder;       // position among the value fields a project file stores; -1: not stored
  TReportCell Report;  // where the report puts the field's caption (value and unit follow)
  TPagePlace Place;    // results: where the calculation page shows them; inputs: {-1, -1}
};

// The SI unit of a family as text ("kg/s", "Pa/m"); empty for numbers without one.
const char* SiUnitText(TUnitFamily family);

// Every row, in display order.
std::span<const TFieldInfo> FieldRegistry();
const TFieldInfo& FieldInfo(TField f);
// The row of a field code ("LD"), matched exactly; null when there is none.
const TFieldInfo* FindField(std::string_view code);
// The unit selector's name of a field: the code with its final "D" turned into "U" ("LU").
std::string_view SelectorCode(TField f);
// The row whose unit selector is `selector` ("LU"); null when there is none.
const TFieldInfo* FindFieldBySelector(std::string_view selector);

// The inputs and the results (derived and calculated), each in display order; the stored value
// fields in the order a project file keeps them.
const std::vector<const TFieldInfo*>& InputFields();
const std::vector<const TFieldInfo*>& ResultFields();
const std::vector<const TFieldInfo*>& StoredFields();

// The field's code, "?" for a value out of range.
const char* FieldName(TField f);
// The caption of the field's label, which names it in messages ("液相密度"). KpD is named
// "压降湿填料因子" under "Eckert-Orvik" (floodMethod 0) and "实验填料因子" under "Kister-Orvik".
const char* FieldCaption(TField f, int floodMethod = 0);

}  // namespace velm
