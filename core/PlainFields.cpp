#include "core/PlainFields.h"

#include <cmath>

#include "base/Decimal.h"
#include "base/Errors.h"
#include "base/NumberFormat.h"

namespace velm {

std::string EmptyFieldMessage(const std::string& name) {
  return "警告:“" + name + "”是空白,请补充.";
}

std::string BadFieldMessage(const std::string& name) { return name + "是错误数据"; }

std::string TPlainFields::DisplayName(TField f) const {
  if (f == TField::KpD) return KpCaption;
  return FieldCaption(f);
}

bool TPlainFields::IsFilled(TField f) { return !Text[static_cast<size_t>(f)].empty(); }

double TPlainFields::Value(TField f) {
  std::string& text = Text[static_cast<size_t>(f)];
  const std::string_view t = Trim(text);
  if (auto v = ParseNumber(t)) return *v;
  const std::string msg =
      t.empty() ? EmptyFieldMessage(DisplayName(f)) : BadFieldMessage(DisplayName(f));
  Messages.push_back(msg);
  AbortMessage = msg;
  text = " ";
  throw TSilentAbort{};
}

void TPlainFields::SetValue(TField f, double si) {
  if (!std::isfinite(si))
    throw TCalcError(std::string("计算错误: ") + FieldName(f) + " 不是有限数值");
  Text[static_cast<size_t>(f)] = FormatField(si);
  if (RecordWrites) Writes.push_back({FieldName(f), si, std::nullopt});
}

void TPlainFields::SetWettingCaption(const std::string& caption) {
  WettingCaptionText = caption;
  if (RecordWrites) Writes.push_back({"UmL", 0.0, caption});
}

void TPlainFields::ResetFloodMethod() { MethodReset = true; }

void TPlainFields::ShowMessage(const std::string& text) { Messages.push_back(text); }

std::vector<std::string> TPlainLog::Texts() const {
  std::vector<std::string> out;
  out.reserve(Lines.size());
  for (const auto& l : Lines) out.push_back(l.Text());
  return out;
}

}  // namespace velm
