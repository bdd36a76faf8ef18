#include <gtest/gtest.h>

#include "base/NumberFormat.h"

using velm::FormatGeneral;

TEST(FormatGeneral, FixedNotationReachesDownToTenToTheMinusFour) {
  EXPECT_EQ(FormatGeneral(0.0001, 15), "0.0001");
  EXPECT_EQ(FormatGeneral(0.00001, 15), "1E-5");
  EXPECT_EQ(FormatGeneral(0.00012345, 15), "0.00012345");
}

TEST(FormatGeneral, SwitchesToScientificAbovePrecisionDigits) {
  EXPECT_EQ(FormatGeneral(1e15, 15), "1E15");
  EXPECT_EQ(FormatGeneral(1e16, 15), "1E16");
  EXPECT_EQ(FormatGeneral(999999999999999.0, 15), "999999999999999");
  EXPECT_EQ(FormatGeneral(123456789012345.0, 15), "123456789012345");
  EXPECT_EQ(FormatGeneral(1234567890123456.0, 15), "1.23456789012346E15");
}

TEST(FormatGeneral, RoundsTheExactBinaryValueToPrecisionDigits) {
  EXPECT_EQ(FormatGeneral(0.9999999999972, 15), "0.9999999999972");
  EXPECT_EQ(FormatGeneral(0.9999999999972, 7), "1");
  EXPECT_EQ(FormatGeneral(1.0 / 0.000277777777777, 15), "3600.00000001008");
  EXPECT_EQ(FormatGeneral(3600.00000001008, 15), "3600.00000001008");
  EXPECT_EQ(FormatGeneral(0.1 + 0.2, 15), "0.3");
  EXPECT_EQ(FormatGeneral(2.5, 1), "2");  // an exact binary tie goes to even, as printf does
}

TEST(FormatGeneral, ZeroAndNegativeNumbers) {
  EXPECT_EQ(FormatGeneral(0.0, 15), "0");
  EXPECT_EQ(FormatGeneral(-0.0, 15), "0");
  EXPECT_EQ(FormatGeneral(-1.5, 15), "-1.5");
  EXPECT_EQ(FormatGeneral(-0.00001, 15), "-1E-5");
  EXPECT_EQ(FormatGeneral(-2.5e20, 15), "-2.5E20");
}

TEST(FormatGeneral, MinimumExponentDigitsForTheShortDisplay) {
  EXPECT_EQ(FormatGeneral(0.000012345678, 7, 4), "1.234568E-0005");
  EXPECT_EQ(FormatGeneral(1.5e20, 7, 4), "1.5E0020");
  EXPECT_EQ(FormatGeneral(1234.5678, 7, 4), "1234.568");
}

TEST(FormatGeneral, WholeNumbersHaveNoPoint) {
  EXPECT_EQ(FormatGeneral(60.0, 15), "60");
  EXPECT_EQ(FormatGeneral(1000.0, 4), "1000");
  EXPECT_EQ(FormatGeneral(12346.0, 4), "1.235E4");
  EXPECT_EQ(FormatGeneral(12345.0, 4), "1.234E4");  // exact tie to even
}

namespace velm {
namespace {

// The spreadsheet format shows what the text shows: the digits of FormatGeneral, no more.
TEST(DisplayFormatCode, ShowsTheDigitsOfTheGeneralText) {
  const struct {
    double Value;
    int Precision;
    const char* Code;
  } cases[] = {
      {0.003779648, 4, "0.00000"},  // 0.00378
      {1.275488, 4, "0.000"},       // 1.275
      {1.2, 4, "0.0"},              // trailing zeros dropped
      {1200.0, 4, "0"},
      {-42.125, 3, "0.0"},     // -42.1
      {1.9e-9, 4, "0.0E+00"},  // 1.9E-9
      {123456.0, 4, "0.000E+00"},
      {0.0, 4, "0"},
  };
  for (const auto& c : cases) EXPECT_EQ(DisplayFormatCode(c.Value, c.Precision), c.Code) << c.Value;
}

}  // namespace
}  // namespace velm
