// Locks across processes hold: a live session's mark is never taken for a
// dead one's, a session whose mark was removed behind its back notices, and
// two processes that increment one field never lose an increment.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "embedded/store/sqlite_storage.h"
#include "tests/embedded/store_child.h"
#include "tests/embedded/store_fixture.h"

namespace embedded::testing {
namespace {

class StoreFileMarks : public ::testing::Test {
 protected:
  std::shared_ptr<Store> OpenStore() { return Store::Open({.path = file_, .durability = Durability::kNormal}); }
  static com::Ref<ostrel::Session> SessionOn(const std::shared_ptr<Store>& store, const std::string& account) {
    return Open({.store = store, .account = account});
  }
  static com::Ref<ostrel::Row> MainRow(const com::Ref<ostrel::CardData>& card) {
    return card->GetSections()->Item(kMainInfo)->GetFirstRow();
  }
  static com::Ref<ostrel::CardLock> LockOf(const com::Ref<ostrel::CardData>& card) {
    return com::Query<ostrel::CardLock>(card);
  }
  std::string NewCardInFile() {
    auto store = OpenStore();
    auto card = SessionOn(store, "alice")->GetCardManager()->CreateCardData(kProcessType, 0);
    MainRow(card)->SetField("Name", Text("start"));
    MainRow(card)->SetField("LogLimit", com::Variant(0));
    return card->GetID();
  }
  com::Variant Stored(const std::string& id, const char* field) {
    auto store = OpenStore();
    return MainRow(SessionOn(store, "reader")->GetCardManager()->GetCardData(id))->GetField(field);
  }
  void RemoveSessionsFolder() { std::filesystem::remove_all(file_ + "-sessions"); }

  TempFolder folder_;
  std::string file_ = folder_.File("cards.vorlane");
};

TEST_F(StoreFileMarks, ASweepingProcessNeverTakesALiveSessionForDead) {
  const com::Guid card = com::Guid::Generate();
  SqliteStorage mine(file_, {.durability = Durability::kNormal});
  SqliteStorage other(file_, {.durability = Durability::kNormal});
  Child sweeper({file_, "sweep"});
  ASSERT_EQ(sweeper.ReadLine(), "sweeping");
  // Each round a new session marks itself alive and locks the card; a
  // thief in another store over the file must find it held every time.
  constexpr int kRounds = 3000;
  int stolen = 0;
  for (int round = 0; round < kRounds; ++round) {
    const std::string session = "holder-" + std::to_string(round);
    ASSERT_FALSE(mine.TryLock(card, {session, "alice"}));
    auto held = other.TryLock(card, {"thief", "mallory"});
    if (!held || held->session != session) {
      ++stolen;
      other.Unlock(card, "thief");
    }
    mine.UnlockAll(session);
  }
  sweeper.CloseInput();
  const std::string swept = sweeper.ReadLine();
  EXPECT_EQ(sweeper.Wait(), 0);
  EXPECT_EQ(stolen, 0) << "of " << kRounds << " rounds, against " << swept;
  RecordProperty("sweeps", swept);
}

TEST_F(StoreFileMarks, ASessionWhoseMarkWasRemovedPutsItBackBeforeItWrites) {
  std::string id = NewCardInFile();
  auto store = OpenStore();
  auto card = SessionOn(store, "alice")->GetCardManager()->GetCardData(id);
  LockOf(card)->Lock(false);
  RemoveSessionsFolder();  // a cleaner of temporary files
  MainRow(card)->SetField("Name", Text("alice's"));

  // Another process opening the file (which sweeps) finds her alive.
  auto others = OpenStore();
  auto theirs = SessionOn(others, "bob")->GetCardManager()->GetCardData(id);
  EXPECT_EQ(LockOf(theirs)->GetLockStatus(), ostrel::lock_status::kOtherAccount);
  EXPECT_EQ(CodeOf([&] { MainRow(theirs)->SetField("Name", Text("bob's")); }), ostrel::err::kRefused);
  EXPECT_EQ(Stored(id, "Name"), Text("alice's"));
}

TEST_F(StoreFileMarks, ASessionWhoseLockWasReleasedBehindItsBackDoesNotWriteAsIfItHeldIt) {
  std::string id = NewCardInFile();
  auto store = OpenStore();
  auto alice = SessionOn(store, "alice");
  auto card = alice->GetCardManager()->GetCardData(id);
  LockOf(card)->Lock(false);
  RemoveSessionsFolder();

  // Before alice writes again, another process opens the file: without her
  // mark she looks dead, and her lock goes to bob, who writes.
  auto others = OpenStore();
  auto theirs = SessionOn(others, "bob")->GetCardManager()->GetCardData(id);
  EXPECT_EQ(LockOf(theirs)->GetLockStatus(), ostrel::lock_status::kFree);
  LockOf(theirs)->Lock(false);
  MainRow(theirs)->SetField("Description", Text("bob's"));
  LockOf(theirs)->Unlock();

  // Alice still believes she holds the lock: her write is refused, even
  // now that the card is free, and nothing of it is kept.
  const std::string text = TextOf([&] { MainRow(card)->SetField("Name", Text("alice's")); });
  EXPECT_NE(text.find("The lock of card " + id + " that this session held was released"), std::string::npos) << text;
  EXPECT_EQ(Stored(id, "Name"), Text("start"));
  EXPECT_EQ(Stored(id, "Description"), Text("bob's"));
  // Locked again, she starts from what is stored and writes.
  LockOf(card)->Lock(false);
  EXPECT_EQ(MainRow(card)->GetField("Description"), Text("bob's"));
  MainRow(card)->SetField("Name", Text("alice's"));
  EXPECT_EQ(Stored(id, "Name"), Text("alice's"));
}

// Two processes each add one to a field 100 times.
class StoreFileCounter : public StoreFileMarks, public ::testing::WithParamInterface<const char*> {};

TEST_P(StoreFileCounter, NoIncrementIsLost) {
  std::string id = NewCardInFile();
  constexpr int kEach = 100;
  Child first({file_, "count", id, std::to_string(kEach), GetParam()});
  Child second({file_, "count", id, std::to_string(kEach), GetParam()});
  int conflicts = 0;
  for (Child* child : {&first, &second}) {
    const std::string said = child->ReadLine();
    ASSERT_EQ(said.rfind("counted ", 0), 0u) << said;
    conflicts += std::stoi(said.substr(8));
    EXPECT_EQ(child->Wait(), 0);
  }
  EXPECT_EQ(Stored(id, "LogLimit"), com::Variant(2 * kEach));
  // Under the lock nobody writes over a value they did not read.
  if (std::string(GetParam()) == "lock") {
    EXPECT_EQ(conflicts, 0);
  }
  RecordProperty("conflicts", conflicts);
}

INSTANTIATE_TEST_SUITE_P(StoreFile, StoreFileCounter, ::testing::Values("lock", "refresh", "plain"));

}  // namespace
}  // namespace embedded::testing
