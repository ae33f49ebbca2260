// Variables: how a variable's value is stored (the text path and the direct
// path, the spare row, escaping), its typed default value, its other
// properties, and the list of a process's variables.
#include <gtest/gtest.h>

#include "common/escape_codes.h"
#include "objects/variables/variable_object.h"
#include "platform/com/text.h"
#include "platform/ostrel/errors.h"
#include "platform/ostrel/sub_section.h"
#include "platform/ostrel/sub_section_collection.h"
#include "tests/objects/notification_recorder.h"
#include "tests/objects/process_fixture.h"

namespace vorlane::testing {
namespace {

using com::Variant;

class VariablesTest : public ProcessFixture {
 protected:
  com::Ref<VariableObject> NewVariable(VarTypeEnum type) {
    com::Ref<Variable> v = process->Variables()->AddNew();
    v->SetVarType(type);
    return com::Ref<VariableObject>(static_cast<VariableObject*>(v.get()));
  }
  // The row of the variable, straight from the card.
  com::Ref<ostrel::Row> RowOf(const com::Ref<VariableObject>& v) {
    return Rows(layout::kVariables)->Item(Variant(v->GetRowID()));
  }
  static Variant SpareValue(const com::Ref<ostrel::Row>& row, const char* spare) {
    return row->GetSubSections()->Item(spare)->GetFirstRow()->GetField("Value");
  }
};

TEST_F(VariablesTest, TextOver1024CharactersMovesWholeToTheSpareRow) {
  struct Case {
    VarTypeEnum type;
    size_t length;
    bool spared;
  } cases[] = {
      {VarTypeEnum::String, 1024, false},
      {VarTypeEnum::String, 1025, true},
      {VarTypeEnum::Generic, 1024, false},
      {VarTypeEnum::Generic, 1025, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.length);
    com::Ref<VariableObject> v = NewVariable(c.type);
    const std::string text = Cyrillic(c.length);  // 2 bytes a character: a byte count would cut at 512
    v->SetValue(Variant(text));
    com::Ref<ostrel::Row> row = RowOf(v);
    EXPECT_EQ(v->GetUseSparedValue(), c.spared);
    EXPECT_EQ(row->GetField("Value"), Variant(text::Left(text, 1024)));
    if (c.spared) {
      EXPECT_EQ(SpareValue(row, layout::kVariableSpare), Variant(text));
    }
    EXPECT_EQ(v->Value(), Variant(text));
  }
}

TEST_F(VariablesTest, TextsFrom32001CharactersAreEscapedInTheSpareRow) {
  com::Ref<VariableObject> v = NewVariable(VarTypeEnum::String);
  const std::string plain = "a & b<c> " + Cyrillic(32000 - 9);  // 32000 characters: kept as they are
  v->SetValue(Variant(plain));
  EXPECT_EQ(SpareValue(RowOf(v), layout::kVariableSpare), Variant(plain));
  EXPECT_EQ(v->Value(), Variant(plain));

  const std::string escaped = plain + "ж";  // 32001 characters
  v->SetValue(Variant(escaped));
  std::string stored = SpareValue(RowOf(v), layout::kVariableSpare).ToText();
  EXPECT_EQ(stored.rfind("a#sp##amp##sp#b#lt#c#gt##sp#", 0), 0u) << stored.substr(0, 40);
  EXPECT_EQ(v->Value(), Variant(escaped));
}

TEST_F(VariablesTest, TextTakesTheTextPathOnlyForGenericAndStringVariables) {
  const std::string long_text = Cyrillic(1500);
  struct Case {
    VarTypeEnum type;
    bool text_path;
  } cases[] = {
      {VarTypeEnum::Generic, true},   {VarTypeEnum::Integer, false}, {VarTypeEnum::Float, false},
      {VarTypeEnum::String, true},    {VarTypeEnum::Boolean, false}, {VarTypeEnum::DateTime, false},
      {VarTypeEnum::Enum, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.type));
    com::Ref<VariableObject> v = NewVariable(c.type);
    v->SetValue(Variant(long_text));
    // The direct path stores the text unchanged in the row, however long.
    EXPECT_EQ(v->GetUseSparedValue(), c.text_path);
    EXPECT_EQ(RowOf(v)->GetField("Value"), Variant(c.text_path ? text::Left(long_text, 1024) : long_text));
    EXPECT_EQ(v->Value(), Variant(long_text));

    // A number is never converted: the variable keeps what it was given,
    // and only a String variable reads it back as text.
    v->SetValue(Variant(5));
    EXPECT_EQ(RowOf(v)->GetField("Value"), Variant(5));
    EXPECT_EQ(v->Value(), c.type == VarTypeEnum::String ? Variant("5") : Variant(5));
  }
}

TEST_F(VariablesTest, ADirectWriteAfterALongTextReadsTheValueJustWritten) {
  com::Ref<VariableObject> v = NewVariable(VarTypeEnum::Generic);
  v->SetValue(Variant(Cyrillic(1025)));
  ASSERT_TRUE(v->GetUseSparedValue());
  v->SetValue(Variant(7));
  EXPECT_FALSE(v->GetUseSparedValue());
  EXPECT_EQ(v->Value(), Variant(7));
  v->SetValue(Variant::Null());
  EXPECT_TRUE(v->Value().IsNull());
}

TEST_F(VariablesTest, DefaultValueIsStoredAsInvariantTextOfTheType) {
  com::Ref<VariableObject> b = NewVariable(VarTypeEnum::Boolean);
  b->SetDefaultValue(Variant(true));
  EXPECT_EQ(RowOf(b)->GetField("DefaultValue"), Variant("1"));
  EXPECT_EQ(b->DefaultValue(), Variant(true));
  RowOf(b)->SetField("DefaultValue", Variant("2"));
  EXPECT_EQ(b->DefaultValue(), Variant(false));

  // A session in a locale whose decimal separator is a comma.
  session = embedded::Open({.store = store, .account = "ivan", .locale = 1049});
  com::Ref<VariableObject> f = NewVariable(VarTypeEnum::Float);
  f->SetDefaultValue(Variant(1.5));
  EXPECT_EQ(RowOf(f)->GetField("DefaultValue"), Variant("1.5"));
  EXPECT_EQ(f->DefaultValue(), Variant(1.5));

  com::Ref<VariableObject> i = NewVariable(VarTypeEnum::Integer);
  i->SetDefaultValue(Variant(12));
  EXPECT_EQ(CodeOf([&] { i->SetDefaultValue(Variant("abc")); }), com::hr::kTypeMismatch);
  EXPECT_EQ(RowOf(i)->GetField("DefaultValue"), Variant("12"));
  // Empty text is empty for every type.
  i->SetDefaultValue(Variant(""));
  EXPECT_EQ(i->DefaultValue(), Variant(""));
}

TEST_F(VariablesTest, ARowWithoutATypeFailsWhereTheTypeIsNeeded) {
  com::Ref<VariableObject> v = NewVariable(VarTypeEnum::Generic);
  RowOf(v)->SetField("VarType", Variant::Null());
  EXPECT_EQ(CodeOf([&] { v->VarType(); }), com::hr::kInvalidUseOfNull);
  EXPECT_EQ(CodeOf([&] { v->Value(); }), com::hr::kInvalidUseOfNull);
  EXPECT_EQ(CodeOf([&] { v->SetValue(Variant(1)); }), com::hr::kInvalidUseOfNull);
  EXPECT_TRUE(RowOf(v)->GetField("Value").IsNull());
  EXPECT_EQ(CodeOf([&] { v->DefaultValue(); }), com::hr::kInvalidUseOfNull);
  EXPECT_EQ(CodeOf([&] { v->Values(); }), com::hr::kInvalidUseOfNull);
  // The list made by the failed request stays, unattached: it fails on every use.
  EXPECT_EQ(CodeOf([&] { v->Values()->Count(); }), com::hr::kObjectNotSet);
  EXPECT_EQ(CodeOf([&] { v->Values()->Count(); }), com::hr::kObjectNotSet);
}

TEST_F(VariablesTest, PropertiesReadTheirOwnFields) {
  com::Ref<VariableObject> v = NewVariable(VarTypeEnum::String);
  com::Ref<ostrel::Row> row = RowOf(v);
  EXPECT_EQ(v->GateID(), "");
  v->SetGateID(" ab-cd ");
  EXPECT_EQ(row->GetField("GateID"), Variant(" ab-cd "));
  EXPECT_EQ(v->GateID(), "{AB-CD}");
  row->SetField("TypeID", Variant::Null());
  EXPECT_EQ(v->TypeID(), 0);
  v->SetIsRequered(true);
  EXPECT_EQ(row->GetField("IsRequired"), Variant(true));
  EXPECT_FALSE(v->IsDefault());
  EXPECT_EQ(v->Name(), "");

  const std::string display = "<" + Cyrillic(32000) + ">";
  v->SetDisplayValue(display);
  EXPECT_EQ(row->GetField("DisplayValue"), Variant("#lt#" + Cyrillic(32000) + "#gt#"));
  EXPECT_EQ(v->DisplayValue(), display);
  EXPECT_EQ(v->Value(), Variant(""));  // a String variable never set reads empty text
}

TEST_F(VariablesTest, ANewVariableHasAFreshIDAndIsHiddenInTheParentProcess) {
  com::Ref<Variable> a = process->Variables()->AddNew();
  com::Ref<Variable> b = process->Variables()->AddNew();
  EXPECT_EQ(a->ID().size(), 38u);
  EXPECT_EQ(a->ID(), text::Upper(a->ID()));
  EXPECT_NE(a->ID(), b->ID());
  EXPECT_TRUE(a->HiddenInParentProcess());
  EXPECT_EQ(a->VarType(), VarTypeEnum::Generic);
}

TEST_F(VariablesTest, ItemFindsByPositionOrNormalisedID) {
  com::Ref<Variables> list = process->Variables();
  ASSERT_EQ(list->Count(), 0);  // read: new variables join the list
  com::Ref<Variable> a = list->AddNew();
  com::Ref<Variable> b = list->AddNew();
  std::string bare = text::Lower(b->ID().substr(1, 36));
  EXPECT_EQ(list->Item(Variant(" " + bare + " ")).get(), b.get());
  EXPECT_EQ(list->Item(Variant(2)).get(), b.get());
  EXPECT_EQ(list->Item(Variant(1)).get(), a.get());
  // "abc" is looked up as the key {ABC}.
  EXPECT_EQ(CodeOf([&] { list->Item(Variant("abc")); }), com::hr::kInvalidProcedureCall);
  EXPECT_EQ(CodeOf([&] { list->Item(Variant(3)); }), com::hr::kSubscriptOutOfRange);
}

TEST_F(VariablesTest, TheListLeavesOutRowsItCannotKey) {
  com::Ref<ostrel::RowCollection> rows = Rows(layout::kVariables);
  rows->AddNew(0)->SetField("ID", Variant("{A1}"));
  rows->AddNew(0)->SetField("ID", Variant("a1"));  // the same ID, another way
  rows->AddNew(0);                                   // no ID at all
  rows->AddNew(0)->SetField("ID", Variant("{B2}"));
  com::Ref<Variables> list = process->Variables();
  ASSERT_EQ(list->Count(), 2);
  EXPECT_EQ(list->Item(Variant(1))->ID(), "{A1}");
  EXPECT_EQ(list->Item(Variant(2))->ID(), "{B2}");
}

TEST_F(VariablesTest, RemoveTakesTheRowAndLeavesTheRest) {
  com::Ref<Variables> list = process->Variables();
  com::Ref<Variable> a = list->AddNew();
  com::Ref<Variable> b = list->AddNew();
  // Not read when the variables were added: the list reads both rows now.
  EXPECT_EQ(list->Count(), 2);
  EXPECT_NE(list->Item(Variant(1)).get(), a.get());
  EXPECT_EQ(list->Item(Variant(1))->ID(), a->ID());
  EXPECT_EQ(CodeOf([&] { list->Remove(Variant("{nothing}")); }), com::hr::kInvalidProcedureCall);
  EXPECT_EQ(list->Count(), 2);
  list->Remove(Variant(1));
  EXPECT_EQ(list->Count(), 1);
  EXPECT_EQ(Rows(layout::kVariables)->Count(), 1);
  EXPECT_EQ(list->Item(Variant(1))->ID(), b->ID());
  // The removed wrapper still points at its deleted row.
  EXPECT_EQ(CodeOf([&] { a->Name(); }), ostrel::err::kRowDeleted);
}

TEST_F(VariablesTest, TheProcessKeepsItsListsUntilRefresh) {
  com::Ref<Variables> list = process->Variables();
  com::Ref<VariableNotificator> notificator = process->Notificator();
  com::Ref<Variable> v = list->AddNew();
  EXPECT_EQ(process->Variables().get(), list.get());
  process->Refresh(false);
  com::Ref<Variables> again = process->Variables();
  EXPECT_NE(again.get(), list.get());
  EXPECT_NE(again->Item(Variant(v->ID())).get(), v.get());  // a new wrapper over the same row
  EXPECT_EQ(again->Item(Variant(v->ID()))->ID(), v->ID());
  EXPECT_EQ(process->Notificator().get(), notificator.get());
}

TEST_F(VariablesTest, RefreshDropsTheEnumerationValuesButKeepsTheValues) {
  com::Ref<VariableObject> v = NewVariable(VarTypeEnum::Enum);
  com::Ref<EnumValues> enums = v->EnumValues();
  com::Ref<Values> values = v->Values();
  EXPECT_EQ(v->EnumValues().get(), enums.get());
  v->Refresh(false);
  EXPECT_NE(v->EnumValues().get(), enums.get());
  EXPECT_EQ(v->Values().get(), values.get());
}

TEST_F(VariablesTest, DispatchReachesTheMembersInSlotOrder) {
  const com::TypeInfo& info = Variable::DispatchInfo();
  std::vector<std::string> names;
  for (const com::MemberInfo& m : info.members()) {
    if (names.empty() || names.back() != m.name) names.push_back(m.name);
  }
  const std::vector<std::string> expected = {
      "ID", "Name", "Description", "VarType", "TypeID", "GateID", "Value", "DisplayValue", "DefaultValue",
      "EnumValues", "LogValues", "Values", "IsRequered", "IsAdditive", "IsAdded", "IsDefault", "IsMultipleValued",
      "CreateCopy", "HiddenInParentProcess", "Refresh"};
  EXPECT_EQ(names, expected);

  com::Ref<Variable> v = process->Variables()->AddNew();
  com::SetProperty(v.get(), "value", Variant(2.5));
  EXPECT_EQ(com::GetProperty(v.get(), "Value"), Variant(2.5));
  com::Variant list = com::GetProperty(process.get(), "Variables");
  EXPECT_EQ(com::GetProperty(list.TryObject(), "Count"), Variant(1));
}

}  // namespace
}  // namespace vorlane::testing
