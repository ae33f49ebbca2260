// The partial export (chosen functions and what they need) and the partial
// import that adds such a part to a process.
#include <sstream>

#include "common/ids.h"
#include "tests/objects/exchange_fixture.h"

namespace vorlane::testing {
namespace {

using com::Variant;

class ExchangePartTest : public ExchangeFixture {
 protected:
  static com::Ref<com::KeyedList> IdList(std::initializer_list<std::string> ids) {
    auto list = com::Make<com::KeyedList>();
    for (const std::string& id : ids) list->Add(Variant(id), std::nullopt);
    return list;
  }
  // The "ID" attributes of the rows of a section of the process element.
  static std::vector<std::string> RowIds(const std::string& xml, const char* section) {
    pugi::xml_document doc;
    doc.load_string(xml.c_str());
    std::vector<std::string> ids;
    pugi::xml_node s = doc.child("Data").child("Process").child(section);
    const std::string row = std::string(section) + "Row";
    for (pugi::xml_node r = s.child(row.c_str()); r; r = r.next_sibling(row.c_str())) {
      ids.push_back(r.attribute("ID").value());
    }
    return ids;
  }
};

TEST_F(ExchangePartTest, OneFunctionKeepsItsVariablesAndTheGatesItNeeds) {
  Sample s = BuildSample();
  // Lower case and without braces: IDs are compared as IDs.
  const std::string task = text::Lower(s.task.substr(1, s.task.size() - 2));
  const std::string xml = io->SerializeProcessPart(session, card, IdList({task}), true, false);
  EXPECT_EQ(RowIds(xml, "Functions"), std::vector<std::string>{s.task});
  EXPECT_TRUE(RowIds(xml, "Links").empty()) << "a link needs both ends among the chosen functions";
  EXPECT_EQ(RowIds(xml, "Variables"), std::vector<std::string>{s.number}) << "the task's row names it";
  // The task's row names no gate type, and no kept variable a gate type;
  // the task's type depends on the "Cards" gate, so that gate stays.
  EXPECT_EQ(RowIds(xml, "Gates"), std::vector<std::string>{s.cards_gate});
}

TEST_F(ExchangePartTest, GatesStayWhenTheFunctionsOrTheirVariablesNameTheirType) {
  Sample s = BuildSample();
  auto start = process->Functions()->Item(Variant(s.start));
  auto gated = process->Variables()->AddNew();
  gated->SetGateID(kMailGate);  // a gate reference that happens to be the Mail type
  start->SetData("names " + gated->ID() + "\n");
  EXPECT_EQ(RowIds(io->SerializeProcessPart(session, card, IdList({s.start}), true, false), "Gates"),
            std::vector<std::string>{s.mail_gate});

  start->SetData("names " + text::Lower(kCardsGate) + "\n");
  EXPECT_EQ(RowIds(io->SerializeProcessPart(session, card, IdList({s.start}), true, false), "Gates"),
            std::vector<std::string>{s.cards_gate});
  // A start function depends on no gate type.
  start->SetData("plain\n");
  EXPECT_TRUE(RowIds(io->SerializeProcessPart(session, card, IdList({s.start}), true, false), "Gates").empty());
}

TEST_F(ExchangePartTest, KeepAllVariablesKeepsThemAll) {
  Sample s = BuildSample();
  const std::string xml = io->SerializeProcessPart(session, card, IdList({s.start}), true, true);
  EXPECT_EQ(RowIds(xml, "Variables").size(), 4u);
  EXPECT_TRUE(RowIds(xml, "Gates").empty());
}

TEST_F(ExchangePartTest, LinksBetweenChosenFunctionsStay) {
  Sample s = BuildSample();
  const std::string xml = io->SerializeProcessPart(session, card, IdList({s.start, s.task}), true, false);
  ASSERT_EQ(RowIds(xml, "Links").size(), 1u);
  EXPECT_EQ(RowIds(xml, "Functions"), (std::vector<std::string>{s.start, s.task}));
}

TEST_F(ExchangePartTest, WithoutFunctionIdsThePartIsTheWhole) {
  BuildSample();
  EXPECT_EQ(io->SerializeProcessPart(session, card, nullptr, true, false), io->SerializeProcess(session, card));
  EXPECT_NE(io->SerializeProcessPart(session, card, nullptr, false, false), io->SerializeProcess(session, card));
}

TEST_F(ExchangePartTest, APartIsAddedToWhatTheProcessHas) {
  Sample s = BuildSample();
  const std::string part = io->SerializeProcessPart(session, card, IdList({s.start, s.task}), true, false);
  auto target = NewCard(layout::kProcessCardType);
  auto existing = Attach(target);
  existing->SetName("Target");
  existing->Functions()->AddNew()->SetCaption("mine");
  existing.reset();
  auto created = com::Make<com::KeyedList>();
  io->DeserializeProcessPart(session, target, part, created);

  auto copy = Attach(target);
  ASSERT_EQ(copy->Functions()->Count(), 3);
  EXPECT_EQ(copy->Functions()->Item(Variant(1))->Caption(), "mine");
  EXPECT_EQ(copy->Functions()->Item(Variant(s.task))->States()->Count(), 2);
  EXPECT_EQ(copy->Links()->Count(), 1);
  EXPECT_EQ(copy->Name(), "Target") << "a part brings no main info";
  EXPECT_EQ(target->GetDescription(), "Target");
  ASSERT_EQ(created->size(), 1u) << "the task's document";
  EXPECT_EQ(copy->Functions()->Item(Variant(s.task))->CardID(), created->at(0).ToText());
  EXPECT_FALSE(com::Query<ostrel::CardUpdate>(target)->GetInUpdate());
}

// A card that a function left out linked first comes with the function
// kept, and an import of the part links it there.
TEST_F(ExchangePartTest, ACardLinkedFirstByAFunctionLeftOutComesWithTheOneKept) {
  Sample s = BuildSample();
  const std::string document = process->Functions()->Item(Variant(s.task))->CardID();
  process->Functions()->Item(Variant(s.start))->SetCardID(document);
  const std::string part = io->SerializeProcessPart(session, card, IdList({s.task}), true, false);
  EXPECT_EQ(RowIds(part, "Functions"), std::vector<std::string>{s.task});
  EXPECT_NE(part.find("<CardIDCardData>"), std::string::npos) << part;

  auto target = NewCard(layout::kProcessCardType);
  auto created = com::Make<com::KeyedList>();
  io->DeserializeProcessPart(session, target, part, created);
  ASSERT_EQ(created->size(), 1u) << "the document, made anew";
  EXPECT_EQ(Attach(target)->Functions()->Item(Variant(s.task))->CardID(), created->at(0).ToText());
}

TEST_F(ExchangePartTest, APartAddedTwiceIsRefusedTheSecondTime) {
  Sample s = BuildSample();
  const std::string part = io->SerializeProcessPart(session, card, IdList({s.start}), true, false);
  auto target = NewCard(layout::kProcessCardType);
  io->DeserializeProcessPart(session, target, part, nullptr);
  const std::string before = target->GetXML(false);
  try {
    io->DeserializeProcessPart(session, target, part, nullptr);
    FAIL() << "the same functions were added again";
  } catch (const com::Error& e) {
    EXPECT_EQ(e.code(), com::hr::kDuplicateKey);
    EXPECT_NE(e.description().find("another row of the section has this ID"), std::string::npos) << e.description();
  }
  EXPECT_EQ(target->GetXML(false), before);
  EXPECT_EQ(Attach(target)->Functions()->Count(), 1) << "the process still lists its functions";
}

// A part whose functions hold a bad value, after variables and gates that
// import well and a function that makes a card.
std::string BrokenPart(const std::string& good) {
  pugi::xml_document doc;
  doc.load_string(good.c_str());
  pugi::xml_node functions = doc.child("Data").child("Process").child("Functions");
  functions.append_child("FunctionsRow").append_attribute("XPos").set_value("far left");
  std::ostringstream out;
  doc.save(out);
  return out.str();
}

TEST_F(ExchangePartTest, AFailedPartLeavesTheProcessAndTheStoreAsTheyWere) {
  Sample s = BuildSample();
  const std::string part = BrokenPart(io->SerializeProcessPart(session, card, IdList({s.task}), true, false));
  auto target = NewCard(layout::kProcessCardType);
  Attach(target)->Variables()->AddNew()->SetName("mine");
  const std::string before = target->GetXML(false);
  const std::set<std::string> cards = StoreCards();

  try {
    io->DeserializeProcessPart(session, target, part, nullptr);
    FAIL() << "the bad value imported";
  } catch (const com::Error& e) {
    EXPECT_EQ(e.code(), com::hr::kTypeMismatch);
    EXPECT_NE(e.description().find("\"XPos\""), std::string::npos) << e.description();
  }
  EXPECT_FALSE(com::Query<ostrel::CardUpdate>(target)->GetInUpdate());
  EXPECT_EQ(target->GetXML(false), before);
  EXPECT_EQ(StoreCards(), cards) << "the document made for the task went with the cancelled bracket";
}

TEST_F(ExchangePartTest, InTheCallersBracketAFailedPartIsTheCallersToCancel) {
  Sample s = BuildSample();
  const std::string part = BrokenPart(io->SerializeProcessPart(session, card, IdList({s.task}), true, false));
  auto target = NewCard(layout::kProcessCardType);
  const std::string before = target->GetXML(false);
  const std::set<std::string> cards = StoreCards();
  auto update = com::Query<ostrel::CardUpdate>(target);
  update->BeginUpdate();
  auto created = com::Make<com::KeyedList>();
  EXPECT_EQ(CodeOf([&] { io->DeserializeProcessPart(session, target, part, created); }), com::hr::kTypeMismatch);
  EXPECT_TRUE(update->GetInUpdate());
  EXPECT_EQ(created->size(), 1u) << "the caller hears of the card made in its bracket";
  update->CancelUpdate();
  EXPECT_EQ(target->GetXML(false), before);
  EXPECT_EQ(StoreCards(), cards);
}

}  // namespace
}  // namespace vorlane::testing
