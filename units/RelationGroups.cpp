#include "units/RelationGroups.h"

#include <QApplication>
#include <QMessageBox>
#include <QObject>
#include <stdexcept>

#include "base/Decimal.h"
#include "units/ColorTable.h"
#include "units/ValueField.h"

namespace velm {

namespace {

TRelationWarningHook GWarningHook;

// A value field as a group field.
class TEditDRelationField final : public TRelationField {
 public:
  explicit TEditDRelationField(TEditD* field) : FField(field) {}
  TEditD* Field() const { return FField; }

  bool IsEmpty() const override { return Trim(FField->text().toStdString()).empty(); }
  bool IsEnabled() const override { return FField->isEnabled(); }
  double Value() override {
    // A field that cannot give its value says so together with the group's warning.
    const TFieldMessageSuffix suffix(QString::fromUtf8(kRelationGroupWarning));
    return FField->Value();
  }
  std::optional<int> Color() const override { return FField->Color(); }
  bool MyResolved() const override { return FField->MyResolved(); }
  void SetDerived(double v, int color) override {
    FField->SetValue(v);
    FField->SetColor(color);
    FField->setReadOnly(true);
    FField->SetCursorNumber(kCursorNotAllowed);
  }
  void ClearDerived() override {
    FField->clear();
    FField->SetColor(kColorWindow);
    FField->setReadOnly(false);
    FField->SetCursorNumber(kCursorDefault);
  }

 private:
  TEditD* FField;
};

// The warning box. A group's note (no acceptable value for a field) belongs to the findings of
// a whole run (RunDocument); a single group solved on its own drops it.
class TWindowReporter final : public TRelationReporter {
 public:
  void Warning(const std::string& text) override { ShowRelationWarning(text); }
  void Note(const std::string&, const std::string&) override {}
};

// The group fields of `fields` and pointers to them, in the same order. Moving keeps the
// pointers valid (the fields stay where they are); copying would not.
struct TGroupFields {
  std::vector<TEditDRelationField> Fields;
  std::vector<TRelationField*> Pointers;

  explicit TGroupFields(const std::vector<TEditD*>& fields) {
    Fields.reserve(fields.size());
    for (TEditD* f : fields) Fields.emplace_back(f);
    for (TEditDRelationField& f : Fields) Pointers.push_back(&f);
  }
  TGroupFields(TGroupFields&&) = default;
  TGroupFields(const TGroupFields&) = delete;
  TGroupFields& operator=(const TGroupFields&) = delete;
};

}  // namespace

void SetRelationWarningHook(TRelationWarningHook hook) { GWarningHook = std::move(hook); }

void ShowRelationWarning(const std::string& text) {
  if (GWarningHook) {
    GWarningHook(text);
    return;
  }
  QMessageBox::warning(QApplication::activeWindow(), QApplication::applicationDisplayName(),
                       QString::fromStdString(text), QMessageBox::Ok);
}

TEditD* ApplyDerived(TEditD* field, int color, double v) {
  TEditDRelationField f(field);
  return ApplyDerived(static_cast<TRelationField&>(f), color, v) ? field : nullptr;
}

TEditD* ClearDerived(TEditD* field) {
  if (field->text().isEmpty() && field->Color() == kColorWindow) return nullptr;
  TEditDRelationField(field).ClearDerived();
  return field;
}

TEditD* SolveGroup(const TRelationGroup& group, const std::vector<TEditD*>& fields) {
  TGroupFields g(fields);
  TWindowReporter reporter;
  const TRelationField* changed = SolveGroup(group, g.Pointers, reporter);
  return changed ? static_cast<const TEditDRelationField*>(changed)->Field() : nullptr;
}

std::vector<std::vector<TEditD*>> FindGroupFields(const QObject& window) {
  std::vector<std::vector<TEditD*>> all;
  for (const TRelationGroup& g : RelationGroups()) {
    std::vector<TEditD*> fields;
    for (const std::string& name : g.FFields) {
      TEditD* f = window.findChild<TEditD*>(QString::fromStdString(name));
      if (!f) throw std::logic_error("relation group " + g.FName + ": no field " + name);
      fields.push_back(f);
    }
    all.push_back(std::move(fields));
  }
  return all;
}

void RunRelationGroups(const std::vector<std::vector<TEditD*>>& fields) {
  std::vector<TGroupFields> groups;
  groups.reserve(fields.size());
  for (const auto& f : fields) groups.emplace_back(f);
  std::vector<std::vector<TRelationField*>> pointers;
  for (const TGroupFields& g : groups) pointers.push_back(g.Pointers);
  TWindowReporter reporter;
  RunRelationGroups(pointers, reporter);
}

}  // namespace velm
