// The storage seam: atomic writes, and faults that strike in the middle.
#include <gtest/gtest.h>

#include "embedded/store/memory_storage.h"
#include "tests/embedded/counting_storage.h"
#include "tests/embedded/store_fixture.h"

namespace embedded::testing {
namespace {

class Storage_ : public StoreTest {
 protected:
  // What another session reads of the card when it opens it now.
  std::string WrittenXml(const std::string& id) {
    auto fresh = Session("reader");
    return OpenCard(fresh, id)->GetXML(false);
  }
};

TEST_F(Storage_, AFailedWriteLeavesTheWrittenStateWholeAndTheEditsUnsaved) {
  auto s = Session();
  auto card = NewProcess(s);
  MainRow(card)->SetField("Name", Text("v1"));
  auto keep = Rows(card, kFunctions)->AddNew(0);
  auto drop = Rows(card, kFunctions)->AddNew(0);
  std::string id = card->GetID();
  const std::string before = WrittenXml(id);

  auto update = Update(card);
  update->BeginUpdate();
  MainRow(card)->SetField("Name", Text("v2"));
  keep->SetField("Caption", Text("changed"));
  Rows(card, kFunctions)->Remove(com::Variant(drop->GetID()));
  Rows(card, kVariables)->AddNew(0)->SetField("Name", Text("new"));
  card->SetDescription("v2");
  store_->storage().InjectWriteFault(1);
  EXPECT_EQ(CodeOf([&] { update->EndUpdate(); }), ostrel::err::kStorageFailure);
  EXPECT_NE(s->GetLastErrorText().find("fault"), std::string::npos) << s->GetLastErrorText();
  EXPECT_EQ(WrittenXml(id), before);
  // Nothing is lost: the bracket is still open with every edit, and the
  // next write makes them.
  EXPECT_TRUE(update->GetInUpdate());
  EXPECT_EQ(MainRow(card)->GetField("Name"), Text("v2"));
  update->EndUpdate();
  auto fresh = OpenCard(Session("bob"), id);
  EXPECT_EQ(MainRow(fresh)->GetField("Name"), Text("v2"));
  EXPECT_EQ(Rows(fresh, kFunctions)->Count(), 1);
  EXPECT_EQ(fresh->GetDescription(), "v2");
}

TEST_F(Storage_, AFailedImmediateWriteIsUndoneInView) {
  auto s = Session();
  auto card = NewProcess(s);
  auto main = MainRow(card);
  main->SetField("Name", Text("kept"));
  store_->storage().InjectWriteFault(2);  // the second write from now
  main->SetField("Name", Text("first"));
  EXPECT_EQ(CodeOf([&] { main->SetField("Name", Text("second")); }), ostrel::err::kStorageFailure);
  EXPECT_EQ(main->GetField("Name"), Text("first"));
  EXPECT_EQ(CodeOf([&] { main->SetField("Name", Text("third")); }), 0);  // one fault only
  EXPECT_EQ(MainRow(OpenCard(Session("bob"), card->GetID()))->GetField("Name"), Text("third"));
}

TEST_F(Storage_, AFaultInACreationWritesNoCard) {
  auto s = Session();
  store_->storage().InjectWriteFault(1);
  EXPECT_EQ(CodeOf([&] { NewProcess(s); }), ostrel::err::kStorageFailure);
  EXPECT_TRUE(store_->storage().List(com::Guid(kProcessType)).empty());
}

// A card's count of writes moves with each write that is kept, and only
// then: what a reader compares to tell whether its copy is still current.
TEST_F(Storage_, ACardCountsTheWritesThatAreKept) {
  auto alice = Session();
  auto card = NewProcess(alice);
  const com::Guid id(card->GetID());
  Storage& storage = store_->storage();
  const int64_t first = storage.Writes(id).value();
  MainRow(card)->SetField("Name", Text("v1"));
  EXPECT_EQ(storage.Writes(id), first + 1);
  storage.InjectWriteFault(1);
  EXPECT_EQ(CodeOf([&] { MainRow(card)->SetField("Name", Text("v2")); }), ostrel::err::kStorageFailure);
  EXPECT_EQ(storage.Writes(id), first + 1);
  auto bobs = OpenCard(Session("bob"), card->GetID());
  MainRow(card)->SetField("Name", Text("v3"));
  EXPECT_EQ(CodeOf([&] { MainRow(bobs)->SetField("Name", Text("bob's")); }), ostrel::err::kConflict);
  EXPECT_EQ(storage.Writes(id), first + 2);
  Cards(alice)->DeleteCard(card->GetID(), false);
  EXPECT_EQ(storage.Writes(id), std::nullopt);
  EXPECT_EQ(storage.Writes(com::Guid::Generate()), std::nullopt);
}

// A refresh reads the card again only when someone wrote it since it was
// read, so that a host refreshing on a timer pays for a change, not for the
// card's size; what another session wrote still shows at the next refresh.
TEST(Refresh, ReadsTheCardOnlyWhenItWasWrittenSince) {
  auto storage = std::make_shared<CountingStorage>();
  StoreOptions o;
  o.storage = storage;
  auto store = Store::Open(o);
  auto session = [&](const char* account) {
    SessionOptions so;
    so.store = store;
    so.account = account;
    return Open(so);
  };
  auto alice = session("alice");
  auto card = alice->GetCardManager()->CreateCardData(kProcessType, 0);
  auto main = [](const com::Ref<ostrel::CardData>& c) { return c->GetSections()->Item(kMainInfo)->GetFirstRow(); };
  main(card)->SetField("Name", Text("v1"));
  card->Refresh(true);  // the first refresh after its own write reads it
  storage->loads = 0;
  for (int i = 0; i < 3; ++i) card->Refresh(true);
  EXPECT_EQ(storage->loads, 0);

  auto bobs = session("bob")->GetCardManager()->GetCardData(card->GetID());
  main(bobs)->SetField("Name", Text("bob's"));
  storage->loads = 0;
  card->Refresh(true);
  EXPECT_EQ(storage->loads, 1);
  EXPECT_EQ(main(card)->GetField("Name"), Text("bob's"));

  // Edits in a bracket are put over the written state again, so a refresh
  // with edits always reads.
  auto update = com::Query<ostrel::CardUpdate>(card);
  update->BeginUpdate();
  main(card)->SetField("Name", Text("pending"));
  storage->loads = 0;
  card->Refresh(true);
  EXPECT_EQ(storage->loads, 1);
  EXPECT_EQ(main(card)->GetField("Name"), Text("pending"));
  update->CancelUpdate();

  // A card deleted since is seen as deleted, not as unchanged.
  session("bob")->GetCardManager()->DeleteCard(card->GetID(), false);
  EXPECT_EQ(CodeOf([&] { card->Refresh(true); }), ostrel::err::kCardDeleted);
}

// The memory storage's own atomicity, over several cards and a deletion.
TEST(MemoryStorage, AWriteOfSeveralCardsIsAllOrNothing) {
  MemoryStorage storage;
  const Storage::Writer writer{"s1", "alice"};
  auto make = [&](int n) {
    CardChange c;
    c.card = com::Guid::Generate();
    c.create = true;
    c.header = CardHeader{};
    c.header->id = c.card;
    c.header->description = "card " + std::to_string(n);
    RowRecord r;
    r.id = com::Guid::Generate();
    r.section = com::Guid::Generate();
    r.seq = 1;
    r.Set("Name", com::Variant("row"));
    c.inserted.push_back(r);
    ChangeSet set;
    set.cards.push_back(c);
    storage.Write(set, writer);
    return std::pair{c.card, r.id};
  };
  auto [a, a_row] = make(1);
  auto [b, b_row] = make(2);
  auto [c, c_row] = make(3);

  ChangeSet set;
  CardChange ca;
  ca.card = a;
  ca.updated.push_back({a_row, "Name", com::Variant("changed")});
  ca.updated.push_back({a_row, "Other", com::Variant(int32_t{1})});
  CardChange cb;
  cb.card = b;
  cb.removed.push_back(b_row);
  set.cards = {ca, cb};
  set.deleted.push_back(c);
  for (int nth_step = 0; nth_step < 2; ++nth_step) {
    storage.InjectWriteFault(1);
    EXPECT_EQ(CodeOf([&] { storage.Write(set, writer); }), ostrel::err::kStorageFailure);
    EXPECT_EQ(*storage.Load(a)->rows.at(a_row).Find("Name"), com::Variant("row"));
    EXPECT_EQ(storage.Load(a)->rows.at(a_row).Find("Other"), nullptr);
    EXPECT_EQ(storage.Load(b)->rows.size(), 1u);
    EXPECT_EQ(storage.GetStatus(c), Storage::Status::kExists);
    EXPECT_EQ(storage.Load(c)->rows.size(), 1u);
  }
  storage.Write(set, writer);
  EXPECT_EQ(*storage.Load(a)->rows.at(a_row).Find("Name"), com::Variant("changed"));
  EXPECT_TRUE(storage.Load(b)->rows.empty());
  EXPECT_EQ(storage.GetStatus(c), Storage::Status::kDeleted);
  EXPECT_EQ(storage.List(com::Guid()).size(), 2u);
}

TEST(MemoryStorage, RefusedWritesChangeNothing) {
  MemoryStorage storage;
  CardChange c;
  c.card = com::Guid::Generate();
  c.create = true;
  c.header = CardHeader{};
  c.header->id = c.card;
  ChangeSet create;
  create.cards.push_back(c);
  storage.Write(create, {"s1", "alice"});
  EXPECT_EQ(CodeOf([&] { storage.Write(create, {"s1", "alice"}); }), ostrel::err::kRefused);
  ASSERT_FALSE(storage.TryLock(c.card, {"s1", "alice"}));
  auto holder = storage.TryLock(c.card, {"s2", "bob"});
  ASSERT_TRUE(holder);
  EXPECT_EQ(holder->account, "alice");
  CardChange edit;
  edit.card = c.card;
  edit.header = *c.header;
  edit.header->description = "bob's";
  edit.header_parts = kHeaderDescription;
  ChangeSet set;
  set.cards.push_back(edit);
  EXPECT_EQ(CodeOf([&] { storage.Write(set, {"s2", "bob"}); }), ostrel::err::kRefused);
  EXPECT_EQ(storage.Load(c.card)->header.description, "");
  CardChange unknown;
  unknown.card = com::Guid::Generate();
  ChangeSet bad;
  bad.cards.push_back(unknown);
  EXPECT_EQ(CodeOf([&] { storage.Write(bad, {"s1", "alice"}); }), ostrel::err::kUnknownCard);
  storage.UnlockAll("s1");
  EXPECT_FALSE(storage.GetLock(c.card));
}

}  // namespace
}  // namespace embedded::testing
