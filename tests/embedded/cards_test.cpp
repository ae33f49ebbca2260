// Cards: creation, opening, status, copies, deletion, single cards and the
// card's own properties.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <set>

#include "platform/com/locale.h"
#include "platform/com/text.h"
#include "tests/embedded/store_fixture.h"

namespace embedded::testing {
namespace {

constexpr const char* kFunctionTypes = "{bdb73d05-8de1-41b2-9f3c-aa76c4d9cd64}";
constexpr const char* kFunctionTypeRows = "{a5489822-1a9c-4cbe-8468-23de99c843c4}";
constexpr const char* kSettingsType = "{2DA5436F-2FD5-413C-8EC3-CA0D68B265C6}";

class Cards_ : public StoreTest {};

TEST_F(Cards_, UnknownAndDeletedCardsFailWithTheirCodes) {
  auto s = Session();
  auto cards = Cards(s);
  auto card = NewProcess(s);
  std::string id = card->GetID();
  EXPECT_EQ(cards->GetCardStatus(id), 1);
  EXPECT_EQ(cards->GetCardStatus(text::Lower(id.substr(1, 36))), 1);
  EXPECT_EQ(CodeOf([&] { cards->GetCardData("{12345678-1234-1234-1234-123456789ABC}"); }), ostrel::err::kUnknownCard);
  EXPECT_EQ(CodeOf([&] { cards->GetCardData("not an id"); }), ostrel::err::kUnknownCard);
  EXPECT_EQ(cards->GetCardStatus("not an id"), 0);
  EXPECT_EQ(CodeOf([&] { cards->CreateCardData("{12345678-1234-1234-1234-123456789ABC}", 0); }),
            ostrel::err::kUnknownCardType);

  auto row = MainRow(card);
  auto in_other_session = OpenCard(Session("bob"), id);
  cards->DeleteCard(id, true);
  EXPECT_EQ(cards->GetCardStatus(id), 0);
  EXPECT_EQ(CodeOf([&] { cards->GetCardData(id); }), ostrel::err::kCardDeleted);
  // Data held from before fails now, in this session and in another.
  EXPECT_EQ(CodeOf([&] { row->GetField("Name"); }), ostrel::err::kCardDeleted);
  EXPECT_EQ(CodeOf([&] { MainRow(in_other_session); }), ostrel::err::kCardDeleted);
  EXPECT_EQ(CodeOf([&] { cards->DeleteCard(id, true); }), ostrel::err::kCardDeleted);
}

TEST_F(Cards_, ACopyHasNewRowsWithTheSameValues) {
  auto s = Session();
  auto card = NewProcess(s);
  card->SetIsTemplate(true);
  card->SetDescription("Template");
  MainRow(card)->SetField("Name", Text("Order"));
  auto fn = Rows(card, kFunctions)->AddNew(0);
  fn->SetField("Caption", Text("Step"));
  auto pass = fn->GetSubSections()->Item(kPassStates)->GetRows()->AddNew(0);
  pass->SetField("Data", Text("settings"));

  auto copy = card->CopyCard();
  EXPECT_NE(copy->GetID(), card->GetID());
  EXPECT_TRUE(copy->GetIsTemplate());
  EXPECT_EQ(copy->GetDescription(), "Template");
  EXPECT_EQ(MainRow(copy)->GetField("Name"), Text("Order"));
  auto copied_fn = Rows(copy, kFunctions)->Item(com::Variant(int32_t{0}));
  auto copied_pass = copied_fn->GetSubSections()->Item(kPassStates)->GetFirstRow();
  EXPECT_EQ(copied_fn->GetField("Caption"), Text("Step"));
  EXPECT_EQ(copied_pass->GetField("Data"), Text("settings"));
  // No row is shared: IDs differ, and a change of one is not seen in the other.
  std::set<std::string> ids{MainRow(card)->GetID(), fn->GetID(), pass->GetID()};
  for (const auto& r : {MainRow(copy), copied_fn, copied_pass}) EXPECT_FALSE(ids.contains(r->GetID()));
  copied_pass->SetField("Data", Text("changed"));
  EXPECT_EQ(pass->GetField("Data"), Text("settings"));
  // The copy was written.
  EXPECT_EQ(Rows(OpenCard(Session("bob"), copy->GetID()), kFunctions)->Count(), 1);
}

TEST(CopyCard, RowReferencesFollowTheirRowsIntoTheCopy) {
  TempFolder folder;
  std::string path = folder.File("linked_rows.xml");
  {
    std::ofstream out(path);
    out << R"(<cardType id="{11111111-2222-3333-4444-555555555555}" name="Linked">
  <section id="{11111111-2222-3333-4444-555555555556}" name="Items" kind="table">
    <field name="Next" type="rowRef"/>
    <field name="Elsewhere" type="rowRef"/>
  </section>
</cardType>)";
  }
  StoreOptions options;
  options.schema_files = {path};
  SessionOptions so;
  so.store = Store::Open(options);
  auto card = Open(so)->GetCardManager()->CreateCardData("{11111111-2222-3333-4444-555555555555}", 0);
  auto rows = card->GetSections()->Item("{11111111-2222-3333-4444-555555555556}")->GetRows();
  auto first = rows->AddNew(0);
  auto second = rows->AddNew(0);
  first->SetField("Next", com::Variant(second->GetID()));
  first->SetField("Elsewhere", Text("{99999999-0000-0000-0000-000000000000}"));
  auto copy = card->CopyCard();
  auto copied = copy->GetSections()->Item("{11111111-2222-3333-4444-555555555556}")->GetRows();
  auto c1 = copied->Item(com::Variant(int32_t{0}));
  auto c2 = copied->Item(com::Variant(int32_t{1}));
  EXPECT_EQ(c1->GetField("Next"), com::Variant(c2->GetID()));
  EXPECT_EQ(c1->GetField("Elsewhere"), Text("{99999999-0000-0000-0000-000000000000}"));
}

TEST_F(Cards_, TheTemplateFlagAndTheTemplateFieldMoveTogether) {
  auto s = Session();
  auto card = NewProcess(s);
  EXPECT_FALSE(card->GetIsTemplate());
  card->SetIsTemplate(true);
  EXPECT_EQ(MainRow(card)->GetField("Template"), com::Variant(int32_t{1}));
  MainRow(card)->SetField("Template", com::Variant(int32_t{0}));
  EXPECT_FALSE(card->GetIsTemplate());
  auto made = Cards(s)->CreateCardData(kProcessType, ostrel::create_flag::kTemplate);
  EXPECT_TRUE(made->GetIsTemplate());
  EXPECT_EQ(Rows(made, kMainInfo)->Item(com::Variant(0))->GetField("Template"), com::Variant(int32_t{1}));
  EXPECT_TRUE(OpenCard(Session("bob"), made->GetID())->GetIsTemplate());
}

TEST_F(Cards_, ANewCardHasItsSingleRowOnceWhoeverReachesItFirst) {
  // Two sessions open a new card before either has read its main row; each
  // writes a field of it: the card still has one main row, with both fields.
  auto alice = Session("alice");
  auto bob = Session("bob");
  auto card = NewProcess(alice);
  auto there = OpenCard(bob, card->GetID());
  Rows(card, kMainInfo)->Item(com::Variant(0))->SetField("Name", com::Variant("named"));
  Rows(there, kMainInfo)->Item(com::Variant(0))->SetField("Version", com::Variant("2"));
  auto fresh = OpenCard(Session("carol"), card->GetID());
  ASSERT_EQ(Rows(fresh, kMainInfo)->Count(), 1);
  EXPECT_EQ(Rows(fresh, kMainInfo)->Item(com::Variant(0))->GetField("Name"), com::Variant("named"));
  EXPECT_EQ(Rows(fresh, kMainInfo)->Item(com::Variant(0))->GetField("Version"), com::Variant("2"));
}

TEST_F(Cards_, DictionariesAreSingleCardsMadeOnFirstUse) {
  auto alice = Session("alice");
  auto bob = Session("bob");
  auto first = Cards(alice)->GetDictionaryData(kFunctionTypes);
  auto second = Cards(bob)->GetDictionaryData(kFunctionTypes);
  EXPECT_EQ(first->GetID(), second->GetID());
  EXPECT_TRUE(first->GetNameFixed());
  EXPECT_EQ(CodeOf([&] { first->SetCardName("mine"); }), ostrel::err::kRefused);
  EXPECT_EQ(CodeOf([&] { Cards(alice)->CreateCardData(kFunctionTypes, 0); }), ostrel::err::kRefused);
  EXPECT_NE(alice->GetLastErrorText().find("single card"), std::string::npos) << alice->GetLastErrorText();
  EXPECT_EQ(CodeOf([&] { Cards(alice)->GetDictionaryData(kProcessType); }), ostrel::err::kRefused);
  // Seeded: a start type, a finish type and the sub-process type, each with a UI class.
  auto rows = Rows(first, kFunctionTypeRows);
  bool start = false, stop = false, sub = false;
  for (int32_t i = 0; i < rows->Count(); ++i) {
    auto r = rows->Item(com::Variant(i));
    start = start || r->GetField("IsStart") == com::Variant(true);
    stop = stop || r->GetField("IsStop") == com::Variant(true);
    sub = sub || r->GetField("ID") == Text("{2BF8B01D-3EDF-40C2-8C94-C6F5F3BC82AC}");
    EXPECT_FALSE(r->GetField("UIClass").ToText().empty());
  }
  EXPECT_TRUE(start && stop && sub);
  // The object form of a type without one is the card itself.
  auto object = Cards(alice)->GetDictionaryObject(kFunctionTypes);
  EXPECT_TRUE(com::SameObject(object.get(), first.get()));
}

TEST_F(Cards_, TheUserSettingsCardIsOnePerAccount) {
  auto alice = Session("alice");
  auto alice2 = Session("Alice");
  auto bob = Session("bob");
  auto mine = Cards(alice)->GetDictionaryData(kSettingsType);
  EXPECT_EQ(Cards(alice2)->GetDictionaryData(kSettingsType)->GetID(), mine->GetID());
  EXPECT_NE(Cards(bob)->GetDictionaryData(kSettingsType)->GetID(), mine->GetID());
  auto type = mine->GetCardType();
  std::string section = type->GetSectionTypes()->Item(Text("UserSettings"))->GetID();
  auto row = mine->GetSections()->Item(section)->GetFirstRow();
  EXPECT_TRUE(row->GetField("ImportWithSubprocesses").IsNull());
}

TEST_F(Cards_, RegisteredObjectFormsServeTheirCardType) {
  store_->RegisterCardObject(com::Guid(kFolderType), [](const com::Ref<ostrel::CardManager>&,
                                                        const com::Ref<ostrel::CardData>& card) {
    auto marker = com::Make<com::KeyedList>();
    marker->Add(com::Variant(card->GetID()), "card");
    return com::Ref<com::Unknown>(static_cast<com::Unknown*>(marker.get()));
  });
  auto s = Session();
  auto object = Cards(s)->GetDictionaryObject(kFolderType);
  auto list = com::Query<com::Collection>(object);
  std::string id = list->Item(Text("card")).ToText();
  EXPECT_EQ(Cards(s)->GetCardObject(id).get() != nullptr, true);
}

TEST_F(Cards_, HeaderPropertiesAreWrittenLikeFields) {
  auto s = Session();
  com::Date before = com::Now();
  auto card = NewProcess(s);
  EXPECT_GE(card->GetDateCreated().serial, before.serial - 1.0 / 86400);
  card->SetCardName("Order");
  card->SetOwnerProcess("{AAAAAAAA-0000-0000-0000-000000000000}");
  card->SetDescription("Order (active)");
  EXPECT_FALSE(card->GetNameFixed());
  EXPECT_GE(card->GetDateModified().serial, card->GetDateCreated().serial);
  auto theirs = OpenCard(Session("bob"), card->GetID());
  EXPECT_EQ(theirs->GetCardName(), "Order");
  EXPECT_EQ(theirs->GetOwnerProcess(), "{AAAAAAAA-0000-0000-0000-000000000000}");
  EXPECT_EQ(theirs->GetDescription(), "Order (active)");
}

TEST_F(Cards_, SessionPropertiesAndLocale) {
  SessionOptions o;
  o.store = store_;
  o.account = "ivan";
  o.locale = 1049;
  o.client_version = 1400;
  auto s = Open(o);
  auto props = s->GetProperties();
  EXPECT_EQ(props->Item(Text("LocaleID")), com::Variant(int32_t{1049}));
  EXPECT_EQ(props->Item(Text("accountname")), Text("ivan"));
  EXPECT_EQ(props->Item(Text("ClientVersion")), com::Variant(int32_t{1400}));
  EXPECT_EQ(com::ThreadLocaleID(), 1049);
  // Using a session sets the thread's locale to its user's.
  auto english = Session("alice", 1033);
  EXPECT_EQ(ThreadSessionLocale(), 1033);
  auto row = Rows(NewProcess(s), kFunctions)->AddNew(0);
  row->SetField("XPos", Text("1,5"));
  EXPECT_EQ(row->GetField("XPos"), com::Variant(1.5));
  EXPECT_EQ(ThreadSessionLocale(), 1049);
  // Every store has its workflow server; a store without one answers as a
  // platform whose service is down.
  EXPECT_NE(s->GetProcessManager(), nullptr);
  store_->AttachWorkflowServer(nullptr);
  EXPECT_EQ(CodeOf([&] { s->GetProcessManager(); }), ostrel::err::kServiceUnavailable);
  // Every store has its search: a text that is no query is refused.
  EXPECT_EQ(CodeOf([&] { s->GetCardManager()->FindCards("<query/>"); }), com::hr::kInvalidArg);
}

}  // namespace
}  // namespace embedded::testing
