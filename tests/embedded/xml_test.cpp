// The card's XML form.
#include <gtest/gtest.h>

#include <limits>
#include <utility>
#include <vector>

#include "tests/embedded/store_fixture.h"

namespace embedded::testing {
namespace {

constexpr const char* kDocumentType = "{bfc9d190-bcd6-411a-b9f9-3160d3f68819}";
constexpr const char* kFiles = "{e962ac85-0f53-4439-a1cd-171e46c3ef91}";
constexpr const char* kFileType = "{F7E2090A-EEC3-4B51-B1BB-567D4A0117D6}";

class CardXml : public StoreTest {};

size_t Occurrences(const std::string& hay, const std::string& needle) {
  size_t n = 0;
  for (size_t at = hay.find(needle); at != std::string::npos; at = hay.find(needle, at + 1)) ++n;
  return n;
}

TEST_F(CardXml, ASmallCardReadsAsExpected) {
  auto s = Session("alice", 1049);  // the XML form does not follow the user's locale
  auto card = NewProcess(s);
  card->SetIsTemplate(true);
  auto main = MainRow(card);
  main->SetField("Name", Text("Order \"17\""));
  main->SetField("DateBegin", com::Variant(*com::MakeDate(2026, 12, 8, 10, 30)));
  auto fn = Rows(card, kFunctions)->AddNew(0);
  fn->SetField("Caption", Text("A & <b>"));
  fn->SetField("XPos", com::Variant(1.5));
  fn->SetField("Description", Text(""));  // an empty text is left out
  auto pass = fn->GetSubSections()->Item(kPassStates)->GetRows()->AddNew(0);
  auto var = Rows(card, kVariables)->AddNew(0);
  var->SetField("Value", com::Variant(int32_t{5}));

  std::string expected = R"(<Data>
  <Process CardID=")" + card->GetID() + R"(" CardTypeID="{AE82DD57-348C-4407-A50A-9F2C7D694DA8}" Template="1">
    <MainInfo RowID=")" + main->GetID() + R"(" Name="Order &quot;17&quot;" State="0" TemplateState="0" DateBegin="2026-12-08T10:30:00" RefreshPeriod="60" Template="1">
      <DocTypes />
    </MainInfo>
    <Functions>
      <FunctionsRow RowID=")" + fn->GetID() + R"(" Caption="A &amp; &lt;b>" UseSparedData="0" XPos="1.5">
        <PassStates>
          <PassStatesRow RowID=")" + pass->GetID() + R"(" UseSparedData="0" HasErrors="0" HasWarnings="0" State="0">
            <Constraints />
          </PassStatesRow>
        </PassStates>
      </FunctionsRow>
    </Functions>
    <Gates />
    <Links />
    <Variables>
      <VariablesRow RowID=")" + var->GetID() + R"(" VarType="0" TypeID="0" Value="5" _Type_Value="int" UseSparedValue="0" IsRequired="0" IsAdditive="0" IsAdded="0" IsDefault="0" IsMultipleValued="0" CreateCopy="0" HiddenInParentProcess="0">
        <Values />
        <EnumValues />
        <LogValues />
      </VariablesRow>
    </Variables>
    <LogMessages />
  </Process>
</Data>
)";
  EXPECT_EQ(card->GetXML(false), expected);
}

TEST_F(CardXml, FollowingLinksEmbedsEachLinkedCardOnce) {
  auto s = Session();
  auto cards = Cards(s);
  auto process = NewProcess(s);
  auto document = cards->CreateCardData(kDocumentType, 0);
  auto file = cards->CreateCardData(kFileType, 0);
  auto gone = cards->CreateCardData(kFileType, 0);
  auto files = Rows(document, kFiles);
  files->AddNew(0)->SetField("CardFileID", com::Variant(file->GetID()));
  files->AddNew(0)->SetField("CardFileID", com::Variant(gone->GetID()));
  files->AddNew(0)->SetField("CardFileID", com::Variant(process->GetID()));  // back to the start
  cards->DeleteCard(gone->GetID(), true);
  auto fns = Rows(process, kFunctions);
  fns->AddNew(0)->SetField("CardID", com::Variant(document->GetID()));
  fns->AddNew(0)->SetField("WeakCardID", com::Variant(document->GetID()));

  std::string plain = process->GetXML(false);
  EXPECT_EQ(plain.find("CardData"), std::string::npos);
  std::string xml = process->GetXML(true);
  EXPECT_EQ(Occurrences(xml, "<CardIDCardData>"), 1u);
  EXPECT_EQ(Occurrences(xml, "<WeakCardIDCardData>"), 0u);
  EXPECT_EQ(Occurrences(xml, "<CardFileIDCardData>"), 1u);
  EXPECT_EQ(Occurrences(xml, "CardID=\"" + file->GetID() + "\""), 1u);
  EXPECT_EQ(Occurrences(xml, "CardID=\"" + gone->GetID() + "\""), 0u);
  EXPECT_EQ(Occurrences(xml, "<Process "), 1u);
  EXPECT_NE(xml.find("<Document CardID=\"" + document->GetID()), std::string::npos);
}

TEST_F(CardXml, ATreeNestsItsChildRows) {
  auto folders = Cards(Session())->GetDictionaryData(kFolderType);
  auto root = folders->GetSections()->Item(kFolders)->GetRows()->Item(com::Variant(int32_t{0}));
  auto child = root->GetChildRows()->AddNew(0);
  child->SetField("Name", Text("Inbox"));
  std::string xml = folders->GetXML(false);
  std::string inner = "      <FoldersRow RowID=\"" + root->GetID() + "\" Name=\"Cards\" Description=\"The top folder.\">\n"
                      "        <Shortcuts />\n"
                      "        <FoldersRow RowID=\"" + child->GetID() + "\" Name=\"Inbox\">\n"
                      "          <Shortcuts />\n"
                      "        </FoldersRow>\n"
                      "      </FoldersRow>\n";
  EXPECT_NE(xml.find(inner), std::string::npos) << xml;
}

// Each value is an attribute as an XML writer escapes it: '&', '<' and '"'
// as entities, control characters as two-digit references, '>' and '\''
// as they are; a value ends at a NUL character.
TEST_F(CardXml, AttributeValuesAreEscapedAsAnXmlWriterEscapesThem) {
  auto card = NewProcess(Session());
  auto fns = Rows(card, kFunctions);
  auto fn = fns->AddNew(0);
  fn->SetField("Caption", Text("a\tb\nc\rde'f>g\"h&i<j Привет"));
  // What XML could not carry is not stored, so never written.
  EXPECT_EQ(CodeOf([&] { fn->SetField("Description", com::Variant(std::string("ab\0cd", 5))); }), com::hr::kInvalidArg);
  std::string xml = card->GetXML(false);
  EXPECT_NE(xml.find(" Caption=\"a&#09;b&#10;c&#13;de'f>g&quot;h&amp;i&lt;j Привет\" "), std::string::npos) << xml;
}

// A variant field is written in the XML text of its value's kind, with a
// companion naming that kind.
TEST_F(CardXml, VariantValuesNameTheirKind) {
  auto card = NewProcess(Session("alice", 1049));
  auto vars = Rows(card, kVariables);
  const std::vector<std::pair<com::Variant, std::string>> cases = {
      {com::Variant(int16_t{-7}), R"(Value="-7" _Type_Value="i2")"},
      {com::Variant(int32_t{2147483647}), R"(Value="2147483647" _Type_Value="int")"},
      {com::Variant(0.1f), R"(Value="0.1" _Type_Value="r4")"},
      {com::Variant(-2.5e-300), R"(Value="-2.5e-300" _Type_Value="float")"},
      {com::Variant(std::numeric_limits<double>::quiet_NaN()), R"(Value="NaN" _Type_Value="float")"},
      {com::Variant(-std::numeric_limits<double>::infinity()), R"(Value="-INF" _Type_Value="float")"},
      {com::Variant(true), R"(Value="1" _Type_Value="boolean")"},
      {com::Variant(*com::MakeDate(1999, 1, 2, 3, 4, 5)), R"(Value="1999-01-02T03:04:05" _Type_Value="dateTime")"},
      {Text("<5>"), R"(Value="&lt;5>" _Type_Value="string")"},
  };
  for (const auto& [value, attributes] : cases) vars->AddNew(0)->SetField("Value", value);
  std::string xml = card->GetXML(false);
  for (const auto& [value, attributes] : cases) EXPECT_NE(xml.find(" " + attributes + " "), std::string::npos) << attributes;
}

// An embedded card is indented as the elements around it, and an element
// without children of its own, embedded or not, is closed in its start tag.
TEST_F(CardXml, EmbeddedCardsAreIndentedWhereTheyStand) {
  auto s = Session();
  auto process = NewProcess(s);
  auto document = Cards(s)->CreateCardData(kDocumentType, 0);
  auto fn = Rows(process, kFunctions)->AddNew(0);
  fn->SetField("CardID", com::Variant(document->GetID()));
  std::string xml = process->GetXML(true);
  const std::string embedded = "        <PassStates />\n"
                               "        <CardIDCardData>\n"
                               "          <Data>\n"
                               "            <Document CardID=\"" + document->GetID() + "\" ";
  EXPECT_NE(xml.find(embedded), std::string::npos) << xml;
  EXPECT_NE(xml.find("          </Data>\n        </CardIDCardData>\n      </FunctionsRow>\n    </Functions>\n"),
            std::string::npos)
      << xml;
  EXPECT_TRUE(xml.ends_with("  </Process>\n</Data>\n"));
}

}  // namespace
}  // namespace embedded::testing
