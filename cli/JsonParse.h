#pragma once
// Reading a JSON document from outside. nlohmann's parser itself keeps its nesting on the heap,
// but copying, comparing and writing a value recurse once per level, so a document nested a few
// hundred thousand levels deep would overflow the stack later on. Such a document is refused
// while it is read: a case is three levels deep, so kMaxJsonDepth leaves ample room.
#include <istream>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>

namespace velm {

constexpr int kMaxJsonDepth = 64;

// Throws nlohmann::json::exception for a text that is not JSON, or nested deeper than
// kMaxJsonDepth (its what() names the limit).
nlohmann::json ParseJsonDocument(std::istream& in);
nlohmann::json ParseJsonDocument(std::string_view text);

// An optional value as JSON: the value, or null when it is empty.
template <class T>
nlohmann::json Opt(const std::optional<T>& v) {
  return v ? nlohmann::json(*v) : nlohmann::json(nullptr);
}

}  // namespace velm
