#pragma once
// Decimal number texts as the value fields and project files read them.
//
// Syntax: optional sign, digits with an optional "." fraction (either side of the point may be
// empty, not both), optional exponent ("E" or "e", optional sign, digits). "." is always the
// decimal separator, "," is never accepted, and no blanks are allowed inside the text.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velm {

// The value of a text that is exactly one number in the syntax above; nothing otherwise (also
// for an empty text or a value outside the range of double).
std::optional<double> ParseNumber(std::string_view text);

// Blanks (space, tab, CR, LF and other control characters) removed from both ends.
std::string_view Trim(std::string_view text);

// The parts of a text between the separators `by` ("a,,b" gives "a", "", "b"; "" gives "").
std::vector<std::string_view> Split(std::string_view text, char by);
// A name for a record of fields: its "," and ";" (the separators) turned into blanks.
std::string RecordText(std::string name);

// ParseNumber of the trimmed text, or a TInputError with a readable message naming the text.
double StrToFloat(std::string_view text);

// Removes leading and trailing blanks, then keeps characters from the start while each is a
// sign, a point, a digit, "E" or "e". "120 (1/m)" gives "120"; "abc" gives "".
std::string LeadingNumber(std::string_view text);

}  // namespace velm
