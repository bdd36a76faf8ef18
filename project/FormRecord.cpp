#include "project/FormRecord.h"

#include <zlib.h>

#include <QFileInfo>
#include <QMetaEnum>
#include <QSet>
#include <cmath>
#include <cstdint>
#include <limits>

#include "base/Decimal.h"
#include "base/Errors.h"
#include "base/NumberFormat.h"
#include "base/TextCodec.h"
#include "core/FieldRegistry.h"
#include "project/Components.h"
#include "project/FileIo.h"

namespace velm {

namespace {

// The line break inside "Memo", "Rich" and "CheckListBox" values: GB2312 A1 F8, "▲".
const QChar kLineMark(0x25B2);

// ---------------------------------------------------------------------------------------------
// What a project stores, in the order it is restored. Records are applied through the setters,
// so the order matters: a value field's factor comes before its text (setting k or b leaves the
// text alone), its derived marks (read-only, colour, cursor) after it; the option lists follow
// the fields, so that their change handlers find a recalculation already pending; the two
// "计算" boxes come last, because their click handlers recalculate with whatever is loaded.

struct TStoredProperty {
  const char* FKind;
  const char* FProperty;
};

// Value fields (in the order of core/FieldRegistry's StoredFields) with their unit selectors.
// Stored per value field, then per unit selector.
constexpr TStoredProperty kValueFieldState[] = {
    {"Float", "k"},       {"Float", "b"},   {"String", "Text"},
    {"Enum", "ReadOnly"}, {"Ord", "Color"}, {"Ord", "Cursor"},
};
constexpr TStoredProperty kSelectorState[] = {{"Ord", "ItemIndex"}};

// Everything else, in this order after the value fields.
struct TStoredRecord {
  const char* FComponent;
  const char* FKind;
  const char* FProperty;
  // Not written while the value is this text: an option added later, whose absence reads as
  // its default, so projects that keep the default save as they always did.
  const char* FOmitWhen = nullptr;
};
constexpr TStoredRecord kOtherState[] = {
    // option lists
    {"AfD", "Ord", "ItemIndex"},
    {"fpercentD", "Ord", "ItemIndex"},
    {"fpercentD", "String", "Text"},
    {"PTD", "Ord", "ItemIndex"},
    {"MethodD", "Ord", "ItemIndex"},
    {"ACLMethodD", "Ord", "ItemIndex"},
    {"CalcBasis", "Ord", "ItemIndex"},  // calculation basis; absent: the literature (index 0)
    // project information
    {"ProjectD", "String", "Text"},
    {"DevicenameD", "String", "Text"},
    {"DeviceNoD", "String", "Text"},
    {"ProjPD", "String", "Text"},
    {"Edit1", "String", "Text"},
    {"Edit2", "String", "Text"},
    {"Edit3", "String", "Text"},
    {"Edit4", "String", "Text"},
    {"CommentD", "Rich", "Lines"},
    // Written only when the comment holds a "▲" of its own, which the record before turns into
    // a line break: the same text with that mark escaped. Readers of earlier versions skip a
    // kind they do not know and keep the "Rich" record.
    {"CommentD", "RichExact", "Lines"},
    // the "计算" boxes beside KfD and KpD
    {"CalKf", "Enum", "Checked"},
    {"CalKp", "Enum", "Checked"},
    // the service of the column; absent: not given (index 0)
    {"ServiceD", "Ord", "ItemIndex", "0"},
    // rating: the calculation type, the given column and the load cases; absent: design
    {"CalcTypeD", "Ord", "ItemIndex", "0"},
    {"RatedDiameterD", "String", "Text", ""},
    {"BedHeightD", "String", "Text", ""},
    {"LoadCasesD", "String", "Text", ""},
    // the whole column's stages and sections; absent: none
    {"ColumnD", "String", "Text", ""},
    // the plant points of a calibration and the analyses' bands and sweep; absent: none
    {"CalibrationD", "String", "Text", ""},
    {"AnalysisD", "String", "Text", ""},
};

constexpr std::string_view kHeaderLine2 = "VELM project";
constexpr std::string_view kHeaderLine3 = "component / kind / property / value / -";
constexpr std::string_view kRecordEnd = "-";

// ---------------------------------------------------------------------------------------------
// Reading.

// Lines of a record text: a line ends at CR LF only (a lone CR or LF belongs to the line);
// past the end every line is empty.
class TRecordLines {
 public:
  explicit TRecordLines(std::string_view text) : FText(text) {}
  bool HasMore() const { return FPos < FText.size(); }
  // True when the line handed out last ended with CR LF (not with the end of the text).
  bool LineEnded() const { return FPos >= 2 && FText.substr(FPos - 2, 2) == "\r\n"; }
  int LineNumber() const { return FLine; }
  std::string_view Next() {
    ++FLine;
    if (!HasMore()) return {};
    const size_t end = FText.find("\r\n", FPos);
    std::string_view line;
    if (end == std::string_view::npos) {
      line = FText.substr(FPos);
      FPos = FText.size();
    } else {
      line = FText.substr(FPos, end - FPos);
      FPos = end + 2;
    }
    return line;
  }

 private:
  std::string_view FText;
  size_t FPos = 0;
  int FLine = 0;
};

// The record text as it is meant: a text saved by an editor as UTF-8 with a byte-order mark
// is converted to GB2312 (GB18030) without the mark; a text whose lines end in LF alone, with
// no CR LF anywhere, gets CR LF line ends.
std::string NormalisedRecordText(std::string_view text) {
  std::string out;
  constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
  if (text.substr(0, kUtf8Mark.size()) == kUtf8Mark)
    out = Utf8ToGb(text.substr(kUtf8Mark.size()));
  else
    out = std::string(text);
  if (out.find("\r\n") == std::string::npos && out.find('\n') != std::string::npos) {
    std::string crlf;
    crlf.reserve(out.size() + out.size() / 16);
    for (const char c : out) {
      if (c == '\n') crlf += '\r';
      crlf += c;
    }
    out = std::move(crlf);
  }
  return out;
}

std::string Where(const std::string& source) {
  return source.empty() ? std::string("项目数据") : "项目文件“" + source + "”";
}

// Where a record came from, for error messages.
struct TRecordPlace {
  const std::string& FSource;
  int FLine;  // line of the value
  const QString& FComponent;
  const std::string& FProperty;

  [[noreturn]] void Fail(const std::string& what) const {
    throw TInputError(Where(FSource) + "第 " + std::to_string(FLine) + " 行（" +
                      FComponent.toStdString() + "." + FProperty + "）：" + what);
  }
};

template <typename T>
bool Fits(long long v) {
  if constexpr (std::is_unsigned_v<T>)
    return v >= 0 && static_cast<unsigned long long>(v) <= std::numeric_limits<T>::max();
  else
    return v >= std::numeric_limits<T>::min() && v <= std::numeric_limits<T>::max();
}

QVariant OrdinalVariant(const QMetaProperty& p, long long v, const TRecordPlace& place,
                        const std::string& text) {
  bool fits = true;
  QVariant out;
  switch (p.metaType().id()) {
    case QMetaType::Int:
      fits = Fits<int>(v);
      out = QVariant::fromValue(static_cast<int>(v));
      break;
    case QMetaType::UInt:
      fits = Fits<unsigned>(v);
      out = QVariant::fromValue(static_cast<unsigned>(v));
      break;
    case QMetaType::Long:
      fits = Fits<long>(v);
      out = QVariant::fromValue(static_cast<long>(v));
      break;
    case QMetaType::ULong:
      fits = Fits<unsigned long>(v);
      out = QVariant::fromValue(static_cast<unsigned long>(v));
      break;
    case QMetaType::Short:
      fits = Fits<short>(v);
      out = QVariant::fromValue(static_cast<short>(v));
      break;
    case QMetaType::UShort:
      fits = Fits<unsigned short>(v);
      out = QVariant::fromValue(static_cast<unsigned short>(v));
      break;
    case QMetaType::ULongLong:
      fits = v >= 0;
      out = QVariant::fromValue(static_cast<qulonglong>(v));
      break;
    default:
      out = QVariant::fromValue(static_cast<qlonglong>(v));
      break;
  }
  if (!fits) place.Fail("“" + text + "”超出该属性的取值范围");
  return out;
}

QVariant EnumVariant(const QMetaProperty& p, const std::string& text, const TRecordPlace& place) {
  const QByteArray key = QByteArray::fromStdString(text);
  if (!p.isEnumType()) {  // Boolean
    if (qstricmp(key.constData(), "True") == 0) return QVariant(true);
    if (qstricmp(key.constData(), "False") == 0) return QVariant(false);
    place.Fail("“" + text + "”不是有效的布尔值（True 或 False）");
  }
  const QMetaEnum e = p.enumerator();
  bool ok = false;
  int v = e.keyToValue(key.constData(), &ok);
  for (int i = 0; !ok && i < e.keyCount(); ++i)
    if (qstricmp(e.key(i), key.constData()) == 0) v = e.value(i), ok = true;
  if (!ok) place.Fail("“" + text + "”不是该属性的有效值");
  return QVariant(v);
}

QString MarksToLineBreaks(QString text) { return text.replace(kLineMark, QChar('\n')); }

// "RichExact": a line break is the mark, a mark of the text itself "\▲", a backslash "\\".
QString UnescapeExact(const QString& value) {
  QString out;
  out.reserve(value.size());
  for (qsizetype i = 0; i < value.size(); ++i) {
    const QChar c = value.at(i);
    if (c == QChar('\\') && i + 1 < value.size())
      out += value.at(++i);
    else
      out += c == kLineMark ? QChar('\n') : c;
  }
  return out;
}

bool IsTextKind(std::string_view kind) {
  return kind == "Rich" || kind == "Memo" || kind == "RichExact";
}

// The stored state as one lookup of lower-case "component/property/kind". A multi-line text
// ("Rich", "Memo", "RichExact") is found by its component and kind, its property name is not
// used.
class TStoredStateTable {
 public:
  TStoredStateTable() {
    for (const TFieldInfo* f : StoredFields()) {
      const char* selector = SelectorCode(f->Field).data();
      for (const TStoredProperty& p : kValueFieldState) Add(f->Code, p.FKind, p.FProperty);
      for (const TStoredProperty& p : kSelectorState) Add(selector, p.FKind, p.FProperty);
    }
    for (const TStoredRecord& r : kOtherState) Add(r.FComponent, r.FKind, r.FProperty);
  }
  // True when the writer stores the property of the component with that kind.
  bool Stores(const QString& component, std::string_view kind, const std::string& property) const {
    return FKeys.contains(Key(component, kind, QString::fromStdString(property)));
  }

 private:
  static QString Key(const QString& component, std::string_view kind, const QString& property) {
    const QString k = QString::fromUtf8(kind.data(), static_cast<qsizetype>(kind.size()));
    return component.toLower() + QLatin1Char('/') +
           (IsTextKind(kind) ? QString() : property.toLower()) + QLatin1Char('/') + k;
  }
  void Add(const char* component, std::string_view kind, const char* property) {
    FKeys.insert(Key(QString::fromLatin1(component), kind, QString::fromLatin1(property)));
  }
  QSet<QString> FKeys;
};

const TStoredStateTable& StoredState() {
  static const TStoredStateTable table;
  return table;
}

// Converts one record's value for its property; nothing when the record is not one the writer
// stores (another component, property or kind, or a component the window lacks). A value that
// does not convert ends the open with an error that names the place.
std::optional<TStagedWrite> StageRecord(const TComponentIndex& index, const QString& name,
                                        std::string_view kind, const std::string& property,
                                        const std::string& value, const TRecordPlace& place) {
  if (!StoredState().Stores(name, kind, property)) return std::nullopt;
  QObject* component = index.Find(name);
  if (!component) return std::nullopt;
  if (IsTextKind(kind)) {
    if (value.size() > kMaxCommentLength)
      place.Fail("内容长度 " + std::to_string(value.size()) + " 字节，超过上限 " +
                 std::to_string(kMaxCommentLength) + " 字节");
    const auto p = FindTextProperty(component);
    if (!p) return std::nullopt;
    const QString text = QString::fromStdString(value);
    return TStagedWrite{component, *p,
                        kind == "RichExact" ? UnescapeExact(text) : MarksToLineBreaks(text)};
  }
  const auto p = FindProperty(component, property.c_str());
  if (!p) return std::nullopt;
  const TPropertyClass cls = ClassOf(*p);
  if (kind == "String") {
    if (cls != TPropertyClass::String) return std::nullopt;
    const QString text = QString::fromStdString(value);
    if (text.size() > kMaxTextLength)
      place.Fail("文字长度 " + std::to_string(text.size()) + " 个字符，超过上限 " +
                 std::to_string(kMaxTextLength) + " 个字符");
    return TStagedWrite{component, *p, text};
  }
  if (kind == "Float") {
    if (cls != TPropertyClass::Float) return std::nullopt;
    const auto v = ParseNumber(Trim(value));
    if (!v) place.Fail("“" + value.substr(0, 64) + "”不是有效的数值");
    return TStagedWrite{component, *p, QVariant(*v)};
  }
  if (kind == "Ord") {
    if (cls != TPropertyClass::Ordinal) return std::nullopt;
    const auto v = ParseInteger(value);
    if (!v) place.Fail("“" + value.substr(0, 64) + "”不是有效的整数");
    return TStagedWrite{component, *p, OrdinalVariant(*p, *v, place, value)};
  }
  if (kind == "Enum") {
    if (cls != TPropertyClass::Enumeration) return std::nullopt;
    return TStagedWrite{component, *p, EnumVariant(*p, value.substr(0, 64), place)};
  }
  return std::nullopt;
}

// ---------------------------------------------------------------------------------------------
// Writing.

// The shortest text in the general format that reads back as exactly `v`.
std::string FloatText(double v) {
  for (int precision = 15; precision < 17; ++precision) {
    std::string s = FormatGeneral(v, precision);
    if (ParseNumber(s) == v) return s;
  }
  return FormatGeneral(v, 17);
}

// Texts are single lines inside a record: a CR LF pair would end the value line early and shift
// every following record, so it is kept as a plain LF.
std::string OneLine(const QString& text) {
  QString t = text;
  return t.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).toStdString();
}

std::string LinesToMarks(const QString& text) {
  QString t = text;
  t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  t.replace(QChar('\r'), QChar('\n'));
  t.replace(QChar('\n'), kLineMark);
  return t.toStdString();
}

// The value text of one stored property, or nothing when the component lacks it.
std::optional<std::string> ValueText(const QObject* component, std::string_view kind,
                                     const char* property) {
  if (kind == "Memo" || kind == "Rich") {
    const auto p = FindTextProperty(component);
    if (!p) return std::nullopt;
    return LinesToMarks(p->read(component).toString());
  }
  if (kind == "RichExact") {
    const auto p = FindTextProperty(component);
    if (!p) return std::nullopt;
    QString text = p->read(component).toString();
    if (!text.contains(kLineMark)) return std::nullopt;  // the "Rich" record is exact
    text.replace(QChar('\\'), QStringLiteral("\\\\"));
    text.replace(kLineMark, QStringLiteral("\\") + kLineMark);
    return LinesToMarks(text);
  }
  const auto p = FindProperty(component, property);
  if (!p) return std::nullopt;
  const QVariant v = p->read(component);
  const TPropertyClass cls = ClassOf(*p);
  if (kind == "String" && cls == TPropertyClass::String) return OneLine(v.toString());
  if (kind == "Float" && cls == TPropertyClass::Float) {
    const double d = v.toDouble();
    if (!std::isfinite(d)) return std::nullopt;
    return FloatText(d);
  }
  if (kind == "Ord" && cls == TPropertyClass::Ordinal) {
    if (p->metaType().id() == QMetaType::ULongLong) return std::to_string(v.toULongLong());
    return std::to_string(v.toLongLong());
  }
  if (kind == "Enum" && cls == TPropertyClass::Enumeration) {
    if (!p->isEnumType()) return std::string(v.toBool() ? "True" : "False");
    const char* key = p->enumerator().valueToKey(v.toInt());
    if (!key) return std::nullopt;
    return std::string(key);
  }
  return std::nullopt;
}

void AppendLine(std::string& out, std::string_view line) {
  out += line;
  out += "\r\n";
}

void AppendRecord(std::string& out, const TComponentIndex& index, const char* component,
                  const char* kind, const char* property, const char* omitWhen = nullptr) {
  const QObject* c = index.Find(QString::fromLatin1(component));
  if (!c) return;
  const auto value = ValueText(c, kind, property);
  if (!value || (omitWhen && *value == omitWhen)) return;
  AppendLine(out, c->objectName().toStdString());
  AppendLine(out, kind);
  AppendLine(out, property);
  AppendLine(out, *value);
  AppendLine(out, kRecordEnd);
}

}  // namespace

// -----------------------------------------------------------------------------------------------

TUnpacked Unpack(std::string_view bytes) {
  TUnpacked plain{TRecordLayout::Plain, std::string(bytes)};
  if (bytes.size() < 4 + 2) return plain;
  const auto byte = [&](size_t i) {
    return static_cast<uint32_t>(static_cast<unsigned char>(bytes[i]));
  };
  const uint32_t announced = byte(0) | byte(1) << 8 | byte(2) << 16 | byte(3) << 24;
  const std::string_view packed = bytes.substr(4);
  // Deflate cannot expand data by more than about 1032:1 (zlib technical details): a length
  // beyond that is the first bytes of a plain file read as a number.
  if (packed.size() > std::numeric_limits<uInt>::max() ||
      static_cast<uint64_t>(announced) > static_cast<uint64_t>(packed.size()) * 1032 + 64)
    return plain;

  z_stream zs{};
  if (inflateInit(&zs) != Z_OK) return plain;
  zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.data()));
  zs.avail_in = static_cast<uInt>(packed.size());
  std::string text;
  text.reserve(std::min<size_t>(announced, kMaxRecordTextSize));
  char buffer[16384];
  size_t total = 0;
  int rc = Z_OK;
  bool tooLarge = false;
  while (rc == Z_OK) {
    zs.next_out = reinterpret_cast<Bytef*>(buffer);
    zs.avail_out = sizeof buffer;
    rc = inflate(&zs, Z_NO_FLUSH);
    const size_t got = sizeof buffer - zs.avail_out;
    total += got;
    // Only the first S bytes are the record text; the rest is inflated only to check the stream.
    if (text.size() < announced)
      text.append(buffer, std::min<size_t>(got, announced - text.size()));
    if ((rc == Z_OK || rc == Z_STREAM_END) && total > kMaxRecordTextSize) {
      // Still a sound stream past the bound: a compressed file too large to be a project.
      tooLarge = true;
      break;
    }
  }
  inflateEnd(&zs);
  if (tooLarge) return {TRecordLayout::TooLarge, std::string(bytes)};
  if (rc != Z_STREAM_END) return plain;
  if (text.size() > kMaxRecordTextSize) return {TRecordLayout::TooLarge, std::string(bytes)};
  return {TRecordLayout::Compressed, std::move(text)};
}

std::string UnpackRecordText(std::string_view bytes) { return Unpack(bytes).FText; }

std::string PackRecordText(std::string_view text) {
  if (text.size() > std::numeric_limits<uint32_t>::max())
    throw TFileError("项目数据过大，无法保存");
  uLongf size = compressBound(static_cast<uLong>(text.size()));
  std::string out(4 + size, '\0');
  const auto s = static_cast<uint32_t>(text.size());
  for (int i = 0; i < 4; ++i) out[i] = static_cast<char>((s >> (8 * i)) & 0xFF);
  const int rc = compress2(reinterpret_cast<Bytef*>(out.data() + 4), &size,
                           reinterpret_cast<const Bytef*>(text.data()),
                           static_cast<uLong>(text.size()), Z_BEST_COMPRESSION);
  if (rc != Z_OK) throw TFileError("压缩项目数据失败（zlib " + std::to_string(rc) + "）");
  out.resize(4 + size);
  return out;
}

std::optional<TStagedProject> StageRecordText(QObject* root, std::string_view recordText,
                                              const std::string& source) {
  if (recordText.size() > kMaxRecordTextSize)
    throw TInputError(Where(source) + "的记录文本有 " + std::to_string(recordText.size()) +
                      " 字节，超过上限 " + std::to_string(kMaxRecordTextSize) + " 字节");
  const std::string text = NormalisedRecordText(recordText);
  TRecordLines lines(text);
  if (lines.Next() != kFormRecordHeader) return std::nullopt;
  lines.Next();
  lines.Next();
  const TComponentIndex index(root);
  TStagedProject staged;
  while (lines.HasMore()) {
    // Every record is whole: a file that ends inside one was cut short, and what follows the
    // cut would silently keep the values the window had before.
    const int first = lines.LineNumber() + 1;
    auto next = [&] {
      if (!lines.HasMore())
        throw TInputError(Where(source) + "不完整：第 " + std::to_string(first) +
                          " 行开始的记录只有 " + std::to_string(lines.LineNumber() - first + 1) +
                          " 行，文件可能被截断了");
      return lines.Next();
    };
    const QString name = QString::fromStdString(GbToUtf8(lines.Next()));
    const std::string_view kind = next();
    const std::string property = GbToUtf8(next());
    const std::string value = GbToUtf8(next());
    const int valueLine = lines.LineNumber();
    next();
    if (!lines.LineEnded()) next();  // the record's last line must end as every line does
    auto write = StageRecord(index, name, kind, property, value,
                             {source, valueLine, name.left(64), property.substr(0, 64)});
    if (write)
      staged.FWrites.push_back(std::move(*write));
    else
      ++staged.FSkipped;
  }
  // A header followed by nothing this program stores is not a project: opening it would look
  // like an empty project and hide that the file is damaged.
  if (staged.FWrites.empty())
    throw TInputError(Where(source) + "在文件头之后没有任何可读的记录，文件已损坏或不完整");
  return staged;
}

bool ApplyRecordText(QObject* root, std::string_view recordText, const std::string& source) {
  const auto staged = StageRecordText(root, recordText, source);
  if (!staged) return false;
  ApplyStaged(*staged);
  return true;
}

bool ReadFormRecordFile(QObject* root, const QString& fileName) {
  if (!QFileInfo::exists(fileName)) return false;
  const std::string bytes = ReadProjectBytes(fileName);
  return ApplyRecordText(root, UnpackRecordText(bytes), DisplayName(fileName));
}

std::string BuildRecordText(QObject* root) {
  const TComponentIndex index(root);
  std::string out;
  AppendLine(out, kFormRecordHeader);
  AppendLine(out, kHeaderLine2);
  AppendLine(out, kHeaderLine3);
  for (const TFieldInfo* f : StoredFields()) {
    const char* selector = SelectorCode(f->Field).data();
    for (const TStoredProperty& p : kValueFieldState)
      AppendRecord(out, index, f->Code, p.FKind, p.FProperty);
    for (const TStoredProperty& p : kSelectorState)
      AppendRecord(out, index, selector, p.FKind, p.FProperty);
  }
  for (const TStoredRecord& r : kOtherState)
    AppendRecord(out, index, r.FComponent, r.FKind, r.FProperty, r.FOmitWhen);
  return Utf8ToGb(out);
}

void WriteFormRecordFile(QObject* root, const QString& fileName) {
  WriteWholeFile(fileName, PackRecordText(BuildRecordText(root)));
}

}  // namespace velm
