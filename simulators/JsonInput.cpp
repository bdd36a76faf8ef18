#include "simulators/JsonInput.h"

#include <cmath>
#include <stdexcept>

#include "base/NumberFormat.h"
#include "base/SafeFiles.h"

namespace velm::jsonin {
namespace {

struct TTooDeep {
  size_t Position;
};

std::string At(const std::string& where) { return where.empty() ? std::string() : where + "："; }

}  // namespace

std::string ReadFileBounded(const std::string& path, size_t maxSize, const std::string& what) {
  std::string text;
  try {
    text = ReadDocument(path, static_cast<std::int64_t>(maxSize));
  } catch (const TFileError& e) {
    throw std::runtime_error(what + "：" + e.what());
  }
  if (text.size() > maxSize)
    throw std::runtime_error(what + "“" + path + "”太大（超过 " + std::to_string(maxSize >> 20) +
                             " MB），不予读取");
  return text;
}

nlohmann::json Parse(std::string_view text, int maxDepth, const std::string& prefix) {
  try {
    return nlohmann::json::parse(
        text.begin(), text.end(),
        [maxDepth](int depth, nlohmann::json::parse_event_t, nlohmann::json&) {
          if (depth > maxDepth) throw TTooDeep{0};
          return true;
        });
  } catch (const TTooDeep&) {
    throw std::runtime_error(prefix + "嵌套超过 " + std::to_string(maxDepth) + " 层");
  } catch (const nlohmann::json::parse_error& e) {
    throw std::runtime_error(prefix + "不是有效的 JSON（第 " + std::to_string(e.byte) +
                             " 字节附近）：" + e.what());
  } catch (const nlohmann::json::exception& e) {
    throw std::runtime_error(prefix + "不是有效的 JSON：" + e.what());
  }
}

void Fail(const std::string& prefix, const std::string& where, const std::string& text) {
  throw std::runtime_error(prefix + At(where) + text);
}

void RequireObject(const nlohmann::json& v, const std::string& prefix, const std::string& where) {
  if (!v.is_object()) Fail(prefix, where, "应为对象 {…}");
}

const nlohmann::json* Optional(const nlohmann::json& obj, const char* key,
                               const std::string& prefix, const std::string& where) {
  RequireObject(obj, prefix, where);
  auto it = obj.find(key);
  if (it == obj.end() || it->is_null()) return nullptr;
  return &*it;
}

const nlohmann::json& Member(const nlohmann::json& obj, const char* key, const std::string& prefix,
                             const std::string& where) {
  if (const nlohmann::json* v = Optional(obj, key, prefix, where)) return *v;
  Fail(prefix, where, std::string("缺少“") + key + "”");
}

double Number(const nlohmann::json& v, const std::string& prefix, const std::string& where) {
  if (!v.is_number()) Fail(prefix, where, "应为数值");
  const double d = v.get<double>();
  if (!std::isfinite(d)) Fail(prefix, where, "数值超出范围");
  return d;
}

long long Integer(const nlohmann::json& v, const std::string& prefix, const std::string& where) {
  if (v.is_number_integer()) return v.get<long long>();
  if (v.is_number_unsigned()) {
    if (v.get<unsigned long long>() > 1000000000ULL) Fail(prefix, where, "整数超出范围");
    return static_cast<long long>(v.get<unsigned long long>());
  }
  if (v.is_number_float()) {
    const double d = v.get<double>();
    if (std::isfinite(d) && d == std::floor(d) && std::fabs(d) <= 1e9)
      return static_cast<long long>(d);
    Fail(prefix, where, "应为整数，而不是 " + FormatField(d));
  }
  Fail(prefix, where, "应为整数");
}

std::string Text(const nlohmann::json& v, size_t maxLength, const std::string& prefix,
                 const std::string& where) {
  if (!v.is_string()) Fail(prefix, where, "应为文本");
  const auto& s = v.get_ref<const std::string&>();
  if (s.size() > maxLength)
    Fail(prefix, where, "文本太长（超过 " + std::to_string(maxLength) + " 字节）");
  return s;
}

const nlohmann::json& Array(const nlohmann::json& v, size_t maxSize, const std::string& prefix,
                            const std::string& where) {
  if (!v.is_array()) Fail(prefix, where, "应为数组 […]");
  if (v.size() > maxSize) Fail(prefix, where, "项数超过 " + std::to_string(maxSize));
  return v;
}

void CheckFormat(const nlohmann::json& doc, const char* format, int version,
                 const std::string& prefix) {
  RequireObject(doc, prefix, "");
  const std::string f = Text(Member(doc, "format", prefix, ""), 100, prefix, "format");
  if (f != format) Fail(prefix, "format", "应为“" + std::string(format) + "”，而不是“" + f + "”");
  const long long v = Integer(Member(doc, "formatVersion", prefix, ""), prefix, "formatVersion");
  if (v != version)
    Fail(prefix, "formatVersion",
         "本程序只读第 " + std::to_string(version) + " 版，文件是第 " + std::to_string(v) + " 版");
}

}  // namespace velm::jsonin
