#pragma once
// Access to the main window's components by name and to their properties by name, the way the
// project files address them. Components are found by objectName without regard to case;
// properties by their Qt property name, first exactly, then without regard to case, then under
// the Qt name of a few properties the files name after the original controls ("ItemIndex" of a
// drop-down list is QComboBox::currentIndex, its "Text" is currentText).
#include <QHash>
#include <QMetaProperty>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariant>
#include <optional>
#include <vector>

namespace velm {

// Every named object under a root (the root included), by lower-case name. The first object
// found for a name wins, searching the root, then its children depth first in creation order.
// An object deleted after the index was built is no longer found.
class TComponentIndex {
 public:
  explicit TComponentIndex(QObject* root);
  QObject* Find(const QString& name) const;

 private:
  QHash<QString, QPointer<QObject>> FByName;
};

// The kinds of value a property holds, as the record kinds group them.
enum class TPropertyClass { String, Float, Ordinal, Enumeration, Other };

// The writable and readable meta-property `name` of `object` (see the lookup order above), or
// nothing when it has none.
std::optional<QMetaProperty> FindProperty(const QObject* object, const char* name);

TPropertyClass ClassOf(const QMetaProperty& property);

// The object's multi-line text property: "plainText" (QTextEdit, QPlainTextEdit) or else "Text".
std::optional<QMetaProperty> FindTextProperty(const QObject* object);

// Writes through the property's setter; false when Qt refused the value.
bool WriteProperty(QObject* object, const QMetaProperty& property, const QVariant& value);

// One property write that a reader has converted but not yet made.
struct TStagedWrite {
  QPointer<QObject> FObject;
  QMetaProperty FProperty;
  QVariant FValue;
};

// What opening a file will do to the window: the writes in file order, and how many of the
// file's records were not for the window (skipped).
struct TStagedProject {
  std::vector<TStagedWrite> FWrites;
  int FSkipped = 0;
};

// Makes the writes in order through the setters (an object deleted meanwhile is passed over).
void ApplyStaged(const TStagedProject& staged);

}  // namespace velm
