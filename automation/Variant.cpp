#include "automation/Variant.h"

#include <cmath>
#include <limits>

#include "automation/AutoObject.h"
#include "base/Decimal.h"
#include "base/NumberFormat.h"

namespace velm {
namespace {

// An object's value is its default member; a chain of objects whose default values are objects
// again ends after a few steps instead of looping.
constexpr int MaxDefaultDepth = 8;

TVariant DefaultValue(const std::shared_ptr<TAutoObject>& obj) {
  TVariant v(obj);
  for (int i = 0; i < MaxDefaultDepth && v.IsObject(); ++i) v = v.ToObject()->Get("", {});
  if (v.IsObject())
    throw TAutomationError("对象“" + obj->TypeName() + "”没有可转换的默认值", obj->TypeName());
  return v;
}

[[noreturn]] void Mismatch(const std::string& text, const char* target) {
  throw TAutomationError("类型不匹配：“" + text + "”不能转换为" + target);
}

}  // namespace

TVariant::TVariant(std::shared_ptr<TAutoObject> v) {
  if (v) FValue = std::move(v);
}

bool TVariant::ToBool() const {
  switch (Kind()) {
    case TKind::Empty:
      return false;
    case TKind::Bool:
      return std::get<bool>(FValue);
    case TKind::Int:
      return std::get<std::int64_t>(FValue) != 0;
    case TKind::Double:
      return std::get<double>(FValue) != 0;
    case TKind::Text: {
      const auto& s = std::get<std::string>(FValue);
      if (SameTextNoCase(std::string(Trim(s)), "true")) return true;
      if (SameTextNoCase(std::string(Trim(s)), "false")) return false;
      if (auto d = ParseNumber(Trim(s))) return *d != 0;
      Mismatch(s, "布尔值");
    }
    case TKind::Object:
      return DefaultValue(ToObject()).ToBool();
  }
  return false;
}

double TVariant::ToDouble() const {
  switch (Kind()) {
    case TKind::Empty:
      return 0;
    case TKind::Bool:
      return std::get<bool>(FValue) ? -1 : 0;
    case TKind::Int:
      return static_cast<double>(std::get<std::int64_t>(FValue));
    case TKind::Double:
      return std::get<double>(FValue);
    case TKind::Text: {
      const auto& s = std::get<std::string>(FValue);
      if (auto d = ParseNumber(Trim(s))) return *d;
      Mismatch(s, "数值");
    }
    case TKind::Object:
      return DefaultValue(ToObject()).ToDouble();
  }
  return 0;
}

std::int64_t TVariant::ToInt64() const {
  if (Kind() == TKind::Int) return std::get<std::int64_t>(FValue);
  const double d = ToDouble();
  const double r = std::nearbyint(d);  // default rounding mode: halves to even
  if (!(r >= -9.2e18 && r <= 9.2e18))
    throw TAutomationError("溢出：" + FormatField(d) + " 不是整数范围内的值");
  return static_cast<std::int64_t>(r);
}

int TVariant::ToInt() const {
  const std::int64_t v = ToInt64();
  if (v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max())
    throw TAutomationError("溢出：" + std::to_string(v) + " 超出整数范围");
  return static_cast<int>(v);
}

std::string TVariant::ToString() const {
  switch (Kind()) {
    case TKind::Empty:
      return {};
    case TKind::Bool:
      return std::get<bool>(FValue) ? "True" : "False";
    case TKind::Int:
      return std::to_string(std::get<std::int64_t>(FValue));
    case TKind::Double:
      return FormatField(std::get<double>(FValue));
    case TKind::Text:
      return std::get<std::string>(FValue);
    case TKind::Object:
      return DefaultValue(ToObject()).ToString();
  }
  return {};
}

std::shared_ptr<TAutoObject> TVariant::ToObject() const {
  if (Kind() != TKind::Object) throw TAutomationError("需要对象：该值不是自动化对象");
  return std::get<std::shared_ptr<TAutoObject>>(FValue);
}

TVariant TVariant::Get(const std::string& name, const TArgs& args) const {
  return ToObject()->Get(name, args);
}

void TVariant::Put(const std::string& name, const TVariant& value) const {
  ToObject()->Put(name, {}, value);
}

void TVariant::Put(const std::string& name, const TArgs& args, const TVariant& value) const {
  ToObject()->Put(name, args, value);
}

TVariant TVariant::Call(const std::string& name, const TArgs& args) const {
  return ToObject()->Call(name, args);
}

}  // namespace velm
