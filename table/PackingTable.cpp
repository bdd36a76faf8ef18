#include "table/PackingTable.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <istream>
#include <limits>
#include <numeric>
#include <optional>
#include <ostream>
#include <sstream>
#include <unordered_set>

#include "base/Decimal.h"
#include "base/SafeFiles.h"
#include "base/TextCodec.h"

namespace velm {

namespace {

constexpr std::string_view kBlockMagic = "VELM-TABLE";
constexpr int kBlockVersion = 1;

std::string OutOfRange(const char* what, int value, int count) {
  return std::string(what) + " " + std::to_string(value) + " out of range (0.." +
         std::to_string(count - 1) + ")";
}

bool HasLineBreakOrTab(std::string_view s) {
  return s.find_first_of("\t\r\n") != std::string_view::npos;
}

// Table block values: backslash, tab, CR and LF are escaped so that one record is one line.
void AppendEscaped(std::string& out, std::string_view s) {
  for (char c : s) {
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      default:
        out += c;
    }
  }
}

std::vector<std::string_view> SplitKeep(std::string_view s, char sep) {
  std::vector<std::string_view> parts;
  size_t start = 0;
  for (;;) {
    size_t pos = s.find(sep, start);
    if (pos == std::string_view::npos) {
      parts.push_back(s.substr(start));
      return parts;
    }
    parts.push_back(s.substr(start, pos - start));
    start = pos + 1;
  }
}

// Reads a non-negative count written in decimal; nothing for anything else.
std::optional<long long> ParseCount(std::string_view s) {
  if (s.empty() || s.size() > 12) return std::nullopt;
  long long v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return std::nullopt;
    v = v * 10 + (c - '0');
  }
  return v;
}

// Cursor over the lines of a table block, for messages that name the line.
class TBlockReader {
 public:
  explicit TBlockReader(std::string_view block) : FRest(block) {}

  bool AtEnd() const { return FRest.empty(); }
  int LineNo() const { return FLine; }
  size_t LinesLeftAtMost() const {
    return static_cast<size_t>(std::count(FRest.begin(), FRest.end(), '\n'));
  }
  std::string_view NextLine() {
    size_t pos = FRest.find('\n');
    if (pos == std::string_view::npos) Fail("行没有换行符结尾");
    std::string_view line = FRest.substr(0, pos);
    FRest.remove_prefix(pos + 1);
    ++FLine;
    return line;
  }
  [[noreturn]] void Fail(const std::string& what) const {
    throw TTableError("表数据第 " + std::to_string(FLine + 1) + " 行：" + what);
  }
  // "KEYWORD count" with the count bounded by what is left of the block.
  size_t ReadCountLine(std::string_view keyword) {
    std::string_view line = NextLine();
    std::string prefix = std::string(keyword) + " ";
    if (line.substr(0, prefix.size()) != prefix)
      Fail("应为“" + std::string(keyword) + " <数目>”，实为“" + std::string(line) + "”");
    std::optional<long long> n = ParseCount(line.substr(prefix.size()));
    if (!n) Fail("数目“" + std::string(line.substr(prefix.size())) + "”无效");
    if (static_cast<unsigned long long>(*n) > LinesLeftAtMost())
      Fail(std::string(keyword) + " 的数目 " + std::to_string(*n) + " 超过了剩余的行数");
    return static_cast<size_t>(*n);
  }

 private:
  std::string_view FRest;
  int FLine = 0;
};

std::string Unescape(std::string_view s, const TBlockReader& reader) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '\\') {
      out += s[i];
      continue;
    }
    if (++i == s.size()) reader.Fail("值以单独的反斜杠结尾");
    switch (s[i]) {
      case '\\':
        out += '\\';
        break;
      case 't':
        out += '\t';
        break;
      case 'n':
        out += '\n';
        break;
      case 'r':
        out += '\r';
        break;
      default:
        reader.Fail(std::string("未知的转义符“\\") + s[i] + "”");
    }
  }
  return out;
}

// Reads exactly `n` bytes or reports how many there were. Reads in pieces so that a corrupt
// length never allocates more than the stream really holds.
size_t ReadUpTo(std::istream& in, std::string& out, size_t n) {
  constexpr size_t kChunk = 64 * 1024;
  out.clear();
  while (out.size() < n) {
    size_t want = std::min(kChunk, n - out.size());
    size_t old = out.size();
    out.resize(old + want);
    in.read(out.data() + old, static_cast<std::streamsize>(want));
    size_t got = static_cast<size_t>(in.gcount());
    out.resize(old + got);
    if (got < want) break;
  }
  return out.size();
}

}  // namespace

// ----------------------------------------------------------------------------------------------
// Structure

std::string TMyClientDataSet::DefaultFieldName(int position) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "F%03d", position);
  return buf;
}

void TMyClientDataSet::DefineFields(std::vector<TFieldDef> fields) {
  std::unordered_set<std::string> seen;
  for (size_t i = 0; i < fields.size(); ++i) {
    const std::string& name = fields[i].FName;
    // A name is also the title until a label replaces it, and titles are saved as GB2312
    // labels: a name that is not UTF-8 text would come back as another.
    if (name.empty() || HasLineBreakOrTab(name) || !IsUtf8Text(name))
      throw TTableError("第 " + std::to_string(i) + " 列：字段名“" + name + "”无效");
    if (!seen.insert(name).second)
      throw TTableError("第 " + std::to_string(i) + " 列：字段名“" + name + "”重复");
  }
  FFields = std::move(fields);
  FTitles.clear();
  for (const TFieldDef& f : FFields) FTitles.push_back(f.FName);
  FRecords.clear();
  FIndexFieldNames.clear();
  FCursor = 0;
  FEof = false;
}

void TMyClientDataSet::DefineFields(int count) {
  std::vector<TFieldDef> fields;
  for (int i = 0; i < count; ++i) fields.push_back({DefaultFieldName(i), TFieldKind::Text});
  DefineFields(std::move(fields));
}

void TMyClientDataSet::Clear() { DefineFields(std::vector<TFieldDef>{}); }

const TFieldDef& TMyClientDataSet::Field(int field) const {
  if (field < 0 || field >= FieldCount())
    throw std::out_of_range(OutOfRange("field", field, FieldCount()));
  return FFields[static_cast<size_t>(field)];
}

int TMyClientDataSet::FieldIndex(std::string_view name) const {
  for (int i = 0; i < FieldCount(); ++i)
    if (FFields[static_cast<size_t>(i)].FName == name) return i;
  return -1;
}

const std::string& TMyClientDataSet::DisplayTitle(int field) const {
  Field(field);
  return FTitles[static_cast<size_t>(field)];
}

void TMyClientDataSet::SetDisplayTitle(int field, std::string title) {
  Field(field);
  FTitles[static_cast<size_t>(field)] = std::move(title);
}

// ----------------------------------------------------------------------------------------------
// Records

bool TMyClientDataSet::Accepts(int field, std::string_view text) const {
  if (Field(field).FKind == TFieldKind::Text) return true;
  return text.empty() || ParseNumber(text).has_value();
}

void TMyClientDataSet::CheckRecord(const TRecord& values, int index) const {
  if (static_cast<int>(values.size()) != FieldCount())
    throw TTableError("第 " + std::to_string(index) + " 条记录有 " + std::to_string(values.size()) +
                      " 个值，应为 " + std::to_string(FieldCount()) + " 个");
  for (int f = 0; f < FieldCount(); ++f)
    if (!Accepts(f, values[static_cast<size_t>(f)]))
      throw TTableError("第 " + std::to_string(index) + " 条记录的字段 " + FieldName(f) + "：“" +
                        values[static_cast<size_t>(f)] + "”不是数值");
}

void TMyClientDataSet::AppendRecord(TRecord values) {
  CheckRecord(values, RecordCount());
  FRecords.push_back(std::move(values));
}

const TMyClientDataSet::TRecord& TMyClientDataSet::Record(int record) const {
  if (record < 0 || record >= RecordCount())
    throw std::out_of_range(OutOfRange("record", record, RecordCount()));
  return FRecords[static_cast<size_t>(record)];
}

const std::string& TMyClientDataSet::Value(int record, int field) const {
  const TRecord& r = Record(record);
  Field(field);
  return r[static_cast<size_t>(field)];
}

const std::string& TMyClientDataSet::Value(int record, std::string_view fieldName) const {
  int field = FieldIndex(fieldName);
  if (field < 0) throw std::out_of_range("no field named \"" + std::string(fieldName) + "\"");
  return Value(record, field);
}

bool TMyClientDataSet::SetValue(int record, int field, std::string text) {
  Record(record);
  if (FReadOnly || !Accepts(field, text)) return false;
  FRecords[static_cast<size_t>(record)][static_cast<size_t>(field)] = std::move(text);
  return true;
}

// ----------------------------------------------------------------------------------------------
// Cursor

void TMyClientDataSet::First() {
  FCursor = 0;
  FEof = false;
}

void TMyClientDataSet::Next() {
  if (FCursor + 1 < RecordCount())
    ++FCursor;
  else
    FEof = true;
}

void TMyClientDataSet::MoveTo(int record) {
  Record(record);
  FCursor = record;
  FEof = false;
}

const std::string& TMyClientDataSet::FieldText(int field) const { return Value(FCursor, field); }

const std::string& TMyClientDataSet::FieldByName(std::string_view fieldName) const {
  return Value(FCursor, fieldName);
}

// ----------------------------------------------------------------------------------------------
// Keys and order

std::optional<int> TMyClientDataSet::FindKey(std::string_view key) const {
  if (FieldCount() == 0) return std::nullopt;
  int keyField = FieldIndex("F000");
  if (keyField < 0) keyField = 0;
  for (int r = 0; r < RecordCount(); ++r)
    if (FRecords[static_cast<size_t>(r)][static_cast<size_t>(keyField)] == key) return r;
  return std::nullopt;
}

std::optional<TMyClientDataSet::TRecord> TMyClientDataSet::FindRecord(std::string_view key) const {
  std::optional<int> r = FindKey(key);
  if (!r) return std::nullopt;
  return FRecords[static_cast<size_t>(*r)];
}

bool TMyClientDataSet::Locate(std::string_view key) {
  std::optional<int> r = FindKey(key);
  if (!r) return false;
  MoveTo(*r);
  return true;
}

std::vector<int> TMyClientDataSet::SortByField(int field) {
  Field(field);
  const size_t f = static_cast<size_t>(field);
  std::vector<int> order(FRecords.size());
  std::iota(order.begin(), order.end(), 0);
  if (FFields[f].FKind == TFieldKind::Number) {
    // Empty (or, defensively, unreadable) values sort first, then by value.
    std::vector<std::optional<double>> keys;
    keys.reserve(FRecords.size());
    for (const TRecord& r : FRecords) keys.push_back(ParseNumber(r[f]));
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
      const auto& ka = keys[static_cast<size_t>(a)];
      const auto& kb = keys[static_cast<size_t>(b)];
      if (!ka || !kb) return !ka && kb;
      return *ka < *kb;
    });
  } else {
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
      return FRecords[static_cast<size_t>(a)][f] < FRecords[static_cast<size_t>(b)][f];
    });
  }
  std::vector<TRecord> sorted;
  sorted.reserve(FRecords.size());
  std::vector<int> newPos(FRecords.size());
  for (size_t i = 0; i < order.size(); ++i) {
    sorted.push_back(std::move(FRecords[static_cast<size_t>(order[i])]));
    newPos[static_cast<size_t>(order[i])] = static_cast<int>(i);
  }
  FRecords = std::move(sorted);
  if (!FRecords.empty()) FCursor = newPos[static_cast<size_t>(FCursor)];
  FIndexFieldNames = FFields[f].FName;
  return newPos;
}

std::vector<int> TMyClientDataSet::SortByFieldName(std::string_view fieldName) {
  int field = FieldIndex(fieldName);
  if (field < 0) throw std::out_of_range("no field named \"" + std::string(fieldName) + "\"");
  return SortByField(field);
}

// ----------------------------------------------------------------------------------------------
// Table block (format described in data/README.md)

std::string TMyClientDataSet::SaveTableBlock() const {
  std::string out;
  out += std::string(kBlockMagic) + " " + std::to_string(kBlockVersion) + "\n";
  out += "FIELDS " + std::to_string(FieldCount()) + "\n";
  for (const TFieldDef& f : FFields)
    out += f.FName + (f.FKind == TFieldKind::Number ? "\tN\n" : "\tT\n");
  out += "RECORDS " + std::to_string(RecordCount()) + "\n";
  for (const TRecord& r : FRecords) {
    for (size_t i = 0; i < r.size(); ++i) {
      if (i > 0) out += '\t';
      AppendEscaped(out, r[i]);
    }
    out += '\n';
  }
  out += "END\n";
  return out;
}

void TMyClientDataSet::LoadTableBlock(std::string_view block) {
  TBlockReader reader(block);
  if (block.empty()) reader.Fail("表数据是空的");
  std::string_view magic = reader.NextLine();
  std::string expected = std::string(kBlockMagic) + " ";
  if (magic.substr(0, expected.size()) != expected)
    reader.Fail("不是表数据（文件头为“" + std::string(magic.substr(0, 40)) + "”）");
  std::optional<long long> version = ParseCount(magic.substr(expected.size()));
  if (!version || *version != kBlockVersion)
    reader.Fail("不支持的表数据版本“" + std::string(magic.substr(expected.size())) + "”");

  TMyClientDataSet table;
  std::vector<TFieldDef> fields;
  size_t fieldCount = reader.ReadCountLine("FIELDS");
  for (size_t i = 0; i < fieldCount; ++i) {
    std::vector<std::string_view> parts = SplitKeep(reader.NextLine(), '\t');
    if (parts.size() != 2 || (parts[1] != "T" && parts[1] != "N"))
      reader.Fail("字段定义应为“<名称><Tab>T”或“<名称><Tab>N”");
    fields.push_back(
        {std::string(parts[0]), parts[1] == "N" ? TFieldKind::Number : TFieldKind::Text});
  }
  try {
    table.DefineFields(std::move(fields));
  } catch (const TTableError& e) {
    reader.Fail(e.what());
  }

  size_t recordCount = reader.ReadCountLine("RECORDS");
  table.FRecords.reserve(recordCount);
  for (size_t i = 0; i < recordCount; ++i) {
    std::string_view line = reader.NextLine();
    TRecord values;
    if (fieldCount > 0) {
      for (std::string_view part : SplitKeep(line, '\t')) values.push_back(Unescape(part, reader));
    } else if (!line.empty()) {
      reader.Fail("没有字段的表中出现了记录");
    }
    try {
      table.AppendRecord(std::move(values));
    } catch (const TTableError& e) {
      reader.Fail(e.what());
    }
  }
  if (reader.NextLine() != "END") reader.Fail("缺少结尾的“END”");
  if (!reader.AtEnd()) reader.Fail("“END”之后还有数据");
  *this = std::move(table);
}

// ----------------------------------------------------------------------------------------------
// Labelled files

void TMyClientDataSet::LoadLabelledFile(const std::string& fileName) {
  // Read as a document: a pipe or device in the table's place is refused, not waited on.
  std::string bytes;
  try {
    bytes = ReadDocument(fileName, 8 + kMaxBlockSize + 1 + 255 * 256);
  } catch (const TFileError& e) {
    throw TTableError(std::string("填料表无法读取：") + e.what());
  }
  std::istringstream in(std::move(bytes));
  LoadLabelledFile(in, fileName);
}

void TMyClientDataSet::LoadLabelledFile(std::istream& in, const std::string& where) {
  auto fail = [&](const std::string& what) -> void {
    throw TTableError("填料表“" + where + "”已损坏：" + what);
  };

  // Bytes left from the current position, when the stream can tell.
  std::optional<std::int64_t> available;
  std::streampos start = in.tellg();
  if (start != std::streampos(-1)) {
    in.seekg(0, std::ios::end);
    std::streampos end = in.tellg();
    in.seekg(start);
    if (end != std::streampos(-1) && in) available = static_cast<std::int64_t>(end - start);
  }
  in.clear();

  std::array<unsigned char, 8> lenBytes{};
  in.read(reinterpret_cast<char*>(lenBytes.data()), 8);
  if (in.gcount() != 8)
    fail("文件太短，放不下表数据的长度（偏移 0 处只有 " + std::to_string(in.gcount()) +
         " 个字节，应为 8 个）");
  std::uint64_t raw = 0;
  for (int i = 7; i >= 0; --i) raw = (raw << 8) | lenBytes[static_cast<size_t>(i)];
  const std::int64_t blockLen = static_cast<std::int64_t>(raw);
  if (blockLen < 0) fail("偏移 0 处的表数据长度 " + std::to_string(blockLen) + " 是负数");
  if (blockLen > kMaxBlockSize)
    fail("偏移 0 处的表数据长度 " + std::to_string(blockLen) + " 超过上限 " +
         std::to_string(kMaxBlockSize) + " 字节");
  if (available && blockLen > *available - 8)
    fail("偏移 0 处声明表数据有 " + std::to_string(blockLen) + " 字节，但偏移 8 之后只有 " +
         std::to_string(*available - 8) + " 字节");

  std::string block;
  size_t got = ReadUpTo(in, block, static_cast<size_t>(blockLen));
  if (got != static_cast<size_t>(blockLen))
    fail("文件在表数据中间结束：偏移 8 之后只有 " + std::to_string(got) + " 字节，应为 " +
         std::to_string(blockLen) + " 字节");

  TMyClientDataSet table;
  try {
    table.LoadTableBlock(block);
  } catch (const TTableError& e) {
    fail(e.what());
  }

  std::int64_t offset = 8 + blockLen;
  int labelCount = in.get();
  if (labelCount != std::char_traits<char>::eof()) {
    ++offset;
    for (int i = 0; i < labelCount; ++i) {
      int len = in.get();
      if (len == std::char_traits<char>::eof())
        fail("文件在第 " + std::to_string(i) + " 个标签（共 " + std::to_string(labelCount) +
             " 个）中结束（长度字节在偏移 " + std::to_string(offset) + " 处）");
      ++offset;
      std::string bytes;
      if (ReadUpTo(in, bytes, static_cast<size_t>(len)) != static_cast<size_t>(len))
        fail("文件在第 " + std::to_string(i) + " 个标签（共 " + std::to_string(labelCount) +
             " 个）中结束（偏移 " + std::to_string(offset) + " 处应有 " + std::to_string(len) +
             " 字节）");
      // A label that does not decode would come back from a save as something else, or not
      // at all (its replacement characters take more than 255 bytes).
      if (!IsGbText(bytes))
        fail("偏移 " + std::to_string(offset) + " 处的第 " + std::to_string(i) +
             " 个标签不是 GB2312 文字");
      offset += len;
      if (i < table.FieldCount()) table.SetDisplayTitle(i, GbToUtf8(bytes));
    }
  }
  table.First();
  *this = std::move(table);
}

void TMyClientDataSet::SaveLabelledFile(std::ostream& out) const {
  const std::string block = SaveTableBlock();
  const int labelCount = std::min(FieldCount(), 255);
  std::string labels(1, static_cast<char>(labelCount));
  for (int i = 0; i < labelCount; ++i) {
    std::string gb = Utf8ToGb(FTitles[static_cast<size_t>(i)]);
    if (gb.size() > 255)
      throw TTableError("title of field " + FieldName(i) + " is " + std::to_string(gb.size()) +
                        " bytes long in GB2312; a label holds at most 255");
    labels += static_cast<char>(gb.size());
    labels += gb;
  }
  std::uint64_t len = block.size();
  char lenBytes[8];
  for (int i = 0; i < 8; ++i) lenBytes[i] = static_cast<char>((len >> (8 * i)) & 0xFF);
  out.write(lenBytes, 8);
  out.write(block.data(), static_cast<std::streamsize>(block.size()));
  out.write(labels.data(), static_cast<std::streamsize>(labels.size()));
  if (!out) throw TTableError("write error while saving the table");
}

void TMyClientDataSet::SaveLabelledFile(const std::string& fileName) const {
  std::ostringstream buffer;
  SaveLabelledFile(buffer);  // any content error surfaces before the file is touched
  try {
    WriteFileAtomically(fileName, buffer.str());
  } catch (const TFileError& e) {
    throw TTableError(e.what());
  }
}

// ----------------------------------------------------------------------------------------------
// CSV

std::vector<std::vector<std::string>> ParseCsv(std::string_view text, const std::string& where) {
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  std::vector<std::vector<std::string>> rows;
  std::vector<std::string> row;
  std::string field;
  bool inQuotes = false;
  bool fieldStarted = false;  // something (even "") was read for the current row
  bool atFieldStart = true;   // a quote opens a quoted field only as its first character
  int line = 1;
  int quoteLine = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (inQuotes) {
      if (c == '"') {
        if (i + 1 < text.size() && text[i + 1] == '"') {
          field += '"';
          ++i;
        } else {
          inQuotes = false;
        }
      } else {
        if (c == '\n') ++line;
        field += c;
      }
      continue;
    }
    if (c == '"' && atFieldStart) {
      inQuotes = true;
      quoteLine = line;
      fieldStarted = true;
      atFieldStart = false;
      continue;
    }
    switch (c) {
      case ',':
        row.push_back(std::move(field));
        field.clear();
        fieldStarted = true;
        atFieldStart = true;
        break;
      case '\r':
        if (i + 1 < text.size() && text[i + 1] == '\n') break;  // CRLF: the LF ends the row
        [[fallthrough]];
      case '\n':
        // A blank line is a row without fields; "" alone on a line is one empty field.
        if (fieldStarted || !row.empty()) row.push_back(std::move(field));
        field.clear();
        rows.push_back(std::move(row));
        row.clear();
        fieldStarted = false;
        atFieldStart = true;
        ++line;
        break;
      default:  // also a quote inside an unquoted field, kept as it is (5" ring)
        field += c;
        fieldStarted = true;
        atFieldStart = false;
    }
  }
  if (inQuotes)
    throw TTableError(where + ", line " + std::to_string(quoteLine) +
                      ": quoted field is not closed");
  if (fieldStarted || !row.empty()) {
    row.push_back(std::move(field));
    rows.push_back(std::move(row));
  }
  return rows;
}

std::string CsvField(std::string_view text) {
  // A text starting with U+FEFF is quoted, so that it is not taken for the byte order mark
  // at the start of a file.
  bool quote = text.find_first_of(",\"\r\n") != std::string_view::npos ||
               (!text.empty() && (text.front() == ' ' || text.back() == ' ')) ||
               text.substr(0, 3) == "\xEF\xBB\xBF";
  if (!quote) return std::string(text);
  std::string out = "\"";
  for (char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
  return out;
}

void TMyClientDataSet::LoadCsv(std::istream& in, const std::string& where,
                               std::string_view dropLastColumnTitled) {
  std::ostringstream buffer;
  buffer << in.rdbuf();
  std::vector<std::vector<std::string>> rows = ParseCsv(buffer.str(), where);
  // Blank lines carry nothing, except in a one-column table, where such a line is a record
  // with an empty value; trailing blank lines never count (a trailing empty record is written
  // as "").
  auto blank = [](const std::vector<std::string>& r) { return r.empty(); };
  while (!rows.empty() && blank(rows.back())) rows.pop_back();
  if (rows.empty()) throw TTableError(where + ": no header row");
  if (rows.front().size() != 1) std::erase_if(rows, blank);
  for (auto& r : rows)
    if (blank(r)) r.emplace_back();

  std::vector<std::string> titles = rows.front();
  size_t width = titles.size();
  const bool drop = !dropLastColumnTitled.empty() && titles.back() == dropLastColumnTitled;
  const size_t keep = drop ? width - 1 : width;
  // A table of nothing but the left-out column would save as an empty file, which is no table.
  if (keep == 0)
    throw TTableError(where + ": no column besides \"" + std::string(dropLastColumnTitled) + "\"");

  std::vector<TFieldDef> fields;
  for (size_t f = 0; f < keep; ++f) {
    bool numeric = f > 0;
    bool any = false;
    for (size_t r = 1; r < rows.size() && numeric; ++r) {
      if (rows[r].size() != width) break;  // reported below
      const std::string& v = rows[r][f];
      if (v.empty()) continue;
      any = true;
      numeric = ParseNumber(v).has_value();
    }
    fields.push_back({DefaultFieldName(static_cast<int>(f)),
                      numeric && any ? TFieldKind::Number : TFieldKind::Text});
  }

  TMyClientDataSet table;
  table.DefineFields(std::move(fields));
  for (size_t f = 0; f < keep; ++f) table.SetDisplayTitle(static_cast<int>(f), titles[f]);
  for (size_t r = 1; r < rows.size(); ++r) {
    if (rows[r].size() != width)
      throw TTableError(where + ", row " + std::to_string(r + 1) + ": " +
                        std::to_string(rows[r].size()) + " fields, the header has " +
                        std::to_string(width));
    rows[r].resize(keep);
    table.AppendRecord(std::move(rows[r]));
  }
  table.First();
  *this = std::move(table);
}

void TMyClientDataSet::SaveCsv(std::ostream& out) const {
  auto writeRow = [&](const std::vector<std::string>& values) {
    // In a one-column table an empty value (title or record) would be a blank line, which a
    // reader drops.
    if (values.size() == 1 && values[0].empty()) {
      out << "\"\"\n";
      return;
    }
    for (size_t i = 0; i < values.size(); ++i) {
      if (i > 0) out << ',';
      out << CsvField(values[i]);
    }
    out << '\n';
  };
  if (FieldCount() == 0) return;
  writeRow(FTitles);
  for (const TRecord& r : FRecords) writeRow(r);
}

namespace {

// The packing constants a row must hold, by column: each a finite number, some of them also
// within the range a packing can have.
struct TConstantRule {
  int Column;
  const char* Name;
  double Min;        // smallest value allowed
  bool MinExcluded;  // the smallest value itself is not allowed
  double Max;
};
constexpr double kAny = std::numeric_limits<double>::infinity();
constexpr TConstantRule kConstantRules[] = {
    {4, "比表面积", 0, true, kAny},        {5, "空隙率", 0, true, 1},
    {6, "Kp拟合形式", -kAny, false, kAny}, {7, "Kp常数A", -kAny, false, kAny},
    {8, "Kp斜率B", -kAny, false, kAny},    {9, "Kf拟合形式", -kAny, false, kAny},
    {10, "Kf常数A", -kAny, false, kAny},   {11, "Kf斜率B", -kAny, false, kAny},
    {12, "堆积密度", 0, false, kAny},      {13, "临界表面张力", 0, true, kAny},
};

}  // namespace

std::vector<TPackingRecord> PackingRecords(const TMyClientDataSet& table) {
  if (table.RecordCount() > kMaxPackingRecords)
    throw TTableError("填料表有 " + std::to_string(table.RecordCount()) + " 行，超过上限 " +
                      std::to_string(kMaxPackingRecords) + " 行");
  std::vector<TPackingRecord> records;
  const int columns = std::min(table.FieldCount(), TPackingRecord::kColumns);
  for (int r = 0; r < table.RecordCount(); ++r) {
    if (columns == 0 || table.Value(r, 0).empty()) continue;
    TPackingRecord p;
    for (int c = 0; c < columns; ++c) p.F[static_cast<size_t>(c)] = table.Value(r, c);
    for (const TConstantRule& rule : kConstantRules) {
      const std::string& text = p.F[static_cast<size_t>(rule.Column)];
      const std::optional<double> v = ParseNumber(Trim(text));
      const char* problem = nullptr;
      if (!v || !std::isfinite(*v))
        problem = "不是数值";
      else if (*v < rule.Min || (rule.MinExcluded && *v == rule.Min))
        problem = rule.Min == 0 ? (rule.MinExcluded ? "不是正数" : "是负数") : "太小";
      else if (*v > rule.Max)
        problem = "大于 1";
      if (problem)
        throw TTableError("填料表第 " + std::to_string(r + 1) + " 行（编号 " + p.F[0] + "）的" +
                          rule.Name + "“" + text + "”" + problem);
    }
    records.push_back(std::move(p));
  }
  return records;
}

}  // namespace velm
