#pragma once
// The main window as the calculation core sees it: its value fields (read and written in SI
// through TEditD::Value), the caption of the wetting label, the flooding-method selector, message
// boxes, and the messages pane as the core's message log.
#include <QString>
#include <array>
#include <functional>

#include "core/DesignCase.h"
#include "core/MessageLog.h"

class QComboBox;
class QLabel;
class QPlainTextEdit;

namespace velm {

class TEditD;
class TFormVELM;

class TWindowFields : public TFieldAccess {
 public:
  // messageBox shows a plain modal message; resetMethod sets the flooding method back to the
  // first entry and brings the window in line with it.
  TWindowFields(TFormVELM& form, std::function<void(const QString&)> messageBox,
                std::function<void()> resetMethod);

  bool IsFilled(TField f) override;
  double Value(TField f) override;
  void SetValue(TField f, double si) override;
  void SetWettingCaption(const std::string& caption) override;
  void ResetFloodMethod() override;
  void ShowMessage(const std::string& text) override;

 private:
  TEditD& Field(TField f);
  std::array<TEditD*, kFieldCount> FFields{};
  QLabel* FWettingLabel = nullptr;
  std::function<void(const QString&)> FMessageBox;
  std::function<void()> FResetMethod;
};

// The messages pane as a message log: a memo whose lines the calculation appends.
class TMemoLog : public TMessageLog {
 public:
  explicit TMemoLog(QPlainTextEdit* memo) : FMemo(memo) {}
  using TMessageLog::Add;
  int Count() const override;
  void Clear() override;
  void Add(const TLogLine& line) override;

 private:
  QPlainTextEdit* FMemo;
};

}  // namespace velm
