#include "project/Components.h"

#include <QMetaObject>
#include <cstring>

namespace velm {

TComponentIndex::TComponentIndex(QObject* root) {
  if (!root) return;
  auto add = [this](QObject* o) {
    const QString name = o->objectName();
    if (name.isEmpty()) return;
    const QString key = name.toLower();
    if (!FByName.contains(key)) FByName.insert(key, o);
  };
  add(root);
  for (QObject* child : root->findChildren<QObject*>()) add(child);
}

QObject* TComponentIndex::Find(const QString& name) const {
  return FByName.value(name.toLower()).data();
}

namespace {

std::optional<QMetaProperty> Usable(const QMetaProperty& p) {
  if (p.isValid() && p.isReadable() && p.isWritable()) return p;
  return std::nullopt;
}

std::optional<QMetaProperty> ByName(const QMetaObject* mo, const char* name) {
  const int exact = mo->indexOfProperty(name);
  if (exact >= 0) return Usable(mo->property(exact));
  for (int i = 0; i < mo->propertyCount(); ++i) {
    const QMetaProperty p = mo->property(i);
    if (qstricmp(p.name(), name) == 0) return Usable(p);
  }
  return std::nullopt;
}

// Names of the original list controls' properties and their QComboBox equivalents.
struct TAlias {
  const char* FName;
  const char* FQtName;
};
constexpr TAlias kAliases[] = {
    {"ItemIndex", "currentIndex"},
    {"Text", "currentText"},
};

}  // namespace

std::optional<QMetaProperty> FindProperty(const QObject* object, const char* name) {
  if (!object || !name || !*name) return std::nullopt;
  const QMetaObject* mo = object->metaObject();
  if (auto p = ByName(mo, name)) return p;
  for (const TAlias& a : kAliases)
    if (qstricmp(a.FName, name) == 0)
      if (auto p = ByName(mo, a.FQtName)) return p;
  return std::nullopt;
}

TPropertyClass ClassOf(const QMetaProperty& property) {
  if (property.isEnumType()) return TPropertyClass::Enumeration;
  switch (property.metaType().id()) {
    case QMetaType::QString:
      return TPropertyClass::String;
    case QMetaType::Double:
    case QMetaType::Float:
      return TPropertyClass::Float;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
      return TPropertyClass::Ordinal;
    case QMetaType::Bool:
      return TPropertyClass::Enumeration;
    default:
      return TPropertyClass::Other;
  }
}

std::optional<QMetaProperty> FindTextProperty(const QObject* object) {
  for (const char* name : {"plainText", "Text"}) {
    auto p = FindProperty(object, name);
    if (p && ClassOf(*p) == TPropertyClass::String) return p;
  }
  return std::nullopt;
}

bool WriteProperty(QObject* object, const QMetaProperty& property, const QVariant& value) {
  return property.write(object, value);
}

void ApplyStaged(const TStagedProject& staged) {
  for (const TStagedWrite& w : staged.FWrites)
    if (w.FObject) WriteProperty(w.FObject, w.FProperty, w.FValue);
}

}  // namespace velm
