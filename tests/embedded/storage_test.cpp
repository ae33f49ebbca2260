// The storage seam: atomic writes, and faults that strike in the middle.
#include <gtest/gtest.h>

#include "embedded/store/memory_storage.h"
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
