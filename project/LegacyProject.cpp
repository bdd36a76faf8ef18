#include "project/LegacyProject.h"

#include <iterator>
#include <limits>
#include <optional>

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
  TGroupReader(TTextLines& lines, QObject* control) : FLines(lines), FControl(control) {}

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
    if (p && ClassOf(*p) == cls) WriteProperty(FControl, *p, value);
  }
  void SetText(const std::string& text) {
    Set("Text", TPropertyClass::String, QString::fromStdString(text));
  }
  void SetIndex(int index) { Set("ItemIndex", TPropertyClass::Ordinal, QVariant(index)); }

  TTextLines& Lines() { return FLines; }
  QObject* Control() { return FControl; }

 private:
  TTextLines& FLines;
  QObject* FControl;
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
  if (text) WriteProperty(c, *text, QString());
  const int n = g.Integer();
  QStringList lines;
  // Lines the file does not have would only be empty ones; a count beyond the end of the file
  // stops there instead of appending them by the million.
  for (int i = 0; i < n && !g.Lines().AtEnd(); ++i) lines << QString::fromStdString(g.Line());
  if (text) WriteProperty(c, *text, lines.join(QChar('\n')));
}

}  // namespace

void ApplyLegacyProject(QObject* root, std::string bytes) {
  TTextLines lines(std::move(bytes));
  const TComponentIndex index(root);
  for (const TStoredControl& control : kControls) {
    TGroupReader g(lines, index.Find(QString::fromLatin1(control.FName)));
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
}

void ReadLegacyProject(QObject* root, const QString& fileName) {
  ApplyLegacyProject(root, ReadWholeFile(fileName));
}

}  // namespace velm
