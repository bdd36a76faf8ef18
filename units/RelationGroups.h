#pragma once
// The relation groups (core/RelationGroups.h) over the window's value fields: each TEditD is a
// group field (a derived value has the group's colour, is read-only and shows the not-allowed
// cursor), the group warning is a warning box and the notes go to a hook.
#include <functional>
#include <string>
#include <vector>

#include "core/RelationGroups.h"

class QObject;

namespace velm {

class TEditD;

// Shows the warning of a group that failed (before the error is passed on). Empty (the
// default): a modal warning box. Tests set it to collect the texts.
using TRelationWarningHook = std::function<void(const std::string& text)>;
void SetRelationWarningHook(TRelationWarningHook hook);
// Shows a group's warning as the window's relation groups do (the hook, else the warning box).
void ShowRelationWarning(const std::string& text);

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
