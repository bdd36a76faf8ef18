#pragma once
// How the unit-aware widgets reach the program around them: the flags they raise and the boxes
// they show. One object for the whole program, set up by the main window; tests and the batch
// mode replace its parts (through the Set...Hook functions of the widgets' headers). An empty
// member means: no flag is raised, the plain modal box is shown.
#include <QString>
#include <functional>
#include <string>

namespace velm {

struct TInteraction {
  bool* NeedsRecalc = nullptr;  // raised by every text change of a value field
  bool* Modified = nullptr;     // raised by a unit selector's change of unit
  std::function<void(const QString& text)> FieldMessage;  // a field cannot give its value
  std::function<void(const QString& text)> ErrorReport;   // an error a widget's handler caught
  std::function<void(const std::string& text)> RelationWarning;  // a relation group failed
};

TInteraction& Interaction();

}  // namespace velm
