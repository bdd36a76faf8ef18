#pragma once
// Helpers shared by the readers of the simulator files: a bounded file read, a JSON parse with a
// nesting limit, and typed field access whose errors say where in the file and what is wrong.
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

namespace velm::jsonin {

// The whole file; a std::runtime_error naming `what` and the path when it cannot be read or is
// larger than `maxSize` bytes.
std::string ReadFileBounded(const std::string& path, size_t maxSize, const std::string& what);

// Parses `text`; a syntax error or nesting deeper than `maxDepth` is a std::runtime_error that
// starts with `prefix` and gives the byte position.
nlohmann::json Parse(std::string_view text, int maxDepth, const std::string& prefix);

// Field access. `where` is the path of the object in the file ("operations[2].stages[0]").
[[noreturn]] void Fail(const std::string& prefix, const std::string& where,
                       const std::string& text);
const nlohmann::json& Member(const nlohmann::json& obj, const char* key, const std::string& prefix,
                             const std::string& where);
const nlohmann::json* Optional(const nlohmann::json& obj, const char* key,
                               const std::string& prefix, const std::string& where);
double Number(const nlohmann::json& v, const std::string& prefix, const std::string& where);
long long Integer(const nlohmann::json& v, const std::string& prefix, const std::string& where);
std::string Text(const nlohmann::json& v, size_t maxLength, const std::string& prefix,
                 const std::string& where);
const nlohmann::json& Array(const nlohmann::json& v, size_t maxSize, const std::string& prefix,
                            const std::string& where);
void RequireObject(const nlohmann::json& v, const std::string& prefix, const std::string& where);
// Checks the "format" and "formatVersion" members of the document.
void CheckFormat(const nlohmann::json& doc, const char* format, int version,
                 const std::string& prefix);

}  // namespace velm::jsonin
