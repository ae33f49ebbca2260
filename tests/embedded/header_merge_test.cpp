// Header writes merge by part: a session that writes puts back only the
// header parts it edited, so another session's edit of another part (the
// workflow server's description of a paused instance, say) is not lost.
#include <gtest/gtest.h>

#include <functional>

#include "tests/embedded/store_fixture.h"

namespace embedded::testing {
namespace {

// One editable part of the header: how a client sets it to the n-th of two
// values and reads it back.
struct Part {
  const char* name;
  std::function<void(const com::Ref<ostrel::CardData>&, int)> set;
  std::function<std::string(const com::Ref<ostrel::CardData>&)> get;
};

const Part kParts[] = {
    {"description", [](const auto& c, int n) { c->SetDescription(n ? "Order 17 (paused)" : "Order 17 (mine)"); },
     [](const auto& c) { return c->GetDescription(); }},
    {"card name", [](const auto& c, int n) { c->SetCardName(n ? "theirs" : "mine"); },
     [](const auto& c) { return c->GetCardName(); }},
    {"owner process", [](const auto& c, int n) { c->SetOwnerProcess(n ? "{process B}" : "{process A}"); },
     [](const auto& c) { return c->GetOwnerProcess(); }},
    {"template flag", [](const auto& c, int n) { c->SetIsTemplate(n == 1); },
     [](const auto& c) { return std::string(c->GetIsTemplate() ? "template" : "instance"); }},
};

class HeaderMerge : public StoreTest {
 protected:
  void SetUp() override {
    a_ = Session("alice");
    b_ = Session("server");
    auto made = NewProcess(a_);
    made->SetDescription("Order 17 (active)");
    // The single MainInfo row is made (and written) by its first reader:
    // made here, so that both sessions see the one row.
    MainRow(made)->SetField("State", com::Variant(int32_t{1}));
    id_ = made->GetID();
    // Session A holds the card open from here on and never refreshes it.
    a_card_ = made;
    b_card_ = OpenCard(b_, id_);
  }
  // The card as a session that opens it now reads it.
  com::Ref<ostrel::CardData> Fresh() { return OpenCard(Session("carol"), id_); }

  com::Ref<ostrel::Session> a_, b_;
  std::string id_;
  com::Ref<ostrel::CardData> a_card_, b_card_;
};

TEST_F(HeaderMerge, AWriteOfRowsKeepsTheHeaderPartsAnotherSessionChanged) {
  for (const Part& part : kParts) {
    SCOPED_TRACE(part.name);
    part.set(b_card_, 1);
    const std::string theirs = part.get(b_card_);
    const com::Date written_by_b = Fresh()->GetDateModified();
    MainRow(a_card_)->SetField("State", com::Variant(int32_t{2}));
    auto fresh = Fresh();
    EXPECT_EQ(part.get(fresh), theirs);
    EXPECT_EQ(MainRow(fresh)->GetField("State"), com::Variant(int32_t{2}));
    // Every write moves the date on, one of rows only too.
    EXPECT_GE(fresh->GetDateModified().serial, written_by_b.serial);
    MainRow(a_card_)->SetField("State", com::Variant(int32_t{0}));
  }
  // The template field follows B's flag; A never wrote it.
  EXPECT_EQ(MainRow(Fresh())->GetField("Template"), com::Variant(int32_t{1}));
}

TEST_F(HeaderMerge, APartTheWriterChangedItselfWinsOverTheEarlierWrite) {
  for (const Part& part : kParts) {
    SCOPED_TRACE(part.name);
    part.set(b_card_, 1);
    part.set(a_card_, 0);
    const std::string mine = part.get(a_card_);
    EXPECT_EQ(part.get(Fresh()), mine);
  }
  auto fresh = Fresh();
  EXPECT_EQ(fresh->GetDescription(), "Order 17 (mine)");
  // The template field goes with the flag A wrote, though A's view held 0.
  EXPECT_EQ(MainRow(fresh)->GetField("Template"), com::Variant(int32_t{0}));
}

TEST_F(HeaderMerge, ABracketWritesOnlyThePartsItEditedAlsoAcrossARefresh) {
  auto update = Update(a_card_);
  update->BeginUpdate();
  a_card_->SetCardName("mine");
  b_card_->SetDescription("Order 17 (paused)");
  a_card_->Refresh(false);
  // The refresh shows the other's part and keeps the unsaved one.
  EXPECT_EQ(a_card_->GetDescription(), "Order 17 (paused)");
  EXPECT_EQ(a_card_->GetCardName(), "mine");
  b_card_->SetOwnerProcess("{process B}");
  update->EndUpdate();
  auto fresh = Fresh();
  EXPECT_EQ(fresh->GetDescription(), "Order 17 (paused)");
  EXPECT_EQ(fresh->GetOwnerProcess(), "{process B}");
  EXPECT_EQ(fresh->GetCardName(), "mine");
  // A write ends what was edited: the next write of rows puts no part back.
  b_card_->SetCardName("theirs");
  MainRow(a_card_)->SetField("State", com::Variant(int32_t{1}));
  EXPECT_EQ(Fresh()->GetCardName(), "theirs");
}

}  // namespace
}  // namespace embedded::testing
