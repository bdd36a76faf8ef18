#pragma once
// Pictures of the help for checking it by eye (part of the program's screenshot run): the hint
// popup, the key hint window, a popup from the help file, the help window on several topics,
// its index and search, and the welcome box of the about command.
#include <QString>

namespace velm {

class TFormVELM;

// Saves help-*.png into `dir`. The window must be shown.
void SaveHelpScreenshots(TFormVELM& window, const QString& dir);

}  // namespace velm
