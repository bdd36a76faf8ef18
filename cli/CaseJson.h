#pragma once
// A design case as JSON, for the headless calculator:
//   input  {"inputs": {"LiquidFlow": 4.0, ...}, "packing": ["01", ..., "509 (1/m)"] | null}
//          inputs.LegacyMethods true computes with the methods of earlier versions (default
//          false: the published correlations)
//          inputs.DeriveRelations true runs the relation groups on the fields before the
//          calculation, as the window does (default false); only then may the inputs also give
//          EquilibriumSlope (the window's meD) and RelativeVolatility (alfD) [-]
//          inputs.Rating rates a given column (cli/RatingJson.h): the run is made at its
//          diameter and the output's "Rating" holds every load case
//   output the calculation basis ("LegacyMethods"), every result, the curve set, the operating
//          points, the field writes in order, the log lines, the message-box texts, the error
//          that ended the run early (or null) and the validity findings ({code, level, field,
//          text}, errors first; the relation groups' notes after them, as in the window).
//          With DeriveRelations also "derived": {"FlowParameter", "Lambda", "EquilibriumSlope",
//          "RelativeVolatility"}, each the SI value the groups derived for that field, or null
//          where they derived none (an input given, or too few inputs to derive it from).
// Input values are SI numbers; a missing or null field input is an empty field; a string is the
// field's text as typed.
#include <nlohmann/json.hpp>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "core/PlainFields.h"
#include "core/Rating.h"

namespace velm {

// A problem with the input document itself (wrong type, unknown method...).
class TCaseFormatError : public std::runtime_error {
 public:
  explicit TCaseFormatError(const std::string& what) : std::runtime_error(what) {}
};

// The case a document describes: options and inputs as the fields hold them, and the packing
// record when one is given. Throws TCaseFormatError for a document that cannot be a case.
struct TParsedCase {
  TDesignCase Case;
  TPlainFields Fields;
  std::optional<TPackingRecord> Packing;
  // inputs.DeriveRelations: the relation groups complete the fields (FpD, meD and alfD among
  // them, which only the groups use) before the calculation.
  bool DeriveRelations = false;
  // inputs.Rating (cli/RatingJson.h): the column to rate; the case's GivenDiameter is set.
  std::optional<double> BedHeight;
  std::vector<TLoadCase> RatingCases;
};
TParsedCase ParseCaseJson(const nlohmann::json& input);

// What the relation groups did to a case: the SI value of each field they derived (nothing for
// one they did not) and their notes ({field, text}, each once, in order).
struct TCaseRelations {
  std::optional<double> FlowParameter, Lambda, EquilibriumSlope, RelativeVolatility;
  std::vector<std::pair<std::string, std::string>> Notes;
};

// Runs the relation groups on the case's fields as the window does before each calculation
// (nothing when parsed.DeriveRelations is false): LD, VD, DvD and DlD are required inputs,
// never derived; a derived value is written into the field's text (λ into Fields, where the
// calculation reads it). `relations` receives what was derived, also when an error ends the
// groups: a field that cannot give its value records its message with the group warning in
// Fields (Messages, AbortMessage) and throws TSilentAbort; a relation that fails adds the group
// warning to Fields.Messages and throws its TCalcError.
void DeriveCaseRelations(TParsedCase& parsed, TCaseRelations& relations);

// Runs one case. Throws TCaseFormatError for an input document that cannot be a case. "error"
// in the result is null only for a run that went through to the end.
nlohmann::json RunCaseJson(const nlohmann::json& input);

}  // namespace velm
