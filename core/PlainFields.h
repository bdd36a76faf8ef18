#pragma once
// The main window's value fields as plain data, for the headless calculator, the tests and the
// benchmarks. Each field holds a text in SI units, as a window field in its SI unit would: a
// write stores the 15-digit general-format text of the value and a later read parses that text,
// so a result read back in the same run is the rounded value, exactly as on screen.
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "core/DesignCase.h"
#include "core/MessageLog.h"

namespace velm {

class TPlainFields : public TFieldAccess {
 public:
  struct TWrite {
    std::string Name;  // field name, or "UmL" for the wetting caption
    double Value = 0;
    std::optional<std::string> Caption;
  };

  std::array<std::string, kFieldCount> Text;
  std::string KpCaption = "压降湿填料因子";  // caption of KpL (the field's name in messages)
  bool RecordWrites = true;
  std::vector<TWrite> Writes;
  std::vector<std::string> Messages;        // message boxes, in order
  std::optional<std::string> AbortMessage;  // the field message that ended the run, if any
  std::string WettingCaptionText;
  bool MethodReset = false;

  std::string& operator[](TField f) { return Text[static_cast<size_t>(f)]; }

  // The name a field's messages use: the caption of its label (KpD's follows KpCaption).
  std::string DisplayName(TField f) const;

  bool IsFilled(TField f) override;
  double Value(TField f) override;
  void SetValue(TField f, double si) override;
  void SetWettingCaption(const std::string& caption) override;
  void ResetFloodMethod() override;
  void ShowMessage(const std::string& text) override;
};

// A message log that keeps its lines unformatted until they are read.
class TPlainLog : public TMessageLog {
 public:
  using TMessageLog::Add;
  std::vector<TLogLine> Lines;
  int Count() const override { return static_cast<int>(Lines.size()); }
  void Clear() override { Lines.clear(); }
  void Add(const TLogLine& line) override { Lines.push_back(line); }
  std::vector<std::string> Texts() const;
};

// The messages of a value field that cannot give a number.
std::string EmptyFieldMessage(const std::string& name);
std::string BadFieldMessage(const std::string& name);

}  // namespace velm
