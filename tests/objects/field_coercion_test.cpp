#include "common/field_coercion.h"

#include <gtest/gtest.h>

#include "platform/com/error.h"
#include "platform/com/locale.h"

namespace vorlane {
namespace {

using com::Variant;

com::Variant Day(double serial) { return Variant(com::Date{serial}); }

// One field value and what each coercion makes of it; `fails` for a
// coercion that raises (0 when none does).
struct FieldCase {
  const char* what;
  Variant in;
  std::string text;
  int32_t long_value;
  int16_t integer_value;
  float single_value;
  bool boolean_value;
  int locale = 1033;
};

void PrintTo(const FieldCase& c, std::ostream* os) { *os << c.what; }

class FieldTable : public ::testing::TestWithParam<FieldCase> {};

TEST_P(FieldTable, CoercesAsPropertiesRead) {
  const FieldCase& c = GetParam();
  com::ScopedThreadLocale locale(c.locale);
  EXPECT_EQ(FieldToString(c.in), c.text);
  EXPECT_EQ(FieldToLong(c.in), c.long_value);
  EXPECT_EQ(FieldToInteger(c.in), c.integer_value);
  EXPECT_EQ(FieldToSingle(c.in), c.single_value);
  EXPECT_EQ(FieldToBoolean(c.in), c.boolean_value);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, FieldTable,
    ::testing::Values(
        // Empty fields never fail.
        FieldCase{"Null", Variant::Null(), "", 0, 0, 0.f, false},
        FieldCase{"Empty", Variant(), "", 0, 0, 0.f, false},
        FieldCase{"zero-length text", Variant(""), "", 0, 0, 0.f, false},
        FieldCase{"number 0", Variant(0), "0", 0, 0, 0.f, false},
        FieldCase{"text 12", Variant("12"), "12", 12, 12, 12.f, true},
        // Integers round half to even.
        FieldCase{"2.5", Variant(2.5), "2.5", 2, 2, 2.5f, true},
        FieldCase{"3.5", Variant(3.5), "3.5", 4, 4, 3.5f, true},
        FieldCase{"-2.5", Variant(-2.5), "-2.5", -2, -2, -2.5f, true},
        // A number in the locale's own form is numeric; another form is not.
        FieldCase{"text 2,5 in Russian", Variant("2,5"), "2,5", 2, 2, 2.5f, true, 1049},
        FieldCase{"Russian 3.5 with a comma", Variant(3.5), "3,5", 4, 4, 3.5f, true, 1049},
        // A date is not numeric: 0 for every number, text for the text.
        FieldCase{"a date", Day(45000.0), "3/15/2023", 0, 0, 0.f, true},
        FieldCase{"True", Variant(true), "True", -1, -1, -1.f, true},
        FieldCase{"False", Variant(false), "False", 0, 0, 0.f, false},
        FieldCase{"text True", Variant("True"), "True", 0, 0, 0.f, true},
        FieldCase{"I2", Variant(int16_t{-7}), "-7", -7, -7, -7.f, true}));

TEST(FieldToLong, IsZeroForTextThatIsNoNumber) {
  EXPECT_EQ(FieldToLong(Variant("abc")), 0);
  EXPECT_EQ(FieldToInteger(Variant("12abc")), 0);
  EXPECT_EQ(FieldToSingle(Variant("1.5.1")), 0.f);
  com::ScopedThreadLocale russian(1049);
  EXPECT_EQ(FieldToLong(Variant("2.5")), 0);  // not a number where the separator is a comma
}

TEST(FieldToLong, FailsWithOverflowOutOfRange) {
  auto code = [](auto f) -> com::HResult {
    try {
      f();
    } catch (const com::Error& e) {
      return e.code();
    }
    return 0;
  };
  EXPECT_EQ(code([] { FieldToLong(Variant(2147483648.0)); }), com::hr::kOverflow);
  EXPECT_EQ(code([] { FieldToLong(Variant("1e10")); }), com::hr::kOverflow);
  EXPECT_EQ(code([] { FieldToInteger(Variant(40000)); }), com::hr::kOverflow);
  EXPECT_EQ(code([] { FieldToInteger(Variant(32767.5)); }), com::hr::kOverflow);
  EXPECT_EQ(code([] { FieldToSingle(Variant(1e300)); }), com::hr::kOverflow);
  EXPECT_EQ(FieldToInteger(Variant(32767.4)), 32767);
}

TEST(FieldToBoolean, FailsOnTextThatIsNeitherNumberNorBooleanWord) {
  try {
    FieldToBoolean(Variant("abc"));
    FAIL() << "no error";
  } catch (const com::Error& e) {
    EXPECT_EQ(e.code(), com::hr::kTypeMismatch);
  }
  EXPECT_FALSE(FieldToBoolean(Variant("false")));
  EXPECT_TRUE(FieldToBoolean(Variant("-1")));
  EXPECT_FALSE(FieldToBoolean(Variant("0")));
}

}  // namespace
}  // namespace vorlane
