#include "platform/com/variant.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <optional>

#include "platform/com/locale.h"
#include "tests/com/code_of.h"

namespace com {
namespace {

using T = Variant::Type;

// What a conversion gives: a value, or the code it fails with.
struct Case {
  const char* what;
  Variant in;
  T to;
  Variant out;          // expected value when `fails` is 0
  HResult fails = 0;
  int locale = 1033;
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.what; }

Variant Text(const char* s) { return Variant(s); }

class ConversionTable : public ::testing::TestWithParam<Case> {};

TEST_P(ConversionTable, ConvertsByTheAutomationRules) {
  const Case& c = GetParam();
  ScopedThreadLocale locale(c.locale);
  if (c.fails) {
    try {
      c.in.ChangeType(c.to);
      FAIL() << c.what << ": no error";
    } catch (const Error& e) {
      EXPECT_EQ(e.code(), c.fails) << c.what;
    }
  } else {
    EXPECT_EQ(c.in.ChangeType(c.to), c.out) << c.what;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Variant, ConversionTable,
    ::testing::Values(
        // Integers round half to even and overflow out of range.
        Case{"2.5 to I4", Variant(2.5), T::I4, Variant(2)},
        Case{"3.5 to I4", Variant(3.5), T::I4, Variant(4)},
        Case{"-2.5 to I4", Variant(-2.5), T::I4, Variant(-2)},
        Case{"2.6 to I4", Variant(2.6), T::I4, Variant(3)},
        Case{"0.5 to I2", Variant(0.5), T::I2, Variant(int16_t{0})},
        Case{"1.5 to I2", Variant(1.5), T::I2, Variant(int16_t{2})},
        Case{"32767.4 to I2", Variant(32767.4), T::I2, Variant(int16_t{32767})},
        Case{"32767.5 to I2", Variant(32767.5), T::I2, Variant(), hr::kOverflow},
        Case{"40000 to I2", Variant(40000), T::I2, Variant(), hr::kOverflow},
        Case{"-32768 to I2", Variant(-32768), T::I2, Variant(int16_t{-32768})},
        Case{"2^31 to I4", Variant(2147483648.0), T::I4, Variant(), hr::kOverflow},
        Case{"1e300 to R4", Variant(1e300), T::R4, Variant(), hr::kOverflow},
        // Text reads as a number in the thread's locale.
        Case{"text 12", Text("12"), T::I4, Variant(12)},
        Case{"text with blanks and sign", Text("  -7 "), T::I4, Variant(-7)},
        Case{"text with exponent", Text("1.5e2"), T::R8, Variant(150.0)},
        Case{"text 2.5 to I4 rounds", Text("2.5"), T::I4, Variant(2)},
        Case{"comma locale reads a comma", Text("1,5"), T::R8, Variant(1.5), 0, 1049},
        Case{"comma locale refuses a point", Text("1.5"), T::R8, Variant(), hr::kTypeMismatch, 1049},
        Case{"point locale refuses a comma", Text("1,5"), T::R8, Variant(), hr::kTypeMismatch},
        Case{"text abc", Text("abc"), T::I4, Variant(), hr::kTypeMismatch},
        Case{"empty text", Text(""), T::I4, Variant(), hr::kTypeMismatch},
        Case{"bare sign", Text("-"), T::R8, Variant(), hr::kTypeMismatch},
        // Booleans are -1 and 0 as numbers and True/False as text.
        Case{"True to I4", Variant(true), T::I4, Variant(-1)},
        Case{"False to I2", Variant(false), T::I2, Variant(int16_t{0})},
        Case{"True to text", Variant(true), T::Text, Text("True")},
        Case{"text true", Text("true"), T::Bool, Variant(true)},
        Case{"text False", Text(" False "), T::Bool, Variant(false)},
        Case{"text 0 to Bool", Text("0"), T::Bool, Variant(false)},
        Case{"text 2 to Bool", Text("2"), T::Bool, Variant(true)},
        Case{"text yes to Bool", Text("yes"), T::Bool, Variant(), hr::kTypeMismatch},
        Case{"0.25 to Bool", Variant(0.25), T::Bool, Variant(true)},
        // Empty gives 0, "" or False; Null raises invalid use of Null.
        Case{"Empty to I4", Variant(), T::I4, Variant(0)},
        Case{"Empty to text", Variant(), T::Text, Text("")},
        Case{"Empty to Bool", Variant(), T::Bool, Variant(false)},
        Case{"Empty to Date", Variant(), T::Date, Variant(Date{0})},
        Case{"Null to I4", Variant::Null(), T::I4, Variant(), hr::kInvalidUseOfNull},
        Case{"Null to text", Variant::Null(), T::Text, Variant(), hr::kInvalidUseOfNull},
        Case{"Null to Null", Variant::Null(), T::Null, Variant::Null()},
        // Numbers become text in their shortest exact form, with the locale's separator.
        Case{"1.5 to text", Variant(1.5), T::Text, Text("1.5")},
        Case{"1.5 to text in 1049", Variant(1.5), T::Text, Text("1,5"), 0, 1049},
        Case{"0.1 to text", Variant(0.1), T::Text, Text("0.1")},
        Case{"1/3 to text", Variant(1.0 / 3.0), T::Text, Text("0.3333333333333333")},
        Case{"1e6 to text", Variant(1e6), T::Text, Text("1000000")},
        Case{"1e20 to text", Variant(1e20), T::Text, Text("1E+20")},
        Case{"1e-7 to text", Variant(1e-7), T::Text, Text("1E-07")},
        Case{"0.00001 to text", Variant(0.00001), T::Text, Text("0.00001")},
        Case{"-0 to text", Variant(-0.0), T::Text, Text("0")},
        Case{"float 0.1 to text", Variant(0.1f), T::Text, Text("0.1")},
        Case{"I2 to text", Variant(int16_t{-5}), T::Text, Text("-5")},
        // Dates are day serials; they read from ISO 8601 and the locale's short form.
        Case{"ISO date", Text("2026-12-08"), T::Date, Variant(Date{46364})},
        Case{"ISO date and time", Text("2026-12-08T12:00:00"), T::Date, Variant(Date{46364.5})},
        Case{"US short date", Text("12/8/2026"), T::Date, Variant(Date{46364})},
        Case{"Russian short date", Text("08.12.2026"), T::Date, Variant(Date{46364}), 0, 1049},
        Case{"impossible date", Text("2026-02-30"), T::Date, Variant(), hr::kTypeMismatch},
        Case{"date to text", Variant(Date{46364}), T::Text, Text("12/8/2026")},
        Case{"date and time to text", Variant(Date{46364.75}), T::Text, Text("12/8/2026 6:00:00 PM")},
        Case{"date to text in 1049", Variant(Date{46364.75}), T::Text, Text("08.12.2026 18:00:00"), 0, 1049},
        Case{"day zero", Variant(Date{0}), T::Text, Text("12/30/1899")},
        Case{"date to R8", Variant(Date{1.5}), T::R8, Variant(1.5)},
        Case{"date out of range", Variant(1e9), T::Date, Variant(), hr::kOverflow},
        // Objects and missing arguments do not convert to plain values.
        Case{"missing to I4", Variant::Missing(), T::I4, Variant(), hr::kTypeMismatch},
        Case{"array to text", Variant(Variant::Array{Variant(1)}), T::Text, Variant(), hr::kTypeMismatch}),
    [](const ::testing::TestParamInfo<Case>& info) {
      std::string name;
      for (const char* p = info.param.what; *p; ++p) name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
      return name;
    });

TEST(VariantNumeric, FollowsTheConversionRules) {
  EXPECT_TRUE(Variant().IsNumeric());
  EXPECT_TRUE(Variant(true).IsNumeric());
  EXPECT_TRUE(Variant(3).IsNumeric());
  EXPECT_TRUE(Variant(" 12 ").IsNumeric());
  EXPECT_FALSE(Variant("abc").IsNumeric());
  EXPECT_FALSE(Variant("").IsNumeric());
  EXPECT_FALSE(Variant::Null().IsNumeric());
  EXPECT_FALSE(Variant(Date{3}).IsNumeric());
  {
    ScopedThreadLocale ru(1049);
    EXPECT_TRUE(Variant("1,5").IsNumeric());
    EXPECT_FALSE(Variant("1.5").IsNumeric());
  }
}

TEST(VariantCompare, FollowsTheRuntimeComparison) {
  struct Row {
    Variant a, b;
    Comparison want;
  } rows[] = {
      {Variant(), Variant(0), Comparison::Equal},
      {Variant(), Variant(""), Comparison::Equal},
      {Variant(), Variant(false), Comparison::Equal},
      {Variant(int16_t{2}), Variant(2.0), Comparison::Equal},
      {Variant(true), Variant(-1), Comparison::Equal},
      {Variant(Date{5}), Variant(5), Comparison::Equal},
      {Variant(1), Variant(2.5f), Comparison::Less},
      {Variant("a"), Variant("A"), Comparison::Greater},  // binary: case-sensitive
      {Variant("abc"), Variant("abc"), Comparison::Equal},
      {Variant(1), Variant("1"), Comparison::Less},      // a number never equals a text
      {Variant("1"), Variant(1), Comparison::Greater},
      {Variant::Null(), Variant(1), Comparison::Null},
      {Variant(), Variant::Null(), Comparison::Null},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(Compare(r.a, r.b), r.want) << r.a.ToText() << " vs " << r.b.ToText();
  }
}

TEST(VariantDates, SplitAndMakeAgree) {
  auto d = MakeDate(2026, 12, 8, 15, 4, 5);
  ASSERT_TRUE(d);
  DateParts p = SplitDate(*d);
  EXPECT_EQ(p.year, 2026);
  EXPECT_EQ(p.month, 12);
  EXPECT_EQ(p.day, 8);
  EXPECT_EQ(p.hour, 15);
  EXPECT_EQ(p.minute, 4);
  EXPECT_EQ(p.second, 5);
  EXPECT_EQ(DateToIso(*d), "2026-12-08T15:04:05");
  // Before day 0 the fraction still counts forward from midnight.
  auto before = MakeDate(1899, 12, 29, 6);
  ASSERT_TRUE(before);
  EXPECT_DOUBLE_EQ(before->serial, -1.25);
  EXPECT_EQ(DateToIso(*before), "1899-12-29T06:00:00");
  EXPECT_FALSE(MakeDate(2025, 2, 29));
  EXPECT_TRUE(MakeDate(2024, 2, 29));
}

TEST(VariantText, NumbersRoundTripExactly) {
  for (double v : {0.1, 1.0 / 3.0, 123456.789, 1e-300, 2.5e15, -7.125, 9007199254740993.0}) {
    auto back = TextToNumber(NumberToText(v));
    ASSERT_TRUE(back) << NumberToText(v);
    EXPECT_EQ(*back, v) << NumberToText(v);
  }
}

using test::CodeOf;

TEST(VariantText, BeyondADoubleOverflowsAndBelowItIsZero) {
  EXPECT_EQ(CodeOf([] { TextToNumber("1e309"); }), hr::kOverflow);
  EXPECT_EQ(CodeOf([] { TextToNumber("-1000000e303"); }), hr::kOverflow);
  EXPECT_EQ(CodeOf([] { Variant("1e309").ToR8(); }), hr::kOverflow);
  // Numbers too small for a double are no overflow: they read as zero, with their sign.
  for (const char* tiny : {"1e-400", "0.0001e-330", "-123e-99999999999", "0.000000000000000000001e-310"}) {
    std::optional<double> v = TextToNumber(tiny);
    ASSERT_TRUE(v) << tiny;
    EXPECT_EQ(*v, 0.0) << tiny;
    EXPECT_EQ(std::signbit(*v), tiny[0] == '-') << tiny;
  }
  EXPECT_EQ(Variant("1e-400").ToR8(), 0.0);
  EXPECT_EQ(TextToNumber("4.9406564584124654e-324"), 4.9406564584124654e-324);
}

TEST(VariantPointers, NeverBecomeBool) {
  // A char pointer is text; any other pointer does not compile (deleted constructor).
  EXPECT_EQ(Variant("x").type(), T::Text);
  static_assert(!std::is_constructible_v<Variant, const int*>);
}

}  // namespace
}  // namespace com
