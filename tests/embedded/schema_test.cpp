#include "embedded/store/schema.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "platform/com/text.h"
#include "platform/ostrel/errors.h"
#include "platform/ostrel/field_type_codes.h"
#include "tests/embedded/store_fixture.h"

namespace embedded::testing {
namespace {

TEST(BuiltinSchema, DefinesEveryCardTypeTheSystemUses) {
  auto schema = Schema::Builtin();
  struct Want {
    const char* type;
    const char* section;  // one section that must be there
  } wants[] = {
      {"{AE82DD57-348C-4407-A50A-9F2C7D694DA8}", "{388F390F-139E-498E-A461-A24FBA160487}"},  // process, log
      {"{bdb73d05-8de1-41b2-9f3c-aa76c4d9cd64}", "{a5489822-1a9c-4cbe-8468-23de99c843c4}"},  // function types
      {"{c1887469-3d28-4ec6-84bd-7caea7607f0c}", "{533458CF-0700-42DB-8A4F-A0EE02F4B41F}"},  // gate definitions
      {"{2DA5436F-2FD5-413C-8EC3-CA0D68B265C6}", nullptr},                                   // user settings
      {"{DA86FABF-4DD7-4A86-B6FF-C58C24D12DE2}", nullptr},                                   // folders
      {"{bfc9d190-bcd6-411a-b9f9-3160d3f68819}", "{e962ac85-0f53-4439-a1cd-171e46c3ef91}"},  // document files
      {"{F7E2090A-EEC3-4B51-B1BB-567D4A0117D6}", nullptr},                                   // file
      {nullptr, "{D48E6155-C774-4205-AB70-7A67AB69DF22}"},                                   // a task section
  };
  for (const Want& w : wants) {
    if (!w.type) {
      bool found = false;
      for (const auto& t : schema->types()) found = found || t->Section(com::Guid(w.section));
      EXPECT_TRUE(found) << w.section;
      continue;
    }
    const CardTypeDef* t = schema->Find(com::Guid(w.type));
    ASSERT_TRUE(t) << w.type;
    if (w.section) {
      EXPECT_TRUE(t->Section(com::Guid(w.section))) << w.type << " " << w.section;
    }
  }
  const CardTypeDef* settings = schema->Find(com::Guid("{2DA5436F-2FD5-413C-8EC3-CA0D68B265C6}"));
  EXPECT_TRUE(settings->SectionNamed("UserSettings"));
}

// What the process card's rows need to read on every row, and the field
// kinds the spare rows rely on.
TEST(BuiltinSchema, ProcessCardFieldsCarryTheirTypesAndDefaults) {
  const CardTypeDef* t = Schema::Builtin()->Find(com::Guid(kProcessType));
  ASSERT_TRUE(t);
  struct Want {
    const char* section;
    const char* field;
    int code;
    std::optional<com::Variant> default_value;
  } wants[] = {
      {"Variables", "VarType", ostrel::field_type::kInteger, com::Variant(int32_t{0})},
      {"Variables", "Value", ostrel::field_type::kVariant, std::nullopt},
      {"Links", "Disabled", ostrel::field_type::kBoolean, com::Variant(false)},
      {"MainInfo", "RefreshPeriod", ostrel::field_type::kInteger, com::Variant(int32_t{60})},
      {"MainInfo", "DateBegin", ostrel::field_type::kDateTime, std::nullopt},
      {"Functions", "CardID", ostrel::field_type::kCardRef, std::nullopt},
      {"FunctionSpareData", "Data", ostrel::field_type::kLongText, std::nullopt},
      {"PassStateSpareData", "Data", ostrel::field_type::kLongText, std::nullopt},
      {"VariableSpareValue", "Value", ostrel::field_type::kLongText, std::nullopt},
      {"ValueSpareValue", "Value", ostrel::field_type::kLongText, std::nullopt},
      {"Functions", "XPos", ostrel::field_type::kFloat, std::nullopt},
  };
  for (const Want& w : wants) {
    const SectionDef* s = t->SectionNamed(w.section);
    ASSERT_TRUE(s) << w.section;
    auto i = s->FieldIndex(w.field);
    ASSERT_TRUE(i) << w.section << "." << w.field;
    EXPECT_EQ(s->fields[*i].code, w.code) << w.field;
    if (w.default_value) {
      EXPECT_EQ(s->fields[*i].default_value, *w.default_value) << w.field;
    }
  }
  const SectionDef* log = t->Section(com::Guid(kLog));
  auto stamp = log->FieldIndex("SysRowTimestamp");
  ASSERT_TRUE(stamp);
  EXPECT_TRUE(log->fields[*stamp].flags & ostrel::field_flag::kSystem);
  EXPECT_EQ(log->timestamp_field, static_cast<int>(*stamp));
}

TEST(BuiltinSchema, EveryFieldIsFoundByItsNameInAnyCase) {
  for (const auto& type : Schema::Builtin()->types()) {
    for (const auto& s : type->sections) {
      for (size_t i = 0; i < s->fields.size(); ++i) {
        const std::string& name = s->fields[i].name;
        EXPECT_EQ(s->FieldIndex(name), i) << s->name << "." << name;
        EXPECT_EQ(s->FieldIndex(text::Lower(name)), i) << s->name << "." << name;
        EXPECT_FALSE(s->FieldIndex(name + "x")) << s->name << "." << name;
      }
      EXPECT_FALSE(s->FieldIndex(""));
    }
  }
}

TEST(BuiltinSchema, SeedsBothDictionaries) {
  auto schema = Schema::Builtin();
  const CardTypeDef* functions = schema->Find(com::Guid("{bdb73d05-8de1-41b2-9f3c-aa76c4d9cd64}"));
  const CardTypeDef* gates = schema->Find(com::Guid("{c1887469-3d28-4ec6-84bd-7caea7607f0c}"));
  ASSERT_TRUE(functions && gates);
  EXPECT_GE(functions->seed.size(), 4u);
  EXPECT_GE(gates->seed.size(), 2u);
  // Each gate type carries its definition row.
  for (const SeedRow& g : gates->seed) EXPECT_EQ(g.rows.size(), 1u);
}

struct BadSchema {
  const char* what;
  const char* text;
  const char* fault;  // a part of the error's description
};

void PrintTo(const BadSchema& b, std::ostream* os) { *os << b.what; }

class BadSchemaFile : public ::testing::TestWithParam<BadSchema> {};

constexpr const char* kHead = R"(<cardType id="{11111111-2222-3333-4444-555555555555}" name="T">
)";

TEST_P(BadSchemaFile, FailsNamingTheFileAndTheFault) {
  const BadSchema& b = GetParam();
  try {
    Schema::Load({{"broken.xml", b.text}});
    FAIL() << "loaded";
  } catch (const com::Error& e) {
    EXPECT_EQ(e.code(), ostrel::err::kSchemaError);
    EXPECT_NE(e.description().find("broken.xml:"), std::string::npos) << e.description();
    EXPECT_NE(e.description().find(b.fault), std::string::npos) << e.description();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Schema, BadSchemaFile,
    ::testing::Values(
        BadSchema{"not XML", "<cardType id=", "not well-formed"},
        BadSchema{"wrong root", "<cards/>", "<cardType>"},
        BadSchema{"no sections", R"(<cardType id="{11111111-2222-3333-4444-555555555555}" name="T"/>)",
                  "at least one <section>"},
        BadSchema{"bad GUID", R"(<cardType id="{1234}" name="T"><section/></cardType>)", "is not a GUID"},
        BadSchema{"unknown type",
                  R"(<cardType id="{11111111-2222-3333-4444-555555555555}" name="T">
  <section id="{11111111-2222-3333-4444-555555555556}" name="S" kind="table">
    <field name="State" type="integr"/>
  </section>
</cardType>)",
                  ":3: field \"State\": unknown type \"integr\""},
        BadSchema{"bad kind",
                  R"(<cardType id="{11111111-2222-3333-4444-555555555555}" name="T">
  <section id="{11111111-2222-3333-4444-555555555556}" name="S" kind="list"/>
</cardType>)",
                  "kind \"list\""},
        BadSchema{"duplicate field",
                  R"(<cardType id="{11111111-2222-3333-4444-555555555555}" name="T">
  <section id="{11111111-2222-3333-4444-555555555556}" name="S" kind="table">
    <field name="A" type="int"/><field name="a" type="string"/>
  </section>
</cardType>)",
                  "defined twice"},
        BadSchema{"duplicate section ID",
                  R"(<cardType id="{11111111-2222-3333-4444-555555555555}" name="T">
  <section id="{11111111-2222-3333-4444-555555555556}" name="S" kind="table"/>
  <section id="{11111111-2222-3333-4444-555555555556}" name="U" kind="table"/>
</cardType>)",
                  "used twice"},
        BadSchema{"default of the wrong type",
                  R"(<cardType id="{11111111-2222-3333-4444-555555555555}" name="T">
  <section id="{11111111-2222-3333-4444-555555555556}" name="S" kind="table">
    <field name="N" type="int" default="many"/>
  </section>
</cardType>)",
                  "default \"many\""},
        BadSchema{"unknown attribute",
                  R"(<cardType id="{11111111-2222-3333-4444-555555555555}" name="T">
  <section id="{11111111-2222-3333-4444-555555555556}" name="S" kind="table">
    <field name="N" type="int" defualt="1"/>
  </section>
</cardType>)",
                  "no attribute \"defualt\""},
        BadSchema{"template field missing",
                  R"(<cardType id="{11111111-2222-3333-4444-555555555555}" name="T" templateField="S/Nope">
  <section id="{11111111-2222-3333-4444-555555555556}" name="S" kind="single"/>
</cardType>)",
                  "templateField"},
        BadSchema{"seed names an unknown field",
                  R"(<cardType id="{11111111-2222-3333-4444-555555555555}" name="T">
  <section id="{11111111-2222-3333-4444-555555555556}" name="S" kind="table">
    <field name="N" type="int"/>
  </section>
  <seed><S><SRow M="1"/></S></seed>
</cardType>)",
                  "has no field \"M\""},
        BadSchema{"seed value of the wrong type",
                  R"(<cardType id="{11111111-2222-3333-4444-555555555555}" name="T">
  <section id="{11111111-2222-3333-4444-555555555556}" name="S" kind="table">
    <field name="N" type="int"/>
  </section>
  <seed><S><SRow N="x"/></S></seed>
</cardType>)",
                  "\"x\" is not of type int"}));

TEST(SchemaLoad, TwoFilesOfOneCardTypeNameBoth) {
  const char* text = R"(<cardType id="{11111111-2222-3333-4444-555555555555}" name="T">
  <section id="{11111111-2222-3333-4444-555555555556}" name="S" kind="table"/>
</cardType>)";
  std::string fault = TextOf([&] { Schema::Load({{"a.xml", text}, {"b.xml", text}}); });
  EXPECT_NE(fault.find("b.xml"), std::string::npos) << fault;
  EXPECT_NE(fault.find("a.xml"), std::string::npos) << fault;
}

TEST(SchemaLoad, AStoreWithABadExtraFileDoesNotOpen) {
  TempFolder folder;
  std::string path = folder.File("bad_card_type.xml");
  {
    std::ofstream out(path);
    out << kHead << "  <section id=\"{11111111-2222-3333-4444-555555555556}\" name=\"S\" kind=\"9\"/>\n</cardType>\n";
  }
  StoreOptions options;
  options.schema_files = {path};
  std::string fault = TextOf([&] { Store::Open(options); });
  EXPECT_NE(fault.find(path + ":2:"), std::string::npos) << fault;
  options.schema_files = {path + ".missing"};
  EXPECT_EQ(CodeOf([&] { Store::Open(options); }), ostrel::err::kSchemaError);
}

TEST(SchemaLoad, AStoreTakesExtraCardTypes) {
  TempFolder folder;
  std::string path = folder.File("extra_card_type.xml");
  {
    std::ofstream out(path);
    out << kHead << "  <section id=\"{11111111-2222-3333-4444-555555555556}\" name=\"S\" kind=\"single\">\n"
        << "    <field name=\"N\" type=\"int\" default=\"7\"/>\n  </section>\n</cardType>\n";
  }
  StoreOptions options;
  options.schema_files = {path};
  SessionOptions so;
  so.store = Store::Open(options);
  auto card = Open(so)->GetCardManager()->CreateCardData("{11111111-2222-3333-4444-555555555555}", 0);
  EXPECT_EQ(card->GetSections()->Item("{11111111-2222-3333-4444-555555555556}")->GetFirstRow()->GetField("N"),
            com::Variant(int32_t{7}));
}

}  // namespace
}  // namespace embedded::testing
