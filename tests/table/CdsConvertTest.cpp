// CSV reading and writing, the velm-cds converter, and the shipped packing table.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>
#include <tuple>

#include "base/Decimal.h"
#include "support/TempDir.h"
#include "table/PackingTable.h"

namespace velm {
namespace {

const std::string kData = VELM_TEST_DATA_DIR;
using TRows = std::vector<std::vector<std::string>>;

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string ErrorOf(const std::function<void()>& call) {
  try {
    call();
  } catch (const TTableError& e) {
    return e.what();
  }
  return "<no error>";
}

TEST(CsvParse, QuotesCommasLineBreaksAndLineEnds) {
  EXPECT_EQ(ParseCsv("a,\"b,c\",\"say \"\"hi\"\"\"\r\n1,,\"x\ny\"\n", "t"),
            (TRows{{"a", "b,c", "say \"hi\""}, {"1", "", "x\ny"}}));
  EXPECT_EQ(ParseCsv("\xEF\xBB\xBFk,v\nlast,row", "t"), (TRows{{"k", "v"}, {"last", "row"}}));
  EXPECT_EQ(ParseCsv("a,\n", "t"), (TRows{{"a", ""}}));
  EXPECT_EQ(ParseCsv("", "t"), TRows{});
  // A quote inside an unquoted field is an ordinary character.
  EXPECT_EQ(ParseCsv("5\" ring,x\n", "t"), (TRows{{"5\" ring", "x"}}));
}

TEST(CsvParse, UnclosedQuoteNamesTheLineItOpened) {
  std::string error = ErrorOf([] { ParseCsv("h1,h2\nok,1\nbad,\"open\nstill open\n", "f.csv"); });
  EXPECT_NE(error.find("f.csv, line 3: quoted field is not closed"), std::string::npos) << error;
}

TEST(CsvTable, TitlesKindsAndTheDroppedSourceColumn) {
  std::ifstream in(kData + "/small.csv", std::ios::binary);
  TMyClientDataSet t;
  t.LoadCsv(in, "small.csv", "来源");
  ASSERT_EQ(t.FieldCount(), 5);
  ASSERT_EQ(t.RecordCount(), 3);
  EXPECT_EQ(t.DisplayTitle(0), "编号");
  EXPECT_EQ(t.DisplayTitle(4), "比表面积");
  EXPECT_EQ(t.FieldName(4), "F004");
  EXPECT_EQ(t.FieldKind(0), TFieldKind::Text);  // the key stays text even when it looks numeric
  EXPECT_EQ(t.FieldKind(2), TFieldKind::Text);
  EXPECT_EQ(t.FieldKind(4), TFieldKind::Number);
  EXPECT_EQ(t.Value(0, 1), "陶瓷, 乱堆");
  EXPECT_EQ(t.Value(1, 0), "");
  EXPECT_EQ(t.Value(2, 1), "带\"引号\"的名称");
  EXPECT_EQ(t.Value(2, 3), "两行\n文本");
}

TEST(CsvTable, RowOfTheWrongWidthIsRefusedWithItsRowNumber) {
  std::istringstream in("k,a,b\n01,1,2\n02,1\n");
  TMyClientDataSet t;
  std::string error = ErrorOf([&] { t.LoadCsv(in, "w.csv"); });
  EXPECT_NE(error.find("w.csv, row 3: 2 fields, the header has 3"), std::string::npos) << error;
  std::istringstream empty("\n\n");
  EXPECT_NE(ErrorOf([&] { t.LoadCsv(empty, "e.csv"); }).find("no header row"), std::string::npos);
}

TEST(CsvTable, OneColumnTableKeepsItsEmptyRecords) {
  std::istringstream in("编号\n01\n\n02\n\n");
  TMyClientDataSet t;
  t.LoadCsv(in);
  ASSERT_EQ(t.RecordCount(), 3);
  EXPECT_EQ(t.Value(1, 0), "");
}

// Tables whose CSV text needs care to come back: a first title starting with U+FEFF (not the
// byte order mark), and one-column tables whose last records are empty.
TEST(CsvTable, AwkwardTablesComeBackFromTheirCsv) {
  const std::vector<std::vector<std::string>> tables[] = {
      {{"\xEF\xBB\xBF编号", "a"}, {"01", "1"}},
      {{"编号"}, {"01"}, {""}, {""}},
      {{"编号"}, {""}},
  };
  for (const auto& rows : tables) {
    SCOPED_TRACE(rows.front().front());
    TMyClientDataSet t;
    t.DefineFields(static_cast<int>(rows.front().size()));
    for (size_t f = 0; f < rows.front().size(); ++f)
      t.SetDisplayTitle(static_cast<int>(f), rows.front()[f]);
    for (size_t r = 1; r < rows.size(); ++r) t.AppendRecord(rows[r]);
    std::ostringstream out;
    t.SaveCsv(out);
    std::istringstream in(out.str());
    TMyClientDataSet back;
    back.LoadCsv(in);
    ASSERT_EQ(back.RecordCount(), t.RecordCount()) << out.str();
    EXPECT_EQ(back.DisplayTitle(0), rows.front().front());
  }
}

TEST(CsvTable, WriteThenReadGivesTheSameText) {
  const std::string text =
      "编号,名称,a\n01,\"陶瓷, 乱堆\",190\n,\"两行\n文本\",\n02,\"带\"\"引号\"\"\",1E2\n"
      "03,\" padded \",5\n";
  std::istringstream in(text);
  TMyClientDataSet t;
  t.LoadCsv(in);
  std::ostringstream out;
  t.SaveCsv(out);
  EXPECT_EQ(out.str(), text);
}

// ----------------------------------------------------------------------------------------------
// The converter program

int RunConverter(const std::string& args, const std::string& errFile) {
  const std::string cmd = std::string("'") + VELM_CDS_EXE + "' " + args + " 2>'" + errFile + "'";
  int status = std::system(cmd.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(CdsConverter, CsvToCdsToCsvKeepsEverythingButTheSourceColumn) {
  const velm::test::TTempDir temp;
  const std::string dir = temp.Path();
  const std::string cds = dir + "/velm-small.cds", csv = dir + "/velm-small.csv";
  const std::string err = dir + "/velm-cds.err";
  ASSERT_EQ(RunConverter("to-cds '" + kData + "/small.csv' '" + cds + "'", err), 0)
      << ReadFile(err);
  ASSERT_EQ(RunConverter("to-csv '" + cds + "' '" + csv + "'", err), 0) << ReadFile(err);

  TRows original = ParseCsv(ReadFile(kData + "/small.csv"), "small.csv");
  for (auto& row : original) row.pop_back();
  EXPECT_EQ(ParseCsv(ReadFile(csv), "out"), original);

  // The .cds carries the titles as GB2312 labels.
  TMyClientDataSet t;
  t.LoadLabelledFile(cds);
  EXPECT_EQ(t.DisplayTitle(3), "类型");
  EXPECT_EQ(t.FindRecord("02").value()[1], "带\"引号\"的名称");
}

TEST(CdsConverter, FailuresExitNonZeroNameTheFileAndWriteNothing) {
  const velm::test::TTempDir temp;
  const std::string dir = temp.Path();
  const std::string err = dir + "/velm-cds.err";
  const std::string out = dir + "/velm-never.cds";
  std::remove(out.c_str());
  EXPECT_EQ(RunConverter("to-cds /nonexistent/in.csv '" + out + "'", err), 1);
  EXPECT_NE(ReadFile(err).find("/nonexistent/in.csv: cannot open"), std::string::npos);

  std::ofstream(dir + "/velm-bad.csv") << "k,v\n01,\"open\n";
  EXPECT_EQ(RunConverter("to-cds '" + dir + "/velm-bad.csv' '" + out + "'", err), 1);
  EXPECT_NE(ReadFile(err).find("quoted field is not closed"), std::string::npos);
  EXPECT_FALSE(std::ifstream(out).good());

  EXPECT_EQ(RunConverter("to-csv '" + kData + "/truncated-block.cds' '" + out + "'", err), 1);
  EXPECT_NE(ReadFile(err).find("truncated-block.cds"), std::string::npos);
  EXPECT_FALSE(std::ifstream(out).good());

  // The columns the calculation reads as numbers.
  const std::string header = "编号,材料,尺寸,类型,a,e,k1,a1,b1,k2,a2,b2,rho,sigma,Fp\n";
  const std::string good = "01,陶瓷,25mm,拉西环,190,0.73,1,2.7,0,0,2.7,0,641,61,509 (1/m)\n";
  ASSERT_EQ(RunConverter(
                "to-cds '" +
                    [&] {
                      std::ofstream(dir + "/velm-num.csv") << header << good;
                      return dir + "/velm-num.csv";
                    }() +
                    "' '" + out + "'",
                err),
            0)
      << ReadFile(err);
  std::remove(out.c_str());
  for (const auto& [from, to, what] :
       {std::tuple{"190", "abc", "column 4"}, std::tuple{"641,61", "641,1e400", "column 13"},
        std::tuple{"25mm", "mm", "column 2"}}) {
    std::string row = good;
    row.replace(row.find(from), std::string(from).size(), to);
    std::ofstream(dir + "/velm-num.csv") << header << row;
    EXPECT_EQ(RunConverter("to-cds '" + dir + "/velm-num.csv' '" + out + "'", err), 1) << to;
    EXPECT_NE(ReadFile(err).find(what), std::string::npos) << ReadFile(err);
    EXPECT_FALSE(std::ifstream(out).good());
  }

  EXPECT_EQ(RunConverter("to-xls a b", err), 2);
  EXPECT_EQ(RunConverter("to-cds onlyone", err), 2);
}

// ----------------------------------------------------------------------------------------------
// The shipped Packings.cds, built from data/packings.csv: every record must be usable by the
// calculation (numeric columns, the fit switches, a two-digit size) and its columns must agree
// with each other the way data/SOURCES.md derives them.

class ShippedPackings : public ::testing::Test {
 protected:
  void SetUp() override { FTable.LoadLabelledFile(VELM_PACKINGS_CDS); }
  double Num(int r, int c) const {
    std::optional<double> v = ParseNumber(FTable.Value(r, c));
    EXPECT_TRUE(v) << "record " << FTable.Value(r, 0) << " column " << c << ": \""
                   << FTable.Value(r, c) << "\"";
    return v.value_or(NAN);
  }
  TMyClientDataSet FTable;
};

TEST_F(ShippedPackings, ShapeTitlesAndKeys) {
  ASSERT_EQ(FTable.FieldCount(), 16);
  ASSERT_GE(FTable.RecordCount(), 24);
  EXPECT_EQ(FTable.DisplayTitle(0), "编号");
  EXPECT_EQ(FTable.DisplayTitle(14), "实验填料因子");
  EXPECT_EQ(FTable.DisplayTitle(15), "Billet-Schultes常数");
  std::set<std::string> keys;
  for (int r = 0; r < FTable.RecordCount(); ++r) {
    const std::string& key = FTable.Value(r, 0);
    char expected[16];
    std::snprintf(expected, sizeof expected, "%02d", r + 1);
    EXPECT_EQ(key, expected);
    EXPECT_TRUE(keys.insert(key).second) << "duplicate key " << key;
    EXPECT_EQ(FTable.FindKey(key), r);
  }
}

TEST_F(ShippedPackings, EveryRecordIsUsableByTheCalculation) {
  const std::set<double> onda = {61, 75, 33};  // ceramic, steel, polyethylene [mN/m]
  for (int r = 0; r < FTable.RecordCount(); ++r) {
    SCOPED_TRACE("record " + FTable.Value(r, 0));
    const std::string& size = FTable.Value(r, 2);
    ASSERT_GE(size.size(), 2u);
    EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(size[0])) &&
                std::isdigit(static_cast<unsigned char>(size[1])))
        << size;
    EXPECT_FALSE(FTable.Value(r, 1).empty());
    EXPECT_FALSE(FTable.Value(r, 3).empty());
    EXPECT_GT(Num(r, 4), 0.0);
    const double voids = Num(r, 5);
    EXPECT_TRUE(voids > 0.3 && voids < 1.0) << voids;
    EXPECT_NE(Num(r, 6), 0.0);  // Kp: linear form
    EXPECT_EQ(Num(r, 9), 0.0);  // Kf: linear form
    EXPECT_EQ(Num(r, 11), 0.0);
    EXPECT_GE(Num(r, 12), 0.0);
    EXPECT_TRUE(onda.count(Num(r, 13))) << FTable.Value(r, 13);

    // Both fits start from the same packing factor; 10^A lies in the range of dumped packings.
    const double a = Num(r, 7);
    EXPECT_NEAR(Num(r, 10), a, 1e-12);
    EXPECT_TRUE(a > 1.5 && a < 4.0) << a;
    // Kp is the packing factor at every load (the Robbins slope would count the liquid twice
    // on top of the generalized correlation, see data/SOURCES.md).
    EXPECT_EQ(Num(r, 6), 1.0);
    EXPECT_EQ(Num(r, 8), 0.0);

    // The experimental factor, where given, is the packing factor the constants came from.
    const std::string& fp = FTable.Value(r, 14);
    if (!fp.empty()) {
      EXPECT_NE(fp.find("(1/m)"), std::string::npos) << fp;
      std::optional<double> f = ParseNumber(LeadingNumber(fp));
      ASSERT_TRUE(f) << fp;
      EXPECT_NEAR(std::pow(10.0, a), *f, *f * 1e-4);
    } else {
      // No published factor: the estimate a/eps^3 (see data/SOURCES.md).
      const double estimate = Num(r, 4) / std::pow(voids, 3);
      EXPECT_NEAR(std::pow(10.0, a), estimate, estimate * 1e-4);
    }
  }
}

// Rows against the tables they cite: Noble & Terry, Table 6.2 (1 in ceramic Raschig rings, 73 %
// voids, F = 155 1/ft) and the classic table "Packing factors F and areas per volume" (F in 1/ft,
// area in ft2/ft3: plastic Pall 5/8 in 95 (104), ceramic Intalox 1 in 92 (78), metal Pall 2 in
// 27 (31)).
TEST_F(ShippedPackings, RowsMatchThePublishedTables) {
  const struct {
    const char *Material, *Type, *Size;
    double Area, FPerFt;
  } rows[] = {{"陶瓷", "拉西环", "25", 190.0, 155},
              {"塑料", "鲍尔环", "16", 104 / 0.3048, 95},
              {"陶瓷", "矩鞍", "25", 78 / 0.3048, 92},
              {"不锈钢304", "鲍尔环", "50", 31 / 0.3048, 27}};
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.Material) + row.Type + row.Size);
    std::optional<int> r;
    for (int i = 0; i < FTable.RecordCount() && !r; ++i)
      if (FTable.Value(i, 1) == row.Material && FTable.Value(i, 3) == row.Type &&
          FTable.Value(i, 2).rfind(row.Size, 0) == 0)
        r = i;
    ASSERT_TRUE(r);
    EXPECT_NEAR(Num(*r, 4), row.Area, 0.1);
    const double F = row.FPerFt / 0.3048;  // [1/m]
    EXPECT_NEAR(std::pow(10.0, Num(*r, 10)), F, 0.5);
    EXPECT_NEAR(*ParseNumber(LeadingNumber(FTable.Value(*r, 14))), F, 0.5);
  }
}

}  // namespace
}  // namespace velm
