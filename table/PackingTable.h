#pragma once
// In-memory table of texts: the packing table behind the packing list, the calculation and the
// constants grid.
//
// A table has field definitions (name and kind, in column order) and records (one text per field).
// Every value is held as text; a numeric field only promises that its non-empty texts are numbers
// in the strict decimal syntax of base/Decimal.h, and sorts by value instead of by text. Columns
// carry display titles, the field names unless set otherwise (the grid's column headings).
//
// Labelled file ("Packings.cds"), all integers little-endian:
//   offset 0      8 bytes  L, signed 64-bit: length of the table block
//   offset 8      L bytes  the table block (SaveTableBlock / LoadTableBlock, see data/README.md)
//   offset 8+L    1 byte   N, number of column labels (0..255); may be missing altogether
//   offset 9+L    N times  1-byte length n, then n bytes of GB2312 text
// Label i becomes the display title of column i; labels beyond the last column are ignored.
//
// A record cursor ("current record") walks the table as the packing list needs it: First, Next,
// Eof. Sorting by a field reorders the records and keeps the cursor on the same record.
#include <cstdint>
#include <iosfwd>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "core/DesignCase.h"

namespace velm {

// A table file or table text that cannot be read or written. The text names the file (or
// "stream"), the part that failed and the offending value or offset.
class TTableError : public std::runtime_error {
 public:
  explicit TTableError(const std::string& what) : std::runtime_error(what) {}
};

enum class TFieldKind { Text, Number };

struct TFieldDef {
  std::string FName;
  TFieldKind FKind = TFieldKind::Text;
};

class TMyClientDataSet {
 public:
  using TRecord = std::vector<std::string>;

  // Largest table block a labelled file may announce [bytes]; larger blocks are refused before
  // anything is allocated.
  static constexpr std::int64_t kMaxBlockSize = std::int64_t{256} * 1024 * 1024;

  // The default name of field i: "F000", "F001", ... ("F1000" from position 1000 on).
  static std::string DefaultFieldName(int position);

  // --- structure -------------------------------------------------------------------------
  // Replaces the whole table: fields, no records, titles = field names, cursor at the start.
  // Field names must be non-empty, unique and free of tabs and line breaks.
  void DefineFields(std::vector<TFieldDef> fields);
  // `count` text fields with the default names.
  void DefineFields(int count);
  void Clear();

  int FieldCount() const { return static_cast<int>(FFields.size()); }
  const TFieldDef& Field(int field) const;  // throws std::out_of_range
  const std::string& FieldName(int field) const { return Field(field).FName; }
  TFieldKind FieldKind(int field) const { return Field(field).FKind; }
  // Position of the field with this name, or -1.
  int FieldIndex(std::string_view name) const;

  // Display titles (column headings); the field name until set.
  const std::string& DisplayTitle(int field) const;
  void SetDisplayTitle(int field, std::string title);

  // A read-only table refuses SetValue (the grid then shows whole rows selected).
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool readOnly) { FReadOnly = readOnly; }

  // --- records ---------------------------------------------------------------------------
  int RecordCount() const { return static_cast<int>(FRecords.size()); }
  bool IsEmpty() const { return FRecords.empty(); }
  // Appends a record; it must have exactly FieldCount() values and numeric fields must hold
  // numbers or nothing (TTableError otherwise).
  void AppendRecord(TRecord values);
  // Whole record at a position in the current order (throws std::out_of_range).
  const TRecord& Record(int record) const;
  // One value by record position and field position or name (throws std::out_of_range for a
  // bad position or an unknown name).
  const std::string& Value(int record, int field) const;
  const std::string& Value(int record, std::string_view fieldName) const;
  // Whether `text` may be stored in the field: anything for a text field; empty or a number in
  // the strict syntax for a numeric field.
  bool Accepts(int field, std::string_view text) const;
  // Changes one value; false (and no change) when the table is read-only or the field does not
  // accept the text. Throws std::out_of_range for a bad position.
  bool SetValue(int record, int field, std::string text);

  // --- cursor ----------------------------------------------------------------------------
  // Position of the current record (0 for the first; 0 also in an empty table).
  int RecNo() const { return FCursor; }
  void First();
  // Moves to the next record; at the last record the cursor stays and Eof() becomes true.
  void Next();
  // True after Next() went past the last record, and always in an empty table.
  bool Eof() const { return FEof || FRecords.empty(); }
  // Moves the cursor to a record (throws std::out_of_range).
  void MoveTo(int record);
  // Values of the current record (throws std::out_of_range in an empty table).
  const std::string& FieldText(int field) const;
  const std::string& FieldByName(std::string_view fieldName) const;

  // --- keys and order --------------------------------------------------------------------
  // Position of the first record whose field "F000" (else column 0) equals `key` exactly.
  std::optional<int> FindKey(std::string_view key) const;
  // The record with that key, all its texts, or nothing.
  std::optional<TRecord> FindRecord(std::string_view key) const;
  // Moves the cursor to the record with that key; false (cursor unchanged) when there is none.
  bool Locate(std::string_view key);
  // Sorts the records ascending by one field (stable; numeric fields by value with empty texts
  // first, text fields by their bytes). Returns, for each old position, the record's new one.
  std::vector<int> SortByField(int field);
  std::vector<int> SortByFieldName(std::string_view fieldName);
  // Name of the field the table was last sorted by ("" when in file order).
  const std::string& IndexFieldNames() const { return FIndexFieldNames; }

  // --- the table block -------------------------------------------------------------------
  std::string SaveTableBlock() const;
  // Replaces the table by the one in the block; on error the table is unchanged.
  void LoadTableBlock(std::string_view block);

  // --- labelled files --------------------------------------------------------------------
  // Reads the labelled layout. On any error (missing file, short file, bad block, bad label
  // section) throws TTableError and leaves the table unchanged. Display titles come from the
  // labels; the cursor is at the first record.
  void LoadLabelledFile(const std::string& fileName);
  void LoadLabelledFile(std::istream& in, const std::string& where = "stream");
  // Writes the labelled layout with the display titles of the first min(FieldCount, 255)
  // columns as labels, encoded as GB2312 (GB18030). The file is written to a temporary beside
  // it and renamed, so a failed write never leaves a half file. TTableError on failure, also for
  // a title longer than 255 bytes once encoded.
  void SaveLabelledFile(const std::string& fileName) const;
  void SaveLabelledFile(std::ostream& out) const;

  // --- CSV (UTF-8, comma separated, RFC 4180 quoting) --------------------------------------
  // Reads a table whose first row holds the display titles. Fields get the default names; a
  // field is numeric when each of its non-empty values is a number and at least one is present,
  // except column 0 (the key), which stays text. When `dropLastColumnTitled` is non-empty and
  // the last title equals it, that column is left out. Rows must all have the header's width.
  void LoadCsv(std::istream& in, const std::string& where = "stream",
               std::string_view dropLastColumnTitled = {});
  // Writes display titles and records; fields are quoted only where needed. Lines end in "\n".
  void SaveCsv(std::ostream& out) const;

 private:
  void CheckRecord(const TRecord& values, int lineOrIndex) const;

  std::vector<TFieldDef> FFields;
  std::vector<std::string> FTitles;
  std::vector<TRecord> FRecords;
  std::string FIndexFieldNames;
  int FCursor = 0;
  bool FEof = false;
  bool FReadOnly = false;
};

// Splits CSV text (RFC 4180: quoted fields may hold commas, doubled quotes and line breaks;
// CRLF or LF line ends; a leading UTF-8 byte-order mark is skipped) into rows of fields.
// Throws TTableError for a quote left open, naming `where` and the line it began on.
std::vector<std::vector<std::string>> ParseCsv(std::string_view text, const std::string& where);
// One CSV field, quoted when it holds a comma, a quote, a line break or leading/trailing blanks.
std::string CsvField(std::string_view text);

// Most records a packing table may hold for screening: the shipped table has a few dozen; each
// record costs a calculation and a result row.
inline constexpr int kMaxPackingRecords = 10000;

// The packing records of a table in its current order: columns 0 to 14 as texts (missing columns
// empty), records without a key (empty column 0) left out, as the packing list leaves them out.
// Throws TTableError, naming the row, its key and the column, for a constant that is not a
// number or not one a packing can have (area, void fraction and critical surface tension
// positive, void fraction at most 1, bulk density not negative), and for a table of more than
// kMaxPackingRecords records.
std::vector<TPackingRecord> PackingRecords(const TMyClientDataSet& table);

}  // namespace velm
