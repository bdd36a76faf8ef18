#include "ooxml/SheetLayout.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <pugixml.hpp>

#include "base/Decimal.h"
#include "base/NumberFormat.h"
#include "ooxml/Xml.h"

namespace velm::ooxml {

namespace {

// A number attribute kept within [lo, hi]; missing, unreadable or not finite: `fallback`.
double Bounded(const pugi::xml_attribute& a, double fallback, double lo, double hi) {
  const double v = a.as_double(fallback);
  return std::isfinite(v) ? std::clamp(v, lo, hi) : fallback;
}

bool IsHex(char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; }

// A <color> element: rgb (its last six digits; alpha is always opaque), the first sixteen
// indexed colours and the two greys of the legacy palette, theme 0 (the light background);
// other theme and indexed colours (64 is the system's text colour) and "auto" give `fallback`.
TArgb ColorOf(const pugi::xml_node& c, TArgb fallback) {
  if (!c) return fallback;
  if (const char* rgb = c.attribute("rgb").value(); *rgb) {
    const std::string s(rgb);
    const std::string digits = s.size() > 6 ? s.substr(s.size() - 6) : s;
    if (!std::all_of(digits.begin(), digits.end(), IsHex)) return fallback;
    return kBlack | TArgb(std::stoul(digits, nullptr, 16));
  }
  if (c.attribute("indexed")) {
    static const TArgb palette[] = {0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00,
                                    0x0000FF, 0xFFFF00, 0xFF00FF, 0x00FFFF};
    const int i = c.attribute("indexed").as_int();
    if (i >= 0 && i < 8) return kBlack | palette[i];
    if (i >= 8 && i < 16) return kBlack | palette[i - 8];
    if (i == 22) return 0xFFC0C0C0u;
    if (i == 23) return 0xFF808080u;
    return fallback;
  }
  if (c.attribute("theme")) return c.attribute("theme").as_int() == 0 ? kWhite : fallback;
  return fallback;
}

TLineStyle LineStyleOf(const char* name) {
  static const std::pair<const char*, TLineStyle> names[] = {
      {"thin", TLineStyle::Thin},
      {"medium", TLineStyle::Medium},
      {"dashed", TLineStyle::Dashed},
      {"dotted", TLineStyle::Dotted},
      {"thick", TLineStyle::Thick},
      {"double", TLineStyle::Double},
      {"hair", TLineStyle::Hair},
      {"mediumDashed", TLineStyle::MediumDashed},
      {"dashDot", TLineStyle::DashDot},
      {"mediumDashDot", TLineStyle::MediumDashDot},
      {"dashDotDot", TLineStyle::DashDotDot},
      {"mediumDashDotDot", TLineStyle::MediumDashDotDot},
      {"slantDashDot", TLineStyle::SlantDashDot}};
  if (!*name || std::strcmp(name, "none") == 0) return TLineStyle::None;
  for (const auto& [n, style] : names)
    if (std::strcmp(name, n) == 0) return style;
  return TLineStyle::Thin;  // a style not known here still shows a line
}

THAlign HAlignOf(const char* name) {
  static const std::pair<const char*, THAlign> names[] = {
      {"left", THAlign::Left},
      {"center", THAlign::Center},
      {"right", THAlign::Right},
      {"fill", THAlign::Fill},
      {"justify", THAlign::Justify},
      {"centerContinuous", THAlign::CenterContinuous},
      {"distributed", THAlign::Distributed}};
  for (const auto& [n, align] : names)
    if (std::strcmp(name, n) == 0) return align;
  return THAlign::General;
}

TVAlign VAlignOf(const char* name) {
  static const std::pair<const char*, TVAlign> names[] = {{"top", TVAlign::Top},
                                                          {"center", TVAlign::Center},
                                                          {"justify", TVAlign::Justify},
                                                          {"distributed", TVAlign::Distributed}};
  for (const auto& [n, align] : names)
    if (std::strcmp(name, n) == 0) return align;
  return TVAlign::Bottom;
}

// The built-in number formats that have a code of their own here; others show as General.
const char* BuiltInFormat(int id) {
  switch (id) {
    case 1:
      return "0";
    case 2:
      return "0.00";
    case 3:
      return "#,##0";
    case 4:
      return "#,##0.00";
    case 9:
      return "0%";
    case 10:
      return "0.00%";
    case 11:
      return "0.00E+00";
    case 49:
      return "@";
    default:
      return "General";
  }
}

// The cell formats of xl/styles.xml, resolved; the workbook's first font.
void ReadStyles(const TWorkbook& book, TSheetLayout& layout) {
  const pugi::xml_document* doc = book.PartXml("xl/styles.xml");
  if (!doc) return;
  const pugi::xml_node sheet = Child(*doc, "styleSheet");
  std::map<int, std::string> numFmts;
  for (pugi::xml_node f : Child(sheet, "numFmts").children())
    if (Is(f, "numFmt"))
      numFmts[f.attribute("numFmtId").as_int()] = f.attribute("formatCode").value();

  std::vector<TFontStyle> fonts{TFontStyle{}};
  if (pugi::xml_node list = Child(sheet, "fonts")) {
    fonts.clear();
    for (pugi::xml_node f : list.children()) {
      if (!Is(f, "font")) continue;
      TFontStyle s;
      if (auto n = Child(f, "name")) s.Name = n.attribute("val").value();
      if (auto n = Child(f, "sz")) s.Size = Bounded(n.attribute("val"), 11, 1, 409);
      s.Bold = bool(Child(f, "b")) && Child(f, "b").attribute("val").as_bool(true);
      s.Italic = bool(Child(f, "i")) && Child(f, "i").attribute("val").as_bool(true);
      s.Underline = bool(Child(f, "u"));
      s.Color = ColorOf(Child(f, "color"), kBlack);
      fonts.push_back(s);
    }
    if (fonts.empty()) fonts.emplace_back();
  }
  layout.DefaultFont = fonts[0];

  std::vector<TArgb> fills{kNoColor, kNoColor};
  if (pugi::xml_node list = Child(sheet, "fills")) {
    fills.clear();
    for (pugi::xml_node f : list.children()) {
      if (!Is(f, "fill")) continue;
      const pugi::xml_node p = Child(f, "patternFill");
      fills.push_back(std::strcmp(p.attribute("patternType").value(), "solid") == 0
                          ? ColorOf(Child(p, "fgColor"), kNoColor)
                          : kNoColor);
    }
  }

  std::vector<TBorderStyle> borders{TBorderStyle{}};
  if (pugi::xml_node list = Child(sheet, "borders")) {
    borders.clear();
    for (pugi::xml_node b : list.children()) {
      if (!Is(b, "border")) continue;
      auto side = [&](const char* name) {
        const pugi::xml_node s = Child(b, name);
        return TBorderSide{LineStyleOf(s.attribute("style").value()),
                           ColorOf(Child(s, "color"), kBlack)};
      };
      borders.push_back({side("left"), side("right"), side("top"), side("bottom")});
    }
  }

  auto pick = [](const auto& list, int i, const auto& fallback) {
    return i >= 0 && std::size_t(i) < list.size() ? list[std::size_t(i)] : fallback;
  };
  auto resolve = [&](const pugi::xml_node& x) {
    TCellStyle s;
    s.NumFmtId = x.attribute("numFmtId").as_int();
    const auto custom = numFmts.find(s.NumFmtId);
    s.NumFmtCode = custom != numFmts.end() ? custom->second : BuiltInFormat(s.NumFmtId);
    s.Font = pick(fonts, x.attribute("fontId").as_int(), fonts[0]);
    s.Fill = pick(fills, x.attribute("fillId").as_int(), kNoColor);
    s.Border = pick(borders, x.attribute("borderId").as_int(), TBorderStyle{});
    const pugi::xml_node a = Child(x, "alignment");
    s.HAlign = HAlignOf(a.attribute("horizontal").value());
    s.VAlign = VAlignOf(a.attribute("vertical").value());
    s.Wrap = a.attribute("wrapText").as_bool();
    s.Indent = std::clamp(a.attribute("indent").as_int(), 0, 50);
    return s;
  };
  layout.Styles.clear();
  for (pugi::xml_node x : Child(sheet, "cellXfs").children())
    if (Is(x, "xf")) layout.Styles.push_back(resolve(x));
  // Without formats every cell wears the first font, fill and border.
  if (layout.Styles.empty()) layout.Styles.push_back(resolve(pugi::xml_node()));
}

TPageSetup PageSetupOf(const pugi::xml_node& ws) {
  TPageSetup p;
  const pugi::xml_node setup = Child(ws, "pageSetup");
  p.PaperSize = setup.attribute("paperSize").as_int(1);
  p.Landscape = std::strcmp(setup.attribute("orientation").value(), "landscape") == 0;
  p.Scale = std::clamp(setup.attribute("scale").as_int(100), 10, 400);
  p.FitWidth = std::max(0, setup.attribute("fitToWidth").as_int(1));
  p.FitHeight = std::max(0, setup.attribute("fitToHeight").as_int(1));
  p.FitToPage = Child(Child(ws, "sheetPr"), "pageSetUpPr").attribute("fitToPage").as_bool();
  if (const pugi::xml_node m = Child(ws, "pageMargins")) {
    auto inch = [&](const char* name, double fallback) {
      return Bounded(m.attribute(name), fallback, 0, 10);
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
  p.HeaderText = Child(hf, "oddHeader").text().get();
  p.FooterText = Child(hf, "oddFooter").text().get();
  return p;
}

// The exact decimal digits of |v| (no leading or trailing zeros; empty for 0) and the place of
// the decimal point: |v| = 0.digits x 10^point.
void ExactDigits(double v, std::string& digits, int& point) {
  digits.clear();
  point = 0;
  if (v == 0) return;
  // 767 significant digits hold every double exactly.
  char buf[800];
  const auto res =
      std::to_chars(buf, buf + sizeof buf, std::fabs(v), std::chars_format::scientific, 767);
  const std::string_view sci(buf, std::size_t(res.ptr - buf));
  const std::size_t e = sci.find('e');
  for (char c : sci.substr(0, e))
    if (c != '.') digits.push_back(c);
  while (!digits.empty() && digits.back() == '0') digits.pop_back();
  int exponent = 0;
  std::from_chars(sci.data() + e + 1 + (sci[e + 1] == '+'), sci.data() + sci.size(), exponent);
  point = exponent + 1;
}

// Keeps the first `keep` digits, rounding the rest half away from zero (as spreadsheets show
// numbers); the result has exactly `keep` digits (or keep + 1 after a carry, with `point`
// moved on). keep <= 0 leaves "1" at the carry's place or nothing.
void RoundDigits(std::string& digits, int& point, int keep) {
  const bool up =
      keep >= 0 && std::size_t(keep) < digits.size() && digits[std::size_t(keep)] >= '5';
  if (keep <= 0) {
    digits = up ? "1" : "";
    if (up) point += 1 - keep;
    return;
  }
  digits.resize(std::size_t(keep), '0');
  if (!up) return;
  int i = keep - 1;
  while (i >= 0 && digits[std::size_t(i)] == '9') digits[std::size_t(i--)] = '0';
  if (i >= 0) {
    ++digits[std::size_t(i)];
  } else {
    digits.insert(digits.begin(), '1');
    ++point;
  }
}

// v with `decimals` digits after the point.
std::string Fixed(double v, int decimals) {
  std::string digits;
  int point = 0;
  ExactDigits(v, digits, point);
  RoundDigits(digits, point, point + decimals);
  std::string out = v < 0 ? "-" : "";
  if (digits.empty()) {
    out += "0";
  } else if (point <= 0) {
    out += "0";
  } else {
    out.append(digits, 0, std::size_t(point));
  }
  if (decimals > 0) {
    out += '.';
    for (int i = point; i < point + decimals; ++i)
      out += i >= 0 && std::size_t(i) < digits.size() ? digits[std::size_t(i)] : '0';
  }
  return out;
}

// v as d.ddd E+xx with `decimals` digits after the point.
std::string Scientific(double v, int decimals) {
  std::string digits;
  int point = 0;
  ExactDigits(v, digits, point);
  if (digits.empty()) point = 1;
  RoundDigits(digits, point, decimals + 1);
  digits.resize(std::size_t(decimals) + 1, '0');
  std::string out = v < 0 ? "-" : "";
  out += digits[0];
  if (decimals > 0) out += '.' + digits.substr(1);
  const int exponent = point - 1;
  const std::string x = std::to_string(std::abs(exponent));
  return out + (exponent < 0 ? "E-" : "E+") + (x.size() < 2 ? "0" : "") + x;
}

// The General format: up to 10 significant digits; an exponent always carries its sign and at
// least two digits (1E-06, 1.5E+20).
std::string GeneralText(double v) {
  std::string s = FormatGeneral(v, 10, 2);
  const std::size_t e = s.find('E');
  if (e != std::string::npos && e + 1 < s.size() && s[e + 1] != '-') s.insert(e + 1, "+");
  return s;
}

bool ContainsNoCase(const std::string& text, const char* part) {
  const std::size_t n = std::strlen(part);
  for (std::size_t i = 0; i + n <= text.size(); ++i) {
    std::size_t k = 0;
    while (k < n && std::tolower(static_cast<unsigned char>(text[i + k])) ==
                        std::tolower(static_cast<unsigned char>(part[k])))
      ++k;
    if (k == n) return true;
  }
  return false;
}

}  // namespace

std::string FormatNumber(const std::string& stored, const std::string& fullCode) {
  const std::optional<double> parsed = ParseNumber(Trim(stored));
  if (!parsed || !std::isfinite(*parsed)) return stored;
  const double v = *parsed;
  const std::string code = fullCode.substr(0, fullCode.find(';'));
  if (code.empty() || (code.size() == 7 && ContainsNoCase(code, "General")) ||
      code.find('0') == std::string::npos)
    return GeneralText(v);
  const bool percent = code.find('%') != std::string::npos;
  const std::size_t dot = code.find('.');
  int decimals = 0;
  for (std::size_t i = dot + 1; dot != std::string::npos && i < code.size() && code[i] == '0'; ++i)
    ++decimals;
  const double x = percent ? v * 100 : v;
  if (!std::isfinite(x)) return GeneralText(v);  // a per cent beyond the range of numbers
  if (ContainsNoCase(code, "E+")) return Scientific(x, decimals);
  std::string s = Fixed(x, decimals);
  if (code.find(',') != std::string::npos) {
    const std::size_t point = s.find('.');
    const int lowest = s.starts_with('-') ? 1 : 0;
    for (int i = int(point == std::string::npos ? s.size() : point) - 3; i > lowest; i -= 3)
      s.insert(std::size_t(i), ",");
  }
  return percent ? s + "%" : s;
}

bool ParseRange(const std::string& reference, TRange& range) {
  std::string text = reference.substr(0, reference.find(','));
  if (const std::size_t bang = text.rfind('!'); bang != std::string::npos)
    text = text.substr(bang + 1);
  std::erase(text, '$');
  const std::size_t colon = text.find(':');
  int r1 = 0, c1 = 0, r2 = 0, c2 = 0;
  if (!ParseCellRef(text.substr(0, colon), r1, c1)) return false;
  if (colon == std::string::npos ||
      !ParseCellRef(text.substr(colon + 1, text.find(':', colon + 1) - colon - 1), r2, c2)) {
    r2 = r1;
    c2 = c1;
  }
  range = {std::min(r1, r2), std::min(c1, c2), std::max(r1, r2), std::max(c1, c2)};
  return true;
}

const TCellStyle& TSheetLayout::Style(int index) const {
  return index >= 0 && std::size_t(index) < Styles.size() ? Styles[std::size_t(index)] : Styles[0];
}

std::vector<double> TSheetLayout::ColumnWidths(int first, int last) const {
  std::vector<double> widths(std::size_t(std::max(0, last - first + 1)), DefaultColumnWidth);
  for (const TColumnSpan& span : Columns)
    for (int c = std::max(span.Min, first); c <= std::min(span.Max, last); ++c)
      widths[std::size_t(c - first)] = span.Width;
  return widths;
}

std::vector<double> TSheetLayout::RowHeights(int first, int last) const {
  std::vector<double> heights(std::size_t(std::max(0, last - first + 1)), DefaultRowHeight);
  for (auto it = Rows.lower_bound(first); it != Rows.end() && it->first <= last; ++it)
    heights[std::size_t(it->first - first)] = it->second;
  return heights;
}

TPageSetup ReadPageSetup(const TWorkbook& book, int index) {
  return PageSetupOf(Child(book.SheetXml(index), "worksheet"));
}

TSheetLayout ReadSheetLayout(const TWorkbook& book, int index) {
  TSheetLayout layout;
  const pugi::xml_node ws = Child(book.SheetXml(index), "worksheet");
  ReadStyles(book, layout);
  layout.Page = PageSetupOf(ws);

  for (auto& [at, cell] : book.Cells(index, true)) {
    TSheetCell& c = layout.Cells[at];
    c.Kind = cell.Kind;
    c.Style = cell.Style;
    c.Text = cell.Kind == TCellKind::Number
                 ? FormatNumber(cell.Text, layout.Style(cell.Style).NumFmtCode)
                 : cell.Text;
    c.Value = std::move(cell.Text);
    layout.Used.Row2 = std::max(layout.Used.Row2, at.first);
    layout.Used.Col2 = std::max(layout.Used.Col2, at.second);
  }
  for (pugi::xml_node m : Child(ws, "mergeCells").children()) {
    TRange r;
    if (Is(m, "mergeCell") && ParseRange(m.attribute("ref").value(), r)) {
      layout.Merges.push_back(r);
      layout.Used.Row2 = std::max(layout.Used.Row2, r.Row2);
      layout.Used.Col2 = std::max(layout.Used.Col2, r.Col2);
    }
  }
  if (TRange area; ParseRange(book.DefinedName("_xlnm.Print_Area", index), area))
    layout.PrintArea = area;

  const pugi::xml_node format = Child(ws, "sheetFormatPr");
  layout.DefaultColumnWidth =
      Bounded(format.attribute("defaultColWidth"),
              Bounded(format.attribute("baseColWidth"), 8, 0, 255) + 0.71, 0, 255);
  layout.DefaultRowHeight = Bounded(format.attribute("defaultRowHeight"), 15, 0, 409);
  for (pugi::xml_node c : Child(ws, "cols").children()) {
    if (!Is(c, "col")) continue;
    layout.Columns.push_back(
        {c.attribute("min").as_int(), c.attribute("max").as_int(),
         c.attribute("hidden").as_bool()
             ? 0
             : Bounded(c.attribute("width"), layout.DefaultColumnWidth, 0, 255)});
  }
  for (pugi::xml_node r : Child(ws, "sheetData").children()) {
    if (!Is(r, "row") || !(r.attribute("ht") || r.attribute("hidden"))) continue;
    layout.Rows[r.attribute("r").as_int()] =
        r.attribute("hidden").as_bool()
            ? 0
            : Bounded(r.attribute("ht"), layout.DefaultRowHeight, 0, 409);
  }
  return layout;
}

}  // namespace velm::ooxml
