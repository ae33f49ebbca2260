// The search query and FindCards: the query the object model builds, the
// rules of conditions and links, the query text, and that the search reads
// the storage's indexes rather than every card.
#include <gtest/gtest.h>

#include <atomic>

#include "embedded/search/query_text.h"
#include "tests/embedded/counting_storage.h"
#include "platform/com/registry.h"
#include "platform/ostrel/search_query.h"
#include "store_fixture.h"

namespace embedded::testing {
namespace {

namespace op = ostrel::search_operation;
using ostrel::search_link::kAnd;
using ostrel::search_link::kOr;

constexpr const char* kDocumentType = "{BFC9D190-BCD6-411A-B9F9-3160D3F68819}";

class SearchTest : public StoreTest {
 protected:
  SearchTest() {
    StoreOptions o;
    o.storage = storage_;
    store_ = Store::Open(o);
    session_ = Session();
  }

  com::Ref<ostrel::SearchQuery> NewQuery() {
    return com::Query<ostrel::SearchQuery>(com::CreateInstance(ostrel::SearchQuery::kCLSID));
  }
  // What the object model's template and instance lists ask for.
  std::vector<std::string> FindByTemplateField(const char* value, bool typed = true) {
    com::Ref<ostrel::SearchQuery> q = NewQuery();
    q->GetAttributeSearch()
        ->AddCardTypeQuery(kProcessType)
        ->AddSectionQuery(kMainInfo)
        ->AddCondition("Template", op::kEquals, kAnd, Text(value))
        ->SetTypedValue(typed);
    return Find(q->Render(true, com::Variant::Null()));
  }
  std::vector<std::string> Find(const std::string& query) {
    com::Ref<com::Collection> found = Cards(session_)->FindCards(query);
    std::vector<std::string> ids;
    for (int32_t i = 1; i <= found->Count(); ++i) {
      ids.push_back(com::Query<ostrel::CardData>(found->Item(com::Variant(i)).ToObject())->GetID());
    }
    return ids;
  }
  // A process card with MainInfo fields set, written at once.
  std::string Process(bool is_template, const std::string& name, int32_t state = 0) {
    com::Ref<ostrel::CardData> card = NewProcess(session_);
    card->SetIsTemplate(is_template);
    MainRow(card)->SetField("Name", Text(name.c_str()));
    MainRow(card)->SetField("State", com::Variant(state));
    return card->GetID();
  }
  // One condition on MainInfo, rendered by the query object.
  std::string MainInfoQuery(const std::vector<std::tuple<const char*, int32_t, int32_t, com::Variant, bool>>& conds) {
    com::Ref<ostrel::SearchQuery> q = NewQuery();
    com::Ref<ostrel::SectionQuery> s =
        q->GetAttributeSearch()->AddCardTypeQuery(kProcessType)->AddSectionQuery(kMainInfo);
    for (const auto& [field, operation, link, value, typed] : conds) {
      s->AddCondition(field, operation, link, value)->SetTypedValue(typed);
    }
    return q->Render(false, com::Variant());
  }

  std::shared_ptr<CountingStorage> storage_ = std::make_shared<CountingStorage>();
  com::Ref<ostrel::Session> session_;
};

TEST_F(SearchTest, TemplatesAndInstancesComeFromTheTemplateIndexWithoutLoadingACard) {
  const std::string t1 = Process(true, "first");
  const std::string i1 = Process(false, "run");
  const std::string t2 = Process(true, "second");
  Cards(session_)->CreateCardData(kDocumentType, 0);
  storage_->loads = 0;
  EXPECT_EQ(FindByTemplateField("1"), (std::vector<std::string>{t1, t2}));
  EXPECT_EQ(FindByTemplateField("0"), (std::vector<std::string>{i1}));
  EXPECT_EQ(FindByTemplateField("1", false), (std::vector<std::string>{t1, t2}));  // as text, "1" reads the same
  // Only the cards found are loaded, to be opened in the session; none is
  // loaded to be checked.
  EXPECT_EQ(storage_->loads, 2 + 1 + 2);
}

TEST_F(SearchTest, TheTemplateFlagAnswersEvenWhenTheFieldWasNeverWritten) {
  com::Ref<ostrel::CardData> flagged = Cards(session_)->CreateCardData(kProcessType, ostrel::create_flag::kTemplate);
  com::Ref<ostrel::CardData> flipped = NewProcess(session_);
  MainRow(flipped)->SetField("Template", com::Variant(int32_t{1}));  // the field sets the flag
  EXPECT_EQ(FindByTemplateField("1"), (std::vector<std::string>{flagged->GetID(), flipped->GetID()}));
  // With a second condition the cards are loaded, and the flag still answers.
  const std::string q = MainInfoQuery({{"Template", op::kEquals, kAnd, Text("1"), true},
                                       {"State", op::kEquals, kAnd, com::Variant(int32_t{0}), true}});
  EXPECT_EQ(Find(q), (std::vector<std::string>{flagged->GetID(), flipped->GetID()}));
}

TEST_F(SearchTest, SearchesReadTheWrittenState) {
  const std::string id = Process(true, "before");
  com::Ref<ostrel::CardData> card = OpenCard(session_, id);
  Update(card)->BeginUpdate();
  MainRow(card)->SetField("Name", Text("after"));
  const std::string after = MainInfoQuery({{"Name", op::kEquals, kAnd, Text("after"), false}});
  EXPECT_TRUE(Find(after).empty());
  Update(card)->UpdateNow();
  EXPECT_EQ(Find(after), std::vector<std::string>{id});

  // Another session's written change, and a deletion.
  com::Ref<ostrel::Session> other = Session("bob");
  MainRow(OpenCard(other, id))->SetField("Name", Text("bob's"));
  EXPECT_EQ(Find(MainInfoQuery({{"Name", op::kEquals, kAnd, Text("bob's"), false}})), std::vector<std::string>{id});
  Update(card)->EndUpdate();
  Cards(other)->DeleteCard(id, true);
  EXPECT_TRUE(FindByTemplateField("1").empty());
  EXPECT_TRUE(Find(MainInfoQuery({{"Name", op::kEquals, kAnd, Text("bob's"), false}})).empty());
}

TEST_F(SearchTest, ConditionsCompareByTheirRules) {
  const std::string alpha = Process(false, "Alpha", 1);
  const std::string beta = Process(false, "beta", 2);
  const std::string gamma = Process(false, "Gamma", 10);
  const std::string empty = Process(false, "", 3);
  MainRow(OpenCard(session_, empty))->SetField("Name", com::Variant::Null());
  MainRow(OpenCard(session_, alpha))->SetField("DateBegin", com::Variant(com::Date{46000.5}));
  MainRow(OpenCard(session_, gamma))->SetField("DateBegin", com::Variant(com::Date{46001.0}));
  using V = com::Variant;
  using Ids = std::vector<std::string>;
  struct Case {
    const char* what;
    std::vector<std::tuple<const char*, int32_t, int32_t, V, bool>> conditions;
    Ids found;
  };
  const Case cases[] = {
      {"text equality is exact", {{"Name", op::kEquals, kAnd, Text("alpha"), false}}, {}},
      {"field names match in any case", {{"name", op::kEquals, kAnd, Text("Alpha"), false}}, {alpha}},
      {"contains ignores case", {{"Name", op::kContains, kAnd, Text("MM"), false}}, {gamma}},
      {"an empty field reads \"\" as text", {{"Name", op::kEquals, kAnd, Text(""), false}}, {empty}},
      {"a condition without a value, as text", {{"Name", op::kEquals, kAnd, V::Null(), false}}, {empty}},
      {"texts order binary", {{"Name", op::kLess, kAnd, Text("G"), false}}, {alpha, empty}},
      {"as text, \"10\" sorts before \"2\"", {{"State", op::kLess, kAnd, Text("2"), false}}, {alpha, gamma}},
      {"typed, 10 is greater than 2", {{"State", op::kGreater, kAnd, Text("2"), true}}, {gamma, empty}},
      {"typed bounds", {{"State", op::kGreaterOrEqual, kAnd, V(int32_t{2}), true},
                        {"State", op::kLessOrEqual, kAnd, V(int32_t{3}), true}}, {beta, empty}},
      {"a typed value that does not convert finds nothing", {{"State", op::kNotEquals, kAnd, Text("x"), true}}, {}},
      {"typed dates", {{"DateBegin", op::kGreater, kAnd, Text("2025-12-08T00:00:00"), true}}, {alpha, gamma}},
      {"an empty field meets a typed not-equals", {{"DateBegin", op::kNotEquals, kAnd, V(com::Date{46000.5}), true}},
       {beta, gamma, empty}},
      {"a typed condition without a value finds empty fields", {{"DateBegin", op::kEquals, kAnd, V(), true}},
       {beta, empty}},
      {"links go left to right without precedence",
       // (Alpha or beta) and State = 2, where precedence of "and" would also take Alpha.
       {{"Name", op::kEquals, kAnd, Text("Alpha"), false},
        {"Name", op::kEquals, kOr, Text("beta"), false},
        {"State", op::kEquals, kAnd, V(int32_t{2}), true}},
       {beta}},
      {"an or after a met and", {{"State", op::kEquals, kAnd, V(int32_t{1}), true},
                                 {"State", op::kEquals, kOr, V(int32_t{10}), true}}, {alpha, gamma}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Find(MainInfoQuery(c.conditions)), c.found) << c.what;
  }
}

TEST_F(SearchTest, ASectionQueryIsMetByAnyRowOfItsSectionAndEveryOneMustBeMet) {
  com::Ref<ostrel::CardData> a = NewProcess(session_);
  com::Ref<ostrel::CardData> b = NewProcess(session_);
  for (const char* caption : {"Approve", "Sign"}) Rows(a, kFunctions)->AddNew(0)->SetField("Caption", Text(caption));
  Rows(b, kFunctions)->AddNew(0)->SetField("Caption", Text("Sign"));
  // A pass state (a sub-section type: its rows under every function count).
  Rows(b, kFunctions)->Item(com::Variant(0))->GetSubSections()->Item(kPassStates)->GetRows()->AddNew(0)->SetField(
      "Pass", com::Variant(int32_t{7}));
  MainRow(b)->SetField("Name", Text("second"));

  auto query = [&](bool with_main_info) {
    com::Ref<ostrel::SearchQuery> q = NewQuery();
    com::Ref<ostrel::CardTypeQuery> t = q->GetAttributeSearch()->AddCardTypeQuery(kProcessType);
    t->AddSectionQuery(kFunctions)->AddCondition("Caption", op::kEquals, kAnd, Text("Sign"));
    if (with_main_info) t->AddSectionQuery(kMainInfo)->AddCondition("Name", op::kEquals, kAnd, Text("second"));
    return q->Render(true, com::Variant::Null());
  };
  EXPECT_EQ(Find(query(false)), (std::vector<std::string>{a->GetID(), b->GetID()}));
  EXPECT_EQ(Find(query(true)), std::vector<std::string>{b->GetID()});

  com::Ref<ostrel::SearchQuery> q = NewQuery();
  q->GetAttributeSearch()->AddCardTypeQuery(kProcessType)->AddSectionQuery(kPassStates)->AddCondition(
      "Pass", op::kEquals, kAnd, Text("7"))->SetTypedValue(true);
  EXPECT_EQ(Find(q->Render(true, com::Variant::Null())), std::vector<std::string>{b->GetID()});

  // A section query without conditions: the section has a row.
  com::Ref<ostrel::SearchQuery> any = NewQuery();
  any->GetAttributeSearch()->AddCardTypeQuery(kProcessType)->AddSectionQuery(kPassStates);
  EXPECT_EQ(Find(any->Render(true, com::Variant::Null())), std::vector<std::string>{b->GetID()});
}

TEST_F(SearchTest, CardTypesAreSearchedInTheirOrderEachCardOnce) {
  const std::string process = Process(false, "p");
  const std::string document = Cards(session_)->CreateCardData(kDocumentType, 0)->GetID();
  com::Ref<ostrel::SearchQuery> q = NewQuery();
  q->GetAttributeSearch()->AddCardTypeQuery("bfc9d190-bcd6-411a-b9f9-3160d3f68819");
  q->GetAttributeSearch()->AddCardTypeQuery(kProcessType);
  q->GetAttributeSearch()->AddCardTypeQuery(kProcessType);
  EXPECT_EQ(Find(q->Render(true, com::Variant::Null())), (std::vector<std::string>{document, process}));
  EXPECT_TRUE(Find(NewQuery()->Render(true, com::Variant::Null())).empty());  // no card type: nothing
}

TEST_F(SearchTest, TheQueryObjectRendersOurQueryText) {
  com::Ref<ostrel::SearchQuery> q = NewQuery();
  com::Ref<ostrel::SectionQuery> s =
      q->GetAttributeSearch()->AddCardTypeQuery("ae82dd57-348c-4407-a50a-9f2c7d694da8")->AddSectionQuery(kMainInfo);
  s->AddCondition("Template", op::kEquals, kAnd, Text("1"))->SetTypedValue(true);
  s->AddCondition("Name", op::kContains, kOr, Text("a<b & \"c\""));
  EXPECT_EQ(q->Render(false, com::Variant::Null()),
            "<?xml version=\"1.0\" encoding=\"utf-8\"?><cardSearch>"
            "<cardType id=\"{AE82DD57-348C-4407-A50A-9F2C7D694DA8}\">"
            "<section id=\"{0EF6BCCA-7A09-4027-A3A2-D2EEECA1BF4D}\">"
            "<condition field=\"Template\" op=\"equals\" value=\"1\" typed=\"true\"/>"
            "<condition link=\"or\" field=\"Name\" op=\"contains\" value=\"a&lt;b &amp; &quot;c&quot;\"/>"
            "</section></cardType></cardSearch>");
  // The parts answer what they were given.
  EXPECT_EQ(q->GetAttributeSearch()->GetCardTypeQueryCount(), 1);
  EXPECT_EQ(s->GetSectionID(), kMainInfo);
  EXPECT_EQ(s->GetConditionCount(), 2);
  // Indented or not, the text reads the same.
  const search::QuerySpec a = search::ParseQuery(q->Render(true, com::Variant::Null()));
  const search::QuerySpec b = search::ParseQuery(q->Render(false, com::Variant::Null()));
  ASSERT_EQ(a.card_types.size(), 1u);
  ASSERT_EQ(a.card_types[0].sections[0].conditions.size(), 2u);
  EXPECT_EQ(a.card_types[0].sections[0].conditions[1].value, b.card_types[0].sections[0].conditions[1].value);
  EXPECT_EQ(a.card_types[0].sections[0].conditions[1].value, "a<b & \"c\"");
  EXPECT_EQ(a.card_types[0].sections[0].conditions[1].link, kOr);
}

TEST_F(SearchTest, BadPartsAreRefusedWhenTheyAreMade) {
  com::Ref<ostrel::SearchQuery> q = NewQuery();
  com::Ref<ostrel::SectionQuery> s = q->GetAttributeSearch()->AddCardTypeQuery(kProcessType)->AddSectionQuery(kMainInfo);
  const std::vector<std::pair<const char*, std::function<void()>>> calls = {
      {"a card type that is no GUID", [&] { q->GetAttributeSearch()->AddCardTypeQuery("process"); }},
      {"a section that is no GUID", [&] { q->GetAttributeSearch()->AddCardTypeQuery(kProcessType)->AddSectionQuery(""); }},
      {"an operation code", [&] { s->AddCondition("Name", 7, kAnd, Text("x")); }},
      {"a link code", [&] { s->AddCondition("Name", op::kEquals, 2, Text("x")); }},
      {"no field name", [&] { s->AddCondition("", op::kEquals, kAnd, Text("x")); }},
      {"a reserved argument", [&] { q->Render(true, com::Variant(int32_t{1})); }},
  };
  for (const auto& [what, call] : calls) EXPECT_EQ(CodeOf(call), com::hr::kInvalidArg) << what;
  EXPECT_EQ(CodeOf([&] { s->AddCondition("Name", op::kEquals, kAnd, com::Variant(com::Ref<com::Unknown>(q))); }),
            com::hr::kTypeMismatch);
  EXPECT_EQ(s->GetConditionCount(), 0);
}

TEST_F(SearchTest, QueriesThatDoNotReadFailBeforeAnyCardIsRead) {
  Process(false, "p");
  const std::string type = "<cardType id=\"{AE82DD57-348C-4407-A50A-9F2C7D694DA8}\">";
  const std::string main = "<section id=\"{0EF6BCCA-7A09-4027-A3A2-D2EEECA1BF4D}\">";
  struct Case {
    std::string text;
    com::HResult code;
    const char* says;
  };
  const Case cases[] = {
      {"not xml", com::hr::kInvalidArg, "Search query: "},
      {"<search/>", com::hr::kInvalidArg, "not <cardSearch>"},
      {"<cardSearch><cardtype/></cardSearch>", com::hr::kInvalidArg, "holds no <cardtype>"},
      {"<cardSearch>" + type + "</cardType><cardType id=\"x\"/></cardSearch>", com::hr::kInvalidArg, "is no GUID"},
      {"<cardSearch limit=\"0\"/>", com::hr::kInvalidArg, "limit"},
      {"<cardSearch>" + type + main + "<condition field=\"Name\" op=\"like\"/></section></cardType></cardSearch>",
       com::hr::kInvalidArg, "unknown op \"like\""},
      {"<cardSearch>" + type + main + "<condition field=\"Name\" op=\"equals\" typo=\"1\"/></section></cardType></cardSearch>",
       com::hr::kInvalidArg, "no attribute \"typo\""},
      {"<cardSearch><cardType id=\"{00000000-0000-0000-0000-000000000001}\"/></cardSearch>",
       ostrel::err::kUnknownCardType, "no card type"},
      {"<cardSearch>" + type + "<section id=\"{10105DC1-8B61-4A76-B719-02D679662607}\"/></cardType></cardSearch>",
       ostrel::err::kUnknownSchemaItem, "has no section"},
      {"<cardSearch>" + type + main + "<condition field=\"Nmae\" op=\"equals\"/></section></cardType></cardSearch>",
       ostrel::err::kUnknownSchemaItem, "has no field \"Nmae\""},
      {"<cardSearch>" + type + main + "<condition field=\"State\" op=\"contains\" value=\"1\"/></section></cardType></cardSearch>",
       com::hr::kInvalidArg, "applies to text fields"},
  };
  storage_->loads = 0;
  for (const Case& c : cases) {
    EXPECT_EQ(CodeOf([&] { Find(c.text); }), c.code) << c.text;
    EXPECT_NE(TextOf([&] { Find(c.text); }).find(c.says), std::string::npos) << TextOf([&] { Find(c.text); });
  }
  EXPECT_EQ(storage_->loads, 0);
}

TEST_F(SearchTest, AHandWrittenQueryMayLimitTheCardsFound) {
  std::vector<std::string> all;
  for (int i = 0; i < 4; ++i) all.push_back(Process(false, "p" + std::to_string(i)));
  EXPECT_EQ(Find("<cardSearch limit=\"2\"><cardType id=\"{AE82DD57-348C-4407-A50A-9F2C7D694DA8}\"/></cardSearch>"),
            (std::vector<std::string>{all[0], all[1]}));
}

TEST_F(SearchTest, WithoutASearchEngineFindCardsFailsAsAServiceThatIsDown) {
  store_->SetSearchEngine(nullptr);
  EXPECT_EQ(CodeOf([&] { FindByTemplateField("1"); }), ostrel::err::kServiceUnavailable);
}

}  // namespace
}  // namespace embedded::testing
