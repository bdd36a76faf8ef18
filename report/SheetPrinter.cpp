#include "report/SheetPrinter.h"

#include <QBuffer>
#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTime>
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <functional>
#include <map>
#include <pugixml.hpp>
#include <stdexcept>
#include <vector>

#include "automation/Variant.h"
#include "base/NumberFormat.h"
#include "base/SafeFiles.h"
#include "ooxml/Workbook.h"
#include "ooxml/Xml.h"
#include "report/ExcelServer.h"

namespace velm {

namespace {

using ooxml::Child;
using ooxml::Is;

// A number attribute kept within [lo, hi]; missing, unreadable or not finite: `fallback`.
double Bounded(const pugi::xml_attribute& a, double fallback, double lo, double hi) {
  const double v = a.as_double(fallback);
  return std::isfinite(v) ? std::clamp(v, lo, hi) : fallback;
}

// --- styles ---------------------------------------------------------------------------------

struct TFontSpec {
  QString Name = QStringLiteral("宋体");
  double Size = 11;  // [pt]
  bool Bold = false, Italic = false, Underline = false;
  QColor Color = Qt::black;
};
struct TSide {
  QString Style;  // empty: none
  QColor Color = Qt::black;
};
struct TBorder {
  TSide Left, Right, Top, Bottom;
};
struct TXf {
  int NumFmt = 0, Font = 0, Fill = 0, Border = 0;
  QString HAlign, VAlign = QStringLiteral("bottom");
  bool Wrap = false;
  int Indent = 0;
};
struct TStyles {
  std::vector<TFontSpec> Fonts{TFontSpec{}};
  std::vector<QColor> Fills{QColor(), QColor()};  // invalid: no fill
  std::vector<TBorder> Borders{TBorder{}};
  std::vector<TXf> Xfs{TXf{}};
  std::map<int, QString> NumFmts;
  const TXf& Xf(int i) const { return i >= 0 && i < int(Xfs.size()) ? Xfs[size_t(i)] : Xfs[0]; }
  const TFontSpec& Font(int i) const {
    return i >= 0 && i < int(Fonts.size()) ? Fonts[size_t(i)] : Fonts[0];
  }
};

QColor ColorOf(const pugi::xml_node& c, const QColor& fallback) {
  if (!c) return fallback;
  if (const char* rgb = c.attribute("rgb").value(); *rgb) {
    const QString s = QString::fromLatin1(rgb);
    bool ok = false;
    const uint v = s.right(6).toUInt(&ok, 16);
    return ok ? QColor::fromRgb(QRgb(0xFF000000u | v)) : fallback;
  }
  if (c.attribute("indexed")) {
    static const QRgb palette[] = {0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00,
                                   0x0000FF, 0xFFFF00, 0xFF00FF, 0x00FFFF};
    const int i = c.attribute("indexed").as_int();
    if (i < 8) return QColor(palette[i]);
    if (i < 16) return QColor(palette[i - 8]);
    if (i == 22) return QColor(0xC0C0C0);
    if (i == 23) return QColor(0x808080);
    return fallback;  // 64: the system's text colour
  }
  if (c.attribute("theme"))
    return c.attribute("theme").as_int() == 0 ? QColor(Qt::white) : fallback;
  return fallback;
}

TStyles ReadStyles(const ooxml::TWorkbook& book) {
  TStyles st;
  const pugi::xml_document* doc = book.PartXml("xl/styles.xml");
  if (!doc) return st;
  const pugi::xml_node sheet = Child(*doc, "styleSheet");
  for (pugi::xml_node f : Child(sheet, "numFmts").children())
    if (Is(f, "numFmt"))
      st.NumFmts[f.attribute("numFmtId").as_int()] =
          QString::fromUtf8(f.attribute("formatCode").value());
  if (pugi::xml_node fonts = Child(sheet, "fonts")) {
    st.Fonts.clear();
    for (pugi::xml_node f : fonts.children()) {
      if (!Is(f, "font")) continue;
      TFontSpec s;
      if (auto n = Child(f, "name")) s.Name = QString::fromUtf8(n.attribute("val").value());
      if (auto n = Child(f, "sz")) s.Size = Bounded(n.attribute("val"), 11, 1, 409);
      s.Bold = bool(Child(f, "b")) && Child(f, "b").attribute("val").as_bool(true);
      s.Italic = bool(Child(f, "i")) && Child(f, "i").attribute("val").as_bool(true);
      s.Underline = bool(Child(f, "u"));
      s.Color = ColorOf(Child(f, "color"), Qt::black);
      st.Fonts.push_back(s);
    }
    if (st.Fonts.empty()) st.Fonts.emplace_back();
  }
  if (pugi::xml_node fills = Child(sheet, "fills")) {
    st.Fills.clear();
    for (pugi::xml_node f : fills.children()) {
      if (!Is(f, "fill")) continue;
      const pugi::xml_node p = Child(f, "patternFill");
      const std::string type = p.attribute("patternType").value();
      st.Fills.push_back(type == "solid" ? ColorOf(Child(p, "fgColor"), QColor()) : QColor());
    }
  }
  if (pugi::xml_node borders = Child(sheet, "borders")) {
    st.Borders.clear();
    for (pugi::xml_node b : borders.children()) {
      if (!Is(b, "border")) continue;
      auto side = [&](const char* name) {
        const pugi::xml_node s = Child(b, name);
        return TSide{QString::fromLatin1(s.attribute("style").value()),
                     ColorOf(Child(s, "color"), Qt::black)};
      };
      st.Borders.push_back({side("left"), side("right"), side("top"), side("bottom")});
    }
    if (st.Borders.empty()) st.Borders.emplace_back();
  }
  if (pugi::xml_node xfs = Child(sheet, "cellXfs")) {
    st.Xfs.clear();
    for (pugi::xml_node x : xfs.children()) {
      if (!Is(x, "xf")) continue;
      TXf xf;
      xf.NumFmt = x.attribute("numFmtId").as_int();
      xf.Font = x.attribute("fontId").as_int();
      xf.Fill = x.attribute("fillId").as_int();
      xf.Border = x.attribute("borderId").as_int();
      const pugi::xml_node a = Child(x, "alignment");
      xf.HAlign = QString::fromLatin1(a.attribute("horizontal").value());
      if (a.attribute("vertical")) xf.VAlign = QString::fromLatin1(a.attribute("vertical").value());
      xf.Wrap = a.attribute("wrapText").as_bool();
      xf.Indent = std::clamp(a.attribute("indent").as_int(), 0, 50);
      st.Xfs.push_back(xf);
    }
    if (st.Xfs.empty()) st.Xfs.emplace_back();
  }
  return st;
}

// A number as its format shows it: General (up to 10 significant digits) and the simple codes
// (fixed decimals, thousands separators, per cent, scientific); text formats keep the text.
// The General format: up to 10 significant digits; an exponent always carries its sign and at
// least two digits (1E-06, 1.5E+20), as spreadsheets show it.
QString GeneralText(double v) {
  QString s = QString::fromStdString(FormatGeneral(v, 10, 2));
  const qsizetype e = s.indexOf(QLatin1Char('E'));
  if (e >= 0 && e + 1 < s.size() && s[e + 1] != QLatin1Char('-')) s.insert(e + 1, QLatin1Char('+'));
  return s;
}

QString FormatNumber(const std::string& stored, int numFmt, const TStyles& st) {
  char* end = nullptr;
  const double v = std::strtod(stored.c_str(), &end);
  if (end == stored.c_str() || !std::isfinite(v)) return QString::fromStdString(stored);
  static const std::map<int, QString> builtIn = {{1, "0"},        {2, "0.00"}, {3, "#,##0"},
                                                 {4, "#,##0.00"}, {9, "0%"},   {10, "0.00%"},
                                                 {11, "0.00E+00"}};
  QString code;
  if (auto it = st.NumFmts.find(numFmt); it != st.NumFmts.end())
    code = it->second;
  else if (auto b = builtIn.find(numFmt); b != builtIn.end())
    code = b->second;
  code = code.section(QLatin1Char(';'), 0, 0);
  if (code.isEmpty() || code.compare(QLatin1String("General"), Qt::CaseInsensitive) == 0 ||
      !code.contains(QLatin1Char('0')))
    return GeneralText(v);
  const bool percent = code.contains(QLatin1Char('%'));
  const int dot = code.indexOf(QLatin1Char('.'));
  int decimals = 0;
  for (int i = dot + 1; dot >= 0 && i < code.size() && code[i] == QLatin1Char('0'); ++i) ++decimals;
  const double x = percent ? v * 100 : v;
  if (code.contains(QLatin1String("E+"), Qt::CaseInsensitive)) {
    QString s = QString::number(x, 'E', decimals);
    return s;
  }
  QString s = QString::number(x, 'f', decimals);
  if (code.contains(QLatin1Char(','))) {
    const int point = s.indexOf(QLatin1Char('.'));
    for (int i = (point < 0 ? s.size() : point) - 3; i > (s.startsWith('-') ? 1 : 0); i -= 3)
      s.insert(i, QLatin1Char(','));
  }
  return percent ? s + QLatin1Char('%') : s;
}

// --- sheet geometry -------------------------------------------------------------------------

struct TRange {
  int Row1 = 1, Col1 = 1, Row2 = 1, Col2 = 1;
  bool Contains(int r, int c) const { return r >= Row1 && r <= Row2 && c >= Col1 && c <= Col2; }
};

bool ParseRange(QString text, TRange& range) {
  text = text.section(QLatin1Char(','), 0, 0);
  if (text.contains(QLatin1Char('!'))) text = text.section(QLatin1Char('!'), -1);
  text.remove(QLatin1Char('$'));
  const QStringList ends = text.split(QLatin1Char(':'));
  int r1 = 0, c1 = 0, r2 = 0, c2 = 0;
  if (!ooxml::ParseCellRef(ends[0].toStdString(), r1, c1)) return false;
  if (ends.size() < 2 || !ooxml::ParseCellRef(ends[1].toStdString(), r2, c2)) {
    r2 = r1;
    c2 = c1;
  }
  range = {std::min(r1, r2), std::min(c1, c2), std::max(r1, r2), std::max(c1, c2)};
  return true;
}

constexpr int kMaxPrintedRows = 20000;
constexpr int kMaxPrintedColumns = 500;
// A print job of more pages than this is refused with a message, not sent: it is a mistaken
// print area (a whole sheet) rather than a report.
constexpr std::size_t kMaxPages = 1000;
// Merged areas are looked up by row; entries beyond this bound (merges of merges over whole
// columns) are left out, and their cells print as plain cells.
constexpr std::size_t kMaxMergeEntries = 4000000;

struct TLayout {
  TRange Area;
  std::vector<double> ColX, RowY;  // left/top edge of each column/row of the area [pt]; one more
  std::vector<TRange> Merges;
  std::vector<std::vector<int>> MergesByRow;  // per row of the area: the merges crossing it
  std::map<std::pair<int, int>, ooxml::TCell> Cells;
  double X(int c) const { return ColX[size_t(c - Area.Col1)]; }
  double Y(int r) const { return RowY[size_t(r - Area.Row1)]; }
  const TRange* MergeAt(int r, int c) const {
    if (r < Area.Row1 || r > Area.Row2) return nullptr;
    for (int i : MergesByRow[size_t(r - Area.Row1)])
      if (Merges[size_t(i)].Contains(r, c)) return &Merges[size_t(i)];
    return nullptr;
  }
  // The cells of rows [row1, row2], in order.
  auto RowsBegin(int row1) const { return Cells.lower_bound({row1, 0}); }
  auto RowsEnd(int row2) const { return Cells.lower_bound({row2 + 1, 0}); }
};

struct TPage {
  QPageSize Size = QPageSize(QPageSize::Letter);
  QPageLayout::Orientation Orientation = QPageLayout::Portrait;
  double Left = 0.7 * 72, Right = 0.7 * 72, Top = 0.75 * 72, Bottom = 0.75 * 72;
  double Header = 0.3 * 72, Footer = 0.3 * 72;  // [pt]
  bool FitToPage = false;
  int FitWidth = 1, FitHeight = 1;
  double Scale = 1;
  bool CenterH = false, CenterV = false;
  QString HeaderText, FooterText;
};

TPage ReadPage(const pugi::xml_node& ws) {
  TPage p;
  const pugi::xml_node setup = Child(ws, "pageSetup");
  static const std::map<int, QPageSize::PageSizeId> sizes = {
      {1, QPageSize::Letter}, {5, QPageSize::Legal}, {8, QPageSize::A3},
      {9, QPageSize::A4},     {11, QPageSize::A5},   {13, QPageSize::B5}};
  if (auto it = sizes.find(setup.attribute("paperSize").as_int(1)); it != sizes.end())
    p.Size = QPageSize(it->second);
  if (std::string(setup.attribute("orientation").value()) == "landscape")
    p.Orientation = QPageLayout::Landscape;
  p.Scale = std::clamp(setup.attribute("scale").as_int(100), 10, 400) / 100.0;
  p.FitWidth = std::max(0, setup.attribute("fitToWidth").as_int(1));
  p.FitHeight = std::max(0, setup.attribute("fitToHeight").as_int(1));
  p.FitToPage = Child(Child(ws, "sheetPr"), "pageSetUpPr").attribute("fitToPage").as_bool();
  if (const pugi::xml_node m = Child(ws, "pageMargins")) {
    auto inch = [&](const char* name, double fallback) {
      return Bounded(m.attribute(name), fallback / 72, 0, 10) * 72;
    };
    p.Left = inch("left", p.Left);
    p.Right = inch("right", p.Right);
    p.Top = inch("top", p.Top);
    p.Bottom = inch("bottom", p.Bottom);
    p.Header = inch("header", p.Header);
    p.Footer = inch("footer", p.Footer);
  }
  const pugi::xml_node options = Child(ws, "printOptions");
  p.CenterH = options.attribute("horizontalCentered").as_bool();
  p.CenterV = options.attribute("verticalCentered").as_bool();
  const pugi::xml_node hf = Child(ws, "headerFooter");
  p.HeaderText = QString::fromUtf8(Child(hf, "oddHeader").text().get());
  p.FooterText = QString::fromUtf8(Child(hf, "oddFooter").text().get());
  return p;
}

TLayout ReadLayout(const ooxml::TWorkbook& book, int sheet, const pugi::xml_node& ws) {
  TLayout l;
  l.Cells = book.Cells(sheet, true);
  for (pugi::xml_node m : Child(ws, "mergeCells").children()) {
    TRange r;
    if (Is(m, "mergeCell") && ParseRange(QString::fromLatin1(m.attribute("ref").value()), r))
      l.Merges.push_back(r);
  }
  // The print area, or else everything that holds a value or a border.
  bool area = false;
  const std::string printArea = book.DefinedName("_xlnm.Print_Area", sheet);
  if (!printArea.empty()) area = ParseRange(QString::fromStdString(printArea), l.Area);
  if (!area) {
    l.Area = {1, 1, 1, 1};
    for (const auto& [at, cell] : l.Cells) {
      l.Area.Row2 = std::max(l.Area.Row2, at.first);
      l.Area.Col2 = std::max(l.Area.Col2, at.second);
    }
    for (const TRange& m : l.Merges) {
      l.Area.Row2 = std::max(l.Area.Row2, m.Row2);
      l.Area.Col2 = std::max(l.Area.Col2, m.Col2);
    }
  }
  l.Area.Row2 = std::min(l.Area.Row2, l.Area.Row1 + kMaxPrintedRows - 1);
  l.Area.Col2 = std::min(l.Area.Col2, l.Area.Col1 + kMaxPrintedColumns - 1);
  l.MergesByRow.resize(size_t(l.Area.Row2 - l.Area.Row1 + 1));
  std::size_t entries = 0;
  for (std::size_t i = 0; i < l.Merges.size(); ++i) {
    const TRange& m = l.Merges[i];
    const int from = std::max(m.Row1, l.Area.Row1), to = std::min(m.Row2, l.Area.Row2);
    if (from > to || entries + std::size_t(to - from + 1) > kMaxMergeEntries) continue;
    entries += std::size_t(to - from + 1);
    for (int r = from; r <= to; ++r) l.MergesByRow[size_t(r - l.Area.Row1)].push_back(int(i));
  }

  const pugi::xml_node format = Child(ws, "sheetFormatPr");
  const double defaultWidth =
      Bounded(format.attribute("defaultColWidth"),
              Bounded(format.attribute("baseColWidth"), 8, 0, 255) + 0.71, 0, 255);
  const double defaultHeight = Bounded(format.attribute("defaultRowHeight"), 15, 0, 409);
  // Column widths are in characters of the default font's digit (7 pixels at 96 dpi).
  std::vector<double> widths(size_t(l.Area.Col2 - l.Area.Col1 + 1), defaultWidth);
  for (pugi::xml_node c : Child(ws, "cols").children()) {
    if (!Is(c, "col")) continue;
    const int from = std::max(c.attribute("min").as_int(), l.Area.Col1);
    const int to = std::min(c.attribute("max").as_int(), l.Area.Col2);
    const double w =
        c.attribute("hidden").as_bool() ? 0 : Bounded(c.attribute("width"), defaultWidth, 0, 255);
    for (int i = from; i <= to; ++i) widths[size_t(i - l.Area.Col1)] = w;
  }
  l.ColX.push_back(0);
  for (double w : widths) l.ColX.push_back(l.ColX.back() + std::round(w * 7) * 0.75);

  std::vector<double> heights(size_t(l.Area.Row2 - l.Area.Row1 + 1), defaultHeight);
  for (pugi::xml_node r : Child(ws, "sheetData").children()) {
    if (!Is(r, "row")) continue;
    const int at = r.attribute("r").as_int();
    if (at < l.Area.Row1 || at > l.Area.Row2) continue;
    heights[size_t(at - l.Area.Row1)] =
        r.attribute("hidden").as_bool() ? 0 : Bounded(r.attribute("ht"), defaultHeight, 0, 409);
  }
  l.RowY.push_back(0);
  for (double h : heights) l.RowY.push_back(l.RowY.back() + h);
  return l;
}

// Splits [first, last] into runs whose extent fits `room` [pt] each.
std::vector<std::pair<int, int>> Split(int first, int last, const std::function<double(int)>& edge,
                                       double room) {
  std::vector<std::pair<int, int>> runs;
  int start = first;
  for (int i = first; i <= last; ++i) {
    if (i > start && edge(i + 1) - edge(start) > room) {
      runs.push_back({start, i - 1});
      start = i;
    }
  }
  runs.push_back({start, last});
  return runs;
}

// --- drawing --------------------------------------------------------------------------------

class TRenderer {
 public:
  TRenderer(const ooxml::TWorkbook& book, int sheet) : FBook(book) {
    const pugi::xml_node ws = Child(book.SheetXml(sheet), "worksheet");
    FStyles = ReadStyles(book);
    FPage = ReadPage(ws);
    FLayout = ReadLayout(book, sheet, ws);
    FSheetName = QString::fromStdString(book.SheetName(sheet));
  }

  const TPage& Page() const { return FPage; }

  int Render(QPagedPaintDevice& device) {
    const QRectF paper = device.pageLayout().fullRectPoints();
    const double roomW = std::max(36.0, paper.width() - FPage.Left - FPage.Right);
    const double roomH = std::max(36.0, paper.height() - FPage.Top - FPage.Bottom);
    const double contentW = FLayout.ColX.back(), contentH = FLayout.RowY.back();
    double scale = FPage.Scale;
    if (FPage.FitToPage) {
      scale = 1;
      if (FPage.FitWidth > 0 && contentW > 0)
        scale = std::min(scale, roomW * FPage.FitWidth / contentW);
      if (FPage.FitHeight > 0 && contentH > 0)
        scale = std::min(scale, roomH * FPage.FitHeight / contentH);
      scale = std::max(scale, 0.1);
    }
    const TRange& a = FLayout.Area;
    const auto rowRuns = Split(
        a.Row1, a.Row2, [&](int r) { return FLayout.Y(r); }, roomH / scale + 0.01);
    const auto colRuns = Split(
        a.Col1, a.Col2, [&](int c) { return FLayout.X(c); }, roomW / scale + 0.01);
    if (rowRuns.size() * colRuns.size() > kMaxPages)
      throw std::runtime_error(
          QStringLiteral("工作表“%1”的打印区域需要 %2 页，超过 %3 页的上限，未打印；"
                         "请在工作簿中设定较小的打印区域或缩放比例")
              .arg(FSheetName)
              .arg(double(rowRuns.size()) * double(colRuns.size()), 0, 'f', 0)
              .arg(kMaxPages)
              .toStdString());
    const int pages = int(rowRuns.size() * colRuns.size());

    QPainter painter;
    if (!painter.begin(&device)) throw std::runtime_error("无法开始打印");
    FDpi = device.logicalDpiY();
    int page = 0;
    for (const auto& cols : colRuns) {
      for (const auto& rows : rowRuns) {
        if (page > 0) device.newPage();
        ++page;
        TRange part{rows.first, cols.first, rows.second, cols.second};
        const double w = (FLayout.X(part.Col2 + 1) - FLayout.X(part.Col1)) * scale;
        const double h = (FLayout.Y(part.Row2 + 1) - FLayout.Y(part.Row1)) * scale;
        const double x0 = FPage.Left + (FPage.CenterH ? (roomW - w) / 2 : 0);
        const double y0 = FPage.Top + (FPage.CenterV ? (roomH - h) / 2 : 0);
        painter.resetTransform();
        painter.scale(FDpi / 72.0, FDpi / 72.0);
        DrawHeaderFooter(painter, paper, page, pages);
        painter.translate(x0, y0);
        painter.scale(scale, scale);
        painter.translate(-FLayout.X(part.Col1), -FLayout.Y(part.Row1));
        DrawPart(painter, part);
      }
    }
    painter.end();
    return pages;
  }

 private:
  QFont Font(const TFontSpec& s) const {
    QFont f;
    f.setFamilies(
        {s.Name, QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK SC")});
    // Sizes are in the painter's units, which are points.
    f.setPointSizeF(s.Size * 72.0 / FDpi);
    f.setBold(s.Bold);
    f.setItalic(s.Italic);
    f.setUnderline(s.Underline);
    return f;
  }

  QRectF Rect(const TRange& r) const {
    return QRectF(QPointF(FLayout.X(r.Col1), FLayout.Y(r.Row1)),
                  QPointF(FLayout.X(r.Col2 + 1), FLayout.Y(r.Row2 + 1)));
  }

  void DrawPart(QPainter& p, const TRange& part) {
    // Fills, then texts, then borders over them; only the part's rows are visited.
    const auto begin = FLayout.RowsBegin(part.Row1), end = FLayout.RowsEnd(part.Row2);
    for (auto it = begin; it != end; ++it) {
      const auto& [at, cell] = *it;
      if (!part.Contains(at.first, at.second)) continue;
      const QColor fill = FillOf(cell.Style);
      if (!fill.isValid()) continue;
      const TRange* m = FLayout.MergeAt(at.first, at.second);
      if (m && (m->Row1 != at.first || m->Col1 != at.second)) continue;
      p.fillRect(Rect(m ? *m : TRange{at.first, at.second, at.first, at.second}), fill);
    }
    for (auto it = begin; it != end; ++it) {
      const auto& [at, cell] = *it;
      if (!part.Contains(at.first, at.second) || cell.Kind == ooxml::TCellKind::Empty) continue;
      DrawText(p, part, at.first, at.second, cell);
    }
    for (auto it = begin; it != end; ++it) {
      const auto& [at, cell] = *it;
      if (!part.Contains(at.first, at.second)) continue;
      DrawBorders(p, at.first, at.second, cell.Style);
    }
  }

  QColor FillOf(int style) const {
    const int fill = FStyles.Xf(style).Fill;
    return fill >= 0 && fill < int(FStyles.Fills.size()) ? FStyles.Fills[size_t(fill)] : QColor();
  }

  void DrawText(QPainter& p, const TRange& part, int row, int col, const ooxml::TCell& cell) {
    const TRange* m = FLayout.MergeAt(row, col);
    if (m && (m->Row1 != row || m->Col1 != col)) return;
    const TXf& xf = FStyles.Xf(cell.Style);
    const bool number = cell.Kind == ooxml::TCellKind::Number;
    const QString text =
        number ? FormatNumber(cell.Text, xf.NumFmt, FStyles) : QString::fromStdString(cell.Text);
    QRectF rect = Rect(m ? *m : TRange{row, col, row, col});
    if (rect.width() <= 0 || rect.height() <= 0) return;

    const TFontSpec& fs = FStyles.Font(xf.Font);
    const QFont font = Font(fs);
    p.setFont(font);
    p.setPen(fs.Color);
    int flags = 0;
    QString h = xf.HAlign;
    if (h.isEmpty() || h == QLatin1String("general"))
      h = number ? QStringLiteral("right")
          : cell.Kind == ooxml::TCellKind::Boolean || cell.Kind == ooxml::TCellKind::Error
              ? QStringLiteral("center")
              : QStringLiteral("left");
    if (h == QLatin1String("center") || h == QLatin1String("centerContinuous"))
      flags |= Qt::AlignHCenter;
    else if (h == QLatin1String("right"))
      flags |= Qt::AlignRight;
    else if (h == QLatin1String("justify") || h == QLatin1String("distributed"))
      flags |= Qt::AlignJustify;
    else
      flags |= Qt::AlignLeft;
    if (xf.VAlign == QLatin1String("top"))
      flags |= Qt::AlignTop;
    else if (xf.VAlign == QLatin1String("center"))
      flags |= Qt::AlignVCenter;
    else
      flags |= Qt::AlignBottom;

    // Cell padding and indent (an indent step is three digit widths).
    const double pad = 1.5, indent = xf.Indent * 3 * 5.25 * fs.Size / 11;
    QRectF inner = rect.adjusted(pad + ((flags & Qt::AlignLeft) ? indent : 0), 0.5,
                                 -pad - ((flags & Qt::AlignRight) ? indent : 0), -0.5);
    QRectF clip = rect;
    if (xf.Wrap || text.contains(QLatin1Char('\n'))) {
      flags |= Qt::TextWordWrap;
    } else if (!m && !number) {
      // Text that is too long runs on into empty neighbours, as on screen.
      const double need =
          QFontMetricsF(font, p.device()).horizontalAdvance(text) + 2 * pad + indent;
      if (need > inner.width() + 2 * pad) {
        auto empty = [&](int c) {
          auto it = FLayout.Cells.find({row, c});
          return !FLayout.MergeAt(row, c) &&
                 (it == FLayout.Cells.end() || it->second.Kind == ooxml::TCellKind::Empty);
        };
        if (flags & Qt::AlignLeft)
          for (int c = col + 1; c <= part.Col2 && clip.width() < need && empty(c); ++c)
            clip.setRight(FLayout.X(c + 1));
        if (flags & Qt::AlignRight)
          for (int c = col - 1; c >= part.Col1 && clip.width() < need && empty(c); --c)
            clip.setLeft(FLayout.X(c));
        if (flags & Qt::AlignLeft) inner.setRight(clip.right() - pad);
        if (flags & Qt::AlignRight) inner.setLeft(clip.left() + pad);
      }
    }
    p.save();
    p.setClipRect(clip);
    p.drawText(inner, flags, text);
    p.restore();
  }

  void DrawBorders(QPainter& p, int row, int col, int style) {
    const int b = FStyles.Xf(style).Border;
    if (b <= 0 || b >= int(FStyles.Borders.size())) return;
    const TBorder& border = FStyles.Borders[size_t(b)];
    const TRange* m = FLayout.MergeAt(row, col);
    const QRectF r = Rect({row, col, row, col});
    // Inside a merged area only the edges on its outline are drawn.
    if (!m || m->Col1 == col) Line(p, border.Left, r.topLeft(), r.bottomLeft());
    if (!m || m->Col2 == col) Line(p, border.Right, r.topRight(), r.bottomRight());
    if (!m || m->Row1 == row) Line(p, border.Top, r.topLeft(), r.topRight());
    if (!m || m->Row2 == row) Line(p, border.Bottom, r.bottomLeft(), r.bottomRight());
  }

  static void Line(QPainter& p, const TSide& s, QPointF a, QPointF b) {
    if (s.Style.isEmpty() || s.Style == QLatin1String("none")) return;
    if (a == b) return;
    QPen pen(s.Color);
    pen.setCapStyle(Qt::SquareCap);
    pen.setWidthF(0.75);
    const QString& st = s.Style;
    if (st == QLatin1String("hair")) pen.setWidthF(0.35);
    if (st.startsWith(QLatin1String("medium"))) pen.setWidthF(1.5);
    if (st == QLatin1String("thick")) pen.setWidthF(2.25);
    if (st.contains(QLatin1String("Dash"), Qt::CaseInsensitive) || st == QLatin1String("dashed"))
      pen.setStyle(Qt::DashLine);
    if (st == QLatin1String("dotted")) pen.setStyle(Qt::DotLine);
    p.setPen(pen);
    if (st == QLatin1String("double")) {
      const QPointF d = a.x() == b.x() ? QPointF(0.75, 0) : QPointF(0, 0.75);
      pen.setWidthF(0.5);
      p.setPen(pen);
      p.drawLine(a - d, b - d);
      p.drawLine(a + d, b + d);
      return;
    }
    p.drawLine(a, b);
  }

  // Header and footer texts: &L, &C, &R sections; &P page, &N pages, &A sheet, &F file, &D date,
  // &T time, && an ampersand; font and colour codes (&"name,style", &B, &I, &U, &nn, &Krrggbb
  // or &Kttsnnn) and codes not known here are left out, as is a last lone &.
  QString Expand(const QString& codes, int page, int pages, QString& left, QString& right) const {
    QString sections[3];
    int at = 1;
    for (int i = 0; i < codes.size(); ++i) {
      const QChar c = codes[i];
      if (c != QLatin1Char('&')) {
        sections[at] += c;
        continue;
      }
      if (i + 1 >= codes.size()) break;
      const QChar k = codes[++i];
      switch (k.toUpper().unicode()) {
        case 'L':
          at = 0;
          break;
        case 'C':
          at = 1;
          break;
        case 'R':
          at = 2;
          break;
        case 'P':
          sections[at] += QString::number(page);
          break;
        case 'N':
          sections[at] += QString::number(pages);
          break;
        case 'A':
          sections[at] += FSheetName;
          break;
        case 'F':
          sections[at] += QFileInfo(QString::fromStdString(FBook.Path())).fileName();
          break;
        case 'D':
          sections[at] += QDate::currentDate().toString(Qt::ISODate);
          break;
        case 'T':
          sections[at] += QTime::currentTime().toString(QStringLiteral("HH:mm"));
          break;
        case '&':
          sections[at] += QLatin1Char('&');
          break;
        case '"': {
          const int close = codes.indexOf(QLatin1Char('"'), i + 1);
          i = close < 0 ? int(codes.size()) : close;
          break;
        }
        case 'K':
          // A colour: six hexadecimal digits, or a theme colour and tint such as "01+000".
          for (int n = 0; n < 6 && i + 1 < codes.size() &&
                          (std::isxdigit(codes[i + 1].toLatin1()) ||
                           codes[i + 1] == QLatin1Char('+') || codes[i + 1] == QLatin1Char('-'));
               ++n)
            ++i;
          break;
        default:
          while (k.isDigit() && i + 1 < codes.size() && codes[i + 1].isDigit()) ++i;
          break;
      }
    }
    left = sections[0];
    right = sections[2];
    return sections[1];
  }

  void DrawHeaderFooter(QPainter& p, const QRectF& paper, int page, int pages) {
    TFontSpec font = FStyles.Font(0);
    font.Size = std::min(font.Size, 10.0);
    p.setFont(Font(font));
    p.setPen(Qt::black);
    const QFontMetricsF fm(p.font(), p.device());
    const double x1 = FPage.Left, x2 = paper.width() - FPage.Right;
    auto line = [&](const QString& codes, double top, int v) {
      if (codes.isEmpty()) return;
      QString left, right;
      const QString center = Expand(codes, page, pages, left, right);
      const QRectF box(x1, top, x2 - x1, fm.height() * 1.2);
      p.drawText(box, Qt::AlignLeft | v, left);
      p.drawText(box, Qt::AlignHCenter | v, center);
      p.drawText(box, Qt::AlignRight | v, right);
    };
    line(FPage.HeaderText, FPage.Header, Qt::AlignTop);
    line(FPage.FooterText, paper.height() - FPage.Footer - fm.height() * 1.2, Qt::AlignBottom);
  }

  const ooxml::TWorkbook& FBook;
  TStyles FStyles;
  TPage FPage;
  TLayout FLayout;
  QString FSheetName;
  double FDpi = 72;
};

}  // namespace

void SetupPrinterForSheet(const ooxml::TWorkbook& book, int sheet, QPrinter& printer) {
  const TPage page = ReadPage(Child(book.SheetXml(sheet), "worksheet"));
  printer.setFullPage(true);
  printer.setPageLayout(QPageLayout(page.Size, page.Orientation, QMarginsF(0, 0, 0, 0)));
  printer.setDocName(QString::fromStdString(book.SheetName(sheet)));
}

int RenderSheet(const ooxml::TWorkbook& book, int sheet, QPagedPaintDevice& device) {
  TRenderer renderer(book, sheet);
  return renderer.Render(device);
}

void WriteSheetPdf(const ooxml::TWorkbook& book, int sheet, const QString& path) {
  TRenderer renderer(book, sheet);
  // Rendered in memory, then written through the one safe writer: a full disk is reported and
  // the old file stays; QPdfWriter alone does not report a failed write.
  QByteArray bytes;
  {
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter pdf(&buffer);
    pdf.setTitle(QString::fromStdString(book.SheetName(sheet)));
    pdf.setCreator(QStringLiteral("VELM"));
    pdf.setResolution(600);
    pdf.setPageLayout(
        QPageLayout(renderer.Page().Size, renderer.Page().Orientation, QMarginsF(0, 0, 0, 0)));
    renderer.Render(pdf);
  }
  WriteFileAtomically(QFile::encodeName(path).toStdString(),
                      std::string_view(bytes.constData(), size_t(bytes.size())));
}

}  // namespace velm

namespace velm {

bool HasDefaultPrinter() { return !QPrinterInfo::defaultPrinter().isNull(); }

void InstallSheetPrinter() {
  SetSheetPrinter([](const ooxml::TWorkbook& book, int sheet) {
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull()) throw TAutomationError("没有可用的打印机", kExcelProgId);
    QPrinter printer(info, QPrinter::HighResolution);
    SetupPrinterForSheet(book, sheet, printer);
    try {
      RenderSheet(book, sheet, printer);
    } catch (const std::exception& e) {
      throw TAutomationError(e.what(), kExcelProgId);
    }
  });
}

}  // namespace velm
