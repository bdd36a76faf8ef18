#pragma once
// Relation groups: small sets of value fields tied by one relation (flow parameter, liquid
// load, gas load, equilibrium slope, stripping factor). Before each calculation the groups
// complete the inputs: when exactly one field of a group is empty and may be derived, it is
// solved from the others and marked with the group's colour; a field derived earlier is kept
// consistent with its group; clearing an input of a group clears the field derived from it.
//
// The groups work on fields through TRelationField and tell the user through TRelationReporter:
// the window implements both over its value fields and message boxes (units/RelationGroups.h),
// the headless calculator over plain texts.
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace velm {

// Colour numbers of the derived marks, as project files store them (0x00BBGGRR). The colour
// table of the window (units/ColorTable.h) takes them from here.
inline constexpr int kColorRed = 0x0000FF;         // group A
inline constexpr int kColorSkyBlue = 0xF0CAA6;     // group B
inline constexpr int kColorMoneyGreen = 0xC0DCC0;  // group C
inline constexpr int kColorOlive = 0x008080;       // group D
inline constexpr int kColorSilver = 0xC0C0C0;      // group E

// Shown when a group fails; a field that cannot give its value adds it to its own message.
inline constexpr const char* kRelationGroupWarning = "发现错误，可能是输入数据错误！";

// Residual of a relation over the group's SI values in list order; zero when they agree.
// Throws TCalcError for values it cannot be evaluated at (a zero divisor, the root of a
// negative number).
using TRelation = std::function<double(const std::vector<double>& values)>;

struct TRelationGroup {
  std::string FName;                 // "A" .. "E"
  int FColor;                        // colour number of the derived mark
  std::vector<std::string> FFields;  // object names of the fields, in relation order
  TRelation FResidual;
  double FGuess;  // start of the Newton iteration for a field derived for the first time
  // Where the relation has no acceptable value for position p given the others: a text that says
  // so (the field is then left empty and the text goes to the reporter's note); empty otherwise.
  std::function<std::string(const std::vector<double>& values, std::size_t p)> FNoSolution = {};
};

// The five groups in the order they are checked:
//  A flow parameter   (L / V) sqrt(rhoV / rhoL) - FP
//  B liquid load      (dp / d)^2 (L / V) (rhoV / rhoL) Up - Uls
//  C gas load         (dp / d)^2 Up - Uvs
//  D equilibrium      0.9 alpha - (0.9 alpha + 0.1) m
//  E stripping factor m V / L - lambda
const std::vector<TRelationGroup>& RelationGroups();

// Solves relation(values with values[p] = x) = 0 for x, starting at x0: damped Newton with a
// five-point derivative (step 1e-6), ending after the second round whose relative change is
// below 1e-5; every 21 rounds the iteration restarts from x0 with half the damping. Errors of
// the relation end the iteration unchanged; a residual that is not finite throws TCalcError.
double NewtonSolve(std::vector<double> values, std::size_t p, const TRelation& relation, double x0);

// One field of a group as the groups see it.
class TRelationField {
 public:
  virtual ~TRelationField() = default;
  // No number typed: the text is empty or blank.
  virtual bool IsEmpty() const = 0;
  // A disabled field does not count as empty.
  virtual bool IsEnabled() const = 0;
  // The SI value. A field that cannot give one shows its message, followed by
  // kRelationGroupWarning, and throws TSilentAbort.
  virtual double Value() = 0;
  // The colour number the field carries (a group's FColor marks a value that group derived);
  // nothing for a field without a colour of its own.
  virtual std::optional<int> Color() const = 0;
  // False for a required input: it is never derived.
  virtual bool MyResolved() const = 0;
  // Shows v [SI] as a value derived by the group of `color`: marked, read-only.
  virtual void SetDerived(double v, int color) = 0;
  // Empties the field and removes its derived mark: editable again.
  virtual void ClearDerived() = 0;
};

// Where the groups' messages go.
class TRelationReporter {
 public:
  virtual ~TRelationReporter() = default;
  // A group failed; `text` is kRelationGroupWarning. Called before the error is passed on.
  virtual void Warning(const std::string& text) = 0;
  // A group leaves `field` (its object name) empty because the relation has no acceptable value
  // for it. The same note may come several times in one pass of the groups.
  virtual void Note(const std::string& field, const std::string& text) = 0;
};

// Marks `field` as derived with value v [SI] by the group of `color`. A field that already holds
// a value within a relative 1e-6 of v (absolute when the old value is 0) is left alone. True
// when the field changed.
bool ApplyDerived(TRelationField& field, int color, double v);

// Completes one group over its fields (in the group's order). Returns the field it derived,
// re-derived or cleared, or nullptr. A field that cannot deliver its value shows its message with
// the group warning and throws TSilentAbort; a relation that fails gives the reporter's warning;
// either way the error is re-thrown unchanged.
TRelationField* SolveGroup(const TRelationGroup& group, const std::vector<TRelationField*>& fields,
                           TRelationReporter& reporter);

// Runs the groups as before each calculation: A, then B, C, D, E in turn, and back to A whenever
// one of them changed a field. `fields` holds the fields of every group in RelationGroups()
// order. Errors as SolveGroup. Throws TCalcError if the groups keep changing each other's fields
// without settling.
void RunRelationGroups(const std::vector<std::vector<TRelationField*>>& fields,
                       TRelationReporter& reporter);

}  // namespace velm
