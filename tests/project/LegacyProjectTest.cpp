// The older positional project files: every group in its place, the per-group guard, and
// files that end early.
#include <gtest/gtest.h>

#include <map>

#include "TestForm.h"
#include "base/TextCodec.h"
#include "project/FileIo.h"
#include "project/LegacyProject.h"
#include "units/ColorTable.h"

namespace velm {
namespace {

using test::DataFile;
using test::TTestForm;

// The values legacy_full.txt holds (see make_files.py): field text, factor, read-only, colour.
struct TExpectedField {
  const char* FText;
  double FK;
  bool FReadOnly;
  int FColor;
};
const std::map<std::string, TExpectedField> kFull = {
    {"FpD", {"0.0512", 1, true, kColorBtnFace}},
    {"KfD", {"410.5", 1, true, kColorBtnFace}},
    {"UfD", {"2.25", 1, true, kColorBtnFace}},
    {"UpD", {"1.8", 1, true, kColorBtnFace}},
    {"dpD", {"0.95", 1, true, kColorBtnFace}},
    {"dD", {"100", 0.01, true, kColorBtnFace}},
    {"UlsD", {"12.5", 1, true, kColorBtnFace}},
    {"UvsD", {"1.62", 1, true, kColorBtnFace}},
    {"KpD", {"350", 1, true, kColorBtnFace}},
    {"dPwaterD", {"410", 1, true, kColorBtnFace}},
    {"LD", {"3600", 0.000277777777777, false, kColorWindow}},
    {"DlD", {"0.998", 1000, false, kColorWindow}},
    {"MlD", {"1.002", 0.001, false, kColorWindow}},
    {"SLD", {"0.0728", 1, false, kColorWindow}},
    {"DlfD", {"1.8E-9", 1, false, kColorWindow}},
    {"DvfD", {"1.6E-5", 1, false, kColorWindow}},
    {"MvD", {"1.8E-5", 1, false, kColorWindow}},
    {"DvD", {"1.2", 1, false, kColorWindow}},
    {"VD", {"5400", 0.000277777777777, false, kColorWindow}},
    {"LmdD", {"", 1, false, kColorWindow}},
    {"meD", {"0.947368421052632", 1, true, kColorOlive}},
    {"alfD", {"2", 1, false, kColorWindow}},
    {"HTUVD", {"0.41", 1, true, kColorBtnFace}},
    {"HTULD", {"0.22", 1, true, kColorBtnFace}},
    {"HTUOVD", {"0.63", 1, true, kColorBtnFace}},
    {"HETPD", {"0.7", 1, true, kColorBtnFace}},
    {"UmD", {"135", 1, true, kColorBtnFace}},
    {"HTD", {"0.085", 1, true, kColorBtnFace}},
};
const std::map<std::string, int> kFullSelectors = {
    {"dU", 1}, {"LU", 1}, {"DlU", 2}, {"MlU", 1}, {"VU", 1}};

TEST(LegacyProject, FullFileRestoresEveryFieldUnitAndList) {
  TTestForm form;
  form.FCommentD->setPlainText("old comment");
  ReadLegacyProject(&form, DataFile("legacy_full.txt"));
  ASSERT_EQ(kFull.size(), test::kFieldsAndSelectors.size());
  for (const auto& [fieldName, selectorName] : test::kFieldsAndSelectors) {
    SCOPED_TRACE(fieldName);
    const TEditD* f = form.Field(fieldName);
    const TExpectedField& e = kFull.at(fieldName);
    EXPECT_EQ(f->text(), e.FText);
    EXPECT_DOUBLE_EQ(f->K(), e.FK);
    EXPECT_EQ(f->isReadOnly(), e.FReadOnly);
    EXPECT_EQ(f->Color(), e.FColor);
    EXPECT_EQ(f->CursorNumber(), kCursorDefault);  // cursors are not stored
    const auto s = kFullSelectors.find(selectorName);
    EXPECT_EQ(form.Selector(selectorName)->ItemIndex(), s == kFullSelectors.end() ? 0 : s->second);
  }
  EXPECT_EQ(form.Selector("LU")->GetUnit(), "kg/h");
  EXPECT_NEAR(form.Field("LD")->Value(), 0.9999999999972, 1e-15);
  EXPECT_EQ(form.FAfD->currentIndex(), 3);
  EXPECT_EQ(form.FfpercentD->currentIndex(), 2);
  EXPECT_EQ(form.FPTD->currentIndex(), 1);
  EXPECT_EQ(form.FMethodD->currentIndex(), 1);
  EXPECT_EQ(form.FACLMethodD->currentIndex(), 3);
  const QStringList texts = {"吸收塔改造", "脱碳塔", "T-101", "基础设计", "备用一", "", "x", "末"};
  for (size_t i = 0; i < test::kTextFields.size(); ++i)
    EXPECT_EQ(form.TextField(test::kTextFields[i])->text(), texts[static_cast<int>(i)]);
  EXPECT_EQ(form.FCommentD->toPlainText(), "");
  EXPECT_TRUE(form.FCalKf->isChecked());  // check boxes are not stored
}

TEST(LegacyProject, FileThatStopsAfterLdIsRefusedAndChangesNothing) {
  // The older program always wrote every group: a file that ends early is damaged.
  TTestForm form;
  form.Field("VD")->setText("7");
  form.FEvents.clear();
  try {
    ReadLegacyProject(&form, DataFile("legacy_stops_after_ld.txt"));
    FAIL() << "no error";
  } catch (const TFileError& e) {
    EXPECT_NE(std::string(e.what()).find("不是有效的项目文件"), std::string::npos) << e.what();
    EXPECT_NE(std::string(e.what()).find("缺少 LU"), std::string::npos) << e.what();
  }
  EXPECT_EQ(form.Field("LD")->text(), "");
  EXPECT_EQ(form.Field("VD")->text(), "7");
  EXPECT_TRUE(form.FEvents.isEmpty());
}

TEST(LegacyProject, ShapeTest) {
  const std::string full = test::ReadBytes(DataFile("legacy_full.txt"));
  // The 202 lines of the 67 groups before the comment, and the 7 of the two after it.
  size_t end = 0;
  for (int i = 0; i < 202; ++i) end = full.find("\r\n", end) + 2;
  const std::string before = full.substr(0, end);
  const std::string after = full.substr(full.find("\r\n", end) + 2);
  std::string kNotNumber = full;
  kNotNumber.replace(kNotNumber.find("\r\n") + 2, 1, "x");  // FpD's factor

  const std::pair<std::string, bool> cases[] = {
      {full, true},
      {full + "\r\n  \r\n", true},                                     // blank lines after
      {before + Utf8ToGb("2\r\n第一行\r\n第二行\r\n") + after, true},  // a comment
      {std::string(full).erase(full.size() - 2), true},                // no last line break
      {"", false},
      {full.substr(0, full.size() / 2), false},        // truncated
      {before + "3\r\nonly line\r\n" + after, false},  // comment count too large
      {before + "-1\r\n" + after, false},
      {kNotNumber, false},
      {full + "extra\r\n", false},
      {std::string(full).replace(10, 1, std::string(1, '\0')), false},  // binary
      {"{\"inputs\": {\"LiquidFlow\": 4}}\n", false},
      {"hello\nworld\n", false},
  };
  int i = 0;
  for (const auto& [bytes, legacy] : cases) {
    SCOPED_TRACE(i++);
    const auto problem = LegacyShapeProblem(bytes);
    EXPECT_EQ(!problem, legacy) << (problem ? *problem : "");
  }
}

// The lines of the groups before LD in legacy_full.txt: ten value fields with selectors.
std::string LinesBeforeLd() {
  std::string s;
  for (int i = 0; i < 10; ++i) s += "1\r\n1\r\n0\r\n-16777211\r\n1\r\n0\r\n0\r\n";
  return s;
}

TEST(LegacyProject, SecondSelectorLineWins) {
  TTestForm form;
  ApplyLegacyProject(&form, LinesBeforeLd() + "5\r\n1\r\n0\r\n-16777211\r\n5\r\n1\r\n2\r\n");
  EXPECT_EQ(form.Selector("LU")->ItemIndex(), 2);
  EXPECT_EQ(form.Field("LD")->text(), "5");  // selecting by program leaves the text alone
  EXPECT_DOUBLE_EQ(form.Field("LD")->K(), 1.0);
}

TEST(LegacyProject, LineThatDoesNotConvertEndsOnlyItsGroup) {
  TTestForm form;
  // FpD: text "9", then "abc" for k ends its group; FpU reads the next two lines "0" and "1",
  // and KfD starts at "T": text "T", k 2, read-only 7, then no colour line.
  ApplyLegacyProject(&form, "9\r\nabc\r\n0\r\n1\r\nT\r\n2\r\n7\r\n");
  EXPECT_EQ(form.Field("FpD")->text(), "9");
  EXPECT_DOUBLE_EQ(form.Field("FpD")->K(), 1.0);
  EXPECT_FALSE(form.Field("FpD")->isReadOnly());
  EXPECT_EQ(form.Selector("FpU")->ItemIndex(), -1);  // index 1 of a one-entry list
  EXPECT_EQ(form.Field("KfD")->text(), "T");
  EXPECT_DOUBLE_EQ(form.Field("KfD")->K(), 2.0);
  EXPECT_TRUE(form.Field("KfD")->isReadOnly());
}

TEST(LegacyProject, CommentLinesAndACountBeyondTheFile) {
  // The 202 lines of the 67 groups before the comment, from the full file.
  const std::string full = test::ReadBytes(DataFile("legacy_full.txt"));
  size_t end = 0;
  for (int i = 0; i < 202; ++i) end = full.find("\r\n", end) + 2;
  const std::string before = full.substr(0, end);
  TTestForm two;
  ApplyLegacyProject(&two, before + Utf8ToGb("2\r\n第一行\r\n第二行\r\n"));
  EXPECT_EQ(two.FCommentD->toPlainText(), "第一行\n第二行");
  TTestForm huge;
  ApplyLegacyProject(&huge, before + "2000000000\r\nonly line\r\n");
  EXPECT_EQ(huge.FCommentD->toPlainText(), "only line");
}

TEST(LegacyProject, MissingFileIsAnError) {
  TTestForm form;
  EXPECT_THROW(ReadLegacyProject(&form, DataFile("no_such_file.txt")), TFileError);
}

}  // namespace
}  // namespace velm
