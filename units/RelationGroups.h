#pragma once
// Relation groups: small sets of value fields tied by one relation (flow parameter, liquid
// load, gas load, equilibrium slope, stripping factor). Before each calculation the groups
// complete the inputs: when exactly one field of a group is empty and may be derived, it is
// solved from the others and marked with the group's colour; a field derived earlier is kept
// consistent with its group; clearing an input of a group clears the field derived from it.
//
// The relations and the Newton solver are plain C++; SolveGroup and RunRelationGroups work on
// the window's TEditD fields.
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

class QObject;

namespace velm {

class TEditD;

// Residual of a relation over the group's SI values in list order; zero when they agree.
// Throws TCalcError for values it cannot be evaluated at (a zero divisor, the root of a
// negative number).
using TRelation = std::function<double(const std::vector<double>& values)>;

struct TRelationGroup {
  std::string FName;                 // "A" .. "E"
  int FColor;                        // colour number of the derived mark (ColorTable.h)
  std::vector<std::string> FFields;  // object names of the fields, in relation order
  TRelation FResidual;
  double FGuess;  // start of the Newton iteration for a field derived for the first time
  // Where the relation has no acceptable value for position p given the others: a text that says
  // so (the field is then left empty and the text goes to the note hook); empty otherwise.
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

// Shows the warning of a group that failed (before the error is passed on). Empty (the
// default): a modal warning box. Tests set it to collect the texts.
using TRelationWarningHook = std::function<void(const std::string& text)>;
void SetRelationWarningHook(TRelationWarningHook hook);

// Receives the note of a group that leaves a field empty because the relation has no acceptable
// value for it (e.g. no positive relative volatility for an equilibrium slope of 1 or more). The
// same note may come several times in one pass of the groups. Empty (the default): dropped.
using TRelationNoteHook = std::function<void(const std::string& field, const std::string& text)>;
void SetRelationNoteHook(TRelationNoteHook hook);

// Marks `field` as derived with value v [SI] in the group's colour, read-only, with the
// not-allowed cursor. A field that already holds a value within a relative 1e-6 of v (absolute
// when the old value is 0) is left alone. Returns the field when it changed, else nullptr.
TEditD* ApplyDerived(TEditD* field, int color, double v);

// Clears the derived mark: empty text, normal window colour, editable, default cursor.
// Returns the field, or nullptr when it was already empty with the normal colour.
TEditD* ClearDerived(TEditD* field);

// Completes one group over its fields (in the group's order). Returns the field it derived,
// re-derived or cleared, or nullptr. A field that cannot deliver its value shows its message and
// the group warning in one box; a relation that fails shows the group warning; either way the
// error is re-thrown unchanged.
TEditD* SolveGroup(const TRelationGroup& group, const std::vector<TEditD*>& fields);

// The fields of every group (RelationGroups() order), found by object name under `window`.
// Throws std::logic_error naming a field that does not exist.
std::vector<std::vector<TEditD*>> FindGroupFields(const QObject& window);

// Runs the groups as the field exit does before calculating: A, then B, C, D, E in turn, and
// back to A whenever one of them changed a field. Errors as SolveGroup. Throws TCalcError if
// the groups keep changing each other's fields without settling.
void RunRelationGroups(const std::vector<std::vector<TEditD*>>& fields);

}  // namespace velm
