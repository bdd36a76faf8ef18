#pragma once
// Text lists that the simulator interfaces fill ("name=value" lines), and the messages they show.
#include <QString>
#include <functional>
#include <string>
#include <vector>

class QListWidget;

namespace velm {

// A list of text lines: a plain one for tests and the module state, and one over the items of a
// list box, so that lines appended before a failing call stay visible.
class TStrings {
 public:
  virtual ~TStrings() = default;
  virtual int Count() const = 0;
  virtual std::string Strings(int index) const = 0;
  virtual void Add(const std::string& line) = 0;
  virtual void Clear() = 0;
  // Position of the first line equal to `text` without regard to letter case, or -1.
  int IndexOfNoCase(const std::string& text) const;
};

class TStringList : public TStrings {
 public:
  int Count() const override { return static_cast<int>(FLines.size()); }
  std::string Strings(int index) const override { return FLines.at(static_cast<size_t>(index)); }
  void Add(const std::string& line) override { FLines.push_back(line); }
  void Clear() override { FLines.clear(); }
  const std::vector<std::string>& Lines() const { return FLines; }

 private:
  std::vector<std::string> FLines;
};

class TListBoxStrings : public TStrings {
 public:
  explicit TListBoxStrings(QListWidget* list) : FList(list) {}
  int Count() const override;
  std::string Strings(int index) const override;
  void Add(const std::string& line) override;
  void Clear() override;

 private:
  QListWidget* FList;
};

// The plain message boxes of the import ("Hysys错误！" and the like): `text` is the message,
// `detail` (may be empty) the reason given by the server, shown beneath it. Empty hook (the
// default): a modal message box with one OK button. Tests set it to collect the texts.
using TSimulatorMessageHook = std::function<void(const QString& text, const QString& detail)>;
void SetSimulatorMessageHook(TSimulatorMessageHook hook);
void ShowSimulatorMessage(const QString& text, const QString& detail = {});

// Runs an event handler of an import dialog: a silent abort ends it quietly, any other error
// goes to the application-wide error report with its own text.
void GuardSimulatorHandler(const std::function<void()>& body);

// The whole number in `text` (blanks around it allowed), or a TInputError naming the text.
int StrToInt(const std::string& text);

}  // namespace velm
