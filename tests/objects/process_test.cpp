// The Process object over one card: its fields, the description rule,
// locking, brackets and refresh.
#include "platform/com/locale.h"
#include "platform/com/text.h"
#include "platform/ostrel/card_lock.h"
#include "platform/ostrel/field_type.h"
#include "platform/ostrel/field_type_collection.h"
#include "platform/ostrel/section_type.h"
#include "tests/objects/process_fixture.h"

namespace vorlane::testing {
namespace {

using com::Variant;

class ProcessTest : public ProcessFixture {
 protected:
  Variant MainField(const char* name) { return process->MainInfoRow().GetField(name); }
  // Makes the card an instance, as the library does when it copies a template.
  void MakeInstance() { card->SetIsTemplate(false); }
};

TEST_F(ProcessTest, InitializeGivesMainInfoOneRowOnce) {
  EXPECT_EQ(Rows(layout::kMainInfo)->Count(), 1);
  Attach(card);
  EXPECT_EQ(Rows(layout::kMainInfo)->Count(), 1);
}

TEST_F(ProcessTest, UnsetFieldsReadAsEmptyValues) {
  EXPECT_EQ(process->Name(), "");
  EXPECT_EQ(process->Priority(), 0);
  EXPECT_FALSE(process->HasLayout());
  EXPECT_EQ(process->DateBegin(), com::Date{0});  // 30 December 1899
  EXPECT_EQ(process->State(), ProcessStateEnum::NonActive);
  EXPECT_EQ(process->ID(), card->GetID());
}

TEST_F(ProcessTest, PropertiesWriteTheirOwnFieldsWithTheirOwnTypes) {
  process->SetPriority(5);
  EXPECT_EQ(MainField("Priority"), Variant(int16_t{5}));
  EXPECT_EQ(MainField("CurrentPriority"), Variant(int16_t{5}));
  process->SetSynchronousSubProcess(true);
  EXPECT_EQ(MainField("SynchronousSubprocess"), Variant(true));
  process->SetStartedBy("bob");
  EXPECT_EQ(MainField("InstanceAuthor"), Variant("bob"));
  process->SetInitialDocument("{D1}");
  EXPECT_EQ(MainField("InitialDoc"), Variant("{D1}"));
  process->SetDateBegin(com::Date{46364.5});
  EXPECT_EQ(process->DateBegin(), com::Date{46364.5});
  process->SetLocaleID(1049);
  EXPECT_EQ(process->LocaleID(), 1049);
  // Accepted and ignored.
  process->SetDeleteAfterFinish(true);
  EXPECT_FALSE(process->DeleteAfterFinish());
  com::Date created = process->DateCreated();
  process->SetDateCreated(com::Date{1});
  EXPECT_EQ(process->DateCreated(), created);
}

TEST_F(ProcessTest, RefreshPeriodFallsBackToTheSchemaDefault) {
  Variant schema_default = process->MainInfoRow()
                               .GetSection()
                               ->GetSchema()
                               ->GetFieldTypes()
                               ->Item(Variant("RefreshPeriod"))
                               ->GetDefaultValue();
  ASSERT_FALSE(schema_default.IsNull());
  process->MainInfoRow().SetField("RefreshPeriod", Variant::Null());
  EXPECT_EQ(process->RefreshPeriod(), schema_default.ToI4());
  process->SetRefreshPeriod(77);
  EXPECT_EQ(process->RefreshPeriod(), 77);
}

TEST_F(ProcessTest, NamingATemplateSetsTheDescriptionToTheName) {
  process->SetName("Order approval");
  EXPECT_EQ(card->GetDescription(), "Order approval");
  EXPECT_EQ(process->Digest(), "Order approval");
  process->SetState(ProcessStateEnum::Active);  // a template's state leaves the description
  EXPECT_EQ(card->GetDescription(), "Order approval");
}

TEST_F(ProcessTest, AnInstanceDescribesItselfByNameAndState) {
  MakeInstance();
  process->SetState(ProcessStateEnum::Active);
  process->SetName("Order 17");
  EXPECT_EQ(card->GetDescription(), "Order 17 (active)");
  process->SetState(ProcessStateEnum::Paused);
  EXPECT_EQ(card->GetDescription(), "Order 17 (paused)");
  process->SetState(ProcessStateEnum::Finished);
  EXPECT_EQ(card->GetDescription(), "Order 17 (succeeded)");
  // A state without a text of its own.
  process->SetState(static_cast<ProcessStateEnum>(7));
  EXPECT_EQ(card->GetDescription(), "Order 17 (NO_RESOURCE_FOUND)");
}

TEST_F(ProcessTest, IsLockedOnlyForSomeoneElsesLock) {
  auto lock = com::Query<ostrel::CardLock>(card);
  EXPECT_FALSE(process->IsLocked());  // 0: free
  process->LockProcess(true);         // the argument has no effect
  EXPECT_EQ(lock->GetLockStatus(), 3);
  EXPECT_FALSE(process->IsLocked());  // 3: this session

  auto same_account = embedded::Open({.store = store, .account = "alice"});
  auto there = Attach(same_account->GetCardManager()->GetCardData(card->GetID()));
  EXPECT_EQ(com::Query<ostrel::CardLock>(same_account->GetCardManager()->GetCardData(card->GetID()))->GetLockStatus(), 4);
  EXPECT_FALSE(there->IsLocked());  // 4: this account, elsewhere

  auto other = OtherSession("bob");
  auto theirs = Attach(other->GetCardManager()->GetCardData(card->GetID()));
  EXPECT_TRUE(theirs->IsLocked());  // 1: another account
  EXPECT_NE(CodeOf([&] { theirs->LockProcess(false); }), com::hr::kOk);
  process->UnlockProcess();
  EXPECT_FALSE(theirs->IsLocked());
}

TEST_F(ProcessTest, RefreshDropsCachesAndReloadsOnlyWhenAsked) {
  process->SetName("before");
  com::Ref<Functions> functions = process->Functions();
  EXPECT_EQ(process->Functions(), functions);  // the same object until Refresh

  auto other = OtherSession("bob");
  auto theirs = Attach(other->GetCardManager()->GetCardData(card->GetID()));
  theirs->SetName("after");  // written at once, outside a bracket

  process->Refresh(false);
  EXPECT_NE(process->Functions(), functions);
  EXPECT_EQ(process->Name(), "before");  // not reloaded
  process->Refresh(true);
  EXPECT_EQ(process->Name(), "after");
}

TEST_F(ProcessTest, UpdateCallsPassToTheCard) {
  EXPECT_FALSE(process->InUpdate());
  process->BeginUpdate();
  EXPECT_TRUE(process->InUpdate());
  process->SetName("draft");
  process->CancelUpdate();
  EXPECT_FALSE(process->InUpdate());
  EXPECT_EQ(process->Name(), "");

  process->BeginUpdate();
  process->SetName("kept");
  process->UpdateNow();
  EXPECT_TRUE(process->InUpdate());
  process->EndUpdate();
  auto other = OtherSession("bob");
  EXPECT_EQ(Attach(other->GetCardManager()->GetCardData(card->GetID()))->Name(), "kept");
}

TEST_F(ProcessTest, MarkedCardsGoWhenTheBracketIsCancelled) {
  auto manager = session->GetCardManager();
  auto extra = manager->CreateCardData(layout::kProcessCardType, 0);
  std::string id = extra->GetID();
  process->BeginUpdate();
  process->MarkCardForDeletion(text::Lower(id));  // passed on as given
  process->CancelUpdate();
  EXPECT_EQ(manager->GetCardStatus(id), 0);
}

TEST_F(ProcessTest, GetXmlIsTheCardsOwn) {
  process->SetName("Shown");
  std::string xml = process->GetXML(false);
  EXPECT_EQ(xml, card->GetXML(false));
  EXPECT_NE(xml.find("Shown"), std::string::npos);
}

TEST_F(ProcessTest, ScriptsReachEveryMemberByNameAndById) {
  com::Unknown* obj = static_cast<Process*>(process.get());
  com::SetProperty(obj, "name", Variant("By name"));
  EXPECT_EQ(process->Name(), "By name");
  com::SetProperty(obj, "Priority", Variant("3"));  // converted to the parameter's I2
  EXPECT_EQ(MainField("CurrentPriority"), Variant(int16_t{3}));
  EXPECT_EQ(com::GetProperty(obj, "DeleteAfterFinish"), Variant(false));
  EXPECT_TRUE(com::GetProperty(obj, "Functions").IsObject());

  const com::TypeInfo& info = Process::DispatchInfo();
  EXPECT_EQ(info.name(), "_Process");
  // TemplateProcess takes the last slots, behind InUpdate.
  ASSERT_GE(info.members().size(), 2u);
  EXPECT_EQ(info.members().back().name, "TemplateProcess");
  EXPECT_EQ(info.members()[info.members().size() - 3].name, "InUpdate");
  auto id = info.IdOfName("TemplateProcess");
  ASSERT_TRUE(id);
  Variant value("{T}");
  com::Query<com::Dispatch>(obj)->Invoke(*id, com::kInvokeLet, std::span<const Variant>(&value, 1));
  EXPECT_EQ(process->TemplateProcess(), "{T}");
  com::CallMethod(obj, "LockProcess");  // the optional argument left out
  EXPECT_EQ(com::Query<ostrel::CardLock>(card)->GetLockStatus(), 3);
}

}  // namespace
}  // namespace vorlane::testing
