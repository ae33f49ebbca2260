#include "platform/com/text.h"

#include <gtest/gtest.h>

#include "platform/com/error.h"
#include "platform/com/guid.h"

namespace {

TEST(Text, CountsUtf16Units) {
  EXPECT_EQ(text::Length(""), 0u);
  EXPECT_EQ(text::Length("abc"), 3u);
  EXPECT_EQ(text::Length("Привет"), 6u);  // 12 bytes
  EXPECT_EQ(text::Length("a😀b"), 4u);     // a surrogate pair is two characters
}

TEST(Text, LeftNeverSplitsACharacter) {
  EXPECT_EQ(text::Left("Привет", 3), "При");
  EXPECT_EQ(text::Left("a😀b", 2), "a");  // the pair would straddle the cut
  EXPECT_EQ(text::Left("a😀b", 3), "a😀");
  EXPECT_EQ(text::Left("abc", 10), "abc");
  EXPECT_EQ(text::Left("abc", 0), "");
}

TEST(Text, CaseFoldsLatinAndCyrillic) {
  EXPECT_EQ(text::Upper("abc-Привет-ёж-straße"), "ABC-ПРИВЕТ-ЁЖ-STRAßE");
  EXPECT_EQ(text::Lower("ÀÉ ĀČ ЇЄ"), "àé āč їє");
  EXPECT_TRUE(text::EqualNoCase("{ab-Cd}", "{AB-cD}"));
  EXPECT_TRUE(text::EqualNoCase("Ключ", "кЛЮЧ"));
  EXPECT_FALSE(text::EqualNoCase("ab", "abc"));
  EXPECT_LT(text::CompareNoCase("apple", "Banana"), 0);
  EXPECT_EQ(text::FindNoCase("one {AbC} two", "{abc}"), 4u);
  EXPECT_EQ(text::FindNoCase("Данные", "НН"), 4u);
  EXPECT_EQ(text::NoCaseHash{}("Ключ"), text::NoCaseHash{}("КЛЮЧ"));
}

TEST(Text, RoundTripsUtf16AndKeepsMalformedBytes) {
  std::string s = "Zß Ж 😀";
  EXPECT_EQ(text::FromUtf16(text::ToUtf16(s)), s);
  std::string bad = "a\xC3";  // a lead byte with nothing after it
  EXPECT_EQ(text::Length(bad), 2u);
  EXPECT_EQ(text::Upper(bad), "A\xC3");
  EXPECT_EQ(text::ReplaceAll("a b  c", " ", "#sp#"), "a#sp#b#sp##sp#c");
}

TEST(Guid, ParsesFormatsAndGenerates) {
  auto g = com::Guid::Parse(" {0ef6bcca-7a09-4027-a3a2-d2eeeca1bf4d} ");
  ASSERT_TRUE(g);
  EXPECT_EQ(g->ToString(), "{0EF6BCCA-7A09-4027-A3A2-D2EEECA1BF4D}");
  EXPECT_EQ(com::Guid::Parse("0EF6BCCA-7A09-4027-A3A2-D2EEECA1BF4D"), g);
  EXPECT_FALSE(com::Guid::Parse("{0EF6BCCA-7A09-4027-A3A2-D2EEECA1BF4}"));
  EXPECT_FALSE(com::Guid::Parse("{0EF6BCCA-7A09-4027-A3A2_D2EEECA1BF4D}"));
  EXPECT_FALSE(com::Guid::Parse("{0EF6BCCA-7A09-4027-A3A2-D2EEECA1BF4D"));
  constexpr com::Guid literal{"{00000000-0000-0000-C000-000000000046}"};
  EXPECT_EQ(literal.bytes()[8], 0xC0);
  auto a = com::Guid::Generate(), b = com::Guid::Generate();
  EXPECT_NE(a, b);
  EXPECT_EQ(a.ToString()[15], '4');  // version 4
  EXPECT_EQ(com::Guid::Parse(a.ToString()), a);
}

TEST(Guid, EveryByteThatIsNoDigitSpoilsAnyPosition) {
  const std::string good = "{0EF6BCCA-7A09-4027-A3A2-D2EEECA1BF4D}";
  for (size_t at : {1u, 2u, 11u, 20u, 36u}) {
    for (int c = 0; c < 256; ++c) {
      const bool digit = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
      std::string text = good;
      text[at] = static_cast<char>(c);
      EXPECT_EQ(com::Guid::Parse(text).has_value(), digit) << "byte " << c << " at " << at;
    }
  }
  // The text form alone takes the upper-case digits only, and nothing else
  // around or missing.
  for (size_t at : {1u, 20u, 36u}) {
    for (int c = 0; c < 256; ++c) {
      const bool digit = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
      std::string text = good;
      text[at] = static_cast<char>(c);
      EXPECT_EQ(com::Guid::ParseTextForm(text).has_value(), digit) << "byte " << c << " at " << at;
    }
  }
  EXPECT_EQ(com::Guid::ParseTextForm(good), com::Guid::Parse(good));
  for (std::string other : {" " + good, good + " ", good.substr(1, 36), "[" + good.substr(1, 36) + "]"}) {
    EXPECT_FALSE(com::Guid::ParseTextForm(other)) << other;
  }
  // Each digit lands in its own place.
  EXPECT_EQ(com::Guid::Parse("{00000000-0000-0000-0000-00000000000F}")->bytes()[15], 0x0F);
  EXPECT_EQ(com::Guid::Parse("{F0000000-0000-0000-0000-000000000000}")->bytes()[0], 0xF0);
  EXPECT_EQ(com::Guid::Parse("{00000000-0000-0000-00a0-000000000000}")->bytes()[9], 0xA0);
}

TEST(Error, ReadsAsCodeAndDescription) {
  EXPECT_EQ(com::Error(com::hr::kTypeMismatch).ToString(), "0x800A000D: Type mismatch");
  com::Error e(0x80040000, "CreateGUID", "StringFromGUID2 failed");
  EXPECT_EQ(e.source(), "CreateGUID");
  EXPECT_STREQ(e.what(), "0x80040000: StringFromGUID2 failed");
}

}  // namespace
