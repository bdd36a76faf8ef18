#include "ooxml/Workbook.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <functional>
#include <pugixml.hpp>
#include <sstream>
#include <tuple>

#include "ooxml/SheetLayout.h"
#include "ooxml/Xml.h"

namespace velm::ooxml {

namespace {

constexpr int kMaxRow = 1048576;
constexpr int kMaxColumn = 16384;
constexpr int kMaxXmlDepth = 100;
constexpr std::size_t kMaxCellText = 32767;  // characters a cell holds at most

constexpr const char* kSheetMain =
    "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml";
constexpr const char* kTemplateMain =
    "application/vnd.openxmlformats-officedocument.spreadsheetml.template.main+xml";

std::string Quoted(const std::string& path) { return "\u201C" + path + "\u201D"; }

// The prefix ("" or "x:") of an element, used for elements added beside or under it.
std::string Prefix(const pugi::xml_node& node) {
  const char* name = node.name();
  const char* colon = std::strrchr(name, ':');
  return colon ? std::string(name, std::size_t(colon - name + 1)) : std::string();
}
// An attribute by local name ("r:id" and "id" in another prefix are the same).
pugi::xml_attribute Attr(const pugi::xml_node& node, const char* local) {
  for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute())
    if (std::strcmp(LocalName(a.name()), local) == 0) return a;
  return {};
}

class TDepthCheck : public pugi::xml_tree_walker {
 public:
  bool TooDeep = false;
  bool for_each(pugi::xml_node&) override {
    if (depth() > kMaxXmlDepth) {
      TooDeep = true;
      return false;
    }
    return true;
  }
};

std::unique_ptr<pugi::xml_document> ParseXml(const std::string& bytes, const std::string& part,
                                             const std::string& file) {
  auto doc = std::make_unique<pugi::xml_document>();
  const pugi::xml_parse_result result =
      doc->load_buffer(bytes.data(), bytes.size(),
                       pugi::parse_default | pugi::parse_declaration | pugi::parse_ws_pcdata_single,
                       pugi::encoding_auto);
  if (!result)
    throw TOoxmlError(Quoted(file) + "中的" + part + "不是有效的XML（" + result.description() +
                      "，位置 " + std::to_string(result.offset) + "）");
  TDepthCheck check;
  doc->traverse(check);
  if (check.TooDeep) throw TOoxmlError(Quoted(file) + "中的" + part + "嵌套过深");
  return doc;
}

std::string Serialize(const pugi::xml_document& doc) {
  std::ostringstream out;
  doc.save(out, "", pugi::format_raw, pugi::encoding_utf8);
  return out.str();
}

// A part name relative to the package root, from a relationship target seen from `base`
// (the folder of the part that owns the relationships, e.g. "xl/").
std::string ResolveTarget(const std::string& base, const std::string& target) {
  std::string path = target.starts_with('/') ? target.substr(1) : base + target;
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= path.size()) {
    const auto slash = path.find('/', start);
    const std::string part =
        path.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    if (slash == std::string::npos) break;
    start = slash + 1;
  }
  std::string out;
  for (const auto& p : parts) out += (out.empty() ? "" : "/") + p;
  return out;
}

std::string Folder(const std::string& part) {
  const auto slash = part.find_last_of('/');
  return slash == std::string::npos ? std::string() : part.substr(0, slash + 1);
}

std::string RelsOf(const std::string& part) {
  const auto slash = part.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "" : part.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? part : part.substr(slash + 1);
  return folder + "_rels/" + name + ".rels";
}

// Length as the spreadsheet counts it (UTF-16 code units) of a UTF-8 text.
std::size_t Utf16Length(const std::string& s) {
  std::size_t n = 0;
  for (unsigned char c : s) {
    if ((c & 0xC0) != 0x80) ++n;  // a lead byte
    if ((c & 0xF8) == 0xF0) ++n;  // outside the basic plane: a surrogate pair
  }
  return n;
}

// The text made fit for a cell: valid UTF-8 (bad bytes become U+FFFD), no control characters
// but tab and line breaks (XML cannot hold them), at most kMaxCellText characters.
std::string CellSafe(const std::string& s) {
  std::string out;
  out.reserve(s.size());
  std::size_t chars = 0;
  for (std::size_t i = 0; i < s.size() && chars < kMaxCellText;) {
    const auto c = static_cast<unsigned char>(s[i]);
    std::size_t len = c < 0x80             ? 1
                      : (c & 0xE0) == 0xC0 ? 2
                      : (c & 0xF0) == 0xE0 ? 3
                      : (c & 0xF8) == 0xF0 ? 4
                                           : 0;
    bool ok = len > 0 && i + len <= s.size() && !(len == 2 && c < 0xC2);
    for (std::size_t k = 1; ok && k < len; ++k)
      ok = (static_cast<unsigned char>(s[i + k]) & 0xC0) == 0x80;
    if (ok && len == 3) {
      const unsigned cp = ((c & 0x0F) << 12) | ((s[i + 1] & 0x3F) << 6) | (s[i + 2] & 0x3F);
      ok = cp >= 0x800 && !(cp >= 0xD800 && cp <= 0xDFFF) && cp != 0xFFFE && cp != 0xFFFF;
    }
    if (ok && len == 4) {
      const unsigned cp = ((c & 0x07) << 18) | ((s[i + 1] & 0x3F) << 12) |
                          ((s[i + 2] & 0x3F) << 6) | (s[i + 3] & 0x3F);
      ok = cp >= 0x10000 && cp <= 0x10FFFF;
    }
    if (!ok) {
      out += "\uFFFD";
      ++i;
    } else {
      if (!(len == 1 && c < 0x20 && c != '\t' && c != '\n' && c != '\r')) out.append(s, i, len);
      i += len;
    }
    ++chars;
  }
  return out;
}

// The text of a string item (<si> or <is>): its plain text or its runs; phonetic hints are left
// out.
std::string ItemText(const pugi::xml_node& item) {
  std::string text;
  for (pugi::xml_node c = item.first_child(); c; c = c.next_sibling()) {
    if (Is(c, "t")) {
      text += c.text().get();
    } else if (Is(c, "r")) {
      for (pugi::xml_node t = c.first_child(); t; t = t.next_sibling())
        if (Is(t, "t")) text += t.text().get();
    }
  }
  return text;
}

int IntAttr(const pugi::xml_node& node, const char* name, int fallback = 0) {
  const pugi::xml_attribute a = node.attribute(name);
  return a ? a.as_int(fallback) : fallback;
}

}  // namespace

std::string ColumnName(int column) {
  std::string name;
  while (column > 0) {
    const int d = (column - 1) % 26;
    name.insert(name.begin(), char('A' + d));
    column = (column - 1) / 26;
  }
  return name;
}

bool ParseCellRef(const std::string& ref, int& row, int& column) {
  std::size_t i = 0;
  long c = 0;
  while (i < ref.size() && ref[i] == '$') ++i;
  const std::size_t letters = i;
  while (i < ref.size() && std::isalpha(static_cast<unsigned char>(ref[i])) && c <= kMaxColumn)
    c = c * 26 + (std::toupper(static_cast<unsigned char>(ref[i++])) - 'A' + 1);
  if (i == letters || c > kMaxColumn) return false;
  if (i < ref.size() && ref[i] == '$') ++i;
  const std::size_t digits = i;
  long r = 0;
  while (i < ref.size() && std::isdigit(static_cast<unsigned char>(ref[i])) && r <= kMaxRow)
    r = r * 10 + (ref[i++] - '0');
  if (i == digits || i != ref.size() || r < 1 || r > kMaxRow) return false;
  row = int(r);
  column = int(c);
  return true;
}

std::string SheetNameProblem(const std::string& name) {
  if (name.empty()) return "工作表名称不能为空";
  if (Utf16Length(name) > 31) return "工作表名称" + Quoted(name) + "超过31个字符";
  if (name.find_first_of(":\\/?*[]") != std::string::npos)
    return "工作表名称" + Quoted(name) + "不能含有下列字符：: \\ / ? * [ ]";
  if (name.front() == '\'' || name.back() == '\'')
    return "工作表名称" + Quoted(name) + "不能以单引号开始或结束";
  return {};
}

std::string MakeSheetName(const std::string& text) {
  std::string name = text;
  for (char& c : name)
    if (std::strchr(":\\/?*[]", c) && c != '\0') c = '_';
  std::string cut;
  std::size_t units = 0;
  for (std::size_t i = 0; i < name.size();) {
    std::size_t len = 1;
    while (i + len < name.size() && (static_cast<unsigned char>(name[i + len]) & 0xC0) == 0x80)
      ++len;
    const std::size_t need = len == 4 ? 2 : 1;
    if (units + need > 31) break;
    units += need;
    cut.append(name, i, len);
    i += len;
  }
  while (!cut.empty() && cut.front() == '\'') cut.erase(cut.begin());
  while (!cut.empty() && cut.back() == '\'') cut.pop_back();
  return cut.empty() ? std::string("Sheet1") : cut;
}

struct TWorkbook::TSheetEntry {
  std::string Name;
  std::string Part;
  bool Worksheet = true;
  pugi::xml_node Element;  // <sheet> in workbook.xml
  std::unique_ptr<pugi::xml_document> Doc;
  bool Dirty = false;
};

TWorkbook::~TWorkbook() = default;

std::unique_ptr<TWorkbook> TWorkbook::Open(const std::string& path, const TPackageLimits& limits) {
  std::unique_ptr<TWorkbook> book(new TWorkbook());
  book->FPath = path;
  book->FLimits = limits;
  book->FPackage = TPackage::Read(path, limits);
  book->Load();
  return book;
}

void TWorkbook::Load() {
  auto required = [&](const std::string& part) -> const std::string& {
    if (!FPackage.Has(part)) throw TOoxmlError(Quoted(FPath) + "不是工作簿：缺少" + part);
    return FPackage.Get(part);
  };
  FContentTypes = ParseXml(required("[Content_Types].xml"), "[Content_Types].xml", FPath);

  // The workbook part, from the package relationships.
  FWorkbookPart = "xl/workbook.xml";
  if (FPackage.Has("_rels/.rels")) {
    auto rels = ParseXml(FPackage.Get("_rels/.rels"), "_rels/.rels", FPath);
    for (pugi::xml_node r : Child(*rels, "Relationships").children()) {
      const std::string type = r.attribute("Type").value();
      if (Is(r, "Relationship") && type.ends_with("/officeDocument")) {
        FWorkbookPart = ResolveTarget("", r.attribute("Target").value());
        break;
      }
    }
  }
  FWorkbookXml = ParseXml(required(FWorkbookPart), FWorkbookPart, FPath);
  const pugi::xml_node workbook = Child(*FWorkbookXml, "workbook");
  if (!workbook) throw TOoxmlError(Quoted(FPath) + "不是工作簿：" + FWorkbookPart + "无工作簿元素");

  std::map<std::string, std::pair<std::string, std::string>> targets;  // id -> (part, type)
  const std::string relsPart = RelsOf(FWorkbookPart);
  if (FPackage.Has(relsPart)) {
    auto rels = ParseXml(FPackage.Get(relsPart), relsPart, FPath);
    for (pugi::xml_node r : Child(*rels, "Relationships").children()) {
      if (!Is(r, "Relationship") || std::strcmp(r.attribute("TargetMode").value(), "External") == 0)
        continue;
      targets[r.attribute("Id").value()] = {
          ResolveTarget(Folder(FWorkbookPart), r.attribute("Target").value()),
          r.attribute("Type").value()};
    }
  }
  for (pugi::xml_node s : Child(workbook, "sheets").children()) {
    if (!Is(s, "sheet")) continue;
    auto entry = std::make_unique<TSheetEntry>();
    entry->Name = s.attribute("name").value();
    entry->Element = s;
    const auto t = targets.find(Attr(s, "id").value());
    if (t == targets.end() || !FPackage.Has(t->second.first))
      throw TOoxmlError(Quoted(FPath) + "已损坏：工作表" + Quoted(entry->Name) + "的内容缺失");
    entry->Part = t->second.first;
    entry->Worksheet = t->second.second.ends_with("/worksheet");
    FSheets.push_back(std::move(entry));
  }
  if (FSheets.empty()) throw TOoxmlError(Quoted(FPath) + "不含任何工作表");
  const pugi::xml_node view = Child(Child(workbook, "bookViews"), "workbookView");
  FActive = std::clamp(IntAttr(view, "activeTab", 0) + 1, 1, SheetCount());
}

bool TWorkbook::IsTemplate() const {
  for (pugi::xml_node o : Child(*FContentTypes, "Types").children()) {
    if (Is(o, "Override") && ResolveTarget("", o.attribute("PartName").value()) == FWorkbookPart)
      return std::strcmp(o.attribute("ContentType").value(), kTemplateMain) == 0;
  }
  return false;
}

TWorkbook::TSheetEntry& TWorkbook::Entry(int index) {
  if (index < 1 || index > SheetCount())
    throw TOoxmlError("工作表序号 " + std::to_string(index) + " 超出范围（共 " +
                      std::to_string(SheetCount()) + " 个工作表）");
  return *FSheets[std::size_t(index - 1)];
}
const TWorkbook::TSheetEntry& TWorkbook::Entry(int index) const {
  return const_cast<TWorkbook*>(this)->Entry(index);
}

pugi::xml_document& TWorkbook::Xml(TSheetEntry& sheet) const {
  if (!sheet.Doc) {
    sheet.Doc = ParseXml(FPackage.Get(sheet.Part), sheet.Part, FPath);
    if (!sheet.Worksheet) return *sheet.Doc;
    // Rows and cells without a reference follow the one before: give them one, so that every
    // lookup below can rely on it.
    pugi::xml_node data = Child(Child(*sheet.Doc, "worksheet"), "sheetData");
    int lastRow = 0;
    for (pugi::xml_node row : data.children()) {
      if (!Is(row, "row")) continue;
      int r = IntAttr(row, "r", 0);
      if (r < 1 || r > kMaxRow) r = lastRow + 1;
      if (r <= lastRow)
        throw TOoxmlError(Quoted(FPath) + "中的" + sheet.Part + "已损坏：行次序错误");
      if (!row.attribute("r")) row.append_attribute("r");
      row.attribute("r").set_value(r);
      lastRow = r;
      int lastColumn = 0;
      for (pugi::xml_node c : row.children()) {
        if (!Is(c, "c")) continue;
        int rr = 0, cc = 0;
        if (!ParseCellRef(c.attribute("r").value(), rr, cc) || rr != r) {
          cc = lastColumn + 1;
          if (!c.attribute("r")) c.append_attribute("r");
          c.attribute("r").set_value((ColumnName(cc) + std::to_string(r)).c_str());
        }
        lastColumn = cc;
      }
    }
  }
  return *sheet.Doc;
}

const pugi::xml_document& TWorkbook::SheetXml(int sheet) const {
  return Xml(const_cast<TWorkbook*>(this)->Entry(sheet));
}

const pugi::xml_document* TWorkbook::PartXml(const std::string& part) const {
  auto it = FParts.find(part);
  if (it == FParts.end()) {
    if (!FPackage.Has(part)) return nullptr;
    it = FParts.emplace(part, ParseXml(FPackage.Get(part), part, FPath)).first;
  }
  return it->second.get();
}

const std::string& TWorkbook::SheetName(int index) const { return Entry(index).Name; }
const std::string& TWorkbook::SheetPart(int index) const { return Entry(index).Part; }

namespace {

// Throws unless `name` may name sheet `index` of `sheets` (0: a new sheet).
template <class TSheets>
void CheckSheetName(const TSheets& sheets, int index, const std::string& name) {
  if (const std::string problem = SheetNameProblem(name); !problem.empty())
    throw TOoxmlError(problem);
  auto lower = [](std::string s) {
    for (char& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
    return s;
  };
  for (int i = 1; i <= int(sheets.size()); ++i)
    if (i != index && lower(sheets[std::size_t(i - 1)]->Name) == lower(name))
      throw TOoxmlError("工作表名称" + Quoted(name) + "已被另一个工作表使用");
}

}  // namespace

void TWorkbook::SetSheetName(int index, const std::string& name) {
  TSheetEntry& sheet = Entry(index);
  CheckSheetName(FSheets, index, name);
  if (name == sheet.Name) return;

  // Defined names (the print area, print titles) refer to the sheet by name.
  auto quote = [](const std::string& n) {
    std::string q = "'";
    for (char c : n) q += c == '\'' ? std::string("''") : std::string(1, c);
    return q + "'!";
  };
  const std::string newRef = quote(name);
  const std::string oldRefs[] = {quote(sheet.Name), sheet.Name + "!"};
  pugi::xml_node workbook = Child(*FWorkbookXml, "workbook");
  for (pugi::xml_node d : Child(workbook, "definedNames").children()) {
    if (!Is(d, "definedName")) continue;
    std::string text = d.text().get();
    bool changed = false;
    for (const std::string& old : oldRefs) {
      for (std::size_t at = text.find(old); at != std::string::npos; at = text.find(old, at)) {
        const unsigned char before = at == 0 ? ' ' : static_cast<unsigned char>(text[at - 1]);
        if (old.front() != '\'' && (std::isalnum(before) || before == '_' || before == '.' ||
                                    before == '\'' || before >= 0x80)) {
          at += old.size();
          continue;
        }
        text.replace(at, old.size(), newRef);
        at += newRef.size();
        changed = true;
      }
    }
    if (changed) d.text().set(text.c_str());
  }
  sheet.Element.attribute("name").set_value(name.c_str());
  sheet.Name = name;
  FWorkbookChanged = true;
}

std::string TWorkbook::DefinedName(const std::string& name, int sheet) const {
  std::string global;
  for (pugi::xml_node d : Child(Child(*FWorkbookXml, "workbook"), "definedNames").children()) {
    if (!Is(d, "definedName") || name != d.attribute("name").value()) continue;
    if (!d.attribute("localSheetId"))
      global = d.text().get();
    else if (d.attribute("localSheetId").as_int(-1) == sheet - 1)
      return d.text().get();
  }
  return global;
}

void TWorkbook::SelectSheet(int index) {
  Entry(index);
  pugi::xml_node workbook = Child(*FWorkbookXml, "workbook");
  pugi::xml_node views = Child(workbook, "bookViews");
  if (!views) {
    views = workbook.insert_child_after((Prefix(workbook) + "bookViews").c_str(),
                                        Child(workbook, "workbookPr"));
  }
  pugi::xml_node view = Child(views, "workbookView");
  if (!view) view = views.append_child((Prefix(views) + "workbookView").c_str());
  if (!view.attribute("activeTab")) view.append_attribute("activeTab");
  view.attribute("activeTab").set_value(index - 1);
  FWorkbookChanged = true;
  for (int i = 1; i <= SheetCount(); ++i) {
    TSheetEntry& sheet = Entry(i);
    if (!sheet.Worksheet) continue;
    for (pugi::xml_node v : Child(Child(Xml(sheet), "worksheet"), "sheetViews").children()) {
      if (!Is(v, "sheetView")) continue;
      v.remove_attribute("tabSelected");
      if (i == index) v.append_attribute("tabSelected").set_value(1);
      sheet.Dirty = true;
    }
  }
  FActive = index;
}

pugi::xml_node TWorkbook::CellNode(int sheetIndex, int row, int column) {
  TSheetEntry& sheet = Entry(sheetIndex);
  if (!sheet.Worksheet)
    throw TOoxmlError("工作表" + Quoted(sheet.Name) + "不是普通工作表，不能写入单元格");
  if (row < 1 || row > kMaxRow || column < 1 || column > kMaxColumn)
    throw TOoxmlError("单元格(" + std::to_string(row) + ", " + std::to_string(column) +
                      ")超出工作表范围");
  pugi::xml_node ws = Child(Xml(sheet), "worksheet");
  if (!ws) throw TOoxmlError(Quoted(FPath) + "中的" + sheet.Part + "不是工作表");
  const std::string px = Prefix(ws);
  pugi::xml_node data = Child(ws, "sheetData");
  if (!data) {
    // sheetData follows the sheet's format and column elements when present.
    pugi::xml_node after;
    for (const char* n : {"sheetPr", "dimension", "sheetViews", "sheetFormatPr", "cols"})
      if (pugi::xml_node e = Child(ws, n)) after = e;
    data = after ? ws.insert_child_after((px + "sheetData").c_str(), after)
                 : ws.prepend_child((px + "sheetData").c_str());
  }

  pugi::xml_node rowNode;
  pugi::xml_node before;
  for (pugi::xml_node r : data.children()) {
    if (!Is(r, "row")) continue;
    const int at = IntAttr(r, "r");
    if (at == row) {
      rowNode = r;
      break;
    }
    if (at > row) {
      before = r;
      break;
    }
  }
  if (!rowNode) {
    rowNode = before ? data.insert_child_before((px + "row").c_str(), before)
                     : data.append_child((px + "row").c_str());
    rowNode.append_attribute("r").set_value(row);
  }

  const std::string ref = ColumnName(column) + std::to_string(row);
  pugi::xml_node cell;
  before = {};
  for (pugi::xml_node c : rowNode.children()) {
    if (!Is(c, "c")) continue;
    int rr = 0, cc = 0;
    ParseCellRef(c.attribute("r").value(), rr, cc);
    if (cc == column) {
      cell = c;
      break;
    }
    if (cc > column) {
      before = c;
      break;
    }
  }
  if (!cell) {
    cell = before ? rowNode.insert_child_before((px + "c").c_str(), before)
                  : rowNode.append_child((px + "c").c_str());
    cell.append_attribute("r").set_value(ref.c_str());
    // A new cell wears its row's format, or else its column's.
    int style = 0;
    if (rowNode.attribute("customFormat").as_bool()) {
      style = IntAttr(rowNode, "s");
    } else {
      for (pugi::xml_node col : Child(ws, "cols").children()) {
        if (Is(col, "col") && IntAttr(col, "min") <= column && column <= IntAttr(col, "max")) {
          style = IntAttr(col, "style");
          break;
        }
      }
    }
    if (style > 0) cell.append_attribute("s").set_value(style);
  }
  sheet.Dirty = true;
  return cell;
}

void TWorkbook::SetCellText(int sheetIndex, int row, int column, const std::string& text) {
  pugi::xml_node cell = CellNode(sheetIndex, row, column);
  const std::string px = Prefix(cell);
  // Keep r and s (the format); whatever the cell held goes.
  while (cell.first_child()) cell.remove_child(cell.first_child());
  for (const char* a : {"t", "cm", "vm"}) cell.remove_attribute(a);
  const std::string safe = CellSafe(text);
  if (!safe.empty()) {
    cell.append_attribute("t").set_value("inlineStr");
    pugi::xml_node t = cell.append_child((px + "is").c_str()).append_child((px + "t").c_str());
    t.append_attribute("xml:space").set_value("preserve");
    t.text().set(safe.c_str());
  }
}

void TWorkbook::SetCellNumber(int sheetIndex, int row, int column, double value) {
  if (!std::isfinite(value))
    throw TOoxmlError("单元格(" + std::to_string(row) + ", " + std::to_string(column) +
                      ")不能写入非有限数值");
  pugi::xml_node cell = CellNode(sheetIndex, row, column);
  while (cell.first_child()) cell.remove_child(cell.first_child());
  for (const char* a : {"t", "cm", "vm"}) cell.remove_attribute(a);
  char buf[32];
  const auto end = std::to_chars(buf, buf + sizeof buf, value).ptr;  // shortest round trip
  cell.append_child((Prefix(cell) + "v").c_str()).text().set(std::string(buf, end).c_str());
}

void TWorkbook::SetNumberFormat(int sheetIndex, int row, int column, const std::string& code) {
  pugi::xml_node cell = CellNode(sheetIndex, row, column);
  const int style = IntAttr(cell, "s");
  const auto known = FDerivedStyles.find({style, code});
  int derived = known == FDerivedStyles.end() ? -1 : known->second;
  if (derived < 0) {
    pugi::xml_document& styles = EditPart("xl/styles.xml");
    pugi::xml_node root = Child(styles, "styleSheet");
    if (!root) throw TOoxmlError(Quoted(FPath) + "缺少样式表，不能设置数字格式");
    const std::string px = Prefix(root);
    // The format code's number: an existing custom code, or the next free one from 164.
    pugi::xml_node fmts = Child(root, "numFmts");
    if (!fmts) fmts = root.prepend_child((px + "numFmts").c_str());
    int id = -1, next = 164;
    for (pugi::xml_node f : fmts.children()) {
      if (!Is(f, "numFmt")) continue;
      next = std::max(next, IntAttr(f, "numFmtId") + 1);
      if (code == f.attribute("formatCode").value()) id = IntAttr(f, "numFmtId");
    }
    if (id < 0) {
      id = next;
      pugi::xml_node f = fmts.append_child((px + "numFmt").c_str());
      f.append_attribute("numFmtId").set_value(id);
      f.append_attribute("formatCode").set_value(code.c_str());
      fmts.remove_attribute("count");
      fmts.prepend_attribute("count").set_value(
          int(std::distance(fmts.children().begin(), fmts.children().end())));
    }
    // A copy of the cell's format with that number format.
    pugi::xml_node xfs = Child(root, "cellXfs");
    if (!xfs) throw TOoxmlError(Quoted(FPath) + "的样式表没有单元格格式");
    std::vector<pugi::xml_node> list;
    for (pugi::xml_node x : xfs.children())
      if (Is(x, "xf")) list.push_back(x);
    if (list.empty()) throw TOoxmlError(Quoted(FPath) + "的样式表没有单元格格式");
    pugi::xml_node copy = xfs.append_copy(list[std::size_t(style) < list.size() ? style : 0]);
    for (const char* a : {"numFmtId", "applyNumberFormat"}) copy.remove_attribute(a);
    copy.prepend_attribute("applyNumberFormat").set_value(1);
    copy.prepend_attribute("numFmtId").set_value(id);
    derived = int(list.size());
    xfs.remove_attribute("count");
    xfs.prepend_attribute("count").set_value(derived + 1);
    FDerivedStyles[{style, code}] = derived;
  }
  if (!cell.attribute("s")) cell.append_attribute("s");
  cell.attribute("s").set_value(derived);
}

const std::string& TWorkbook::SharedString(int index) const {
  if (!FSharedLoaded) {
    FSharedLoaded = true;
    std::string part;
    const std::string relsPart = RelsOf(FWorkbookPart);
    if (FPackage.Has(relsPart)) {
      auto rels = ParseXml(FPackage.Get(relsPart), relsPart, FPath);
      for (pugi::xml_node r : Child(*rels, "Relationships").children())
        if (std::string(r.attribute("Type").value()).ends_with("/sharedStrings"))
          part = ResolveTarget(Folder(FWorkbookPart), r.attribute("Target").value());
    }
    if (!part.empty() && FPackage.Has(part)) {
      auto doc = ParseXml(FPackage.Get(part), part, FPath);
      for (pugi::xml_node si : Child(*doc, "sst").children())
        if (Is(si, "si")) FShared.push_back(ItemText(si));
    }
  }
  static const std::string kNone;
  return index >= 0 && std::size_t(index) < FShared.size() ? FShared[std::size_t(index)] : kNone;
}

namespace {

TCell ReadCell(const pugi::xml_node& c, const std::function<const std::string&(int)>& shared) {
  TCell cell;
  cell.Style = IntAttr(c, "s");
  const std::string t = c.attribute("t").value();
  const pugi::xml_node v = Child(c, "v");
  if (t == "inlineStr") {
    cell.Text = ItemText(Child(c, "is"));
    cell.Kind = TCellKind::Text;
  } else if (t == "s") {
    if (v) {
      cell.Text = shared(v.text().as_int(-1));
      cell.Kind = TCellKind::Text;
    }
  } else if (!v) {
    return cell;
  } else if (t == "str") {
    cell.Text = v.text().get();
    cell.Kind = TCellKind::Text;
  } else if (t == "b") {
    cell.Text = v.text().as_int() ? "TRUE" : "FALSE";
    cell.Kind = TCellKind::Boolean;
  } else if (t == "e") {
    cell.Text = v.text().get();
    cell.Kind = TCellKind::Error;
  } else {
    cell.Text = v.text().get();
    cell.Kind = TCellKind::Number;
  }
  if (cell.Kind == TCellKind::Text && cell.Text.empty()) cell.Kind = TCellKind::Empty;
  return cell;
}

}  // namespace

TCell TWorkbook::Cell(int sheetIndex, int row, int column) const {
  const TSheetEntry& sheet = Entry(sheetIndex);
  if (!sheet.Worksheet) return {};
  auto shared = [this](int i) -> const std::string& { return SharedString(i); };
  const pugi::xml_node data =
      Child(Child(Xml(const_cast<TSheetEntry&>(sheet)), "worksheet"), "sheetData");
  for (pugi::xml_node r : data.children()) {
    if (!Is(r, "row") || IntAttr(r, "r") != row) continue;
    for (pugi::xml_node c : r.children()) {
      int rr = 0, cc = 0;
      if (Is(c, "c") && ParseCellRef(c.attribute("r").value(), rr, cc) && cc == column)
        return ReadCell(c, shared);
    }
    break;
  }
  return {};
}

std::map<std::pair<int, int>, TCell> TWorkbook::Cells(int sheetIndex, bool withEmpty) const {
  std::map<std::pair<int, int>, TCell> cells;
  const TSheetEntry& sheet = Entry(sheetIndex);
  if (!sheet.Worksheet) return cells;
  auto shared = [this](int i) -> const std::string& { return SharedString(i); };
  const pugi::xml_node data =
      Child(Child(Xml(const_cast<TSheetEntry&>(sheet)), "worksheet"), "sheetData");
  for (pugi::xml_node r : data.children()) {
    if (!Is(r, "row")) continue;
    for (pugi::xml_node c : r.children()) {
      int rr = 0, cc = 0;
      if (!Is(c, "c") || !ParseCellRef(c.attribute("r").value(), rr, cc)) continue;
      TCell cell = ReadCell(c, shared);
      if (withEmpty || cell.Kind != TCellKind::Empty) cells[{rr, cc}] = std::move(cell);
    }
  }
  return cells;
}

pugi::xml_document& TWorkbook::EditPart(const std::string& part) {
  auto it = FParts.find(part);
  if (it == FParts.end()) {
    std::unique_ptr<pugi::xml_document> doc;
    if (FPackage.Has(part)) {
      doc = ParseXml(FPackage.Get(part), part, FPath);
    } else {
      doc = std::make_unique<pugi::xml_document>();
      pugi::xml_node decl = doc->append_child(pugi::node_declaration);
      decl.append_attribute("version").set_value("1.0");
      decl.append_attribute("encoding").set_value("UTF-8");
      decl.append_attribute("standalone").set_value("yes");
    }
    it = FParts.emplace(part, std::move(doc)).first;
  }
  if (std::find(FChangedParts.begin(), FChangedParts.end(), part) == FChangedParts.end())
    FChangedParts.push_back(part);
  return *it->second;
}

std::string TWorkbook::FreePartName(const std::string& stem, const std::string& extension) const {
  for (int n = 1;; ++n) {
    const std::string name = stem + std::to_string(n) + extension;
    const bool sheet =
        std::any_of(FSheets.begin(), FSheets.end(), [&](const auto& e) { return e->Part == name; });
    if (!FPackage.Has(name) && !FParts.count(name) && !sheet) return name;
  }
}

namespace {

constexpr const char* kRelationships =
    "http://schemas.openxmlformats.org/package/2006/relationships";
constexpr const char* kOfficeRelationships =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
constexpr const char* kDrawingMain = "http://schemas.openxmlformats.org/drawingml/2006/main";
constexpr const char* kSpreadsheetDrawing =
    "http://schemas.openxmlformats.org/drawingml/2006/spreadsheetDrawing";
constexpr double kEmuPerPoint = 12700;

// Adds a relationship of `type` (the last part of its type URI) to `target` and returns its id.
std::string AddRelationship(pugi::xml_document& rels, const std::string& type,
                            const std::string& target) {
  pugi::xml_node root = Child(rels, "Relationships");
  if (!root) {
    root = rels.append_child("Relationships");
    root.append_attribute("xmlns").set_value(kRelationships);
  }
  int n = 1;
  for (bool taken = true; taken; ++n) {
    taken = false;
    for (pugi::xml_node r : root.children())
      taken = taken || ("rId" + std::to_string(n)) == r.attribute("Id").value();
    if (!taken) break;
  }
  const std::string id = "rId" + std::to_string(n);
  pugi::xml_node r = root.append_child((Prefix(root) + "Relationship").c_str());
  r.append_attribute("Id").set_value(id.c_str());
  r.append_attribute("Type").set_value((std::string(kOfficeRelationships) + "/" + type).c_str());
  r.append_attribute("Target").set_value(target.c_str());
  return id;
}

// The target part of relationship `id` in the relationships part `relsPart` of a part in
// folder `base`; empty when there is none.
std::string RelationshipTarget(const pugi::xml_document* rels, const std::string& base,
                               const std::string& id) {
  if (!rels) return {};
  for (pugi::xml_node r : Child(*rels, "Relationships").children())
    if (Is(r, "Relationship") && id == r.attribute("Id").value())
      return ResolveTarget(base, r.attribute("Target").value());
  return {};
}

// A relative path from folder `from` ("xl/worksheets/") to the part `to` ("xl/drawings/d.xml").
std::string RelativeTarget(const std::string& from, const std::string& to) {
  std::size_t common = 0;
  for (std::size_t i = 0; i < from.size() && i < to.size() && from[i] == to[i]; ++i)
    if (from[i] == '/') common = i + 1;
  std::string up;
  for (std::size_t i = common; i < from.size(); ++i)
    if (from[i] == '/') up += "../";
  return up + to.substr(common);
}

void AddText(pugi::xml_node parent, const char* name, long long value) {
  parent.append_child(name).text().set(value);
}

}  // namespace

double TWorkbook::ColumnLeft(int sheet, int column) const {
  const TSheetLayout layout = ReadSheetLayout(*this, sheet);
  double x = 0;
  for (double w : layout.ColumnWidths(1, column - 1)) x += std::round(w * 7) * 0.75;
  return x;
}

double TWorkbook::RowTop(int sheet, int row) const {
  const TSheetLayout layout = ReadSheetLayout(*this, sheet);
  double y = 0;
  for (double h : layout.RowHeights(1, row - 1)) y += h;
  return y;
}

void TWorkbook::AddPicture(int sheetIndex, const std::string& png, double left, double top,
                           double width, double height, const std::string& name) {
  TSheetEntry& sheet = Entry(sheetIndex);
  if (!sheet.Worksheet)
    throw TOoxmlError("工作表" + Quoted(sheet.Name) + "不是普通工作表，不能插入图片");
  if (!(width > 0 && height > 0 && left >= 0 && top >= 0 &&
        std::isfinite(width + height + left + top)))
    throw TOoxmlError("图片的位置或大小无效");
  if (png.size() < 8 || png.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0)
    throw TOoxmlError("图片不是 PNG 文件");

  // Where the corners fall: a cell and an offset into it.
  const TSheetLayout layout = ReadSheetLayout(*this, sheetIndex);
  auto place = [](const std::function<double(int)>& size, double at, int limit) {
    int i = 1;
    double edge = 0;
    while (i < limit && edge + size(i) <= at) edge += size(i++);
    return std::pair{i, at - edge};
  };
  auto columnSize = [&](int c) { return std::round(layout.ColumnWidths(c, c)[0] * 7) * 0.75; };
  auto rowSize = [&](int r) { return layout.RowHeights(r, r)[0]; };
  const auto [c1, dx1] = place(columnSize, left, kMaxColumn);
  const auto [r1, dy1] = place(rowSize, top, kMaxRow);
  const auto [c2, dx2] = place(columnSize, left + width, kMaxColumn);
  const auto [r2, dy2] = place(rowSize, top + height, kMaxRow);

  // The image, and the sheet's drawing (a new one when the sheet has none).
  const std::string media = FreePartName("xl/media/image", ".png");
  FPackage.Set(media, png);
  pugi::xml_node ws = Child(Xml(sheet), "worksheet");
  const std::string sheetRels = RelsOf(sheet.Part);
  std::string drawingPart;
  if (pugi::xml_node d = Child(ws, "drawing"))
    drawingPart = RelationshipTarget(PartXml(sheetRels), Folder(sheet.Part), Attr(d, "id").value());
  if (drawingPart.empty()) {
    drawingPart = FreePartName("xl/drawings/drawing", ".xml");
    const std::string id = AddRelationship(EditPart(sheetRels), "drawing",
                                           RelativeTarget(Folder(sheet.Part), drawingPart));
    // <drawing> comes before the legacy drawings, pictures, objects and tables.
    pugi::xml_node before;
    for (const char* n : {"legacyDrawing", "legacyDrawingHF", "drawingHF", "picture", "oleObjects",
                          "controls", "webPublishItems", "tableParts", "extLst"})
      if ((before = Child(ws, n))) break;
    const std::string px = Prefix(ws);
    pugi::xml_node d = before ? ws.insert_child_before((px + "drawing").c_str(), before)
                              : ws.append_child((px + "drawing").c_str());
    if (!ws.attribute("xmlns:r")) ws.append_attribute("xmlns:r").set_value(kOfficeRelationships);
    d.append_attribute("r:id").set_value(id.c_str());
    sheet.Dirty = true;
    pugi::xml_document& drawing = EditPart(drawingPart);
    pugi::xml_node root = drawing.append_child("xdr:wsDr");
    root.append_attribute("xmlns:xdr").set_value(kSpreadsheetDrawing);
    root.append_attribute("xmlns:a").set_value(kDrawingMain);
    root.append_attribute("xmlns:r").set_value(kOfficeRelationships);
    pugi::xml_node types = Child(*FContentTypes, "Types");
    pugi::xml_node o = types.append_child((Prefix(types) + "Override").c_str());
    o.append_attribute("PartName").set_value(("/" + drawingPart).c_str());
    o.append_attribute("ContentType")
        .set_value("application/vnd.openxmlformats-officedocument.drawing+xml");
  }
  {
    pugi::xml_node types = Child(*FContentTypes, "Types");
    bool hasPng = false;
    for (pugi::xml_node t : types.children())
      hasPng =
          hasPng || (Is(t, "Default") && std::string(t.attribute("Extension").value()) == "png");
    if (!hasPng) {
      pugi::xml_node t = types.prepend_child((Prefix(types) + "Default").c_str());
      t.append_attribute("Extension").set_value("png");
      t.append_attribute("ContentType").set_value("image/png");
    }
  }
  const std::string image = AddRelationship(EditPart(RelsOf(drawingPart)), "image",
                                            RelativeTarget(Folder(drawingPart), media));

  // A two-cell anchor that moves with its cells but keeps its size.
  pugi::xml_node root = EditPart(drawingPart).document_element();
  int shapeId = 1;
  for (pugi::xpath_node n : root.select_nodes("//*[local-name()='cNvPr']"))
    shapeId = std::max(shapeId, n.node().attribute("id").as_int() + 1);
  auto emu = [](double pt) { return static_cast<long long>(std::llround(pt * kEmuPerPoint)); };
  pugi::xml_node anchor = root.append_child("xdr:twoCellAnchor");
  anchor.append_attribute("editAs").set_value("oneCell");
  for (const auto& [tag, c, dx, r, dy] :
       {std::tuple{"xdr:from", c1, dx1, r1, dy1}, std::tuple{"xdr:to", c2, dx2, r2, dy2}}) {
    pugi::xml_node corner = anchor.append_child(tag);
    AddText(corner, "xdr:col", c - 1);
    AddText(corner, "xdr:colOff", emu(dx));
    AddText(corner, "xdr:row", r - 1);
    AddText(corner, "xdr:rowOff", emu(dy));
  }
  pugi::xml_node pic = anchor.append_child("xdr:pic");
  pugi::xml_node nv = pic.append_child("xdr:nvPicPr");
  pugi::xml_node cNvPr = nv.append_child("xdr:cNvPr");
  cNvPr.append_attribute("id").set_value(shapeId);
  cNvPr.append_attribute("name").set_value(("Picture " + std::to_string(shapeId)).c_str());
  cNvPr.append_attribute("descr").set_value(CellSafe(name).c_str());
  nv.append_child("xdr:cNvPicPr")
      .append_child("a:picLocks")
      .append_attribute("noChangeAspect")
      .set_value(1);
  pugi::xml_node fill = pic.append_child("xdr:blipFill");
  fill.append_child("a:blip").append_attribute("r:embed").set_value(image.c_str());
  fill.append_child("a:stretch").append_child("a:fillRect");
  pugi::xml_node sp = pic.append_child("xdr:spPr");
  pugi::xml_node xfrm = sp.append_child("a:xfrm");
  pugi::xml_node off = xfrm.append_child("a:off");
  off.append_attribute("x").set_value(emu(left));
  off.append_attribute("y").set_value(emu(top));
  pugi::xml_node ext = xfrm.append_child("a:ext");
  ext.append_attribute("cx").set_value(emu(width));
  ext.append_attribute("cy").set_value(emu(height));
  pugi::xml_node geometry = sp.append_child("a:prstGeom");
  geometry.append_attribute("prst").set_value("rect");
  geometry.append_child("a:avLst");
  anchor.append_child("xdr:clientData");
}

int TWorkbook::CopySheet(int index, const std::string& name) {
  TSheetEntry& source = Entry(index);
  if (!source.Worksheet)
    throw TOoxmlError("工作表" + Quoted(source.Name) + "不是普通工作表，不能复制");
  CheckSheetName(FSheets, 0, name);
  auto entry = std::make_unique<TSheetEntry>();
  entry->Name = name;
  entry->Part = FreePartName("xl/worksheets/sheet", ".xml");
  entry->Worksheet = true;
  entry->Dirty = true;
  entry->Doc = std::make_unique<pugi::xml_document>();
  entry->Doc->reset(Xml(source));
  // What refers to the source's own parts stays with the source; the copy is not selected.
  pugi::xml_node ws = Child(*entry->Doc, "worksheet");
  for (const char* n : {"drawing", "legacyDrawing", "legacyDrawingHF", "drawingHF", "picture",
                        "oleObjects", "controls", "hyperlinks", "tableParts"})
    while (pugi::xml_node c = Child(ws, n)) ws.remove_child(c);
  for (pugi::xml_node v : Child(ws, "sheetViews").children()) v.remove_attribute("tabSelected");

  const std::string id = AddRelationship(EditPart(RelsOf(FWorkbookPart)), "worksheet",
                                         RelativeTarget(Folder(FWorkbookPart), entry->Part));
  pugi::xml_node types = Child(*FContentTypes, "Types");
  pugi::xml_node o = types.append_child((Prefix(types) + "Override").c_str());
  o.append_attribute("PartName").set_value(("/" + entry->Part).c_str());
  o.append_attribute("ContentType")
      .set_value("application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml");
  pugi::xml_node sheets = source.Element.parent();
  int sheetId = 1;
  for (pugi::xml_node s : sheets.children())
    sheetId = std::max(sheetId, IntAttr(s, "sheetId", 0) + 1);
  pugi::xml_node element = sheets.append_child((Prefix(sheets) + "sheet").c_str());
  element.append_attribute("name").set_value(name.c_str());
  element.append_attribute("sheetId").set_value(sheetId);
  element.append_attribute("r:id").set_value(id.c_str());
  pugi::xml_node workbook = Child(*FWorkbookXml, "workbook");
  if (!workbook.attribute("xmlns:r"))
    workbook.append_attribute("xmlns:r").set_value(kOfficeRelationships);
  entry->Element = element;
  FWorkbookChanged = true;
  FSheets.push_back(std::move(entry));
  return SheetCount();
}

std::vector<TPicture> TWorkbook::Pictures(int sheetIndex) const {
  std::vector<TPicture> pictures;
  const TSheetEntry& sheet = Entry(sheetIndex);
  if (!sheet.Worksheet) return pictures;
  const pugi::xml_node d = Child(Child(SheetXml(sheetIndex), "worksheet"), "drawing");
  if (!d) return pictures;
  const std::string part =
      RelationshipTarget(PartXml(RelsOf(sheet.Part)), Folder(sheet.Part), Attr(d, "id").value());
  const pugi::xml_document* drawing = part.empty() ? nullptr : PartXml(part);
  if (!drawing) return pictures;
  const pugi::xml_document* rels = PartXml(RelsOf(part));
  const TSheetLayout layout = ReadSheetLayout(*this, sheetIndex);
  auto points = [](const pugi::xml_node& n) { return n.text().as_llong() / kEmuPerPoint; };
  auto index = [](const pugi::xml_node& n, int limit) {
    return std::clamp(int(n.text().as_llong()) + 1, 1, limit);
  };
  for (pugi::xml_node anchor : Child(*drawing, "wsDr").children()) {
    const bool two = Is(anchor, "twoCellAnchor");
    if (!two && !Is(anchor, "oneCellAnchor")) continue;
    const pugi::xml_node pic = Child(anchor, "pic");
    const pugi::xml_node blip = Child(Child(pic, "blipFill"), "blip");
    const std::string media = RelationshipTarget(rels, Folder(part), Attr(blip, "embed").value());
    if (media.empty() || !FPackage.Has(media)) continue;
    TPicture p;
    const pugi::xml_node from = Child(anchor, "from");
    p.Column = index(Child(from, "col"), kMaxColumn);
    p.Row = index(Child(from, "row"), kMaxRow);
    p.OffsetX = points(Child(from, "colOff"));
    p.OffsetY = points(Child(from, "rowOff"));
    if (two) {
      // The size from the two corners, through the column widths and row heights between them.
      const pugi::xml_node to = Child(anchor, "to");
      const int c2 = index(Child(to, "col"), kMaxColumn), r2 = index(Child(to, "row"), kMaxRow);
      double w = points(Child(to, "colOff")) - p.OffsetX,
             h = points(Child(to, "rowOff")) - p.OffsetY;
      if (c2 > p.Column)
        for (double cw : layout.ColumnWidths(p.Column, c2 - 1)) w += std::round(cw * 7) * 0.75;
      if (r2 > p.Row)
        for (double rh : layout.RowHeights(p.Row, r2 - 1)) h += rh;
      p.Width = w;
      p.Height = h;
    } else {
      const pugi::xml_node ext = Child(anchor, "ext");
      p.Width = ext.attribute("cx").as_llong() / kEmuPerPoint;
      p.Height = ext.attribute("cy").as_llong() / kEmuPerPoint;
    }
    if (!(p.Width > 0 && p.Height > 0)) continue;
    p.Name = Child(Child(pic, "nvPicPr"), "cNvPr").attribute("descr").value();
    p.Bytes = FPackage.Get(media);
    pictures.push_back(std::move(p));
  }
  return pictures;
}

void TWorkbook::SaveAs(const std::string& path) {
  TPackage out = FPackage;
  for (const std::string& part : FChangedParts) out.Set(part, Serialize(*FParts.at(part)));
  bool formulas = false;
  for (auto& sheet : FSheets) {
    if (sheet->Dirty) {
      // Formulas of a changed sheet lose their cached results: the spreadsheet recalculates.
      for (pugi::xpath_node x : sheet->Doc->select_nodes("//*[local-name()='f']")) {
        formulas = true;
        pugi::xml_node c = x.node().parent();
        if (pugi::xml_node v = Child(c, "v")) c.remove_child(v);
      }
      out.Set(sheet->Part, Serialize(*sheet->Doc));
    } else if (sheet->Worksheet) {
      const std::string& bytes = FPackage.Get(sheet->Part);
      formulas = formulas || bytes.find("<f>") != std::string::npos ||
                 bytes.find("<f ") != std::string::npos || bytes.find(":f>") != std::string::npos;
    }
  }

  // A template saved becomes a workbook.
  auto types = std::make_unique<pugi::xml_document>();
  types->reset(*FContentTypes);
  pugi::xml_node typesRoot = Child(*types, "Types");
  for (pugi::xml_node o : typesRoot.children()) {
    if (Is(o, "Override") && ResolveTarget("", o.attribute("PartName").value()) == FWorkbookPart &&
        std::strcmp(o.attribute("ContentType").value(), kTemplateMain) == 0)
      o.attribute("ContentType").set_value(kSheetMain);
  }

  // The calculation chain is only a cache of the calculation order; a stale one makes the
  // spreadsheet repair the file, so it goes with its relationship and content type.
  pugi::xml_document workbookXml;
  workbookXml.reset(*FWorkbookXml);
  bool workbookChanged = FWorkbookChanged;
  const std::string relsPart = RelsOf(FWorkbookPart);
  if (FPackage.Has(relsPart) || FParts.count(relsPart)) {
    // The relationships as edited (a copied sheet adds one), else as read.
    auto rels = std::make_unique<pugi::xml_document>();
    if (const auto edited = FParts.find(relsPart); edited != FParts.end())
      rels->reset(*edited->second);
    else
      rels = ParseXml(FPackage.Get(relsPart), relsPart, FPath);
    pugi::xml_node root = Child(*rels, "Relationships");
    bool changed = false;
    for (pugi::xml_node r = root.first_child(); r;) {
      pugi::xml_node next = r.next_sibling();
      if (std::string(r.attribute("Type").value()).ends_with("/calcChain")) {
        const std::string part =
            ResolveTarget(Folder(FWorkbookPart), r.attribute("Target").value());
        out.Remove(part);
        for (pugi::xml_node o = typesRoot.first_child(); o;) {
          pugi::xml_node n = o.next_sibling();
          if (Is(o, "Override") && ResolveTarget("", o.attribute("PartName").value()) == part)
            typesRoot.remove_child(o);
          o = n;
        }
        root.remove_child(r);
        changed = true;
      }
      r = next;
    }
    if (changed) out.Set(relsPart, Serialize(*rels));
  }
  if (formulas) {
    pugi::xml_node workbook = Child(workbookXml, "workbook");
    pugi::xml_node calc = Child(workbook, "calcPr");
    if (!calc) {
      // calcPr follows definedNames (or sheets) in the workbook's element order.
      pugi::xml_node after = Child(workbook, "definedNames");
      if (!after) after = Child(workbook, "sheets");
      calc = workbook.insert_child_after((Prefix(workbook) + "calcPr").c_str(), after);
    }
    if (!calc.attribute("fullCalcOnLoad")) calc.append_attribute("fullCalcOnLoad");
    calc.attribute("fullCalcOnLoad").set_value("1");
    workbookChanged = true;
  }
  if (workbookChanged) out.Set(FWorkbookPart, Serialize(workbookXml));
  out.Set("[Content_Types].xml", Serialize(*types));

  out.Write(path);
  FPath = path;
}

}  // namespace velm::ooxml
