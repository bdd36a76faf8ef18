// velm-calc's input: any JSON document either is refused as a case (or a whole column) or runs
// to a result that can be written out; nothing else escapes.
#include <nlohmann/json.hpp>

#include "FuzzCheck.h"
#include "cli/CaseJson.h"
#include "cli/ColumnJson.h"
#include "cli/JsonParse.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  nlohmann::json input;
  try {
    input = velm::ParseJsonDocument(velm::fuzz::Bytes(data, size));
  } catch (const nlohmann::json::exception&) {
    return 0;
  }
  try {
    const nlohmann::json out = input.is_object() && input.contains("column")
                                   ? velm::RunColumnJson(input)
                                   : velm::RunCaseJson(input);
    out.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    FUZZ_CHECK(out.contains("error"));
  } catch (const velm::TCaseFormatError&) {
  }
  return 0;
}
