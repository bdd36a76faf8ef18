#pragma once
// The automation variant and the automation error.
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

namespace velm {

class TAutoObject;
class TVariant;
using TArgs = std::vector<TVariant>;

// An error raised inside a server or by the automation layer. `what()` is the server's own text,
// shown to the user as it is; `Source()` names the object or server that raised it.
class TAutomationError : public std::runtime_error {
 public:
  explicit TAutomationError(const std::string& text, std::string source = {})
      : std::runtime_error(text), FSource(std::move(source)) {}
  const std::string& Source() const { return FSource; }

 private:
  std::string FSource;
};

class TVariant {
 public:
  enum class TKind { Empty, Bool, Int, Double, Text, Object };

  TVariant() = default;
  TVariant(bool v) : FValue(v) {}
  TVariant(int v) : FValue(std::int64_t{v}) {}
  TVariant(long v) : FValue(std::int64_t{v}) {}
  TVariant(long long v) : FValue(std::int64_t{v}) {}
  TVariant(double v) : FValue(v) {}
  TVariant(const char* v) : FValue(std::string(v)) {}
  TVariant(std::string v) : FValue(std::move(v)) {}
  TVariant(std::shared_ptr<TAutoObject> v);

  TKind Kind() const { return static_cast<TKind>(FValue.index()); }
  bool IsEmpty() const { return Kind() == TKind::Empty; }
  bool IsObject() const { return Kind() == TKind::Object; }

  // Conversions as automation does them: numbers and texts convert both ways ("." is the
  // decimal point; a text that is not a number is a type-mismatch error), empty converts to 0,
  // False or "", a Boolean to -1/0 and "True"/"False", and an object through its default member
  // (the member with the empty name). Integers round halves to even; out of range is an error.
  bool ToBool() const;
  std::int64_t ToInt64() const;
  int ToInt() const;
  double ToDouble() const;
  std::string ToString() const;
  // The object held; an automation error when the variant holds no object.
  std::shared_ptr<TAutoObject> ToObject() const;

  // Late-bound calls on the object held (an automation error when there is none).
  TVariant Get(const std::string& name, const TArgs& args = {}) const;
  void Put(const std::string& name, const TVariant& value) const;
  void Put(const std::string& name, const TArgs& args, const TVariant& value) const;
  TVariant Call(const std::string& name, const TArgs& args = {}) const;

  // Lets go of the value (the object reference, if any).
  void Clear() { FValue = std::monostate{}; }

 private:
  std::variant<std::monostate, bool, std::int64_t, double, std::string,
               std::shared_ptr<TAutoObject>>
      FValue;
};

}  // namespace velm
