#include "automation/AutoObject.h"

#include <algorithm>

namespace velm {
namespace {

// ASCII letters only: member names and ProgIDs are ASCII, and UTF-8 bytes of other scripts
// must compare exactly.
char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

bool TNoCaseLess::operator()(const std::string& a, const std::string& b) const {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                      [](char x, char y) { return Lower(x) < Lower(y); });
}

std::string LowerAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = Lower(c);
  return out;
}

bool SameTextNoCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [](char x, char y) { return Lower(x) == Lower(y); });
}

TVariant TDispatch::Get(const std::string& name, const TArgs& args) {
  if (auto it = FGetters.find(name); it != FGetters.end()) return it->second(args);
  if (auto it = FMethods.find(name); it != FMethods.end()) return it->second(args);
  Fail(name.empty() ? "对象没有默认值" : "对象不支持属性或方法“" + name + "”");
}

void TDispatch::Put(const std::string& name, const TArgs& args, const TVariant& value) {
  if (auto it = FPutters.find(name); it != FPutters.end()) return it->second(args, value);
  if (FGetters.count(name) || FMethods.count(name)) Fail("属性“" + name + "”是只读的");
  Fail("对象不支持属性或方法“" + name + "”");
}

TVariant TDispatch::Call(const std::string& name, const TArgs& args) {
  if (auto it = FMethods.find(name); it != FMethods.end()) return it->second(args);
  if (auto it = FGetters.find(name); it != FGetters.end()) return it->second(args);
  Fail("对象不支持属性或方法“" + name + "”");
}

void TDispatch::DefineGet(const std::string& name, TGetter getter) {
  FGetters[name] = std::move(getter);
}

void TDispatch::DefinePut(const std::string& name, TPutter putter) {
  FPutters[name] = std::move(putter);
}

void TDispatch::DefineMethod(const std::string& name, TGetter method) {
  FMethods[name] = std::move(method);
}

const TVariant& TDispatch::Arg(const std::string& member, const TArgs& args, size_t index) const {
  if (index >= args.size() || args[index].IsEmpty())
    Fail("“" + member + "”缺少第 " + std::to_string(index + 1) + " 个参数");
  return args[index];
}

void TDispatch::Fail(const std::string& text) const {
  throw TAutomationError(FTypeName + "：" + text, FTypeName);
}

}  // namespace velm
