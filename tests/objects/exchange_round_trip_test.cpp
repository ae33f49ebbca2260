// Export of a process with its linked cards and import into new cards.
#include <cstdio>
#include <fstream>
#include <sstream>

#include "common/ids.h"
#include "platform/com/registry.h"
#include "tests/embedded/store_files.h"
#include "tests/objects/exchange_fixture.h"

namespace vorlane::testing {
namespace {

using com::Variant;

class ExchangeRoundTripTest : public ExchangeFixture {
 protected:
  // The number of card elements in the document with this CardID.
  static int Embedded(const std::string& xml, const std::string& card_id) {
    pugi::xml_document doc;
    doc.load_string(xml.c_str());
    int n = 0;
    for (const pugi::xpath_node& el : doc.select_nodes("//Data/*[@CardID]")) {
      if (SameID(el.node().attribute("CardID").value(), card_id)) ++n;
    }
    return n;
  }
  static std::set<std::string> Items(com::KeyedList& list) {
    std::set<std::string> out;
    for (size_t i = 0; i < list.size(); ++i) out.insert(list.at(i).ToText());
    return out;
  }
};

TEST_F(ExchangeRoundTripTest, ExportImportExportAgreesButForTheNewIds) {
  Sample s = BuildSample();
  const std::string first = io->SerializeProcess(session, card);
  EXPECT_EQ(Embedded(first, s.document->GetID()), 1) << "the document is linked twice, embedded once";
  EXPECT_EQ(Embedded(first, s.sub->GetID()), 1);
  EXPECT_EQ(Embedded(first, card->GetID()), 1) << "the sub-process's link back ends the descent";

  const std::set<std::string> before = StoreCards();
  auto target = NewCard(layout::kProcessCardType);
  auto created = com::Make<com::KeyedList>();
  io->DeserializeProcess(session, target, first, "", created);
  const std::string second = io->SerializeProcess(session, target);

  std::map<std::string, std::string> renamed;
  ExpectSameButRenamed(first, second, &renamed);
  // Every reference points into the new cards: the card IDs of the first
  // document map to the target and to the cards the import made.
  EXPECT_EQ(renamed[card->GetID()], target->GetID());
  const std::set<std::string> made = Items(*created);
  EXPECT_EQ(made, (std::set<std::string>{renamed[s.document->GetID()], renamed[s.sub->GetID()]}));
  std::set<std::string> after = StoreCards();
  for (const std::string& id : before) after.erase(id);
  after.erase(target->GetID());
  EXPECT_EQ(after, made) << "the import makes exactly the listed cards";

  // The new sub-process links back to the new parent, and is named.
  auto new_sub = session->GetCardManager()->GetCardData(renamed[s.sub->GetID()]);
  EXPECT_EQ(new_sub->GetDescription(), "Подпроцесс");
  auto back = Attach(new_sub)->Functions()->Item(Variant(1));
  EXPECT_EQ(back->CardID(), target->GetID());
  EXPECT_EQ(target->GetDescription(), "Процесс согласования");
}

TEST_F(ExchangeRoundTripTest, LongTextsComeBackWhole) {
  Sample s = BuildSample();
  auto target = NewCard(layout::kProcessCardType);
  io->DeserializeProcess(session, target, io->SerializeProcess(session, card), "", nullptr);
  auto copy = Attach(target);
  EXPECT_EQ(copy->Functions()->Item(Variant(s.task))->Data(), CyrillicLines(20));
  EXPECT_EQ(copy->Variables()->Item(Variant(s.long_text))->Value().ToText(), Cyrillic(32001) + "<&\"' \t\n");
  auto values = copy->Variables()->Item(Variant(s.multi))->Values();
  ASSERT_EQ(values->Count(), 2);
  EXPECT_EQ(values->Item(Variant(2))->GetValue().ToText(), Cyrillic(1500));
  EXPECT_EQ(copy->Variables()->Item(Variant(s.number))->Value().ToI4(), 5);
  EXPECT_EQ(copy->Variables()->Item(Variant(s.choice))->EnumValues()->Count(), 2);
  EXPECT_EQ(copy->Functions()->Item(Variant(s.task))->States()->Count(), 2);
  EXPECT_FLOAT_EQ(copy->Functions()->Item(Variant(s.start))->XPos(), 10.5f);
}

TEST_F(ExchangeRoundTripTest, WithoutLinksTheExportIsThePlatformForm) {
  process->SetName("Alone");
  process->Functions()->AddNew()->SetCaption("a & <b>");
  EXPECT_EQ(io->SerializeProcess(session, card), card->GetXML(false));
}

TEST_F(ExchangeRoundTripTest, WithLinksTheExportIsThePlatformFormWithTheCardsEmbedded) {
  BuildSample();
  pugi::xml_document doc;
  ASSERT_TRUE(doc.load_string(io->SerializeProcess(session, card).c_str()));
  for (const pugi::xpath_node& embedded : doc.select_nodes("//CardIDCardData | //WeakCardIDCardData")) {
    embedded.parent().remove_child(embedded.node());
  }
  std::ostringstream out;
  doc.save(out, "  ", pugi::format_indent | pugi::format_no_declaration);
  EXPECT_EQ(out.str(), card->GetXML(false));
}

TEST_F(ExchangeRoundTripTest, WithoutSubProcessesDocumentsAreEmbeddedAndProcessesNot) {
  Sample s = BuildSample();
  ::embedded::testing::TempFolder folder;
  const std::string path = folder.File("no_subs.xml");
  io->ExportProcessEx(session, card, path, false);
  std::ifstream in(path);
  std::string xml((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(Embedded(xml, s.document->GetID()), 1);
  EXPECT_EQ(Embedded(xml, s.sub->GetID()), 0);

  // Importing the full export without sub-processes makes the document
  // alone; the call's link stays unwritten.
  io->ExportProcess(session, card, path);
  auto target = NewCard(layout::kProcessCardType);
  auto created = com::Make<com::KeyedList>();
  io->ImportProcessEx(session, target, path, "", created, false);
  ASSERT_EQ(created->size(), 1u);
  EXPECT_EQ(session->GetCardManager()->GetCardData(created->at(0).ToText())->GetCardType()->GetID(),
            NormalizeID(kDocumentCardType));
  auto copy = Attach(target);
  EXPECT_EQ(copy->Functions()->Item(Variant(s.call))->CardID(), "");
  EXPECT_EQ(copy->Functions()->Item(Variant(s.task))->CardID(), created->at(0).ToText());
  EXPECT_EQ(target->GetDescription(), "Процесс согласования");
}

TEST_F(ExchangeRoundTripTest, DanglingLinksAreLeftOutOfTheExportAndOfTheImport) {
  auto gone = NewCard(kDocumentCardType, 0);
  const std::string gone_id = gone->GetID();
  auto f = process->Functions()->AddNew();
  f->SetCardID(gone_id);
  f->SetWeakCardID("{00000000-0000-0000-0000-0000000000AA}");
  session->GetCardManager()->DeleteCard(gone_id, true);
  gone.reset();
  const std::string xml = io->SerializeProcess(session, card);
  EXPECT_EQ(Embedded(xml, gone_id), 0);

  auto target = NewCard(layout::kProcessCardType);
  io->DeserializeProcess(session, target, xml, "", nullptr);
  auto copy = Attach(target)->Functions()->Item(Variant(1));
  EXPECT_EQ(copy->CardID(), "") << "a card that is gone is not linked";
  EXPECT_EQ(copy->WeakCardID(), "");
}

TEST_F(ExchangeRoundTripTest, ImportReplacesEverySectionButTheLog) {
  process->SetName("Source");
  process->Functions()->AddNew()->SetCaption("from file");
  const std::string xml = io->SerializeProcess(session, card);

  auto target = NewCard(layout::kProcessCardType);
  auto old = Attach(target);
  old->Functions()->AddNew()->SetCaption("old");
  old->Gates()->AddNew();
  old->Variables()->AddNew();
  target->GetSections()->Item(layout::kLogMessages)->GetRows()->AddNew(0)->SetField("Message", Variant("kept"));
  old.reset();
  io->DeserializeProcess(session, target, xml, "", nullptr);

  auto copy = Attach(target);
  ASSERT_EQ(copy->Functions()->Count(), 1);
  EXPECT_EQ(copy->Functions()->Item(Variant(1))->Caption(), "from file");
  EXPECT_EQ(copy->Gates()->Count(), 0) << "cleared though the file has no gates";
  EXPECT_EQ(copy->Variables()->Count(), 0);
  auto log = target->GetSections()->Item(layout::kLogMessages)->GetRows();
  ASSERT_EQ(log->Count(), 1);
  EXPECT_EQ(log->Item(Variant(0))->GetField("Message").ToText(), "kept");
}

TEST_F(ExchangeRoundTripTest, ProgressCountsFunctionRowsUpToAll) {
  BuildSample();
  std::vector<std::pair<int64_t, int64_t>> heard;
  // Reached as a C++ program reaches it: another interface of the object.
  auto hook = com::TryQuery<ExchangeProgress>(com::Ref<com::Unknown>(static_cast<com::Dispatch*>(io.get())));
  ASSERT_TRUE(hook);
  hook->SetProgressCallback([&](int64_t done, int64_t total) { heard.emplace_back(done, total); });
  const std::string xml = io->SerializeProcess(session, card);
  ASSERT_FALSE(heard.empty());
  EXPECT_EQ(heard.front(), std::make_pair(int64_t{0}, int64_t{3}));
  EXPECT_EQ(heard.back(), std::make_pair(int64_t{3}, int64_t{3}));

  heard.clear();
  io->DeserializeProcess(session, NewCard(layout::kProcessCardType), xml, "", nullptr);
  // Three functions of the process and one of the embedded sub-process.
  EXPECT_EQ(heard.front(), std::make_pair(int64_t{0}, int64_t{4}));
  EXPECT_EQ(heard.back(), std::make_pair(int64_t{4}, int64_t{4}));
  for (size_t i = 1; i < heard.size(); ++i) EXPECT_GE(heard[i].first, heard[i - 1].first);
}

TEST_F(ExchangeRoundTripTest, ByDispatchTheClassIsMadeByItsProgIdAndTakesItsDefaults) {
  com::Ref<com::Unknown> made = com::CreateObject("QXVorlane.ProcessImportExport");
  process->SetName("Dispatch");
  const Variant args[] = {Variant(com::Ref<com::Unknown>(session.get())), Variant(com::Ref<com::Unknown>(card.get()))};
  const std::string xml = com::CallMethod(made.get(), "SerializeProcess", args).ToText();
  auto target = NewCard(layout::kProcessCardType);
  const Variant import_args[] = {Variant(com::Ref<com::Unknown>(session.get())),
                                 Variant(com::Ref<com::Unknown>(target.get())), Variant(xml)};
  com::CallMethod(made.get(), "DeserializeProcess", import_args);
  EXPECT_EQ(target->GetDescription(), "Dispatch");
}

}  // namespace
}  // namespace vorlane::testing
