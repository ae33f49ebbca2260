#include "common/escape_codes.h"

#include <gtest/gtest.h>

#include "platform/com/text.h"

namespace vorlane {
namespace {

std::string Repeat(std::string_view piece, size_t n) {
  std::string out;
  out.reserve(piece.size() * n);
  for (size_t i = 0; i < n; ++i) out += piece;
  return out;
}

TEST(EscapeText, ReplacesTheTenCharacters) {
  EXPECT_EQ(EscapeText("a&b c"), "a#amp#b#sp#c");
  EXPECT_EQ(UnescapeText("a#amp#b#sp#c"), "a&b c");
  const std::string all = "&'\"<> \n\r\f\t";
  EXPECT_EQ(EscapeText(all), "#amp##ap##quot##lt##gt##sp##lf##cr##ff##tb#");
  EXPECT_EQ(UnescapeText(EscapeText(all)), all);
}

TEST(EscapeText, KeepsOtherTextAsItIs) {
  EXPECT_EQ(EscapeText(""), "");
  EXPECT_EQ(EscapeText("Процесс_1.😀"), "Процесс_1.😀");
  EXPECT_EQ(EscapeText("#"), "#");  // "#" is not escaped
  EXPECT_EQ(EscapeText("\v"), "\v");
}

TEST(UnescapeText, MatchesLowerCaseCodesOnly) {
  EXPECT_EQ(UnescapeText("#AMP##Sp#"), "#AMP##Sp#");
  EXPECT_EQ(UnescapeText("#amp"), "#amp");
}

TEST(UnescapeText, DecodesCodesThatWereInTheTextBeforeEscaping) {
  // "#" is not escaped, so a code written by a user comes back decoded.
  EXPECT_EQ(UnescapeText(EscapeText("x#sp#y")), "x y");
  // In order: "#amp#" first, so what it leaves is not decoded again.
  EXPECT_EQ(UnescapeText("#amp#lt#"), "&lt#");
}

TEST(UnescapeText, RoundTripsTextsWithoutHash) {
  const std::string text = "<Process Name='Заявка \"A&B\"'>\r\n\tfirst line\f</Process>";
  EXPECT_EQ(UnescapeText(EscapeText(text)), text);
}

// A text of `units` UTF-16 units made of `piece` (of `piece_units` units)
// with one blank at the end.
std::string LongText(std::string_view piece, size_t piece_units, size_t units) {
  size_t pieces = (units - 1) / piece_units;
  std::string s = Repeat(piece, pieces);
  s.append(units - 1 - pieces * piece_units, 'a');
  s += ' ';
  EXPECT_EQ(text::Length(s), units);
  return s;
}

struct ThresholdCase {
  const char* what;
  std::string_view piece;
  size_t piece_units;
};

void PrintTo(const ThresholdCase& c, std::ostream* os) { *os << c.what; }

class LongTextThreshold : public ::testing::TestWithParam<ThresholdCase> {};

// The threshold counts characters as the platform does (UTF-16 units): a
// Cyrillic letter is one character of two bytes, a character outside the
// BMP two characters of four bytes.
TEST_P(LongTextThreshold, EscapesFrom32001Characters) {
  const ThresholdCase& c = GetParam();
  std::string below = LongText(c.piece, c.piece_units, 32000);
  EXPECT_EQ(EscapeLongText(below), below);
  std::string at = LongText(c.piece, c.piece_units, 32001);
  std::string escaped = EscapeLongText(at);
  EXPECT_EQ(escaped, at.substr(0, at.size() - 1) + "#sp#");
  EXPECT_EQ(UnescapeLongText(escaped), at);
}

INSTANTIATE_TEST_SUITE_P(EscapeCodes, LongTextThreshold,
                         ::testing::Values(ThresholdCase{"ASCII", "x", 1}, ThresholdCase{"Cyrillic", "ж", 1},
                                           ThresholdCase{"outside the BMP", "😀", 2}));

TEST(UnescapeLongText, LeavesShortTextsCoded) {
  // 32004 bytes, but 16004 characters.
  std::string cyrillic = Repeat("ж", 16000) + "#sp#";
  EXPECT_EQ(UnescapeLongText(cyrillic), cyrillic);
  std::string ascii = Repeat("x", 31996) + "#sp#";
  EXPECT_EQ(UnescapeLongText(ascii), ascii);
  EXPECT_EQ(UnescapeLongText(Repeat("x", 31997) + "#sp#"), Repeat("x", 31997) + " ");
}

}  // namespace
}  // namespace vorlane
