#pragma once
// A design case as JSON, for the headless calculator:
//   input  {"inputs": {"LiquidFlow": 4.0, ...}, "packing": ["01", ..., "509 (1/m)"] | null}
//          inputs.LegacyMethods true computes with the methods of earlier versions (default
//          false: the published correlations)
//   output the calculation basis ("LegacyMethods"), every result, the curve set, the operating
//          points, the field writes in order, the log lines, the message-box texts, the error
//          that ended the run early (or null) and the validity findings ({code, level, field,
//          text}, errors first).
// Input values are SI numbers; a missing or null field input is an empty field; a string is the
// field's text as typed.
#include <nlohmann/json.hpp>
#include <optional>
#include <stdexcept>
#include <string>

#include "core/PlainFields.h"

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
};
TParsedCase ParseCaseJson(const nlohmann::json& input);

// Runs one case. Throws TCaseFormatError for an input document that cannot be a case. "error"
// in the result is null only for a run that went through to the end.
nlohmann::json RunCaseJson(const nlohmann::json& input);

}  // namespace velm
