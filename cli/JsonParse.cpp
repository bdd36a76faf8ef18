#include "cli/JsonParse.h"

namespace velm {

namespace {

using nlohmann::json;

// The callback sees each object or array start with the depth of its parent; refusing the
// start keeps the parser from going one level further.
json::parser_callback_t DepthLimit() {
  return [](int depth, json::parse_event_t event, json&) {
    if ((event == json::parse_event_t::object_start || event == json::parse_event_t::array_start) &&
        depth >= kMaxJsonDepth)
      throw json::out_of_range::create(
          406, "嵌套超过 " + std::to_string(kMaxJsonDepth) + " 层，不是一个算例", nullptr);
    return true;
  };
}

}  // namespace

json ParseJsonDocument(std::istream& in) { return json::parse(in, DepthLimit()); }

json ParseJsonDocument(std::string_view text) { return json::parse(text, DepthLimit()); }

}  // namespace velm
