// Typed fields: what SetField stores for each field type, and what it refuses.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/com/locale.h"
#include "tests/embedded/store_fixture.h"

namespace embedded::testing {
namespace {

using T = com::Variant::Type;

struct FieldCase {
  const char* what;
  const char* section;
  const char* field;
  com::Variant in;
  com::Variant out;          // what GetField gives back
  com::HResult fails = 0;    // the code SetField fails with instead
  int32_t locale = 1033;
};

void PrintTo(const FieldCase& c, std::ostream* os) { *os << c.what; }

class TypedField : public StoreTest, public ::testing::WithParamInterface<FieldCase> {};

com::Ref<ostrel::Row> RowOf(const com::Ref<ostrel::CardData>& card, const char* section) {
  auto s = card->GetSections()->Item(section);
  if (s->GetSchema()->GetSectionKind() == ostrel::section_kind::kSingleRow) return s->GetFirstRow();
  return s->GetRows()->AddNew(0);
}

TEST_P(TypedField, StoresTheValueConvertedToTheFieldType) {
  const FieldCase& c = GetParam();
  auto card = NewProcess(Session("alice", c.locale));
  auto row = RowOf(card, c.section);
  com::Variant before;
  bool known = CodeOf([&] { before = row->GetField(c.field); }) == 0;
  com::HResult code = CodeOf([&] { row->SetField(c.field, c.in); });
  EXPECT_EQ(code, c.fails) << c.what;
  if (c.fails) {
    if (known) {
      EXPECT_EQ(row->GetField(c.field), before) << c.what << ": a refused value leaves the field";
    }
  } else {
    EXPECT_EQ(row->GetField(c.field), c.out) << c.what;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, TypedField,
    ::testing::Values(
        FieldCase{"I2 into int", kMainInfo, "State", com::Variant(int16_t{3}), com::Variant(int32_t{3})},
        FieldCase{"text into int", kMainInfo, "State", Text("12"), com::Variant(int32_t{12})},
        FieldCase{"half rounds to even", kMainInfo, "State", com::Variant(2.5), com::Variant(int32_t{2})},
        FieldCase{"word into int", kMainInfo, "State", Text("many"), {}, com::hr::kTypeMismatch},
        FieldCase{"too big for I2", kMainInfo, "Priority", com::Variant(int32_t{40000}), {}, com::hr::kOverflow},
        FieldCase{"number into text", kMainInfo, "Name", com::Variant(int32_t{5}), Text("5")},
        FieldCase{"float into text, comma locale", kMainInfo, "Name", com::Variant(1.5), Text("1,5"), 0, 1049},
        FieldCase{"Boolean text", kFunctions, "ReuseStep", Text("True"), com::Variant(true)},
        FieldCase{"number into Boolean", kFunctions, "ReuseStep", com::Variant(int32_t{0}), com::Variant(false)},
        FieldCase{"I4 into float", kFunctions, "XPos", com::Variant(int32_t{7}), com::Variant(7.0)},
        FieldCase{"locale text into float", kFunctions, "XPos", Text("2,25"), com::Variant(2.25), 0, 1049},
        FieldCase{"ISO text into date", kMainInfo, "DateBegin", Text("2026-12-08T10:30:00"),
                  com::Variant(*com::MakeDate(2026, 12, 8, 10, 30))},
        FieldCase{"text into date", kMainInfo, "DateBegin", Text("soon"), {}, com::hr::kTypeMismatch},
        FieldCase{"Null clears", kMainInfo, "Name", com::Variant::Null(), com::Variant::Null()},
        FieldCase{"an object into text", kMainInfo, "Name", com::Variant(com::Ref<com::Unknown>()), {},
                  com::hr::kTypeMismatch},
        FieldCase{"variant keeps I2", kVariables, "Value", com::Variant(int16_t{5}), com::Variant(int16_t{5})},
        FieldCase{"variant keeps text", kVariables, "Value", Text("5"), Text("5")},
        FieldCase{"variant keeps a date", kVariables, "Value", com::Variant(com::Date{2.5}),
                  com::Variant(com::Date{2.5})},
        FieldCase{"variant keeps Empty", kVariables, "Value", com::Variant(), com::Variant()},
        FieldCase{"variant refuses objects", kVariables, "Value", com::Variant(com::Ref<com::Unknown>()), {},
                  com::hr::kTypeMismatch},
        FieldCase{"unknown field", kMainInfo, "Nmae", Text("x"), {}, ostrel::err::kUnknownSchemaItem},
        // Text an export could not write as XML is refused, in any field
        // that takes text; what XML allows, in any script, is kept.
        FieldCase{"NUL in text", kMainInfo, "Name", com::Variant(std::string("a\0b", 3)), {}, com::hr::kInvalidArg},
        FieldCase{"terminal escape in text", kFunctions, "Caption", Text("\x1b[2J"), {}, com::hr::kInvalidArg},
        FieldCase{"not UTF-8", kMainInfo, "Description", Text("caf\xe9"), {}, com::hr::kInvalidArg},
        FieldCase{"overlong UTF-8", kMainInfo, "Name", Text("\xc0\xaf"), {}, com::hr::kInvalidArg},
        FieldCase{"encoded surrogate", kMainInfo, "Name", Text("\xed\xa0\x80"), {}, com::hr::kInvalidArg},
        FieldCase{"U+FFFF", kMainInfo, "Name", Text("\xef\xbf\xbf"), {}, com::hr::kInvalidArg},
        FieldCase{"text into a variant", kVariables, "Value", Text("\x01"), {}, com::hr::kInvalidArg},
        FieldCase{"tab, line breaks, Cyrillic, U+FFFD and beyond the BMP", kMainInfo, "Description",
                  Text("a\tb\r\n\xd0\x96 \xef\xbf\xbd \xf0\x9f\x98\x80"),
                  Text("a\tb\r\n\xd0\x96 \xef\xbf\xbd \xf0\x9f\x98\x80")},
        FieldCase{"row timestamp is the platform's", kLog, "SysRowTimestamp", com::Variant(int32_t{1}), {},
                  ostrel::err::kRefused}));

TEST_F(TypedField, NewRowsStartAtTheSchemaDefaultsOrNull) {
  auto card = NewProcess(Session());
  auto link = Rows(card, kLinks)->AddNew(0);
  EXPECT_EQ(link->GetField("Disabled"), com::Variant(false));
  EXPECT_EQ(link->GetField("Source"), com::Variant::Null());
  auto variable = Rows(card, kVariables)->AddNew(0);
  EXPECT_EQ(variable->GetField("VarType"), com::Variant(int32_t{0}));
  EXPECT_EQ(MainRow(card)->GetField("RefreshPeriod"), com::Variant(int32_t{60}));
  auto bare = Rows(card, kLinks)->AddNew(ostrel::add_flag::kNoDefaults);
  EXPECT_EQ(bare->GetField("Disabled"), com::Variant::Null());
}

TEST_F(TypedField, FieldNamesMatchWithoutRegardToCase) {
  auto row = MainRow(NewProcess(Session()));
  row->SetField("NAME", Text("Order"));
  EXPECT_EQ(row->GetField("name"), Text("Order"));
  EXPECT_EQ(row->GetField("Name"), Text("Order"));
  EXPECT_NE(TextOf([&] { row->GetField("Nme"); }).find("\"Nme\""), std::string::npos);
}

TEST_F(TypedField, SetFieldOfTypeConvertsToTheGivenTypeFirst) {
  auto row = Rows(NewProcess(Session()), kVariables)->AddNew(0);
  auto ex = com::Query<ostrel::RowEx>(row);
  ex->SetFieldOfType("Value", com::Variant(int32_t{5}), ostrel::field_type::kString);
  EXPECT_EQ(row->GetField("Value"), Text("5"));
  ex->SetFieldOfType("Value", Text("7"), ostrel::field_type::kInteger);
  EXPECT_EQ(row->GetField("Value"), com::Variant(int32_t{7}));
  EXPECT_EQ(CodeOf([&] { ex->SetFieldOfType("Value", Text("x"), 99); }), com::hr::kInvalidArg);
}

TEST_F(TypedField, SetFieldAtSetsTheFieldOfThatPositionAsSetFieldDoes) {
  auto card = NewProcess(Session());
  auto row = Rows(card, kLinks)->AddNew(0);
  auto ex = com::Query<ostrel::RowEx>(row);
  auto fields = row->GetSection()->GetSchema()->GetFieldTypes();
  int32_t source = -1, disabled = -1;
  for (int32_t i = 0; i < fields->Count(); ++i) {
    const std::string name = fields->Item(com::Variant(i))->GetName();
    if (name == "Source") source = i;
    if (name == "Disabled") disabled = i;
  }
  ASSERT_GE(source, 0);
  ASSERT_GE(disabled, 0);
  ex->SetFieldAt(source, Text("{5C1E0D1F-7B2A-4E3C-9D4B-1A2B3C4D5E6F}"));
  EXPECT_EQ(row->GetField("Source"), Text("{5C1E0D1F-7B2A-4E3C-9D4B-1A2B3C4D5E6F}"));
  // Converted to the field's type, as by name.
  ex->SetFieldAt(disabled, Text("1"));
  EXPECT_EQ(row->GetField("Disabled"), com::Variant(true));
  EXPECT_EQ(CodeOf([&] { ex->SetFieldAt(disabled, Text("not a Boolean")); }), com::hr::kTypeMismatch);
  EXPECT_EQ(row->GetField("Disabled"), com::Variant(true));
  EXPECT_EQ(CodeOf([&] { ex->SetFieldAt(fields->Count(), Text("x")); }), com::hr::kSubscriptOutOfRange);
  EXPECT_EQ(CodeOf([&] { ex->SetFieldAt(-1, Text("x")); }), com::hr::kSubscriptOutOfRange);
}

// The one table of type codes and their XML forms, both ways.
struct XmlCase {
  com::Variant value;
  const char* xml_type;
  const char* text;
};

TEST(FieldTypeCodes, XmlTextReadsBackToTheSameValue) {
  XmlCase cases[] = {
      {com::Variant(int32_t{-12}), "int", "-12"},
      {com::Variant(int16_t{7}), "i2", "7"},
      {com::Variant(0.1), "float", "0.1"},
      {com::Variant(1e300), "float", "1e+300"},
      {com::Variant(true), "boolean", "1"},
      {com::Variant(*com::MakeDate(2026, 12, 8, 10, 30, 15)), "dateTime", "2026-12-08T10:30:15"},
      {Text("a<b&\"c\""), "string", "a<b&\"c\""},
  };
  com::ScopedThreadLocale comma(1049);  // the XML form is the same in every locale
  for (const XmlCase& c : cases) {
    EXPECT_EQ(ostrel::XmlTypeOf(c.value.type()), c.xml_type);
    EXPECT_EQ(ostrel::ToXmlText(c.value), c.text);
    auto back = ostrel::FromXmlText(c.text, c.xml_type);
    ASSERT_TRUE(back) << c.text;
    EXPECT_EQ(*back, c.value) << c.text;
  }
  EXPECT_FALSE(ostrel::FromXmlText("1,5", "float"));
  EXPECT_FALSE(ostrel::FromXmlText("2026-13-01", "dateTime"));
  EXPECT_FALSE(ostrel::FromXmlText("70000", "i2"));
  EXPECT_EQ(*ostrel::FromXmlText("x", "unheard-of"), Text("x"));
  // Blanks around a number, a Boolean or a date are no part of it.
  EXPECT_EQ(*ostrel::FromXmlText(" 7", "int"), com::Variant(int32_t{7}));
  EXPECT_EQ(*ostrel::FromXmlText("7\n", "i2"), com::Variant(int16_t{7}));
  EXPECT_EQ(*ostrel::FromXmlText("\t1.5 ", "float"), com::Variant(1.5));
  EXPECT_EQ(*ostrel::FromXmlText("\r\ntrue", "boolean"), com::Variant(true));
  EXPECT_TRUE(ostrel::FromXmlText(" 2026-12-08T10:30:00 ", "dateTime"));
  EXPECT_FALSE(ostrel::FromXmlText(" ", "int"));
  EXPECT_FALSE(ostrel::FromXmlText("7 7", "int"));
}

TEST(FieldTypeCodes, KnowsEveryCodeTheSystemNames) {
  for (int code : {2, 3, 4, 5, 6, 9, 10, 12, 13, 14, 15, 16, 21}) {
    ASSERT_TRUE(ostrel::FindFieldTypeCode(code)) << code;
    EXPECT_EQ(ostrel::FindFieldTypeCode(code)->code, code);
  }
  for (int code : {-1, 0, 1, 7, 8, 11, 17, 20, 22, 255, 1 << 20}) EXPECT_FALSE(ostrel::FindFieldTypeCode(code)) << code;
  EXPECT_EQ(ostrel::FindFieldTypeCode(2)->xml_type, "dateTime");
  EXPECT_EQ(ostrel::FindFieldTypeCode(5)->xml_type, "int");
  EXPECT_EQ(ostrel::FindFieldTypeCode(12)->xml_type, "float");
  EXPECT_EQ(ostrel::ConvertToFieldType(Text("{abcdef01-2345-6789-abcd-ef0123456789}"), 6),
            Text("{ABCDEF01-2345-6789-ABCD-EF0123456789}"));
  EXPECT_EQ(CodeOf([] { ostrel::ConvertToFieldType(Text("abc"), 6); }), com::hr::kTypeMismatch);
}

// A value a field holds as it is may be moved in instead of converted: only
// when the conversion would give back the same value of the same type.
TEST(FieldTypeCodes, AValueHeldAsItIsIsWhatTheConversionGivesBack) {
  const com::Variant values[] = {com::Variant::Null(),    com::Variant(),           Text("12"),
                                 Text("{abcdef01-2345-6789-abcd-ef0123456789}"), com::Variant(int16_t{3}),
                                 com::Variant(int32_t{4}), com::Variant(2.5),       com::Variant(true),
                                 com::Variant(*com::MakeDate(2026, 12, 8, 0, 0, 0))};
  size_t held = 0;
  for (int code : {2, 3, 4, 5, 6, 9, 10, 12, 13, 14, 15, 16, 21}) {
    for (const com::Variant& v : values) {
      if (!ostrel::HoldsFieldType(v, code)) continue;
      ++held;
      const com::Variant converted = ostrel::ConvertToFieldType(v, code);
      EXPECT_EQ(converted.type(), v.type()) << code;
      EXPECT_EQ(converted, v) << code;
    }
  }
  EXPECT_GT(held, 13u);
  EXPECT_FALSE(ostrel::HoldsFieldType(Text("{abcdef01-2345-6789-abcd-ef0123456789}"), 6)) << "a GUID is rewritten";
  EXPECT_FALSE(ostrel::HoldsFieldType(Text("12"), 5));
}

}  // namespace
}  // namespace embedded::testing
