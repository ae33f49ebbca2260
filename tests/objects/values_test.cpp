// Values of a multi-valued variable: their order, moves, what each change
// tells the variable's listeners, and where their texts are kept.
#include <gtest/gtest.h>

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

class ValuesTest : public ProcessFixture {
 protected:
  void SetUp() override {
    ProcessFixture::SetUp();
    variable = process->Variables()->AddNew();
    variable->SetVarType(VarTypeEnum::String);
    variable->SetIsMultipleValued(true);
    heard = NotificationRecorder::On(process->Notificator());
  }
  com::Ref<ostrel::Row> VariableRow() { return Rows(layout::kVariables)->Item(Variant(0)); }
  com::Ref<ostrel::RowCollection> ValueRows() {
    return VariableRow()->GetSubSections()->Item(layout::kValues)->GetRows();
  }
  static ValueObject& Impl(const com::Ref<Value>& v) { return static_cast<ValueObject&>(*v); }
  // The values' texts in list order.
  static std::vector<std::string> Texts(const com::Ref<Values>& values) {
    std::vector<std::string> out;
    for (int32_t i = 1; i <= values->Count(); ++i) out.push_back(values->Item(Variant(i))->GetValue().ToText());
    return out;
  }
  // One change of the variable, told once.
  std::vector<std::string> Once() { return {variable->ID()}; }

  com::Ref<Variable> variable;
  com::Ref<NotificationRecorder> heard;
};

TEST_F(ValuesTest, ANewValueIsNumberedAfterTheLargestIdentity) {
  com::Ref<Values> values = variable->Values();
  com::Ref<Value> first = values->AddNew(Variant("a"));
  EXPECT_EQ(Impl(first).Identity(), 1);
  values->Remove(Variant(1));
  EXPECT_EQ(Impl(values->AddNew(Variant("b"))).Identity(), 1);

  // Identities 1, 2 and 5, written by someone else: the next is 6.
  values->Clear();
  for (int32_t identity : {5, 1, 2}) ValueRows()->AddNew(0)->SetField("Identity", Variant(identity));
  values->Refresh(false);
  EXPECT_EQ(Impl(values->AddNew(Variant("c"))).Identity(), 6);
  // Listed by identity, not by row order.
  std::vector<int32_t> order;
  for (int32_t i = 1; i <= values->Count(); ++i) order.push_back(Impl(values->Item(Variant(i))).Identity());
  EXPECT_EQ(order, (std::vector<int32_t>{1, 2, 5, 6}));
}

TEST_F(ValuesTest, MovesSwapIdentitiesSilently) {
  com::Ref<Values> values = variable->Values();
  for (const char* t : {"a", "b", "c"}) values->AddNew(Variant(t));
  com::Ref<Value> c = values->Item(Variant(3));
  heard->Clear();

  values->MoveUp(3);
  EXPECT_EQ(Texts(values), (std::vector<std::string>{"a", "c", "b"}));
  EXPECT_EQ(Impl(c).Identity(), 2);
  values->MoveDown(1);
  EXPECT_EQ(Texts(values), (std::vector<std::string>{"c", "a", "b"}));

  // At the ends nothing moves; beyond them the lookup fails and nothing changes.
  values->MoveUp(1);
  values->MoveDown(3);
  EXPECT_EQ(CodeOf([&] { values->MoveDown(0); }), com::hr::kSubscriptOutOfRange);
  EXPECT_EQ(CodeOf([&] { values->MoveUp(4); }), com::hr::kSubscriptOutOfRange);
  EXPECT_EQ(Texts(values), (std::vector<std::string>{"c", "a", "b"}));
  EXPECT_TRUE(heard->changed.empty());
}

TEST_F(ValuesTest, EveryChangeOfTheListIsAChangeOfTheVariable) {
  com::Ref<Values> values = variable->Values();
  values->Clear();  // an empty list: still a change
  EXPECT_EQ(heard->changed, Once());
  heard->Clear();

  values->AddNew(Variant(""));  // what a fresh String value reads as: no change
  EXPECT_TRUE(heard->changed.empty());
  com::Ref<Value> x = values->AddNew(Variant("x"));
  EXPECT_EQ(heard->changed, Once());
  heard->Clear();

  x->SetValue(Variant("x"));
  EXPECT_TRUE(heard->changed.empty());
  x->SetValue(Variant("X"));  // texts compare case-sensitively
  EXPECT_EQ(heard->changed, Once());
  heard->Clear();

  values->Remove(Variant(1));
  EXPECT_EQ(heard->changed, Once());
  heard->Clear();
  values->Clear();
  EXPECT_EQ(heard->changed, Once());
  EXPECT_EQ(ValueRows()->Count(), 0);
  EXPECT_EQ(values->Count(), 0);
  EXPECT_EQ(CodeOf([&] { x->GetValue(); }), ostrel::err::kRowDeleted);
}

TEST_F(ValuesTest, AGenericValueStartsNull) {
  variable->SetVarType(VarTypeEnum::Generic);
  com::Ref<Values> values = variable->Values();
  values->AddNew(Variant::Null());
  EXPECT_TRUE(heard->changed.empty());
  values->AddNew(Variant(""));  // empty text is not Null
  EXPECT_EQ(heard->changed, Once());
}

TEST_F(ValuesTest, ALongTextLivesInTheValuesOwnSpareRow) {
  com::Ref<Values> values = variable->Values();
  const std::string text = Cyrillic(1025);
  com::Ref<Value> v = values->AddNew(Variant(text));
  EXPECT_TRUE(Impl(v).GetUseSparedValue());
  com::Ref<ostrel::Row> row = ValueRows()->Item(Variant(0));
  EXPECT_EQ(row->GetSubSections()->Item(layout::kValueSpare)->GetFirstRow()->GetField("Value"), Variant(text));
  EXPECT_EQ(row->GetField("Value"), Variant(Cyrillic(1024)));
  EXPECT_FALSE(VariableRow()->GetField("UseSparedValue").ToBool());
  EXPECT_EQ(v->GetValue(), Variant(text));

  // A write that does not take the text path puts the row's own field back in force.
  v->SetValue(Variant(3));
  EXPECT_FALSE(Impl(v).GetUseSparedValue());
  EXPECT_EQ(v->GetValue(), Variant("3"));
}

TEST_F(ValuesTest, TheTypeIsTheOneTheListWasMadeWith) {
  com::Ref<Values> values = variable->Values();  // made while the variable is a String
  variable->SetVarType(VarTypeEnum::Integer);
  com::Ref<Value> v = values->AddNew(Variant(Cyrillic(1500)));
  EXPECT_TRUE(Impl(v).GetUseSparedValue());
  v->SetValue(Variant(4));
  EXPECT_EQ(v->GetValue(), Variant("4"));  // still read as text
}

TEST_F(ValuesTest, ItemFindsAValueByItsRowIdentity) {
  com::Ref<Values> values = variable->Values();
  ASSERT_EQ(values->Count(), 0);  // read: new values join the list
  values->AddNew(Variant("a"));
  com::Ref<Value> b = values->AddNew(Variant("b"));
  std::string bare = text::Lower(Impl(b).GetRowID().substr(1, 36));
  EXPECT_EQ(values->Item(Variant(bare)).get(), b.get());
  values->Remove(Variant(bare));
  EXPECT_EQ(Texts(values), std::vector<std::string>{"a"});
  EXPECT_EQ(CodeOf([&] { values->Remove(Variant(bare)); }), com::hr::kInvalidProcedureCall);
}

TEST_F(ValuesTest, ListsLongerThan32767ValuesAreReadAndRemovedWhole) {
  constexpr int32_t kCount = 32800;
  com::Ref<ostrel::RowCollection> rows = ValueRows();
  process->BeginUpdate();  // one write for all the rows
  for (int32_t i = 1; i <= kCount; ++i) {
    com::Ref<ostrel::Row> row = rows->AddNew(0);
    row->SetField("Identity", Variant(i));
    row->SetField("Value", Variant(std::to_string(i)));
  }
  process->EndUpdate();
  com::Ref<Values> values = variable->Values();
  ASSERT_EQ(values->Count(), kCount);
  EXPECT_EQ(values->Item(Variant(kCount))->GetValue(), Variant(std::to_string(kCount)));
  values->Remove(Variant(32768));
  EXPECT_EQ(values->Count(), kCount - 1);
  EXPECT_EQ(values->Item(Variant(32768))->GetValue(), Variant("32769"));
}

}  // namespace
}  // namespace vorlane::testing
