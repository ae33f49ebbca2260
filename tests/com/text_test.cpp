#include "platform/com/text.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cctype>
#include <cstdio>
#include <optional>

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

TEST(Text, EqualNoCaseFoldsLettersOnly) {
  // Bytes that differ by the letter-case bit are equal only when they are letters.
  EXPECT_FALSE(text::EqualNoCase("a@b", "a`b"));
  EXPECT_FALSE(text::EqualNoCase("[", "{"));
  EXPECT_FALSE(text::EqualNoCase("^", "~"));
  EXPECT_TRUE(text::EqualNoCase("Caption", "cAPTION"));
  EXPECT_FALSE(text::EqualNoCase("Caption", "Captiom"));
  // An ASCII start, then letters of another script: compared by character from there.
  EXPECT_TRUE(text::EqualNoCase("ID_Ключ", "id_кЛЮЧ"));
  EXPECT_FALSE(text::EqualNoCase("ID_Ключ", "id_Клюя"));
  EXPECT_TRUE(text::EqualNoCase("straße", "STRAßE"));
  EXPECT_FALSE(text::EqualNoCase("", "a"));
  EXPECT_TRUE(text::EqualNoCase("", ""));
  // What compares equal hashes equal.
  EXPECT_EQ(text::NoCaseHash{}("ID_Ключ"), text::NoCaseHash{}("id_кЛЮЧ"));
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
  // Every place, braces and dashes included.
  for (size_t at = 0; at < good.size(); ++at) {
    const bool digit_place = std::isxdigit(static_cast<unsigned char>(good[at]));
    for (int c = 0; c < 256; ++c) {
      const bool digit = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
      std::string text = good;
      text[at] = static_cast<char>(c);
      const bool same = c == static_cast<unsigned char>(good[at]);
      EXPECT_EQ(com::Guid::Parse(text).has_value(), digit_place ? digit : same) << "byte " << c << " at " << at;
    }
  }
  // Each digit lands in its own place, with its value, in either case.
  const std::string hex = "0123456789abcdef";
  for (size_t digit = 0; digit < 32; ++digit) {
    for (size_t value = 0; value < 16; ++value) {
      std::string text = "{00000000-0000-0000-0000-000000000000}";
      const size_t at = 1 + digit + (digit >= 8) + (digit >= 12) + (digit >= 16) + (digit >= 20);
      text[at] = hex[value];
      std::array<uint8_t, 16> expected{};
      expected[digit / 2] = static_cast<uint8_t>(digit % 2 ? value : value << 4);
      EXPECT_EQ(com::Guid::Parse(text)->bytes(), expected) << text;
      text[at] = static_cast<char>(std::toupper(hex[value]));
      EXPECT_EQ(com::Guid::Parse(text)->bytes(), expected) << text;
    }
  }
  constexpr com::Guid at_compile_time{"{0ef6bcca-7a09-4027-a3a2-d2eeeca1bf4d}"};
  EXPECT_EQ(com::Guid::Parse(good), at_compile_time);
  EXPECT_EQ(com::Guid::Parse("{00000000-0000-0000-0000-00000000000F}")->bytes()[15], 0x0F);
  EXPECT_EQ(com::Guid::Parse("{F0000000-0000-0000-0000-000000000000}")->bytes()[0], 0xF0);
  EXPECT_EQ(com::Guid::Parse("{00000000-0000-0000-00a0-000000000000}")->bytes()[9], 0xA0);
}

TEST(Guid, WritesEveryByteAtEveryPlace) {
  for (size_t at = 0; at < 16; ++at) {
    for (int value = 0; value < 256; ++value) {
      std::array<uint8_t, 16> bytes{};
      bytes[at] = static_cast<uint8_t>(value);
      std::string expected = "{";
      for (size_t i = 0; i < 16; ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10) expected += '-';
        char pair[3];
        std::snprintf(pair, sizeof pair, "%02X", bytes[i]);
        expected += pair;
      }
      expected += '}';
      const std::optional<com::Guid> g = com::Guid::Parse(expected);
      ASSERT_TRUE(g && g->bytes() == bytes) << expected;
      EXPECT_EQ(g->ToString(), expected);
    }
  }
}

// A child made by fork must not go on making its parent's IDs: both would
// write rows and cards under the same new IDs.
TEST(Guid, AChildMadeByForkMakesOtherIdsThanItsParent) {
  com::Guid::Generate();  // the parent's generator is under way
  int pipe_ends[2];
  ASSERT_EQ(pipe(pipe_ends), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    const com::Guid made = com::Guid::Generate();
    const bool sent = write(pipe_ends[1], made.bytes().data(), 16) == 16;
    _exit(sent ? 0 : 1);
  }
  const com::Guid mine = com::Guid::Generate();
  std::array<uint8_t, 16> theirs{};
  EXPECT_EQ(read(pipe_ends[0], theirs.data(), 16), 16);
  int status = 0;
  waitpid(child, &status, 0);
  close(pipe_ends[0]);
  close(pipe_ends[1]);
  EXPECT_EQ(status, 0);
  EXPECT_NE(theirs, mine.bytes());
}

TEST(Error, ReadsAsCodeAndDescription) {
  EXPECT_EQ(com::Error(com::hr::kTypeMismatch).ToString(), "0x800A000D: Type mismatch");
  com::Error e(0x80040000, "CreateGUID", "StringFromGUID2 failed");
  EXPECT_EQ(e.source(), "CreateGUID");
  EXPECT_STREQ(e.what(), "0x80040000: StringFromGUID2 failed");
}

}  // namespace
