#pragma once
// Objects whose members are looked up by name at run time.
#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "automation/Variant.h"

namespace velm {

class TAutoObject : public std::enable_shared_from_this<TAutoObject> {
 public:
  virtual ~TAutoObject() = default;
  // Property read with optional arguments (an indexed property such as Item(3)).
  virtual TVariant Get(const std::string& name, const TArgs& args) = 0;
  // Property write with optional index arguments.
  virtual void Put(const std::string& name, const TArgs& args, const TVariant& value) = 0;
  // Method call.
  virtual TVariant Call(const std::string& name, const TArgs& args) = 0;
  // A short name of the object for error texts ("Workbook", "HYSYS.Application").
  virtual std::string TypeName() const = 0;
};

// Case-insensitive key for member tables.
struct TNoCaseLess {
  bool operator()(const std::string& a, const std::string& b) const;
};
bool SameTextNoCase(const std::string& a, const std::string& b);
// The text with ASCII letters in lower case (other bytes unchanged).
std::string LowerAscii(std::string_view text);

// An object with a member table filled by its constructor. Get finds getters, then methods;
// Call finds methods, then getters; Put finds putters. An unknown member, a property that cannot
// be written and a missing argument are automation errors naming the member.
class TDispatch : public TAutoObject {
 public:
  using TGetter = std::function<TVariant(const TArgs&)>;
  using TPutter = std::function<void(const TArgs&, const TVariant&)>;

  explicit TDispatch(std::string typeName) : FTypeName(std::move(typeName)) {}

  TVariant Get(const std::string& name, const TArgs& args) override;
  void Put(const std::string& name, const TArgs& args, const TVariant& value) override;
  TVariant Call(const std::string& name, const TArgs& args) override;
  std::string TypeName() const override { return FTypeName; }

 protected:
  void DefineGet(const std::string& name, TGetter getter);
  void DefinePut(const std::string& name, TPutter putter);
  void DefineMethod(const std::string& name, TGetter method);
  // Argument `index` of a call to `member`, or an automation error when it was left out.
  const TVariant& Arg(const std::string& member, const TArgs& args, size_t index) const;
  [[noreturn]] void Fail(const std::string& text) const;

 private:
  std::string FTypeName;
  std::map<std::string, TGetter, TNoCaseLess> FGetters, FMethods;
  std::map<std::string, TPutter, TNoCaseLess> FPutters;
};

}  // namespace velm
