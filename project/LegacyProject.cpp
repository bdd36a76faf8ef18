#include "project/LegacyProject.h"

#include <iterator>
#include <limits>
#include <optional>
#include <string_view>

#include "base/Decimal.h"
#include "project/Components.h"
#include "project/FileIo.h"

namespace velm {

namespace {

enum class TGroup { Text, Value, List, Selector, Rich };

struct TStoredControl {
  const char* FName;
  TGroup FGroup;
};

// The stored controls in the order of the main window's components (V value field, U unit
// selector, C option list, T text field, R the rich-text comment): 209 lines plus the comment.
constexpr TGroup V = TGroup::Value, U = TGroup::Selector, C = TGroup::List, T = TGroup::Text,
                 R = TGroup::Rich;
// clang-format off
constexpr TStoredControl kControls[] = {
    {"FpD", V},   {"FpU", U},   {"KfD", V},  {"KfU", U},   {"UfD", V},       {"UfU", U},
    {"UpD", V},   {"UpU", U},   {"dpD", V},  {"dpU", U},   {"dD", V},        {"dU", U},
    {"UlsD", V},  {"UlsU", U},  {"UvsD", V}, {"UvsU", U},  {"KpD", V},       {"KpU", U},
    {"dPwaterD", V}, {"dPwaterU", U},
    {"LD", V},    {"LU", U},    {"DlD", V},  {"DlU", U},   {"MlD", V},       {"MlU", U},
    {"SLD", V},   {"SLU", U},   {"DlfD", V}, {"DlfU", U},  {"AfD", C},
    {"DvfD", V},  {"MvD", V},   {"DvD", V},  {"VD", V},
    {"VU", U},    {"DvU", U},   {"MvU", U},  {"DvfU", U},
    {"fpercentD", C}, {"PTD", C},
    {"LmdD", V},  {"LmdU", U},  {"meD", V},  {"meU", U},   {"alfD", V},      {"alfU", U},
    {"MethodD", C}, {"ACLMethodD", C},
    {"HTUVD", V}, {"HTUVU", U}, {"HTULD", V}, {"HTULU", U}, {"HTUOVD", V},   {"HTUOVU", U},
    {"HETPD", V}, {"HETPU", U}, {"UmD", V},  {"UmU", U},
    {"ProjectD", T}, {"DevicenameD", T}, {"DeviceNoD", T}, {"ProjPD", T},
    {"Edit1", T}, {"Edit2", T}, {"Edit3", T}, {"Edit4", T},
    {"CommentD", R},
    {"HTD", V},   {"HTU", U},
};
// clang-format on
static_assert(std::size(kControls) == 70);

// A line that does not convert ends the control's group.
struct TGroupEnd {};

// One control's view of the file: reads its lines and writes them into its properties. When the
// control is missing from the window its lines are still consumed, so the positions hold.
class TGroupReader {
 public:
  TGroupReader(TTextLines& lines, QObject* control, TStagedProject& staged)
      : FLines(lines), FControl(control), FStaged(staged) {}

  std::string Line() { return FLines.Next(); }
  double Float() {
    const auto v = ParseNumber(Trim(Line()));
    if (!v) throw TGroupEnd{};
    return *v;
  }
  // A 32-bit integer, as the controls' indexes, flags and colours are.
  int Integer() {
    const auto v = ParseInteger(Line());
    if (!v || *v < std::numeric_limits<int>::min() || *v > std::numeric_limits<int>::max())
      throw TGroupEnd{};
    return static_cast<int>(*v);
  }

  void Set(const char* property, TPropertyClass cls, const QVariant& value) {
    if (!FControl) return;
    const auto p = FindProperty(FControl, property);
    if (p && ClassOf(*p) == cls) FStaged.FWrites.push_back({FControl, *p, value});
  }
  void SetText(const std::string& text) {
    Set("Text", TPropertyClass::String, QString::fromStdString(text));
  }
  void SetIndex(int index) { Set("ItemIndex", TPropertyClass::Ordinal, QVariant(index)); }

  TTextLines& Lines() { return FLines; }
  QObject* Control() { return FControl; }
  TStagedProject& Staged() { return FStaged; }

 private:
  TTextLines& FLines;
  QObject* FControl;
  TStagedProject& FStaged;
};

void ReadValueField(TGroupReader& g) {
  g.SetText(g.Line());
  const double k = g.Float();
  g.Set("k", TPropertyClass::Float, QVariant(k));
  const bool readOnly = g.Integer() != 0;
  g.Set("ReadOnly", TPropertyClass::Enumeration, QVariant(readOnly));
  const int colour = g.Integer();
  g.Set("Color", TPropertyClass::Ordinal, QVariant(colour));
  g.SetText(g.Line());
}

void ReadRichText(TGroupReader& g) {
  QObject* c = g.Control();
  const auto text = c ? FindTextProperty(c) : std::nullopt;
  if (text) g.Staged().FWrites.push_back({c, *text, QString()});
  const int n = g.Integer();
  QStringList lines;
  // Lines the file does not have would only be empty ones; a count beyond the end of the file
  // stops there instead of appending them by the million.
  for (int i = 0; i < n && !g.Lines().AtEnd(); ++i) lines << QString::fromStdString(g.Line());
  if (text) g.Staged().FWrites.push_back({c, *text, lines.join(QChar('\n'))});
}

}  // namespace

TStagedProject StageLegacyProject(QObject* root, std::string bytes) {
  TTextLines lines(std::move(bytes));
  const TComponentIndex index(root);
  TStagedProject staged;
  for (const TStoredControl& control : kControls) {
    TGroupReader g(lines, index.Find(QString::fromLatin1(control.FName)), staged);
    try {
      switch (control.FGroup) {
        case TGroup::Text:
          g.SetText(g.Line());
          break;
        case TGroup::Value:
          ReadValueField(g);
          break;
        case TGroup::List:
          g.SetIndex(g.Integer());
          break;
        case TGroup::Selector:
          g.SetIndex(g.Integer());
          g.SetIndex(g.Integer());
          break;
        case TGroup::Rich:
          ReadRichText(g);
          break;
      }
    } catch (const TGroupEnd&) {
      // The rest of this control's lines belong to the next control.
    }
  }
  return staged;
}

void ApplyLegacyProject(QObject* root, std::string bytes) {
  ApplyStaged(StageLegacyProject(root, std::move(bytes)));
}

std::optional<std::string> LegacyShapeProblem(std::string_view bytes) {
  if (bytes.empty()) return "文件是空的";
  if (bytes.find('\0') != std::string_view::npos) return "文件含有空字节，不是文本文件";
  TTextLines lines{std::string(bytes)};
  std::string problem;
  // Each read names the control it belongs to when it finds the file short or the line wrong.
  const auto line = [&](const char* control) -> std::optional<std::string> {
    if (lines.AtEnd()) {
      problem = "文件在第 " + std::to_string(lines.LinesRead()) + " 行后结束，缺少 " + control +
                " 及其后各项";
      return std::nullopt;
    }
    return lines.Next();
  };
  const auto wrong = [&](const char* control, const char* what, const std::string& text) {
    problem = "第 " + std::to_string(lines.LinesRead()) + " 行（" + control + " 的" + what + "）“" +
              text.substr(0, 40) + "”不是" + (std::string_view(what) == "系数 k" ? "数值" : "整数");
  };
  const auto integer = [&](const char* control, const char* what) -> std::optional<int> {
    const auto text = line(control);
    if (!text) return std::nullopt;
    const auto v = ParseInteger(*text);
    if (!v || *v < std::numeric_limits<int>::min() || *v > std::numeric_limits<int>::max()) {
      wrong(control, what, *text);
      return std::nullopt;
    }
    return static_cast<int>(*v);
  };
  for (const TStoredControl& c : kControls) {
    switch (c.FGroup) {
      case TGroup::Text:
        if (!line(c.FName)) return problem;
        break;
      case TGroup::Value: {
        if (!line(c.FName)) return problem;
        const auto k = line(c.FName);
        if (!k) return problem;
        if (!ParseNumber(Trim(*k))) {
          wrong(c.FName, "系数 k", *k);
          return problem;
        }
        if (!integer(c.FName, "只读标志") || !integer(c.FName, "颜色")) return problem;
        if (!line(c.FName)) return problem;
        break;
      }
      case TGroup::List:
        if (!integer(c.FName, "选择")) return problem;
        break;
      case TGroup::Selector:
        if (!integer(c.FName, "选择") || !integer(c.FName, "选择")) return problem;
        break;
      case TGroup::Rich: {
        const auto n = integer(c.FName, "行数");
        if (!n) return problem;
        if (*n < 0) {
          problem = "第 " + std::to_string(lines.LinesRead()) + " 行：说明的行数是负数";
          return problem;
        }
        for (int i = 0; i < *n; ++i)
          if (!line(c.FName)) return problem;
        break;
      }
    }
  }
  while (!lines.AtEnd()) {
    const std::string rest = lines.Next();
    if (!Trim(rest).empty())
      return "第 " + std::to_string(lines.LinesRead()) + " 行：最后一项之后还有内容";
  }
  return std::nullopt;
}

void ReadLegacyProject(QObject* root, const QString& fileName) {
  const std::string bytes = ReadProjectBytes(fileName);
  if (const auto problem = LegacyShapeProblem(bytes))
    throw TFileError("“" + DisplayName(fileName) + "”不是有效的项目文件：" + *problem);
  ApplyLegacyProject(root, bytes);
}

}  // namespace velm
