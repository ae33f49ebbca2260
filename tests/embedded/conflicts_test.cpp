// Lost updates: a write over a value another session changed since this
// one read it is refused, on every storage; what others did not touch still
// merges.
#include "tests/embedded/store_fixture.h"

namespace embedded::testing {
namespace {

class Conflicts : public StoreTest {
 protected:
  // A process card written by alice, open in alice's and bob's sessions.
  void SetUp() override {
    alice_ = Session("alice");
    bob_ = Session("bob");
    auto card = NewProcess(alice_);
    MainRow(card)->SetField("Name", Text("start"));
    MainRow(card)->SetField("Description", Text("plain"));
    id_ = card->GetID();
    mine_ = OpenCard(alice_, id_);
    theirs_ = OpenCard(bob_, id_);
  }
  com::Variant Stored(const char* field) {
    auto reader = OpenCard(Session("carol"), id_);
    return MainRow(reader)->GetField(field);
  }

  com::Ref<ostrel::Session> alice_, bob_;
  std::string id_;
  com::Ref<ostrel::CardData> mine_, theirs_;
};

TEST_F(Conflicts, AWriteOverAFieldChangedSinceItWasReadIsRefusedAndWritesNothing) {
  MainRow(theirs_)->SetField("Name", Text("bob's"));
  Update(mine_)->BeginUpdate();
  MainRow(mine_)->SetField("Name", Text("alice's"));
  MainRow(mine_)->SetField("Description", Text("alice's too"));
  const std::string text = TextOf([&] { Update(mine_)->UpdateNow(); });
  EXPECT_NE(text.find("The card " + id_ + " was changed by bob at "), std::string::npos) << text;
  EXPECT_NE(text.find("refresh it and apply your change again"), std::string::npos) << text;
  EXPECT_EQ(alice_->GetLastErrorText(), text);
  EXPECT_EQ(CodeOf([&] { Update(mine_)->UpdateNow(); }), ostrel::err::kConflict);
  // Nothing of the write went in, not even the field nobody else touched;
  // the bracket keeps every edit.
  EXPECT_EQ(Stored("Name"), Text("bob's"));
  EXPECT_EQ(Stored("Description"), Text("plain"));
  EXPECT_TRUE(Update(mine_)->GetInUpdate());
  EXPECT_EQ(MainRow(mine_)->GetField("Name"), Text("alice's"));

  // Refreshed, the edits stand over what was read now, and go in.
  mine_->Refresh(false);
  EXPECT_EQ(MainRow(mine_)->GetField("Name"), Text("alice's"));
  Update(mine_)->EndUpdate();
  EXPECT_EQ(Stored("Name"), Text("alice's"));
  EXPECT_EQ(Stored("Description"), Text("alice's too"));
}

TEST_F(Conflicts, OutsideABracketTheRefusedChangeLeavesTheViewAtTheStoredState) {
  MainRow(theirs_)->SetField("Name", Text("bob's"));
  EXPECT_EQ(CodeOf([&] { MainRow(mine_)->SetField("Name", Text("alice's")); }), ostrel::err::kConflict);
  EXPECT_EQ(MainRow(mine_)->GetField("Name"), Text("bob's"));
  // Applied again over what is now in view, it goes in.
  MainRow(mine_)->SetField("Name", Text("alice's"));
  EXPECT_EQ(Stored("Name"), Text("alice's"));
}

TEST_F(Conflicts, FieldsAndRowsTheOtherSessionDidNotTouchStillMerge) {
  MainRow(theirs_)->SetField("Name", Text("bob's"));
  MainRow(mine_)->SetField("Description", Text("alice's"));
  Rows(theirs_, kFunctions)->AddNew(0)->SetField("Caption", Text("bob's step"));
  Rows(mine_, kFunctions)->AddNew(0)->SetField("Caption", Text("alice's step"));
  EXPECT_EQ(Stored("Name"), Text("bob's"));
  EXPECT_EQ(Stored("Description"), Text("alice's"));
  auto reader = OpenCard(Session("carol"), id_);
  EXPECT_EQ(Rows(reader, kFunctions)->Count(), 2);
}

TEST_F(Conflicts, WhatCountsIsTheValueTheEditWasMadeOver) {
  // The same new value, written over a stale one, is still a conflict: the
  // writer decided without seeing the other's change.
  MainRow(theirs_)->SetField("Name", Text("agreed"));
  EXPECT_EQ(CodeOf([&] { MainRow(mine_)->SetField("Name", Text("agreed")); }), ostrel::err::kConflict);
  // A value changed and put back is what the edit was made over.
  Update(mine_)->BeginUpdate();
  MainRow(mine_)->SetField("Name", Text("next"));
  theirs_->Refresh(false);
  MainRow(theirs_)->SetField("Name", Text("other"));
  MainRow(theirs_)->SetField("Name", Text("agreed"));
  Update(mine_)->EndUpdate();
  EXPECT_EQ(Stored("Name"), Text("next"));
}

TEST_F(Conflicts, ALockStartsTheHolderFromTheStoredState) {
  EXPECT_EQ(MainRow(mine_)->GetField("Name"), Text("start"));
  MainRow(theirs_)->SetField("Name", Text("bob's"));
  Lock(mine_)->Lock(false);
  EXPECT_EQ(MainRow(mine_)->GetField("Name"), Text("bob's"));
  MainRow(mine_)->SetField("Name", Text("alice's"));
  EXPECT_EQ(Stored("Name"), Text("alice's"));
  Lock(mine_)->Unlock();

  // Unsaved edits are not dropped by taking the lock.
  Update(mine_)->BeginUpdate();
  MainRow(mine_)->SetField("Description", Text("unsaved"));
  theirs_->Refresh(false);
  MainRow(theirs_)->SetField("Name", Text("bob's again"));
  Lock(mine_)->Lock(false);
  EXPECT_EQ(MainRow(mine_)->GetField("Description"), Text("unsaved"));
  EXPECT_EQ(MainRow(mine_)->GetField("Name"), Text("alice's"));
  Update(mine_)->EndUpdate();
  EXPECT_EQ(Stored("Description"), Text("unsaved"));
  EXPECT_EQ(Stored("Name"), Text("bob's again"));
}

TEST_F(Conflicts, AnIncrementByEachOfTwoSessionsIsNeverLost) {
  MainRow(mine_)->SetField("LogLimit", com::Variant(0));
  theirs_->Refresh(false);
  int conflicts = 0;
  auto increment = [&](const com::Ref<ostrel::CardData>& card) {
    for (;;) {
      int32_t n = MainRow(card)->GetField("LogLimit").ToI4();
      try {
        MainRow(card)->SetField("LogLimit", com::Variant(n + 1));
        return;
      } catch (const com::Error& e) {
        ASSERT_EQ(e.code(), ostrel::err::kConflict) << e.description();
        ++conflicts;  // the view went back to the stored state: read again
      }
    }
  };
  // Interleaved: each reads before the other writes.
  for (int i = 0; i < 10; ++i) {
    increment(mine_);
    increment(theirs_);
  }
  EXPECT_EQ(Stored("LogLimit"), com::Variant(20));
  EXPECT_EQ(conflicts, 19);  // every write after the first met the other's
}

}  // namespace
}  // namespace embedded::testing
