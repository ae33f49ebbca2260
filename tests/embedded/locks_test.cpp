// Card locks across sessions.
#include <gtest/gtest.h>

#include "tests/embedded/store_fixture.h"

namespace embedded::testing {
namespace {

class Locks : public StoreTest {};

TEST_F(Locks, StatusTellsWhoHoldsTheLock) {
  auto mine = Session("alice");
  auto my_other = Session("ALICE");  // accounts compare without regard to case
  auto theirs = Session("bob");
  auto card = NewProcess(mine);
  std::string id = card->GetID();
  auto as_other_session = Lock(OpenCard(my_other, id));
  auto as_other_account = Lock(OpenCard(theirs, id));

  EXPECT_EQ(Lock(card)->GetLockStatus(), ostrel::lock_status::kFree);
  EXPECT_EQ(Lock(card)->GetLockOwner(), "");
  Lock(card)->Lock(false);
  Lock(card)->Lock(true);  // held already: nothing happens
  EXPECT_EQ(Lock(card)->GetLockStatus(), ostrel::lock_status::kThisSession);
  EXPECT_EQ(as_other_session->GetLockStatus(), ostrel::lock_status::kSameAccount);
  EXPECT_EQ(as_other_account->GetLockStatus(), ostrel::lock_status::kOtherAccount);
  EXPECT_EQ(as_other_account->GetLockOwner(), "alice");

  // Unlock by someone else leaves the lock; by the holder it frees it.
  as_other_account->Unlock();
  EXPECT_EQ(Lock(card)->GetLockStatus(), ostrel::lock_status::kThisSession);
  Lock(card)->Unlock();
  EXPECT_EQ(as_other_account->GetLockStatus(), ostrel::lock_status::kFree);
}

TEST_F(Locks, ALockHeldElsewhereIsRefusedWithTheServersText) {
  auto alice = Session("alice");
  auto bob = Session("bob");
  auto card = NewProcess(alice);
  auto row = MainRow(card);
  Lock(card)->Lock(false);
  auto theirs = OpenCard(bob, card->GetID());
  EXPECT_EQ(CodeOf([&] { Lock(theirs)->Lock(false); }), ostrel::err::kRefused);
  EXPECT_NE(bob->GetLastErrorText().find("locked by alice"), std::string::npos) << bob->GetLastErrorText();
  // Writes of a card another session holds are refused too, and the
  // refused change does not stay in view.
  auto their_row = MainRow(theirs);
  EXPECT_EQ(CodeOf([&] { their_row->SetField("Name", Text("bob's")); }), ostrel::err::kRefused);
  EXPECT_TRUE(their_row->GetField("Name").IsNull());
  EXPECT_EQ(CodeOf([&] { Cards(bob)->DeleteCard(card->GetID(), true); }), ostrel::err::kRefused);
  // The holder writes as usual.
  row->SetField("Name", Text("alice's"));
  theirs->Refresh(false);
  EXPECT_EQ(their_row->GetField("Name"), Text("alice's"));
}

TEST_F(Locks, ASessionsLocksEndWithIt) {
  auto bob = Session("bob");
  std::string id;
  {
    auto alice = Session("alice");
    auto card = NewProcess(alice);
    id = card->GetID();
    Lock(card)->Lock(false);
    EXPECT_EQ(Lock(OpenCard(bob, id))->GetLockStatus(), ostrel::lock_status::kOtherAccount);
  }
  EXPECT_EQ(Lock(OpenCard(bob, id))->GetLockStatus(), ostrel::lock_status::kFree);
}

}  // namespace
}  // namespace embedded::testing
