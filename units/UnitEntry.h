#pragma once
// Unit entries: the text of one item of a unit selector. An entry reads
//   <display name><blank padding>|<factor k>[,<offset b>]
// and means SI value = k x shown number + b. The padding only lines the bars up in the list.
//
// Plain C++: shared by the value field, the unit selector, the project files and the report.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/FieldRegistry.h"

namespace velm {

// The conversion carried by an entry: SI = FK * shown + FB.
struct TUnitConversion {
  double FK = 1.0;
  double FB = 0.0;
};

// The conversion of an entry, or nothing for an entry that is empty after trimming (such an
// entry never changes a field's factor). The text after the first "|" (at most 100
// characters; the whole trimmed entry when there is no bar) is the factor, optionally followed
// by "," and the offset. A factor or offset that is not a number throws TInputError.
std::optional<TUnitConversion> ParseUnitEntry(std::string_view entry);

// Display name of an entry: the trimmed text before the first "|", or the whole trimmed entry
// when it has no bar. Empty for a blank entry.
std::string UnitDisplayName(std::string_view entry);

// Builds one entry: name padded with blanks to `width` characters (UTF-8 characters, so
// "无量纲" counts as three), then "|" and the factor text as given.
std::string MakeUnitEntry(std::string_view name, int width, std::string_view factor);

// The unit list of a family of the field registry, SI unit first.
const std::vector<std::string>& UnitListFor(TUnitFamily family);
// The unit list of a selector of the main window by its object name ("LU", "DlU", "HTU", ...),
// first entry the SI unit. Empty for a name that has no list.
const std::vector<std::string>& UnitListFor(std::string_view selectorName);

}  // namespace velm
