#include <gtest/gtest.h>

#include "base/TextCodec.h"

TEST(TextCodec, Gb2312RoundTripOfChineseCaptions) {
  const std::string text = "散堆填料塔流体力学-空白项目";
  const std::string gb = velm::Utf8ToGb(text);
  EXPECT_EQ(gb.size(), 2u * 13 + 1);  // 13 Chinese characters of two bytes and one "-"
  EXPECT_EQ(velm::GbToUtf8(gb), text);
}

TEST(TextCodec, TriangleIsA1F8BothWays) {
  EXPECT_EQ(velm::Utf8ToGb("▲"), "\xA1\xF8");
  EXPECT_EQ(velm::GbToUtf8("\xA1\xF8"), "▲");
}

TEST(TextCodec, CharactersOutsideGb2312StillRoundTrip) {
  const std::string text = "€ café ✓";
  EXPECT_EQ(velm::GbToUtf8(velm::Utf8ToGb(text)), text);
}

TEST(TextCodec, TruncatedLastByteIsReplacedNotDropped) {
  std::string gb = velm::Utf8ToGb("塔");
  gb.pop_back();
  EXPECT_EQ(velm::GbToUtf8("a" + gb), "a\xEF\xBF\xBD");
}

TEST(TextCodec, GbTextIsWhatDecodesWithoutReplacement) {
  EXPECT_TRUE(velm::IsGbText(velm::Utf8ToGb("填料 ▲ abc")));
  EXPECT_TRUE(velm::IsGbText(""));
  EXPECT_FALSE(velm::IsGbText("\xFF\xFE\x80"));
  EXPECT_FALSE(velm::IsGbText(velm::Utf8ToGb("塔").substr(0, 1)));
}

TEST(TextCodec, LeftTakesWholeCharacters) {
  EXPECT_EQ(velm::Utf8Left("16mm", 2), "16");
  EXPECT_EQ(velm::Utf8Left("5毫米", 2), "5毫");
  EXPECT_EQ(velm::Utf8Left("毫", 2), "毫");
  EXPECT_EQ(velm::Utf8Left("", 2), "");
}
