// The dictionary of function and gate types over the platform's dictionary
// cards, as the store seeds them.
#include "objects/dictionary/dictionary_object.h"
#include "platform/com/text.h"
#include "platform/ostrel/card_manager.h"
#include "platform/ostrel/errors.h"
#include "platform/ostrel/row.h"
#include "tests/objects/process_fixture.h"

namespace vorlane::testing {
namespace {

using com::Variant;

// Seeded types of the built-in dictionaries.
constexpr char kTaskType[] = "{2B262D6F-6195-44DE-A0CC-A60129BBCF99}";
constexpr char kStaffGate[] = "{A7E505E8-C639-49B1-9E74-3A7FAD6E330D}";
constexpr char kFunctionTypesCard[] = "{bdb73d05-8de1-41b2-9f3c-aa76c4d9cd64}";

class DictionaryTest : public ProcessFixture {
 protected:
  void SetUp() override {
    ProcessFixture::SetUp();
    dictionary = com::Make<DictionaryObject>();
    dictionary->Attach(session);
  }
  com::Ref<DictionaryObject> dictionary;
};

TEST_F(DictionaryTest, ListsTheSeededTypesWithTheirFields) {
  auto functions = dictionary->Functions();
  EXPECT_EQ(functions->Count(), 6);
  auto task = functions->Item(Variant(kTaskType));
  EXPECT_EQ(task->Name(), "Task");
  EXPECT_EQ(task->Class(), "Workflow.Functions.Task");
  EXPECT_EQ(task->Assembly(), "Workflow.Functions");
  EXPECT_EQ(task->UIClass(), "QXWorkflow.TaskUI");
  EXPECT_EQ(task->PoolingInterval(), 60);
  EXPECT_FALSE(task->IsStart());
  EXPECT_FALSE(task->Obsolete());
  EXPECT_TRUE(functions->Item(Variant(1))->IsStart());
  EXPECT_TRUE(functions->Item(Variant(2))->IsStop());

  auto gates = dictionary->Gates();
  EXPECT_EQ(gates->Count(), 4);
  auto staff = gates->Item(Variant(kStaffGate));
  EXPECT_EQ(staff->Name(), "Staff");
  EXPECT_EQ(staff->DefaultSettings(), "<Staff Department=\"\"/>");
  EXPECT_FALSE(staff->AddGateInNewProcess());
  EXPECT_TRUE(gates->Item(Variant(1))->AddGateInNewProcess());
  EXPECT_EQ(staff->Definition(), "Variables whose value is an employee or a role.");
}

TEST_F(DictionaryTest, TypesAreFoundByIdInAnyLetterCaseWithOrWithoutBraces) {
  auto functions = dictionary->Functions();
  const std::string bare = text::Lower(std::string(kTaskType).substr(1, 36));
  for (const std::string& id : {bare, " " + bare + " ", "{" + bare + "}", std::string(kTaskType)}) {
    EXPECT_EQ(functions->Item(Variant(id))->ID(), kTaskType) << id;
  }
  EXPECT_EQ(dictionary->Gates()->Item(Variant(text::Lower(kStaffGate)))->Name(), "Staff");
  // An unknown type fails: that is how callers find one.
  EXPECT_EQ(CodeOf([&] { functions->Item(Variant("{00000000-0000-0000-0000-00000000000A}")); }),
            com::hr::kInvalidProcedureCall);
  EXPECT_EQ(CodeOf([&] { functions->Item(Variant(7)); }), com::hr::kSubscriptOutOfRange);
}

TEST_F(DictionaryTest, ListsStayUntilRefreshThenComeNew) {
  auto functions = dictionary->Functions();
  auto gates = dictionary->Gates();
  auto task = functions->Item(Variant(kTaskType));
  EXPECT_EQ(dictionary->Functions(), functions);
  EXPECT_EQ(dictionary->Gates(), gates);
  dictionary->Refresh(false);
  auto again = dictionary->Functions();
  EXPECT_NE(again, functions);
  EXPECT_NE(dictionary->Gates(), gates);
  auto task_again = again->Item(Variant(kTaskType));
  EXPECT_NE(task_again, task);
  // Both wrappers stand over the one row: a write through one reads in the other.
  task_again->SetPoolingInterval(15);
  EXPECT_EQ(task->PoolingInterval(), 15);
}

TEST_F(DictionaryTest, AnEmptyFlagReadsFalseAndTheDefinitionHasNoWrite) {
  auto gate = dictionary->Gates()->Item(Variant(kStaffGate));
  auto row = com::Ref<ostrel::Row>(&static_cast<DictGateObject*>(gate.get())->row());
  row->SetField("AddGateInNewProcess", Variant::Null());
  EXPECT_FALSE(gate->AddGateInNewProcess());
  gate->SetAddGateInNewProcess(true);
  EXPECT_TRUE(gate->AddGateInNewProcess());
  EXPECT_EQ(gate->GetTypeInfo()->Find(*gate->GetTypeInfo()->IdOfName("Definition"), com::kInvokeLet), nullptr);
  // The definition row is found once and kept across Refresh.
  auto& definition = static_cast<DictGateObject*>(gate.get())->GetDefinitionRow();
  definition.SetField("Definition", Variant("changed"));
  gate->Refresh(false);
  EXPECT_EQ(gate->Definition(), "changed");
  EXPECT_EQ(&static_cast<DictGateObject*>(gate.get())->GetDefinitionRow(), &definition);
}

TEST_F(DictionaryTest, ADictionaryCardThatCannotBeReadListsNothing) {
  auto functions = dictionary->Functions();  // opened, not read yet
  auto other = OtherSession("bob");
  other->GetCardManager()->DeleteCard(other->GetCardManager()->GetDictionaryData(kFunctionTypesCard)->GetID(), true);
  EXPECT_EQ(functions->Count(), 0);
  auto e = com::Query<com::Enumerator>(functions->NewEnum());
  EXPECT_FALSE(e->Next());
}

TEST_F(DictionaryTest, ACardThatCannotBeOpenedFailsOnceThenListsNothingUntilRefresh) {
  store->storage().InjectWriteFault(1);  // the dictionary card is made by a write
  EXPECT_EQ(CodeOf([&] { dictionary->Functions(); }), ostrel::err::kStorageFailure);
  store->storage().InjectWriteFault(0);
  auto functions = dictionary->Functions();
  EXPECT_EQ(functions->Count(), 0);
  functions->Refresh(false);  // nothing to re-read
  EXPECT_EQ(functions->Count(), 0);
  dictionary->Refresh(false);
  EXPECT_EQ(dictionary->Functions()->Count(), 6);
}

TEST_F(DictionaryTest, DispatchListsTheMembersInSlotOrder) {
  auto names = [](const com::TypeInfo& info) {
    std::vector<std::string> out;
    for (const com::MemberInfo& m : info.members()) {
      if (out.empty() || out.back() != m.name) out.push_back(m.name);
    }
    return out;
  };
  EXPECT_EQ(names(Dictionary::DispatchInfo()), (std::vector<std::string>{"Functions", "Gates", "Refresh"}));
  EXPECT_EQ(names(DictFunctions::DispatchInfo()),
            (std::vector<std::string>{"Count", "Item", "NewEnum", "Refresh"}));
  EXPECT_EQ(names(DictGate::DispatchInfo()),
            (std::vector<std::string>{"ID", "Name", "Class", "Assembly", "UIClass", "DefaultSettings",
                                      "AddGateInNewProcess", "Definition", "Refresh"}));
  EXPECT_EQ(names(DictFunction::DispatchInfo()),
            (std::vector<std::string>{"ID", "Name", "Class", "Assembly", "UIClass", "IsStart", "IsStop",
                                      "PoolingInterval", "Obsolete", "Refresh"}));
  // Through dispatch, the default member of a list is its Item.
  auto list = com::Query<com::Dispatch>(dictionary->Functions());
  Variant by_id[] = {Variant(kTaskType)};
  Variant task = list->Invoke(com::kDispIdValue, com::kInvokeGet, by_id);
  EXPECT_EQ(com::GetProperty(task.TryObject(), "Name"), Variant("Task"));
}

}  // namespace
}  // namespace vorlane::testing
