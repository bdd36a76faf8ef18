#include <gtest/gtest.h>

#include "base/Errors.h"
#include "units/UnitEntry.h"

namespace velm {
namespace {

TEST(UnitEntryParse, FactorAfterTheBar) {
  const auto c = ParseUnitEntry("kg/h                  |0.000277777777777");
  ASSERT_TRUE(c);
  EXPECT_DOUBLE_EQ(c->FK, 0.000277777777777);
  EXPECT_DOUBLE_EQ(c->FB, 0.0);
}

TEST(UnitEntryParse, OffsetAfterComma) {
  const auto c = ParseUnitEntry("  K |1,273.15  ");
  ASSERT_TRUE(c);
  EXPECT_DOUBLE_EQ(c->FK, 1.0);
  EXPECT_DOUBLE_EQ(c->FB, 273.15);
  EXPECT_EQ(UnitDisplayName("  K |1,273.15  "), "K");
}

TEST(UnitEntryParse, NoBarTakesTheWholeEntry) {
  const auto c = ParseUnitEntry(" 0.001 ");
  ASSERT_TRUE(c);
  EXPECT_DOUBLE_EQ(c->FK, 0.001);
  EXPECT_DOUBLE_EQ(c->FB, 0.0);
  EXPECT_EQ(UnitDisplayName(" 0.001 "), "0.001");
}

TEST(UnitEntryParse, BlankAndEmptyEntriesCarryNoConversion) {
  EXPECT_FALSE(ParseUnitEntry(""));
  EXPECT_FALSE(ParseUnitEntry("   "));
  EXPECT_EQ(UnitDisplayName(" "), "");
  EXPECT_EQ(UnitDisplayName(""), "");
}

TEST(UnitEntryParse, OnlyTheFirstBarAndCommaSplit) {
  // "a|2|3" has the factor text "2|3", which is no number.
  EXPECT_THROW(ParseUnitEntry("a|2|3"), TInputError);
  EXPECT_THROW(ParseUnitEntry("a|1,2,3"), TInputError);
  EXPECT_THROW(ParseUnitEntry("m|"), TInputError);
  EXPECT_THROW(ParseUnitEntry("m|1;5"), TInputError);
}

TEST(UnitEntryParse, FactorTextIsCutAfterHundredCharacters) {
  // 100 characters of "1" followed by junk: the junk is beyond the cut and ignored.
  const std::string entry = "x|" + std::string(100, '1') + "junk";
  const auto c = ParseUnitEntry(entry);
  ASSERT_TRUE(c);
  EXPECT_DOUBLE_EQ(c->FK, 1.1111111111111111e99);
}

TEST(UnitEntryMake, PadsByCharactersNotBytes) {
  EXPECT_EQ(MakeUnitEntry("m", 4, "1.0"), "m   |1.0");
  // "无量纲" is three characters (nine bytes in UTF-8).
  EXPECT_EQ(MakeUnitEntry("无量纲", 5, "1"), "无量纲  |1");
  EXPECT_EQ(MakeUnitEntry("toolong", 3, "1"), "toolong|1");
}

std::string Pad(const std::string& name, size_t blanks) { return name + std::string(blanks, ' '); }

TEST(UnitLists, MassFlowListExactly) {
  const std::vector<std::string> expected{
      Pad("kg/s", 18) + "|1.000000000000000", Pad("kg/h", 18) + "|0.000277777777777",
      Pad("kg/m", 18) + "|0.016666666666666", Pad("t/h", 19) + "|0.277777777777777"};
  EXPECT_EQ(UnitListFor("LU"), expected);
  EXPECT_EQ(UnitListFor("VU"), expected);
}

TEST(UnitLists, SurfaceTensionEndsWithABlankItem) {
  const auto& l = UnitListFor("SLU");
  ASSERT_EQ(l.size(), 4u);
  EXPECT_EQ(l[1], Pad("dyn/cm", 20) + "|0.00100000000");
  EXPECT_EQ(l[3], " ");
}

TEST(UnitLists, PressureDropEndsWithAnEmptyItem) {
  const auto& l = UnitListFor("dPwaterU");
  ASSERT_EQ(l.size(), 6u);
  EXPECT_EQ(l[0], Pad("Pa", 21) + "|1.0000000000");
  EXPECT_EQ(l[3], Pad("kg/cm2", 17) + "|100000.00000");
  EXPECT_EQ(l[5], "");
}

TEST(UnitLists, DimensionlessWidthsDifferForFlowParameter) {
  EXPECT_EQ(UnitListFor("FpU"),
            std::vector<std::string>{"无量纲" + std::string(16, ' ') + "|1.00000000"});
  for (const char* n : {"LmdU", "meU", "alfU"})
    EXPECT_EQ(UnitListFor(n),
              std::vector<std::string>{"无量纲" + std::string(23, ' ') + "|1.0000000000"})
        << n;
}

TEST(UnitLists, EverySelectorHasItsList) {
  const std::pair<const char*, size_t> sizes[] = {
      {"DlU", 3},    {"DvU", 3},   {"MlU", 2},  {"MvU", 2}, {"DlfU", 3}, {"DvfU", 3},  {"UfU", 5},
      {"UpU", 5},    {"UlsU", 5},  {"UvsU", 5}, {"dpU", 3}, {"dU", 3},   {"HTUVU", 3}, {"HTULU", 3},
      {"HTUOVU", 3}, {"HETPU", 3}, {"KfU", 4},  {"KpU", 4}, {"UmU", 1},  {"HTU", 1}};
  for (const auto& [name, n] : sizes) EXPECT_EQ(UnitListFor(name).size(), n) << name;
  EXPECT_TRUE(UnitListFor("XU").empty());
  EXPECT_TRUE(UnitListFor("HTD").empty());
}

TEST(UnitLists, EveryNonBlankEntryParsesAndItsBarLinesUp) {
  for (const char* n : {"LU", "DlU", "MlU", "SLU", "DlfU", "UfU", "dU", "KfU", "dPwaterU", "FpU",
                        "meU", "UmU", "HTU"}) {
    const auto& list = UnitListFor(n);
    size_t barAt = std::string::npos;
    for (const std::string& e : list) {
      if (!ParseUnitEntry(e)) continue;
      if (UnitDisplayName(e) == "无量纲") continue;  // the single entry of its list
      if (barAt == std::string::npos) barAt = e.find('|');
      EXPECT_EQ(e.find('|'), barAt) << n << ": " << e;
    }
  }
  EXPECT_DOUBLE_EQ(ParseUnitEntry(UnitListFor("dPwaterU")[1])->FK, 10.0);
  EXPECT_DOUBLE_EQ(ParseUnitEntry(UnitListFor("DlfU")[1])->FK, 0.0002777777);
  EXPECT_DOUBLE_EQ(ParseUnitEntry(UnitListFor("dU")[2])->FK, 0.001);
}

}  // namespace
}  // namespace velm
