// Enumeration values of a variable: their numbers, order and lookups, and
// the creatable classes of the library, which a client can make but not use.
#include <gtest/gtest.h>

#include "objects/variables/variable_object.h"
#include "platform/com/registry.h"
#include "platform/ostrel/sub_section.h"
#include "platform/ostrel/sub_section_collection.h"
#include "tests/objects/process_fixture.h"
#include "vorlane/doc_types.h"

namespace vorlane::testing {
namespace {

using com::Variant;

class EnumValuesTest : public ProcessFixture {
 protected:
  void SetUp() override {
    ProcessFixture::SetUp();
    variable = process->Variables()->AddNew();
    variable->SetVarType(VarTypeEnum::Enum);
    enums = variable->EnumValues();
  }
  com::Ref<ostrel::RowCollection> EnumRows() {
    return Rows(layout::kVariables)->Item(Variant(0))->GetSubSections()->Item(layout::kEnumValues)->GetRows();
  }
  std::vector<int32_t> Numbers() {
    std::vector<int32_t> out;
    for (int32_t i = 1; i <= enums->Count(); ++i) out.push_back(enums->Item(Variant(i))->NumericValue());
    return out;
  }

  com::Ref<Variable> variable;
  com::Ref<EnumValues> enums;
};

TEST_F(EnumValuesTest, ANewValueTakesTheNumberAfterTheLargest) {
  com::Ref<EnumValue> first = enums->AddNew("first");
  EXPECT_EQ(first->NumericValue(), 1);
  EXPECT_EQ(first->Value(), "first");
  first->SetNumericValue(7);
  enums->AddNew("second")->SetNumericValue(2);
  EXPECT_EQ(enums->AddNew("third")->NumericValue(), 8);
  enums->RemoveByNumericValue(8);
  EXPECT_EQ(enums->AddNew("again")->NumericValue(), 8);  // the largest removed, its number comes back
}

TEST_F(EnumValuesTest, ANewValueHasAnIDOfItsOwn) {
  com::Ref<EnumValue> a = enums->AddNew("a");
  com::Ref<EnumValue> b = enums->AddNew("b");
  EXPECT_EQ(a->ID().size(), 38u);
  EXPECT_NE(a->ID(), b->ID());
  EXPECT_EQ(EnumRows()->Item(Variant(0))->GetField("ID"), Variant(a->ID()));
}

TEST_F(EnumValuesTest, TheListIsInNumberOrderAndHasNoKeys) {
  for (int32_t n : {5, 2, 9}) {
    com::Ref<ostrel::Row> row = EnumRows()->AddNew(0);
    row->SetField("NumValue", Variant(n));
    row->SetField("Value", Variant("v" + std::to_string(n)));
  }
  EXPECT_EQ(Numbers(), (std::vector<int32_t>{2, 5, 9}));
  EXPECT_EQ(enums->Item(Variant(1))->Value(), "v2");
  EXPECT_EQ(CodeOf([&] { enums->Item(Variant("v2")); }), com::hr::kInvalidProcedureCall);
  EXPECT_EQ(CodeOf([&] { enums->Item(Variant(EnumRows()->Item(Variant(0))->GetID())); }),
            com::hr::kInvalidProcedureCall);

  EXPECT_EQ(enums->GetByNumericValue(5)->Value(), "v5");
  EXPECT_EQ(enums->GetByNumericValue(4), nullptr);
  EXPECT_TRUE(com::CallMethod(enums.get(), "GetByNumericValue", std::vector<Variant>{Variant(4)}).IsObject());
  enums->RemoveByNumericValue(4);  // nothing has it: nothing happens
  EXPECT_EQ(enums->Count(), 3);
  enums->Remove(Variant(2));
  EXPECT_EQ(Numbers(), (std::vector<int32_t>{2, 9}));
  EXPECT_EQ(EnumRows()->Count(), 2);
}

TEST_F(EnumValuesTest, ListsLongerThan32767ValuesAreReadAndSearchedWhole) {
  constexpr int32_t kCount = 32800;
  com::Ref<ostrel::RowCollection> rows = EnumRows();
  process->BeginUpdate();  // one write for all the rows
  for (int32_t n = 1; n <= kCount; ++n) rows->AddNew(0)->SetField("NumValue", Variant(n));
  process->EndUpdate();
  ASSERT_EQ(enums->Count(), kCount);
  enums->RemoveByNumericValue(kCount);
  EXPECT_EQ(enums->Count(), kCount - 1);
  EXPECT_EQ(enums->GetByNumericValue(kCount), nullptr);
  EXPECT_EQ(enums->AddNew("next")->NumericValue(), kCount);
}

// Every member of a creatable class made by a client fails with "Object
// variable not set": it has no row or sub-section to work on.
TEST(CreatableClasses, MadeByAClientTheyFailOnEveryMember) {
  for (const char* progid : {"QXVorlane.EnumValue", "QXVorlane.EnumValues", "QXVorlane.DocType", "QXVorlane.DocTypes"}) {
    SCOPED_TRACE(progid);
    com::Ref<com::Unknown> object = com::CreateObject(progid);
    com::Ref<com::Dispatch> dispatch = com::Query<com::Dispatch>(object.get());
    const com::TypeInfo* info = dispatch->GetTypeInfo();
    ASSERT_NE(info, nullptr);
    for (const com::MemberInfo& m : info->members()) {
      SCOPED_TRACE(m.name);
      // An argument for every parameter that converts to the parameter's type.
      std::vector<Variant> args(m.params.size(), Variant(1));
      uint16_t flags = m.kind == com::MemberKind::Let ? com::kInvokeLet
                       : m.kind == com::MemberKind::Get ? com::kInvokeGet
                                                         : com::kInvokeMethod;
      EXPECT_EQ(CodeOf([&] { dispatch->Invoke(m.id, flags, args); }), com::hr::kObjectNotSet);
      // ... and again: a failure leaves nothing behind that would answer next time.
      EXPECT_EQ(CodeOf([&] { dispatch->Invoke(m.id, flags, args); }), com::hr::kObjectNotSet);
    }
  }
  com::Ref<com::Unknown> list = com::CreateObject("QXVorlane.DocTypes");
  EXPECT_NE(com::TryQuery<DocTypes>(list), nullptr);
}

TEST(CreatableClasses, TheOthersAreHandedOutByTheirOwnersOnly) {
  for (const char* progid : {"QXVorlane.Variable", "QXVorlane.Variables", "QXVorlane.Value", "QXVorlane.Values",
                             "QXVorlane.VariableNotificator", "QXVorlane.Constraint", "QXVorlane.Constraints"}) {
    SCOPED_TRACE(progid);
    EXPECT_EQ(CodeOf([&] { com::CreateObject(progid); }), com::hr::kClassNotCreatable);
  }
}

}  // namespace
}  // namespace vorlane::testing
