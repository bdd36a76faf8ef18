#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "base/Decimal.h"
#include "base/Errors.h"

using velm::LeadingNumber;
using velm::ParseNumber;

TEST(ParseNumber, AcceptsThePlainDecimalSyntax) {
  EXPECT_DOUBLE_EQ(*ParseNumber("3600"), 3600.0);
  EXPECT_DOUBLE_EQ(*ParseNumber("-1.5"), -1.5);
  EXPECT_DOUBLE_EQ(*ParseNumber("+2"), 2.0);
  EXPECT_DOUBLE_EQ(*ParseNumber("5."), 5.0);
  EXPECT_DOUBLE_EQ(*ParseNumber(".5"), 0.5);
  EXPECT_DOUBLE_EQ(*ParseNumber("1.2e2"), 120.0);
  EXPECT_DOUBLE_EQ(*ParseNumber("1E-5"), 1e-5);
  EXPECT_DOUBLE_EQ(*ParseNumber("-.25E+1"), -2.5);
  EXPECT_EQ(*ParseNumber("0.9999999999972"), 0.9999999999972);
}

TEST(ParseNumber, RejectsEverythingElse) {
  for (const char* bad : {"", " ", ".", "+", "-", "e5", "1e", "1e+", "1,5", "1.5 ", " 1.5", "abc",
                          "1.2.3", "0x10", "inf", "nan", "1e999", "12a"})
    EXPECT_FALSE(ParseNumber(bad).has_value()) << "text: '" << bad << "'";
}

TEST(ParseNumber, UnderflowReadsAsZeroOverflowIsNoNumber) {
  // Told apart by the magnitude of the whole text, not by the sign of its exponent.
  const std::string digits400 = "1" + std::string(399, '7');
  const std::pair<std::string, std::optional<double>> cases[] = {
      {"1e-400", 0.0},
      {"-0.0001e-320", -0.0},
      {"0." + std::string(400, '0') + "1", 0.0},
      {digits400 + "e-10", std::nullopt},  // about 1e389
      {digits400 + ".5e-99999999999999999999", 0.0},
      {"1" + std::string(400, '0') + "e-100", 1e300},
      {"0.001e311", 1e308},
      {"1e99999999999999999999", std::nullopt},
  };
  for (const auto& [text, value] : cases) {
    SCOPED_TRACE(text.substr(0, 40));
    EXPECT_EQ(ParseNumber(text), value);
  }
}

TEST(StrToFloat, TrimsAndReportsTheOffendingText) {
  EXPECT_DOUBLE_EQ(velm::StrToFloat(" 0.8 "), 0.8);
  try {
    velm::StrToFloat("abc");
    FAIL() << "no error";
  } catch (const velm::TInputError& e) {
    EXPECT_NE(std::string(e.what()).find("abc"), std::string::npos);
  }
}

TEST(LeadingNumber, KeepsTheNumberAtTheStart) {
  EXPECT_EQ(LeadingNumber("120 (1/m)"), "120");
  EXPECT_EQ(LeadingNumber("1.2e2x"), "1.2e2");
  EXPECT_EQ(LeadingNumber("  95 "), "95");
  EXPECT_EQ(LeadingNumber("abc"), "");
  EXPECT_EQ(LeadingNumber(""), "");
}
