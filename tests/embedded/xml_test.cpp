// The card's XML form.
#include <gtest/gtest.h>

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

}  // namespace
}  // namespace embedded::testing
