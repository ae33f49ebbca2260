// Update brackets, what other sessions see, and one open card per session.
#include <gtest/gtest.h>

#include "tests/embedded/store_fixture.h"

namespace embedded::testing {
namespace {

class Brackets : public StoreTest {
 protected:
  void SetUp() override {
    alice_ = Session("alice");
    bob_ = Session("bob");
    card_ = NewProcess(alice_);
    MainRow(card_)->SetField("Name", Text("written"));
  }
  // The name as a session that opens the card now reads it.
  std::string NameSeenBy(const com::Ref<ostrel::Session>& s) {
    auto fresh = OpenCard(s, card_->GetID());
    fresh->Refresh(false);
    return MainRow(fresh)->GetField("Name").ToText();
  }

  com::Ref<ostrel::Session> alice_, bob_;
  com::Ref<ostrel::CardData> card_;
};

TEST_F(Brackets, OutsideABracketEveryChangeIsWrittenAtOnce) {
  EXPECT_EQ(NameSeenBy(bob_), "written");
  Rows(card_, kFunctions)->AddNew(0);
  EXPECT_EQ(Rows(OpenCard(bob_, card_->GetID()), kFunctions)->Count(), 1);
}

TEST_F(Brackets, InsideABracketChangesWaitForUpdateNowWhichKeepsItOpen) {
  auto update = Update(card_);
  update->BeginUpdate();
  EXPECT_TRUE(update->GetInUpdate());
  MainRow(card_)->SetField("Name", Text("draft"));
  EXPECT_EQ(NameSeenBy(bob_), "written");
  update->UpdateNow();
  EXPECT_TRUE(update->GetInUpdate());
  EXPECT_EQ(NameSeenBy(bob_), "draft");
  MainRow(card_)->SetField("Name", Text("final"));
  update->EndUpdate();
  EXPECT_FALSE(update->GetInUpdate());
  EXPECT_EQ(NameSeenBy(bob_), "final");
}

// Rows added and removed again inside one bracket leave nothing behind,
// however many there were, and the edits made among them are all written.
TEST_F(Brackets, RowsAddedAndRemovedInOneBracketWriteOnlyWhatStays) {
  auto written = Rows(card_, kFunctions)->AddNew(0);
  auto update = Update(card_);
  update->BeginUpdate();
  auto functions = Rows(card_, kFunctions);
  std::vector<std::string> kept;
  for (int i = 0; i < 300; ++i) {
    auto row = functions->AddNew(0);
    row->SetField("Caption", com::Variant("row " + std::to_string(i)));
    if (i % 3 == 0) {
      kept.push_back(row->GetID());
    } else {
      functions->Remove(com::Variant(row->GetID()));
    }
    if (i == 150) written->SetField("Caption", Text("edited among them"));
  }
  update->EndUpdate();
  auto seen = Rows(OpenCard(bob_, card_->GetID()), kFunctions);
  ASSERT_EQ(seen->Count(), static_cast<int32_t>(kept.size()) + 1);
  EXPECT_EQ(seen->Item(com::Variant(written->GetID()))->GetField("Caption"), Text("edited among them"));
  for (size_t i = 0; i < kept.size(); ++i) {
    EXPECT_EQ(seen->Item(com::Variant(kept[i]))->GetField("Caption"), com::Variant("row " + std::to_string(3 * i)));
  }
}

TEST_F(Brackets, CancelRestoresTheWrittenStateAndDeletesMarkedCards) {
  auto update = Update(card_);
  auto kept_row = Rows(card_, kFunctions)->AddNew(0);
  update->BeginUpdate();
  auto made = NewProcess(alice_);  // a card made for this edit, as an import makes them
  update->MarkCardForDeletion(made->GetID());
  MainRow(card_)->SetField("Name", Text("draft"));
  auto new_row = Rows(card_, kFunctions)->AddNew(0);
  Rows(card_, kFunctions)->Remove(com::Variant(kept_row->GetID()));
  card_->SetDescription("draft");
  update->CancelUpdate();
  EXPECT_FALSE(update->GetInUpdate());
  EXPECT_EQ(MainRow(card_)->GetField("Name"), Text("written"));
  EXPECT_EQ(card_->GetDescription(), "");
  auto rows = Rows(card_, kFunctions);
  ASSERT_EQ(rows->Count(), 1);
  EXPECT_EQ(rows->Item(com::Variant(int32_t{0}))->GetID(), kept_row->GetID());
  // The row held from before the bracket works again; the new one is gone.
  EXPECT_NO_THROW(kept_row->GetField("Caption"));
  EXPECT_EQ(CodeOf([&] { new_row->GetField("Caption"); }), ostrel::err::kRowDeleted);
  EXPECT_EQ(Cards(bob_)->GetCardStatus(made->GetID()), 0);
  EXPECT_EQ(CodeOf([&] { made->GetDescription(); }), ostrel::err::kCardDeleted);
}

TEST_F(Brackets, MarksEndWithAWriteAndMeanNothingOutsideABracket) {
  auto update = Update(card_);
  auto outside = NewProcess(alice_);
  update->MarkCardForDeletion(outside->GetID());
  update->BeginUpdate();
  auto saved = NewProcess(alice_);
  update->MarkCardForDeletion(saved->GetID());
  update->UpdateNow();  // the card is now part of what was written
  update->CancelUpdate();
  EXPECT_EQ(Cards(alice_)->GetCardStatus(outside->GetID()), 1);
  EXPECT_EQ(Cards(alice_)->GetCardStatus(saved->GetID()), 1);
  // Cancelling without a bracket, or ending one, changes nothing.
  EXPECT_NO_THROW(update->CancelUpdate());
  EXPECT_NO_THROW(update->EndUpdate());
}

TEST_F(Brackets, BracketsNestAndCancelClosesEveryLevel) {
  auto update = Update(card_);
  update->BeginUpdate();
  update->BeginUpdate();
  MainRow(card_)->SetField("Name", Text("inner"));
  update->EndUpdate();
  EXPECT_TRUE(update->GetInUpdate());
  EXPECT_EQ(NameSeenBy(bob_), "written");
  update->EndUpdate();
  EXPECT_EQ(NameSeenBy(bob_), "inner");
  update->BeginUpdate();
  update->BeginUpdate();
  update->CancelUpdate();
  EXPECT_FALSE(update->GetInUpdate());
}

TEST_F(Brackets, OneSessionHasOneOpenCardWithOneBracket) {
  auto again = OpenCard(alice_, card_->GetID());
  EXPECT_TRUE(com::SameObject(again.get(), card_.get()));
  Update(card_)->BeginUpdate();
  EXPECT_TRUE(Update(again)->GetInUpdate());
  auto row = MainRow(again);
  row->SetField("Name", Text("seen at once"));
  EXPECT_EQ(MainRow(card_)->GetField("Name"), Text("seen at once"));
  // Another session works on its own copy of the written state.
  auto theirs = OpenCard(bob_, card_->GetID());
  EXPECT_FALSE(com::SameObject(theirs.get(), card_.get()));
  EXPECT_FALSE(Update(theirs)->GetInUpdate());
  EXPECT_EQ(MainRow(theirs)->GetField("Name"), Text("written"));
  Update(card_)->CancelUpdate();
}

TEST_F(Brackets, TheBracketOutlivesTheObjectsOverTheCard) {
  std::string id = card_->GetID();
  Update(card_)->BeginUpdate();
  MainRow(card_)->SetField("Name", Text("unsaved"));
  card_.reset();
  auto reopened = OpenCard(alice_, id);
  EXPECT_TRUE(Update(reopened)->GetInUpdate());
  EXPECT_EQ(MainRow(reopened)->GetField("Name"), Text("unsaved"));
  Update(reopened)->EndUpdate();
  reopened.reset();
  EXPECT_EQ(MainRow(OpenCard(bob_, id))->GetField("Name"), Text("unsaved"));
}

TEST_F(Brackets, RefreshShowsOtherWritesAndKeepsUnsavedEdits) {
  auto theirs = OpenCard(bob_, card_->GetID());
  auto update = Update(card_);
  update->BeginUpdate();
  auto main = MainRow(card_);
  main->SetField("Description", Text("mine"));
  auto my_row = Rows(card_, kFunctions)->AddNew(0);
  my_row->SetField("Caption", Text("mine"));
  // Meanwhile the other session writes (the server's state change, say).
  MainRow(theirs)->SetField("State", com::Variant(int32_t{1}));
  Rows(theirs, kFunctions)->AddNew(0)->SetField("Caption", Text("theirs"));
  card_->Refresh(false);
  EXPECT_EQ(main->GetField("State"), com::Variant(int32_t{1}));
  EXPECT_EQ(main->GetField("Description"), Text("mine"));
  EXPECT_EQ(Rows(card_, kFunctions)->Count(), 2);
  EXPECT_EQ(my_row->GetField("Caption"), Text("mine"));
  update->EndUpdate();
  // Field-level merge: the write of this session keeps the other's field.
  theirs->Refresh(false);
  EXPECT_EQ(MainRow(theirs)->GetField("State"), com::Variant(int32_t{1}));
  EXPECT_EQ(MainRow(theirs)->GetField("Description"), Text("mine"));
  EXPECT_EQ(Rows(theirs, kFunctions)->Count(), 2);
}

TEST_F(Brackets, ABracketEndsWithItsCardWhenAnotherSessionDeletesIt) {
  Update(card_)->BeginUpdate();
  MainRow(card_)->SetField("Name", Text("unsaved"));
  Cards(bob_)->DeleteCard(card_->GetID(), true);
  EXPECT_EQ(CodeOf([&] { Update(card_)->EndUpdate(); }), ostrel::err::kCardDeleted);
  EXPECT_FALSE(Update(card_)->GetInUpdate());
  EXPECT_NO_THROW(Update(card_)->CancelUpdate());
}

TEST_F(Brackets, RefreshDropsRowsOthersRemoved) {
  auto row = Rows(card_, kFunctions)->AddNew(0);
  auto theirs = OpenCard(bob_, card_->GetID());
  Rows(theirs, kFunctions)->Remove(com::Variant(row->GetID()));
  EXPECT_NO_THROW(row->GetField("Caption"));
  card_->Refresh(false);
  EXPECT_EQ(CodeOf([&] { row->GetField("Caption"); }), ostrel::err::kRowDeleted);
}

}  // namespace
}  // namespace embedded::testing
