#include "common/typed_text.h"

#include <gtest/gtest.h>

#include "platform/com/error.h"
#include "platform/com/locale.h"

namespace vorlane {
namespace {

using com::Variant;
using T = VarTypeEnum;

// Locales with "." and with "," as the decimal separator.
constexpr int kLocales[] = {1033, 1049, 1058, 1062, 1031};

TEST(DecimalSeparator, IsTheLocalesSeparator) {
  com::ScopedThreadLocale english(1033);
  EXPECT_EQ(DecimalSeparator(), ".");
  com::ScopedThreadLocale russian(1049);
  EXPECT_EQ(DecimalSeparator(), ",");
}

// What ValueToText gives in every locale.
struct OutCase {
  const char* what;
  T type;
  Variant in;
  std::string out;
};

void PrintTo(const OutCase& c, std::ostream* os) { *os << c.what; }

class ValueToTextTable : public ::testing::TestWithParam<OutCase> {};

TEST_P(ValueToTextTable, IsInvariant) {
  const OutCase& c = GetParam();
  for (int lcid : kLocales) {
    com::ScopedThreadLocale locale(lcid);
    EXPECT_EQ(ValueToText(c.type, c.in), c.out) << c.what << " in " << lcid;
  }
}

INSTANTIATE_TEST_SUITE_P(
    TypedText, ValueToTextTable,
    ::testing::Values(
        OutCase{"float one and a half", T::Float, Variant(1.5), "1.5"},
        OutCase{"negative small float", T::Float, Variant(-0.000125), "-0.000125"},
        OutCase{"float from an integer", T::Float, Variant(3), "3"},
        OutCase{"integer rounds half to even", T::Integer, Variant(2.5), "2"},
        OutCase{"integer", T::Integer, Variant(-42), "-42"},
        OutCase{"boolean true", T::Boolean, Variant(true), "1"},
        OutCase{"boolean false", T::Boolean, Variant(false), "0"},
        OutCase{"boolean from a number", T::Boolean, Variant(7), "1"},
        OutCase{"date with time", T::DateTime, Variant(com::Date{45000.25}), "45000.25"},
        OutCase{"date before 1900", T::DateTime, Variant(com::Date{-1.5}), "-1.5"},
        OutCase{"string", T::String, Variant("a b"), "a b"},
        OutCase{"generic number", T::Generic, Variant(12), "12"},
        OutCase{"enum text", T::Enum, Variant("{ID}"), "{ID}"},
        OutCase{"Null", T::Integer, Variant::Null(), ""},
        OutCase{"Empty", T::Float, Variant(), ""},
        OutCase{"empty text as boolean", T::Boolean, Variant(""), ""},
        OutCase{"unknown type", static_cast<T>(9), Variant(5), ""}));

TEST(ValueToText, ReadsLocaleTextBeforeWriting) {
  com::ScopedThreadLocale russian(1049);
  EXPECT_EQ(ValueToText(T::Float, Variant("2,75")), "2.75");
  EXPECT_EQ(ValueToText(T::Integer, Variant("2,5")), "2");
}

TEST(TextToValue, ReadsFloatsInEveryLocale) {
  for (int lcid : kLocales) {
    com::ScopedThreadLocale locale(lcid);
    EXPECT_EQ(TextToValue("1.5", T::Float), Variant(1.5)) << lcid;
    EXPECT_EQ(TextToValue("-0.000125", T::Float), Variant(-0.000125)) << lcid;
    EXPECT_EQ(TextToValue("1.5E+20", T::Float), Variant(1.5e20)) << lcid;
  }
}

TEST(TextToValue, GivesTheTypeOfTheVariable) {
  EXPECT_EQ(TextToValue("", T::Integer), Variant(""));
  EXPECT_EQ(TextToValue("", static_cast<T>(99)), Variant(""));
  EXPECT_EQ(TextToValue("x", static_cast<T>(99)), Variant());
  EXPECT_EQ(TextToValue("42", T::Integer), Variant(42));
  EXPECT_EQ(TextToValue("2.5", T::Integer), Variant(2));
  EXPECT_EQ(TextToValue(" text ", T::String), Variant(" text "));
  EXPECT_EQ(TextToValue("7", T::Generic), Variant("7"));
  EXPECT_EQ(TextToValue("3", T::Enum), Variant("3"));
}

TEST(TextToValue, BooleanIsTrueOnlyForOne) {
  EXPECT_EQ(TextToValue("1", T::Boolean), Variant(true));
  EXPECT_EQ(TextToValue("2", T::Boolean), Variant(false));
  EXPECT_EQ(TextToValue("0", T::Boolean), Variant(false));
  EXPECT_EQ(TextToValue("-1", T::Boolean), Variant(false));
  EXPECT_EQ(TextToValue("0.6", T::Boolean), Variant(true));  // its integer value is 1
}

TEST(TextToValue, DateTimeReadsADateOrASerialNumber) {
  com::ScopedThreadLocale russian(1049);
  EXPECT_EQ(TextToValue("45000.25", T::DateTime), Variant(com::Date{45000.25}));
  EXPECT_EQ(TextToValue("-1.5", T::DateTime), Variant(com::Date{-1.5}));
  EXPECT_EQ(TextToValue("15.03.2023", T::DateTime), Variant(*com::MakeDate(2023, 3, 15)));
  EXPECT_EQ(TextToValue("2023-03-15T06:00:00", T::DateTime), Variant(com::Date{45000.25}));
}

TEST(TextToValue, RoundTripsWhatValueToTextWrote) {
  const std::pair<T, Variant> values[] = {
      {T::Float, Variant(0.1)},
      {T::Float, Variant(-123456.789)},
      {T::Float, Variant(1e-7)},
      {T::Integer, Variant(-2147483647 - 1)},
      {T::Boolean, Variant(true)},
      {T::DateTime, Variant(com::Date{45000.123456})},
  };
  for (int write : kLocales) {
    for (int read : kLocales) {
      for (const auto& [type, value] : values) {
        std::string text;
        {
          com::ScopedThreadLocale locale(write);
          text = ValueToText(type, value);
        }
        com::ScopedThreadLocale locale(read);
        EXPECT_EQ(TextToValue(text, type), value) << text << " written in " << write << ", read in " << read;
      }
    }
  }
}

TEST(TextToValue, FailsWithTheConversionsError) {
  auto code = [](std::string_view text, T type) -> com::HResult {
    try {
      TextToValue(text, type);
    } catch (const com::Error& e) {
      return e.code();
    }
    return 0;
  };
  EXPECT_EQ(code("abc", T::Integer), com::hr::kTypeMismatch);
  EXPECT_EQ(code("abc", T::Float), com::hr::kTypeMismatch);
  EXPECT_EQ(code("abc", T::DateTime), com::hr::kTypeMismatch);
  EXPECT_EQ(code("3000000000", T::Integer), com::hr::kOverflow);
  EXPECT_EQ(code("1e9", T::DateTime), com::hr::kOverflow);  // beyond the year 9999
}

}  // namespace
}  // namespace vorlane
