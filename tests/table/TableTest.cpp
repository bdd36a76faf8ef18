// The in-memory table: records, cursor, keys, sorting, the table block and labelled files.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <streambuf>
#include <tuple>

#include "support/TempDir.h"
#include "table/PackingTable.h"

namespace velm {
namespace {

const std::string kData = VELM_TEST_DATA_DIR;

// A small packing-like table: key, caption, specific area (numeric).
TMyClientDataSet MakeTable() {
  TMyClientDataSet t;
  t.DefineFields(
      {{"F000", TFieldKind::Text}, {"F001", TFieldKind::Text}, {"F002", TFieldKind::Number}});
  t.AppendRecord({"03", "陶瓷拉西环", "190"});
  t.AppendRecord({"01", "金属鲍尔环", "1E2"});
  t.AppendRecord({"", "空键", ""});
  t.AppendRecord({"02", "塑料鲍尔环", "25.5"});
  return t;
}

// Message of the TTableError the call throws, or a marker when it throws none.
template <class F>
std::string ErrorOf(F&& call) {
  try {
    call();
  } catch (const TTableError& e) {
    return e.what();
  }
  return "<no error>";
}

TEST(TableStructure, DefaultNamesTitlesAndLookupByName) {
  TMyClientDataSet t;
  t.DefineFields(12);
  EXPECT_EQ(t.FieldCount(), 12);
  EXPECT_EQ(t.FieldName(0), "F000");
  EXPECT_EQ(t.FieldName(11), "F011");
  EXPECT_EQ(TMyClientDataSet::DefaultFieldName(1000), "F1000");
  EXPECT_EQ(t.DisplayTitle(7), "F007");
  EXPECT_EQ(t.FieldIndex("F010"), 10);
  EXPECT_EQ(t.FieldIndex("F012"), -1);
  t.SetDisplayTitle(1, "材质");
  EXPECT_EQ(t.DisplayTitle(1), "材质");
  EXPECT_THROW(t.SetDisplayTitle(12, "x"), std::out_of_range);
}

TEST(TableStructure, RejectsBadFieldNamesAndRecordShapes) {
  TMyClientDataSet t;
  EXPECT_THROW(t.DefineFields({{"A", TFieldKind::Text}, {"A", TFieldKind::Text}}), TTableError);
  EXPECT_THROW(t.DefineFields({{"", TFieldKind::Text}}), TTableError);
  EXPECT_THROW(t.DefineFields({{"a\tb", TFieldKind::Text}}), TTableError);

  t = MakeTable();
  EXPECT_NE(ErrorOf([&] {
              t.AppendRecord({"04", "x"});
            }).find("有 2 个值，应为 3 个"),
            std::string::npos);
  EXPECT_NE(ErrorOf([&] {
              t.AppendRecord({"04", "x", "12,5"});
            }).find("“12,5”不是数值"),
            std::string::npos);
  EXPECT_EQ(t.RecordCount(), 4);
}

// Constants no packing can have are refused when a table is read for screening, naming the
// row, its key and the column; so is a table too large to screen.
TEST(PackingRecordsOfATable, ImpossibleConstantsAndOverlargeTablesAreRefused) {
  const TMyClientDataSet::TRecord good = {"01",   "陶瓷", "25mm", "拉西环", "190",
                                          "0.73", "1",    "2.7",  "0",      "0",
                                          "2.7",  "0",    "641",  "61",     "509 (1/m)"};
  auto tableWith = [&](int column, const char* text) {
    TMyClientDataSet t;
    t.DefineFields(15);
    TMyClientDataSet::TRecord r = good;
    if (column >= 0) r[static_cast<size_t>(column)] = text;
    t.AppendRecord(r);
    return t;
  };
  EXPECT_EQ(PackingRecords(tableWith(-1, "")).size(), 1u);
  const std::tuple<int, const char*, const char*> bad[] = {
      {4, "-190", "比表面积"}, {5, "1.5", "空隙率"},   {7, "abc", "Kp常数A"},
      {10, "", "Kf常数A"},     {12, "-1", "堆积密度"}, {13, "0", "临界表面张力"},
  };
  for (const auto& [column, text, name] : bad) {
    const std::string error = ErrorOf([&] { PackingRecords(tableWith(column, text)); });
    EXPECT_NE(error.find(name), std::string::npos) << error;
    EXPECT_NE(error.find("编号 01"), std::string::npos) << error;
  }
  TMyClientDataSet big;
  big.DefineFields(15);
  for (int i = 0; i <= kMaxPackingRecords; ++i) big.AppendRecord(good);
  EXPECT_NE(ErrorOf([&] { PackingRecords(big); }).find("超过上限"), std::string::npos);
}

TEST(TableRecords, ValuesByPositionAndNameWithCheckedIndexes) {
  TMyClientDataSet t = MakeTable();
  EXPECT_EQ(t.Value(0, 1), "陶瓷拉西环");
  EXPECT_EQ(t.Value(3, "F002"), "25.5");
  EXPECT_THROW(t.Value(4, 0), std::out_of_range);
  EXPECT_THROW(t.Value(-1, 0), std::out_of_range);
  EXPECT_THROW(t.Value(0, 3), std::out_of_range);
  EXPECT_THROW(t.Value(0, "F999"), std::out_of_range);
}

TEST(TableRecords, SetValueChecksNumbersAndReadOnly) {
  TMyClientDataSet t = MakeTable();
  EXPECT_TRUE(t.SetValue(0, 2, "200"));
  EXPECT_TRUE(t.SetValue(0, 2, ""));
  EXPECT_FALSE(t.SetValue(0, 2, "abc"));
  EXPECT_FALSE(t.SetValue(0, 2, " 5"));
  EXPECT_EQ(t.Value(0, 2), "");
  EXPECT_TRUE(t.SetValue(0, 1, "any text, 任意"));
  t.SetReadOnly(true);
  EXPECT_FALSE(t.SetValue(0, 1, "changed"));
  EXPECT_EQ(t.Value(0, 1), "any text, 任意");
  EXPECT_THROW(t.SetValue(9, 1, "x"), std::out_of_range);
}

// The packing list walks from the current record to the end and skips records without a key;
// afterwards the cursor rests on the last record.
TEST(TableCursor, WalkSkippingEmptyKeysEndsOnLastRecord) {
  TMyClientDataSet t = MakeTable();
  std::vector<std::string> items;
  for (t.First(); !t.Eof(); t.Next())
    if (!t.FieldText(0).empty()) items.push_back(t.FieldText(0) + ";" + t.FieldByName("F001"));
  EXPECT_EQ(items, (std::vector<std::string>{"03;陶瓷拉西环", "01;金属鲍尔环", "02;塑料鲍尔环"}));
  EXPECT_EQ(t.RecNo(), 3);
  t.First();
  EXPECT_FALSE(t.Eof());
  EXPECT_EQ(t.RecNo(), 0);
}

TEST(TableCursor, EmptyTableIsAtEofAndHasNoCurrentValues) {
  TMyClientDataSet t;
  t.DefineFields(15);
  t.First();
  EXPECT_TRUE(t.Eof());
  EXPECT_THROW(t.FieldText(0), std::out_of_range);
  EXPECT_THROW(t.MoveTo(0), std::out_of_range);
}

TEST(TableKeys, FindByKeyExactlyAndLocateMovesCursor) {
  TMyClientDataSet t = MakeTable();
  EXPECT_EQ(t.FindKey("01"), 1);
  EXPECT_EQ(t.FindKey("1"), std::nullopt);
  EXPECT_EQ(t.FindKey("01 "), std::nullopt);
  EXPECT_EQ(t.FindKey(""), 2);  // the record without a key is still a record
  std::optional<TMyClientDataSet::TRecord> r = t.FindRecord("02");
  ASSERT_TRUE(r);
  EXPECT_EQ(*r, (TMyClientDataSet::TRecord{"02", "塑料鲍尔环", "25.5"}));
  EXPECT_FALSE(t.FindRecord("99"));
  EXPECT_TRUE(t.Locate("02"));
  EXPECT_EQ(t.RecNo(), 3);
  EXPECT_FALSE(t.Locate("99"));
  EXPECT_EQ(t.RecNo(), 3);
}

TEST(TableSort, NumericFieldByValueTextFieldByBytesCursorFollowsRecord) {
  TMyClientDataSet t = MakeTable();
  t.MoveTo(1);  // "01"
  std::vector<int> newPos = t.SortByFieldName("F002");
  // "", "25.5", "1E2", "190": empty first, then by value (text order would put "190" first).
  EXPECT_EQ(t.Value(0, 0), "");
  EXPECT_EQ(t.Value(1, 0), "02");
  EXPECT_EQ(t.Value(2, 0), "01");
  EXPECT_EQ(t.Value(3, 0), "03");
  EXPECT_EQ(newPos, (std::vector<int>{3, 2, 0, 1}));
  EXPECT_EQ(t.RecNo(), 2);
  EXPECT_EQ(t.FieldText(0), "01");
  EXPECT_EQ(t.IndexFieldNames(), "F002");

  t.SortByField(0);
  EXPECT_EQ(t.Value(0, 0), "");
  EXPECT_EQ(t.Value(1, 0), "01");
  EXPECT_EQ(t.Value(3, 0), "03");
  EXPECT_EQ(t.FindKey("03"), 3);
  EXPECT_THROW(t.SortByField(3), std::out_of_range);
}

TEST(TableSort, EqualKeysKeepTheirOrder) {
  TMyClientDataSet t;
  t.DefineFields(2);
  t.AppendRecord({"b", "1"});
  t.AppendRecord({"a", "2"});
  t.AppendRecord({"b", "3"});
  t.AppendRecord({"a", "4"});
  t.SortByField(0);
  EXPECT_EQ(t.Value(0, 1) + t.Value(1, 1) + t.Value(2, 1) + t.Value(3, 1), "2413");
}

TEST(TableBlock, RoundTripKeepsKindsAndAwkwardTexts) {
  TMyClientDataSet t = MakeTable();
  t.AppendRecord({"a\tb\\c", "line1\nline2\r\n", "-1.5e-3"});
  TMyClientDataSet back;
  back.LoadTableBlock(t.SaveTableBlock());
  ASSERT_EQ(back.FieldCount(), 3);
  EXPECT_EQ(back.FieldKind(2), TFieldKind::Number);
  EXPECT_EQ(back.FieldKind(1), TFieldKind::Text);
  ASSERT_EQ(back.RecordCount(), 5);
  for (int r = 0; r < 5; ++r) EXPECT_EQ(back.Record(r), t.Record(r)) << "record " << r;
  EXPECT_EQ(back.DisplayTitle(1), "F001");  // titles are not part of the block
}

TEST(TableBlock, OneFieldTableWithEmptyValuesAndEmptyTable) {
  TMyClientDataSet t;
  t.DefineFields(1);
  t.AppendRecord({""});
  t.AppendRecord({"x"});
  TMyClientDataSet back;
  back.LoadTableBlock(t.SaveTableBlock());
  ASSERT_EQ(back.RecordCount(), 2);
  EXPECT_EQ(back.Value(0, 0), "");

  TMyClientDataSet none;
  back.LoadTableBlock(none.SaveTableBlock());
  EXPECT_EQ(back.FieldCount(), 0);
  EXPECT_EQ(back.RecordCount(), 0);
}

TEST(TableBlock, RejectsMalformedBlocksAndKeepsTheTable) {
  const std::string good = MakeTable().SaveTableBlock();
  auto replaced = [&](const std::string& from, const std::string& to) {
    std::string s = good;
    s.replace(s.find(from), from.size(), to);
    return s;
  };
  struct TCase {
    std::string block;
    std::string expect;
  };
  const std::vector<TCase> cases = {
      {"", "表数据是空的"},
      {"SOMETHING ELSE\n", "不是表数据"},
      {replaced("VELM-TABLE 1", "VELM-TABLE 2"), "不支持的表数据版本"},
      {replaced("RECORDS 4", "RECORDS 99999999"), "超过了剩余的行数"},
      {replaced("FIELDS 3", "FIELDS x"), "数目“x”无效"},
      {replaced("F002\tN", "F002\tQ"), "字段定义"},
      {replaced("03\t", "03\t\t"), "有 4 个值，应为 3 个"},
      {replaced("\t190", "\tabc"), "不是数值"},
      {replaced("\t190", "\t19\\q"), "未知的转义符"},
      {replaced("END\n", "EN\n"), "缺少结尾的“END”"},
      {good + "more\n", "之后还有数据"},
      {good.substr(0, good.size() - 1), "没有换行符结尾"},
  };
  for (const TCase& c : cases) {
    TMyClientDataSet t = MakeTable();
    std::string error = ErrorOf([&] { t.LoadTableBlock(c.block); });
    EXPECT_NE(error.find(c.expect), std::string::npos) << "got: " << error;
    EXPECT_NE(error.find(" 行"), std::string::npos) << error;
    EXPECT_EQ(t.RecordCount(), 4) << c.expect;
  }
}

// ----------------------------------------------------------------------------------------------
// Labelled files

TEST(LabelledFile, LoadsRecordsAndGb2312Labels) {
  TMyClientDataSet t;
  t.LoadLabelledFile(kData + "/good.cds");
  ASSERT_EQ(t.FieldCount(), 3);
  ASSERT_EQ(t.RecordCount(), 3);
  EXPECT_EQ(t.DisplayTitle(0), "编号");
  EXPECT_EQ(t.DisplayTitle(1), "名称");
  EXPECT_EQ(t.DisplayTitle(2), "比表面积");
  EXPECT_EQ(t.Value(0, 1), "陶瓷拉西环");
  EXPECT_EQ(t.Value(1, "F000"), "");
  EXPECT_EQ(t.FieldKind(2), TFieldKind::Number);
  EXPECT_EQ(t.RecNo(), 0);
  EXPECT_FALSE(t.Eof());
}

TEST(LabelledFile, MissingOrEmptyLabelSectionKeepsFieldNames) {
  for (const char* name : {"/no-labels.cds", "/zero-labels.cds"}) {
    TMyClientDataSet t;
    t.LoadLabelledFile(kData + name);
    EXPECT_EQ(t.RecordCount(), 3) << name;
    EXPECT_EQ(t.DisplayTitle(0), "F000") << name;
    EXPECT_EQ(t.DisplayTitle(2), "F002") << name;
  }
}

TEST(LabelledFile, LabelsBeyondTheColumnsAreIgnored) {
  TMyClientDataSet t;
  t.LoadLabelledFile(kData + "/extra-labels.cds");
  EXPECT_EQ(t.FieldCount(), 3);
  EXPECT_EQ(t.DisplayTitle(2), "比表面积");
}

TEST(LabelledFile, BrokenFilesSayWhatFailedAndWhere) {
  struct TCase {
    const char* file;
    const char* expect;
  };
  const TCase cases[] = {
      {"/truncated-block.cds", "偏移 0 处声明表数据有"},
      {"/huge-length.cds", "超过上限"},
      {"/negative-length.cds", "表数据长度 -1 是负数"},
      {"/short-header.cds", "只有 5 个字节"},
      {"/truncated-labels.cds", "文件在第 1 个标签（共 3 个）中结束"},
      {"/bad-count.cds", "RECORDS 的数目 1000000 超过"},
      {"/does-not-exist.cds", "找不到文件"},
      {"/bad-label.cds", "第 1 个标签不是 GB2312 文字"},  // would load but could not be saved
  };
  for (const TCase& c : cases) {
    TMyClientDataSet t = MakeTable();
    std::string error = ErrorOf([&] { t.LoadLabelledFile(kData + c.file); });
    EXPECT_NE(error.find(c.expect), std::string::npos) << c.file << ": " << error;
    EXPECT_NE(error.find(c.file + 1), std::string::npos) << "names the file: " << error;
    EXPECT_EQ(t.RecordCount(), 4) << c.file << ": a failed load keeps the table";
  }
}

// A stream that cannot seek, so the reader cannot compare the length with the file size: it
// must still stop at the real end instead of allocating what the header announces.
class TForwardOnlyBuf : public std::streambuf {
 public:
  explicit TForwardOnlyBuf(std::string data) : FData(std::move(data)) {
    setg(FData.data(), FData.data(), FData.data() + FData.size());
  }

 private:
  std::string FData;
};

TEST(LabelledFile, UnseekableStreamWithLargeLengthFailsAtItsEnd) {
  std::string data(8, '\0');
  const std::int64_t len = TMyClientDataSet::kMaxBlockSize;  // allowed, but far beyond the data
  for (int i = 0; i < 8; ++i)
    data[static_cast<size_t>(i)] = static_cast<char>((len >> (8 * i)) & 0xFF);
  data += "VELM-TABLE 1\n";
  TForwardOnlyBuf buf(data);
  std::istream in(&buf);
  TMyClientDataSet t;
  std::string error = ErrorOf([&] { t.LoadLabelledFile(in, "pipe"); });
  EXPECT_NE(error.find("填料表“pipe”已损坏：文件在表数据中间结束：偏移 8 之后只有 13 字节"),
            std::string::npos)
      << error;
}

TEST(LabelledFile, SaveAndLoadRoundTripThroughAFile) {
  TMyClientDataSet t = MakeTable();
  t.SetDisplayTitle(0, "编号");
  t.SetDisplayTitle(2, "比表面积 m2/m3");
  const velm::test::TTempDir temp;
  const std::string path = temp.File("velm-table-roundtrip.cds");
  t.SaveLabelledFile(path);
  TMyClientDataSet back;
  back.LoadLabelledFile(path);
  EXPECT_EQ(back.DisplayTitle(0), "编号");
  EXPECT_EQ(back.DisplayTitle(1), "F001");
  EXPECT_EQ(back.DisplayTitle(2), "比表面积 m2/m3");
  ASSERT_EQ(back.RecordCount(), t.RecordCount());
  for (int r = 0; r < t.RecordCount(); ++r) EXPECT_EQ(back.Record(r), t.Record(r));

  // The labels are GB2312 bytes: "编号" is B1E0 BAC5.
  std::ifstream raw(path, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(raw)), std::istreambuf_iterator<char>());
  EXPECT_NE(bytes.find("\x04\xB1\xE0\xBA\xC5"), std::string::npos);
}

TEST(LabelledFile, TitleTooLongForALabelIsRefusedBeforeWriting) {
  TMyClientDataSet t = MakeTable();
  t.SetDisplayTitle(1, std::string(240, 'x') + "填料因子填料因子");  // 256 bytes in GB2312
  const velm::test::TTempDir temp;
  const std::string path = temp.File("velm-table-long-title.cds");
  std::remove(path.c_str());
  EXPECT_NE(ErrorOf([&] { t.SaveLabelledFile(path); }).find("at most 255"), std::string::npos);
  EXPECT_FALSE(std::ifstream(path).good());
}

TEST(LabelledFile, SaveToAMissingFolderFails) {
  TMyClientDataSet t = MakeTable();
  const std::string error = ErrorOf([&] { t.SaveLabelledFile("/nonexistent-folder/x.cds"); });
  EXPECT_NE(error.find("/nonexistent-folder/x.cds"), std::string::npos) << error;
  EXPECT_NE(error.find("不存在"), std::string::npos) << error;
}

}  // namespace
}  // namespace velm
