// The card importer over card types of its own: typed fields, variant
// fields, fields the platform keeps, trees, sub-sections, row and card
// references; and the rules it keeps for the process and task cards.
#include <cstdio>
#include <fstream>
#include <optional>
#include <utility>
#include <vector>

#include "embedded/store/open.h"
#include "common/ids.h"
#include "objects/exchange/card_importer.h"
#include "objects/exchange/process_document.h"
#include "platform/com/text.h"
#include "platform/ostrel/section_type.h"
#include "platform/ostrel/section_type_collection.h"
#include "tests/embedded/store_files.h"
#include "tests/objects/exchange_fixture.h"

namespace vorlane::testing {
namespace {

using com::Variant;

constexpr char kSampleType[] = "{0A1B2C3D-0000-4000-8000-000000000001}";
constexpr char kHead[] = "{0A1B2C3D-0000-4000-8000-000000000002}";
constexpr char kNodes[] = "{0A1B2C3D-0000-4000-8000-000000000003}";
constexpr char kNotes[] = "{0A1B2C3D-0000-4000-8000-000000000004}";
constexpr char kTaskType[] = "{D8035567-E70A-4DE6-BCBE-C6724187DEE3}";
constexpr char kTaskInfo[] = "{D48E6155-C774-4205-AB70-7A67AB69DF22}";

constexpr char kSampleSchema[] = R"(<?xml version="1.0" encoding="utf-8"?>
<cardType id="{0A1B2C3D-0000-4000-8000-000000000001}" name="Sample" displayName="Sample">
  <section id="{0A1B2C3D-0000-4000-8000-000000000002}" name="Head" kind="single">
    <field name="Name" type="string"/>
    <field name="Count" type="int"/>
    <field name="Small" type="smallInt"/>
    <field name="Ratio" type="float"/>
    <field name="Flag" type="boolean"/>
    <field name="When" type="dateTime"/>
    <field name="Kept" type="int" flags="8" default="7"/>
    <field name="Any" type="variant"/>
    <field name="Pick" type="rowRef"/>
    <field name="Link" type="cardRef"/>
  </section>
  <section id="{0A1B2C3D-0000-4000-8000-000000000003}" name="Nodes" kind="tree">
    <field name="Caption" type="string"/>
    <field name="Peer" type="rowRef"/>
    <section id="{0A1B2C3D-0000-4000-8000-000000000004}" name="Notes" kind="table">
      <field name="Text" type="text"/>
      <field name="rowId" type="string"/>
    </section>
  </section>
</cardType>
)";

class ExchangeImporterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // A folder of the test's own: ctest runs the tests of this suite side by side.
    const std::string path = folder.File("sample_card.xml");
    std::ofstream(path) << kSampleSchema;
    embedded::StoreOptions options;
    options.schema_files = {path};
    store = embedded::Store::Open(options);
    // A Russian session: numbers and dates of the XML must not depend on it.
    session = embedded::Open({.store = store, .account = "alice", .locale = 1049});
    cards = session->GetCardManager();
  }

  // Imports `xml` (a card element in its document) into a new card of its
  // type, as an embedded card is imported.
  com::Ref<ostrel::CardData> ImportNew(const std::string& xml, const com::KeyedList* skipped = nullptr) {
    exchange::Document doc;
    EXPECT_TRUE(doc.ParseUntrusted(xml)) << xml;
    CardImporter importer;
    ids = std::make_unique<IdMap>();  // one map per import
    const std::string id = importer.ImportIntoNewCard(session, doc.root().first_child(), *ids, *created, skipped);
    return cards->GetCardData(id);
  }
  com::Ref<ostrel::Row> HeadOf(const com::Ref<ostrel::CardData>& c) {
    return c->GetSections()->Item(kHead)->GetFirstRow();
  }

  ::embedded::testing::TempFolder folder;
  std::shared_ptr<embedded::Store> store;
  com::Ref<ostrel::Session> session;
  com::Ref<ostrel::CardManager> cards;
  std::unique_ptr<IdMap> ids = std::make_unique<IdMap>();
  com::Ref<com::KeyedList> created = com::Make<com::KeyedList>();
};

std::string Sample(const std::string& head_attributes, const std::string& rest = "") {
  return "<Data><Sample CardID=\"{C0000000-0000-0000-0000-000000000001}\" CardTypeID=\"" + std::string(kSampleType) +
         "\"><Head RowID=\"{A0000000-0000-0000-0000-000000000001}\" " + head_attributes + "/>" + rest +
         "</Sample></Data>";
}

TEST_F(ExchangeImporterTest, AttributesAreReadInTheDataTypeOfTheirField) {
  auto c = ImportNew(Sample(
      "Name=\"n\" Count=\"-12\" Small=\"7\" Ratio=\"1.25\" Flag=\"1\" When=\"2026-12-08T10:30:00\" Kept=\"99\""));
  auto head = HeadOf(c);
  EXPECT_EQ(head->GetField("Count"), Variant(int32_t{-12}));
  EXPECT_EQ(head->GetField("Small"), Variant(int16_t{7}));
  EXPECT_EQ(head->GetField("Ratio"), Variant(1.25)) << "'.' decimals in a Russian session";
  EXPECT_EQ(head->GetField("Flag"), Variant(true));
  EXPECT_EQ(head->GetField("When").ToDate(), com::MakeDate(2026, 12, 8, 10, 30, 0));
  EXPECT_EQ(head->GetField("Kept"), Variant(int32_t{7})) << "a field the platform keeps is never written";
}

TEST_F(ExchangeImporterTest, AttributeNamesFindTheirFieldsInAnyCaseAndOrder) {
  // The platform's form writes the fields in schema order and spelling;
  // a hand-written file may do neither.
  auto c = ImportNew(Sample("Ratio=\"0.5\" count=\"3\" NAME=\"n\" fLaG=\"1\" Small=\"2\" _type_any=\"int\" ANY=\"9\""));
  auto head = HeadOf(c);
  EXPECT_EQ(head->GetField("Ratio"), Variant(0.5));
  EXPECT_EQ(head->GetField("Count"), Variant(int32_t{3}));
  EXPECT_EQ(head->GetField("Name"), Variant("n"));
  EXPECT_EQ(head->GetField("Flag"), Variant(true));
  EXPECT_EQ(head->GetField("Small"), Variant(int16_t{2}));
  // The companion is an attribute of its own exact name: in another case
  // it is not one, and the value is a text.
  EXPECT_EQ(head->GetField("Any"), Variant("9"));
}

TEST_F(ExchangeImporterTest, OtherTextsGoToThePlatformsConversions) {
  // Forms the XML data types do not read, which the automation rules do.
  auto c = ImportNew(Sample("Flag=\"True\" Ratio=\"2,5\""));
  EXPECT_EQ(HeadOf(c)->GetField("Flag"), Variant(true));
  EXPECT_EQ(HeadOf(c)->GetField("Ratio"), Variant(2.5)) << "the session's own decimal comma";
}

TEST_F(ExchangeImporterTest, VariantFieldsFollowTheirTypeCompanion) {
  const std::string long_text = Cyrillic(5000);
  auto text = ImportNew(Sample("Any=\"" + long_text + "\""));
  EXPECT_EQ(HeadOf(text)->GetField("Any"), Variant(Cyrillic(4096))) << "a text is cut at 4096 characters";
  auto number = ImportNew(Sample("Any=\"42\" _Type_Any=\"int\""));
  EXPECT_EQ(HeadOf(number)->GetField("Any"), Variant(int32_t{42}));
  auto real = ImportNew(Sample("Any=\"0.5\" _Type_Any=\"float\""));
  EXPECT_EQ(HeadOf(real)->GetField("Any"), Variant(0.5));
  auto date = ImportNew(Sample("Any=\"2020-01-02\" _Type_Any=\"dateTime\""));
  EXPECT_EQ(HeadOf(date)->GetField("Any").type(), Variant::Type::Date);
  auto as_text = ImportNew(Sample("Any=\"42\" _Type_Any=\"string\""));
  EXPECT_EQ(HeadOf(as_text)->GetField("Any"), Variant("42"));
}

TEST_F(ExchangeImporterTest, TreesNestAndReferencesFollowTheirRows) {
  const std::string nodes =
      "<Nodes>"
      "<NodesRow RowID=\"{B1}\" Caption=\"root\" Peer=\"{B3}\">"
      "<Notes><NotesRow RowID=\"{D1}\" Text=\"note\"/></Notes>"
      "<NodesRow RowID=\"{B2}\" Caption=\"child\" Peer=\"{NOT-IN-THE-FILE}\">"
      "<NodesRow RowID=\"{B3}\" Caption=\"grandchild\"/>"
      "</NodesRow></NodesRow></Nodes>";
  auto c = ImportNew(Sample("Pick=\"b2\"", nodes));
  auto roots = c->GetSections()->Item(kNodes)->GetRows();
  ASSERT_EQ(roots->Count(), 1);
  auto root = roots->Item(Variant(int32_t{0}));
  auto child = root->GetChildRows()->Item(Variant(int32_t{0}));
  auto grandchild = child->GetChildRows()->Item(Variant(int32_t{0}));
  EXPECT_EQ(grandchild->GetField("Caption"), Variant("grandchild"));
  auto notes = root->GetSubSections()->Item(kNotes)->GetRows();
  ASSERT_EQ(notes->Count(), 1);
  auto note = notes->Item(Variant(int32_t{0}));
  EXPECT_EQ(note->GetField("rowId"), Variant("{D1}")) << "a field that the row's ID attribute names takes it";
  EXPECT_EQ(*ids->Find("{D1}"), note->GetID()) << "and the ID still names the row";
  // References into the file point to the new rows; others keep their text.
  EXPECT_EQ(root->GetField("Peer").ToText(), grandchild->GetID());
  EXPECT_EQ(HeadOf(c)->GetField("Pick").ToText(), child->GetID()) << "found in any letter case, without braces";
  EXPECT_EQ(child->GetField("Peer").ToText(), "{NOT-IN-THE-FILE}");
  EXPECT_EQ(*ids->Find("{B3}"), grandchild->GetID());
  EXPECT_NE(grandchild->GetID(), "{B3}");
}

TEST_F(ExchangeImporterTest, CardReferencesMakeEmbeddedCardsOrKeepCardsThatExist) {
  auto existing = cards->CreateCardData(kSampleType, 0);
  auto kept = ImportNew(Sample("Link=\"" + existing->GetID() + "\""));
  EXPECT_EQ(HeadOf(kept)->GetField("Link").ToText(), existing->GetID());

  auto dangling = ImportNew(Sample("Link=\"{E0000000-0000-0000-0000-0000000000EE}\""));
  EXPECT_TRUE(HeadOf(dangling)->GetField("Link").IsNull()) << "a card that is nowhere is not linked";

  // Card data held in an attribute, as a document of its own.
  const std::string inner = "<Data><Sample CardID=\"{E1}\" CardTypeID=\"" + std::string(kSampleType) +
                            "\"><Head Name=\"inner\"/></Sample></Data>";
  std::string escaped;
  for (char ch : inner) escaped += ch == '<' ? "&lt;" : ch == '"' ? "&quot;" : std::string(1, ch);
  created->Clear();
  auto outer = ImportNew(Sample("Link=\"{E1}\" LinkCardData=\"" + escaped + "\""));
  ASSERT_EQ(created->size(), 2u);
  const std::string inner_id = HeadOf(outer)->GetField("Link").ToText();
  EXPECT_EQ(inner_id, created->at(1).ToText());
  EXPECT_EQ(HeadOf(cards->GetCardData(inner_id))->GetField("Name"), Variant("inner"));

  // Skipped types are not made, and the reference stays unwritten.
  auto skipped = com::Make<com::KeyedList>();
  skipped->Add(Variant(NormalizeID(kSampleType)), NormalizeID(kSampleType));
  created->Clear();
  auto alone = ImportNew(Sample("Link=\"{E1}\" LinkCardData=\"" + escaped + "\""), skipped.get());
  EXPECT_EQ(created->size(), 1u);
  EXPECT_TRUE(HeadOf(alone)->GetField("Link").IsNull());
}

TEST_F(ExchangeImporterTest, ASectionIsAddedWithoutClearing) {
  auto c = cards->CreateCardData(kSampleType, 0);
  auto rows = c->GetSections()->Item(kNodes)->GetRows();
  rows->AddNew(0)->SetField("Caption", Variant("mine"));
  exchange::Document doc;
  ASSERT_TRUE(doc.ParseUntrusted("<Nodes><NodesRow Caption=\"added\"/><NodesRow Caption=\"too\"/></Nodes>"));
  CardImporter importer;
  importer.ImportSection(session, *rows, *c->GetCardType()->GetSectionTypes()->Item(Variant("Nodes")), doc.root(),
                         *ids, *created, nullptr);
  ASSERT_EQ(rows->Count(), 3);
  EXPECT_EQ(rows->Item(Variant(int32_t{0}))->GetField("Caption"), Variant("mine"));
  EXPECT_EQ(rows->Item(Variant(int32_t{2}))->GetField("Caption"), Variant("too"));
  EXPECT_EQ(ids->size(), 0u) << "rows without a RowID map nothing";
}

TEST_F(ExchangeImporterTest, TaskRowsReadTheOldSpellingOfTheEmployeeFields) {
  auto c = ImportNew("<Data><Task CardTypeID=\"" + std::string(kTaskType) +
                     "\"><TaskInfo CompletedEmloyeeID=\"old\" CompletedEmloyeeIDPID=\"old pid\" Name=\"t\"/></Task>"
                     "</Data>");
  auto info = c->GetSections()->Item(kTaskInfo)->GetFirstRow();
  EXPECT_EQ(info->GetField("CompletedEmployeeID"), Variant("old"));
  EXPECT_EQ(info->GetField("CompletedEmployeeIDPID"), Variant("old pid"));
  auto current = ImportNew("<Data><Task CardTypeID=\"" + std::string(kTaskType) +
                           "\"><TaskInfo CompletedEmployeeID=\"new\"/></Task></Data>");
  EXPECT_EQ(current->GetSections()->Item(kTaskInfo)->GetFirstRow()->GetField("CompletedEmployeeID"), Variant("new"));
}

// The rules for the process card's own sections.
class ExchangeProcessRulesTest : public ExchangeFixture {
 protected:
  com::Ref<ostrel::CardData> Import(const std::string& body) {
    auto target = NewCard(layout::kProcessCardType);
    io->DeserializeProcess(session, target,
                           "<Data><Process CardTypeID=\"{AE82DD57-348C-4407-A50A-9F2C7D694DA8}\">" + body +
                               "</Process></Data>",
                           "", nullptr);
    return target;
  }
};

TEST_F(ExchangeProcessRulesTest, FunctionSettingsEndWithALineFeed) {
  auto p = Attach(Import(
      "<Functions><FunctionsRow ID=\"{F1000000-0000-4000-8000-000000000001}\" Data=\"abc\">"
      "<FunctionSpareData Data=\"spare\"/></FunctionsRow>"
      "<FunctionsRow ID=\"{F2000000-0000-4000-8000-000000000002}\" Data=\"abc&#10;\"/></Functions>"
      "<Gates><GatesRow ID=\"{61000000-0000-4000-8000-000000000003}\" Data=\"gate\"/></Gates>"));
  auto first = p->Functions()->Item(Variant("{F1000000-0000-4000-8000-000000000001}"));
  EXPECT_EQ(first->Data(), "abc\n");
  EXPECT_EQ(p->Functions()->Item(Variant("{F2000000-0000-4000-8000-000000000002}"))->Data(), "abc\n") << "one line feed is enough";
  EXPECT_EQ(p->Gates()->Item(Variant("{61000000-0000-4000-8000-000000000003}"))->Data(), "gate") << "only functions' settings";
}

TEST_F(ExchangeProcessRulesTest, AVariableValueOverTheSpareThresholdGoesToItsSpareRow) {
  const std::string over = Cyrillic(1025);
  const std::string at = Cyrillic(1024);
  auto target = Import("<Variables><VariablesRow ID=\"{71000000-0000-4000-8000-000000000004}\" VarType=\"3\" Value=\"" + over +
                  "\"><Values><ValuesRow Value=\"" + over + "\"/></Values></VariablesRow>"
                  "<VariablesRow ID=\"{72000000-0000-4000-8000-000000000005}\" VarType=\"3\" Value=\"" + at + "\"/></Variables>");
  auto p = Attach(target);
  auto spared = p->Variables()->Item(Variant("{71000000-0000-4000-8000-000000000004}"));
  EXPECT_EQ(spared->Value().ToText(), over);
  EXPECT_EQ(spared->Values()->Item(Variant(1))->GetValue().ToText(), over);
  auto whole = p->Variables()->Item(Variant("{72000000-0000-4000-8000-000000000005}"));
  EXPECT_EQ(whole->Value().ToText(), at);
  auto variables = target->GetSections()->Item(layout::kVariables)->GetRows();
  auto spared_row = variables->Item(Variant(int32_t{0}));
  EXPECT_EQ(spared_row->GetField("UseSparedValue"), Variant(true));
  EXPECT_EQ(text::Length(spared_row->GetField("Value").ToText()), 1024u);
  EXPECT_EQ(spared_row->GetSubSections()->Item(layout::kVariableSpare)->GetFirstRow()->GetField("Value"), Variant(over));
  auto whole_row = variables->Item(Variant(int32_t{1}));
  EXPECT_EQ(whole_row->GetField("UseSparedValue"), Variant(false));
  EXPECT_EQ(whole_row->GetField("Value"), Variant(at));
}

}  // namespace
}  // namespace vorlane::testing

namespace vorlane::testing {
namespace {

TEST(ExchangeDocumentTest, DescendantsAreWhatXPathSelects) {
  exchange::Document doc;
  ASSERT_TRUE(doc.ParseUntrusted(
      "<Data><Process><Functions><FunctionsRow n='1'><CardIDCardData><Data><Process><Functions>"
      "<FunctionsRow n='2'/></Functions></Process></Data></CardIDCardData></FunctionsRow>"
      "<FunctionsRow n='3'><FunctionsRow n='4'/></FunctionsRow></Functions></Process>"
      "<FunctionsRow n='5'/></Data>"));
  std::vector<std::string> walked, selected;
  for (pugi::xml_node n : exchange::Descendants(doc.root(), "FunctionsRow")) walked.push_back(n.attribute("n").value());
  for (const pugi::xpath_node& n : doc.root().select_nodes(".//FunctionsRow")) {
    selected.push_back(n.node().attribute("n").value());
  }
  EXPECT_EQ(walked, selected);
  EXPECT_EQ(walked.size(), 5u);
  EXPECT_TRUE(exchange::Descendants(doc.root().child("Process").child("Functions").child("FunctionsRow").child(
                                        "CardIDCardData").child("Data").child("Process").child("Functions").child(
                                        "FunctionsRow"),
                                    "FunctionsRow")
                  .empty());
}

TEST(ExchangeDocumentTest, TheCheckCountsTheElementsOfANameAtAnyDepth) {
  exchange::Document doc;
  const std::string text =
      "<Data><Process><Functions><FunctionsRow><FunctionsRows/><FunctionsRow/></FunctionsRow></Functions></Process>"
      "<FunctionsRow>FunctionsRow</FunctionsRow><!--<FunctionsRow/>--></Data>";
  ASSERT_TRUE(doc.ParseUntrusted(text, exchange::kFunctionRow));
  EXPECT_EQ(doc.counted(), 3u) << "elements only, by their whole name";
  ASSERT_TRUE(doc.ParseUntrusted(text));
  EXPECT_EQ(doc.counted(), 0u) << "nothing is counted unless asked";
  ASSERT_TRUE(doc.ParseUntrusted(text, exchange::kFunctionRow));
  EXPECT_FALSE(doc.ParseUntrusted("<!DOCTYPE d><Data><FunctionsRow/></Data>", exchange::kFunctionRow));
  EXPECT_EQ(doc.counted(), 0u) << "a refused document counts nothing";
  ASSERT_TRUE(doc.ParseUntrusted(text, exchange::kFunctionRow));
  EXPECT_FALSE(doc.ParseUntrusted("<Data><FunctionsRow/>", exchange::kFunctionRow));
  EXPECT_EQ(doc.counted(), 0u) << "nor does one that is not well-formed";
}

TEST(ExchangeDocumentTest, ElementsMayNestUpToTheLimitAndNoDeeper) {
  auto nested = [](int depth, const std::string& inside) {
    std::string open, close;
    for (int i = 0; i < depth; ++i) {
      open += "<E>";
      close = "</E>" + close;
    }
    return open + inside + close;
  };
  exchange::Document doc;
  EXPECT_TRUE(doc.ParseUntrusted(nested(exchange::kMaxNesting, "text and <!--a comment--> below the deepest")));
  EXPECT_TRUE(doc.ParseUntrusted(nested(exchange::kMaxNesting - 1, "<E/><FunctionsRow/>"), exchange::kFunctionRow));
  EXPECT_EQ(doc.counted(), 1u);
  EXPECT_FALSE(doc.ParseUntrusted(nested(exchange::kMaxNesting + 1, "")));
  EXPECT_FALSE(doc.ParseUntrusted(nested(exchange::kMaxNesting, "<E/>")));
  EXPECT_FALSE(doc.ParseUntrusted(nested(exchange::kMaxNesting, "<FunctionsRow/>"), exchange::kFunctionRow));
  EXPECT_EQ(doc.counted(), 0u);
  EXPECT_FALSE(doc.root()) << "a refused document is left empty";

  // The depth is each element's own: many branches, each nearly as deep as
  // the limit, pass; counted elements are found at every depth and after
  // every return from a deep branch.
  std::string branches;
  for (int i = 0; i < 4; ++i) branches += nested(exchange::kMaxNesting - 2, "<FunctionsRow/>") + "<FunctionsRow/>";
  ASSERT_TRUE(doc.ParseUntrusted("<Data>" + branches + "</Data>", exchange::kFunctionRow));
  EXPECT_EQ(doc.counted(), 8u);
  EXPECT_FALSE(doc.ParseUntrusted("<Data>" + branches + nested(exchange::kMaxNesting, "") + "</Data>"));
}

TEST(ExchangeDocumentTest, OnlyLinksBelowTheCardElementCount) {
  EXPECT_FALSE(exchange::NamesLinkedCards("<Data>\n  <Process CardID=\"{A}\" CardTypeID=\"{B}\">\n    <Functions>\n"
                                          "      <FunctionsRow RowID=\"{C}\" Caption=\"CardID=&quot;\" />"));
  EXPECT_TRUE(exchange::NamesLinkedCards("<Data><Process CardID=\"{A}\"><Functions><FunctionsRow WeakCardID=\"{D}\"/>"));
  EXPECT_TRUE(exchange::NamesLinkedCards("not a card"));
}

// The ID map compares IDs in their NormalizeID form: GUIDs in any spelling,
// and any other text.
TEST(ExchangeIdMapTest, SpellingsOfOneIdAreOneKey) {
  IdMap ids;
  ids.Add(" {a1b2c3d4-0000-4000-8000-00000000000f} ", "{11111111-2222-3333-4444-555555555555}");
  EXPECT_EQ(ids.Find("A1B2C3D4-0000-4000-8000-00000000000F"), "{11111111-2222-3333-4444-555555555555}");
  EXPECT_EQ(ids.Find("{A1B2C3D4-0000-4000-8000-00000000000F}"), "{11111111-2222-3333-4444-555555555555}");
  EXPECT_EQ(ids.Find("{A1B2C3D4-0000-4000-8000-00000000000E}"), std::nullopt);
  try {
    ids.Add("a1b2c3d4-0000-4000-8000-00000000000F", "{other}");
    ADD_FAILURE() << "a repeated ID is refused";
  } catch (const com::Error& e) {
    EXPECT_EQ(e.code(), com::hr::kDuplicateKey);
  }
  // What was made comes back as it was given, GUID or not.
  ids.Add("{00000000-0000-0000-0000-000000000001}", "{abcdef00-0000-0000-0000-000000000000}");
  EXPECT_EQ(ids.Find("{00000000-0000-0000-0000-000000000001}"), "{abcdef00-0000-0000-0000-000000000000}");
  for (const char* made : {"ABCDEF00-0000-0000-0000-000000000000", " {ABCDEF00-0000-0000-0000-000000000000}",
                           "{ABCDEF00-0000-0000-0000-00000000000a}"}) {
    const std::string id = com::Guid::Generate().ToString();
    ids.Add(id, made);
    EXPECT_EQ(ids.Find(id), made);
  }
  ids.Add("b1", "made for b1");
  EXPECT_EQ(ids.Find(" {b1}"), "made for b1");
  EXPECT_THROW(ids.Add("{B1}", "again"), com::Error);
  ids.Add("{B1", "no closing brace");
  EXPECT_EQ(ids.Find("{b1"), "no closing brace");
  EXPECT_EQ(ids.Find("B1}"), std::nullopt) << "wrapped, \"B1}\" reads \"{B1}}\"";
  // A GUID with a letter that is not a digit of one is a text like any other.
  ids.Add("{G1B2C3D4-0000-4000-8000-00000000000F}", "g");
  EXPECT_EQ(ids.Find("{g1b2c3d4-0000-4000-8000-00000000000f}"), "g");
  EXPECT_EQ(ids.size(), 8u);
}

// A GUID of the document is one key whether the ID made for it is a GUID
// in the platform's form (kept as a GUID) or any other text (kept as text).
TEST(ExchangeIdMapTest, AGuidIsOneKeyWhateverWasMadeForIt) {
  IdMap ids;
  const std::string first = com::Guid::Generate().ToString(), second = com::Guid::Generate().ToString();
  ids.Add(first, "{abcdef00-0000-0000-0000-000000000000}");
  EXPECT_THROW(ids.Add(text::Lower(first), "{ABCDEF00-0000-0000-0000-000000000000}"), com::Error);
  ids.Add(second, "{ABCDEF00-0000-0000-0000-000000000000}");
  EXPECT_THROW(ids.Add(text::Lower(second), "made again"), com::Error);
  EXPECT_EQ(ids.Find(first), "{abcdef00-0000-0000-0000-000000000000}");
  EXPECT_EQ(ids.Find(second), "{ABCDEF00-0000-0000-0000-000000000000}");
  EXPECT_EQ(ids.size(), 2u);
}

TEST(ExchangeIdMapTest, ManyIdsAreEachFoundAgain) {
  IdMap ids;
  std::vector<std::pair<std::string, std::string>> added;
  for (int i = 0; i < 5000; ++i) {
    added.emplace_back(com::Guid::Generate().ToString(), i % 7 == 0 ? "text " + std::to_string(i)
                                                                     : com::Guid::Generate().ToString());
    ids.Add(added.back().first, added.back().second);
  }
  for (const auto& [id, made] : added) EXPECT_EQ(ids.Find(text::Lower(id)), made);
  EXPECT_EQ(ids.size(), added.size());
}

}  // namespace
}  // namespace vorlane::testing
