#pragma once
// A small stand-in for the main window: the real value fields, unit selectors, option lists,
// text fields, comment and check boxes under the names the project files use, plus a log of
// the change notifications they raise while a file is applied.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QStringList>
#include <QTextEdit>
#include <QWidget>
#include <vector>

#include "units/UnitSelector.h"
#include "units/ValueField.h"

namespace velm::test {

// Names of the 28 value fields and of their selectors, in the window's order.
extern const std::vector<std::pair<const char*, const char*>> kFieldsAndSelectors;
extern const std::vector<const char*> kTextFields;

class TTestForm : public QWidget {
 public:
  TTestForm();

  TEditD* Field(const char* name) const { return findChild<TEditD*>(name); }
  TComboBoxU* Selector(const char* name) const { return findChild<TComboBoxU*>(name); }
  QComboBox* List(const char* name) const { return findChild<QComboBox*>(name); }
  QLineEdit* TextField(const char* name) const { return findChild<QLineEdit*>(name); }

  QComboBox* FAfD;
  QComboBox* FfpercentD;
  QComboBox* FPTD;
  QComboBox* FMethodD;
  QComboBox* FACLMethodD;
  QTextEdit* FCommentD;
  QCheckBox* FCalKf;
  QCheckBox* FCalKp;
  QListWidget* FCheckList;  // a check list box with two items

  // "LD", "LU", "CalKf", ... in the order their change notifications came.
  QStringList FEvents;
  bool FNeedsRecalc = false;
};

// Two projects that differ in every value field and in a long comment (so that a save takes a
// while); the second has `second` set.
void FillSaveLoopProject(TTestForm& form, bool second);
// Saves the two projects over `path` by turns, for ever (until the process is killed).
[[noreturn]] void SaveLoop(const QString& path);

// A temporary file's path with the given bytes written into it.
QString WriteTemp(const std::string& bytes);
// The test data file's full path.
QString DataFile(const char* name);
std::string ReadBytes(const QString& path);

// While it lives, the current thread checks file permissions as an ordinary user even when the
// tests run as root (whose override would let it write into a read-only folder).
class TAsOrdinaryUser {
 public:
  TAsOrdinaryUser();
  ~TAsOrdinaryUser();
  TAsOrdinaryUser(const TAsOrdinaryUser&) = delete;
  TAsOrdinaryUser& operator=(const TAsOrdinaryUser&) = delete;
};

}  // namespace velm::test
