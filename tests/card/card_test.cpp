// The card control driven through the scripted host: activation, edit modes
// and locks, the timer, closing, and the commands a person uses.
#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <vector>

#include "platform/ostrel/errors.h"
#include "tests/card/card_fixture.h"
#include "vorlane/gates.h"
#include "vorlane/gate.h"
#include "vorlane/instances.h"
#include "platform/ostrel/folder.h"
#include "platform/ostrel/folder_tree.h"
#include "platform/ostrel/shortcuts.h"
#include "vorlane/process_import_export.h"
#include "vorlane/user_settings.h"

namespace card::testing {
namespace {

using embedded::ScriptedServices;

bool Has(const std::vector<std::string>& texts, const std::string& text) {
  return std::find(texts.begin(), texts.end(), text) != texts.end();
}

TEST_F(CardTest, QueryActivateTakesKindsOneToFour) {
  auto card = com::Make<CardObject>();
  for (int32_t kind = 0; kind <= 5; ++kind) {
    EXPECT_EQ(card->QueryActivate(com::Variant(), kind, "", "", "", com::Variant()),
              kind >= 1 && kind <= 4 ? 0x4001 : 0x4000)
        << kind;
  }
}

TEST_F(CardTest, ATemplateOpenedByACreatorIsEditableAndLocked) {
  auto alice = Session("alice");
  const std::string id = NewTemplate(alice);
  Opened o = Open(alice, id);
  EXPECT_TRUE(o.host().Messages().empty());
  EXPECT_TRUE(o.card->locked_by_me());
  EXPECT_EQ(ModePanel(o), "Edit");
  EXPECT_EQ(o.frame->caption(), "Order approval - Business process");
  EXPECT_TRUE(ButtonOf(o, "Execute").Visible());
  EXPECT_FALSE(ButtonOf(o, "Start").Visible());
  EXPECT_FALSE(ButtonOf(o, "Save").Enabled());  // nothing changed yet
  EXPECT_FALSE(o.card->timer().Enabled());       // templates run without the timer
  EXPECT_EQ(o.card->toolbar().Item("Buttons", com::Variant("Save"))->Text("ToolTipText"), "Save");
  // Another account sees it held.
  auto bob = Session("bob");
  EXPECT_EQ(com::Query<ostrel::CardLock>(bob->GetCardManager()->GetCardData(id))->GetLockStatus(),
            ostrel::lock_status::kOtherAccount);
  EXPECT_EQ(o.driver->Close(), 1);
  EXPECT_EQ(com::Query<ostrel::CardLock>(bob->GetCardManager()->GetCardData(id))->GetLockStatus(),
            ostrel::lock_status::kFree);
}

TEST_F(CardTest, ReadOnlyCardsSayWhy) {
  auto alice = Session("alice");
  const std::string id = NewTemplate(alice);
  {
    // Not a creator: read-only, and the panel says so.
    Opened o = Open(Session("carol", false), id);
    EXPECT_EQ(o.host().Messages(),
              std::vector<std::string>{"Business-process is in read-only mode because edit of business-process "
                                       "template is allowed only to members of \"Korvessa Workflow Process "
                                       "Creators\" security group."});
    EXPECT_EQ(ModePanel(o), "Read-only");
    EXPECT_FALSE(o.card->locked_by_me());
    EXPECT_FALSE(ButtonOf(o, "Execute").Enabled());
    EXPECT_EQ(o.host().CallsOf("ShowMessage")[0].args[2], com::Variant("{B3742C9D-71B4-4CE7-A6B9-ADC51F37321A}"));
  }
  // Held by bob: the reason names him.
  auto bob = Session("bob");
  com::Query<ostrel::CardLock>(bob->GetCardManager()->GetCardData(id))->Lock(false);
  {
    Opened o = Open(alice, id);
    EXPECT_TRUE(Has(o.host().Messages(), "Business-process is in read-only mode because it was locked by user 'bob'."));
    EXPECT_EQ(ModePanel(o), "Read-only");
    // Embedded (kind 3): no toolbar and no message.
    Opened embedded = Open(alice, id, 3);
    EXPECT_TRUE(embedded.host().Messages().empty());
    EXPECT_FALSE(embedded.card->toolbar().Visible());
  }
}

TEST_F(CardTest, ACardAnotherSessionReleasesBecomesEditableWithinATick) {
  auto alice = Session("alice");
  const std::string id = NewTemplate(alice);
  auto bob = Session("bob");
  auto theirs = com::Query<ostrel::CardLock>(bob->GetCardManager()->GetCardData(id));
  theirs->Lock(false);
  Opened o = Open(alice, id);
  o.card->timer().Set("Enabled", com::Variant(true));  // as after any command
  o.host().ClearCalls();
  o.driver->Tick();
  EXPECT_EQ(ModePanel(o), "Read-only");
  theirs->Unlock();
  o.driver->Tick();
  EXPECT_TRUE(o.card->locked_by_me());
  EXPECT_FALSE(com::GetProperty(o.card->Controls("Designer").get(), "Object").ToObject() == nullptr);
  EXPECT_FALSE(com::GetProperty(com::GetProperty(o.card->Controls("Designer").get(), "Object").ToObject().get(),
                                "ReadOnly")
                   .ToBool());
  EXPECT_EQ(o.host().Messages(), std::vector<std::string>{"Editing of business process is allowed."});
  o.driver->Tick();  // the panel follows at the next tick, with the toolbar
  EXPECT_EQ(ModePanel(o), "Edit");
}

TEST_F(CardTest, ACardDeletedElsewhereShowsItOnTheNextTick) {
  auto alice = Session("alice");
  const std::string id = NewTemplate(alice);
  Opened o = Open(alice, id);
  o.card->timer().Set("Enabled", com::Variant(true));
  o.driver->Close();  // alice lets go; bob shows the card and deletes it elsewhere
  auto bob = Session("bob");
  Opened shown = Open(bob, id);
  shown.card->timer().Set("Enabled", com::Variant(true));
  LibraryOf(bob)->DeleteProcess(id);
  shown.driver->Tick();
  EXPECT_TRUE(shown.card->deleted());
  EXPECT_TRUE(Has(shown.host().Messages(), "Unable to update business process state. Business process was deleted"));
  EXPECT_FALSE(ButtonOf(shown, "Save").Enabled());
  EXPECT_FALSE(ButtonOf(shown, "Execute").Enabled());
  EXPECT_FALSE(shown.card->timer().Enabled());
}

TEST_F(CardTest, ANewTemplateIsForCreatorsAndGetsItsSetup) {
  auto carol = Session("carol", false);
  auto card = carol->GetCardManager()->CreateCardData("{AE82DD57-348C-4407-A50A-9F2C7D694DA8}", 0);
  Opened refused = Open(carol, card->GetID(), 0x401);
  EXPECT_TRUE(refused.frame->closed());
  EXPECT_NE(refused.host().Messages().at(0).find("Creation of new business-process template is allowed only"),
            std::string::npos);
  EXPECT_EQ(refused.driver->Close(), 1);  // nothing to save: the card closed itself clean

  auto alice = Session("alice");
  auto fresh = alice->GetCardManager()->CreateCardData("{AE82DD57-348C-4407-A50A-9F2C7D694DA8}", 0);
  Opened o = Open(alice, fresh->GetID(), 0x401);
  EXPECT_FALSE(o.frame->closed());
  EXPECT_TRUE(o.card->modified());
  auto p = LibraryOf(Session("reader"))->GetProcess(fresh->GetID(), true);
  EXPECT_EQ(p->AuthorCreated(), "alice");
  EXPECT_EQ(p->Version(), "4.1");
  EXPECT_EQ(p->BuildNumber(), 1316);
  // The dictionary's gates for new processes.
  com::Ref<vorlane::DictGates> types = LibraryOf(alice)->Dictionary()->Gates();
  int32_t wanted = 0;
  for (int32_t i = 1; i <= types->Count(); ++i) wanted += types->Item(com::Variant(i))->AddGateInNewProcess();
  EXPECT_EQ(p->Gates()->Count(), wanted);
}

TEST_F(CardTest, QueryCloseAsksAboutUnsavedChanges) {
  auto alice = Session("alice");
  const std::string id = NewTemplate(alice);
  {
    Opened o = Open(alice, id);
    o.card->DesignerChanged();
    o.host().Answer("ShowMessage", com::Variant(2));  // cancel
    EXPECT_EQ(o.driver->Close(), 0);
    EXPECT_EQ(o.host().Messages().back(), "Data was changed. Save changes?");
    o.host().Answer("ShowMessage", com::Variant(7));  // no
    EXPECT_EQ(o.driver->Close(), 1);
  }
  {
    Opened o = Open(alice, id);
    o.card->DesignerChanged();
    o.card->ButtonClick("Save");
    EXPECT_FALSE(o.card->modified()) << ::testing::PrintToString(o.host().Messages());
    EXPECT_EQ(o.driver->Close(), 3);
    auto p = LibraryOf(Session("reader"))->GetProcess(id, true);
    EXPECT_TRUE(p->HasLayout());
    EXPECT_EQ(p->AuthorModified(), "alice");
  }
}

TEST_F(CardTest, ExecuteValidatesThenCreatesAndStartsAnInstance) {
  auto alice = Session("alice");
  const std::string id = NewTemplate(alice);
  Opened o = Open(alice, id);

  // Modified: the save question first; cancel ends the command.
  o.card->DesignerChanged();
  o.host().Answer("ShowMessage", com::Variant(2));
  o.card->ButtonClick("Execute");
  EXPECT_TRUE(o.host().CallsOf("SelectFolder").empty());
  EXPECT_EQ(LibraryOf(alice)->Instances()->Count(), 0);

  // Saved, a folder chosen, the dialog cancelled: the new instance goes.
  o.host().Answer("ShowMessage", com::Variant(6));
  const std::string folder = RootFolder(alice);
  o.host().Answer("SelectFolder", com::Variant(folder));
  o.host().Answer("ShowInstanceDialog", com::Variant(2));
  o.card->ButtonClick("Execute");
  EXPECT_EQ(o.host().CallsOf("SelectFolder").at(0).args[0],
            com::Variant("Please select a folder where process instance will be created"));
  EXPECT_EQ(LibraryOf(alice)->Instances()->Count(), 0);

  // Accepted: running, filed in the folder, the template in use.
  o.host().Answer("SelectFolder", com::Variant(folder));
  o.host().Answer("ShowInstanceDialog", com::Variant(1));
  o.card->ButtonClick("Execute");
  EXPECT_EQ(o.host().Messages().back(), "Business-process has been successfully created.");
  auto reader = LibraryOf(Session("reader"));
  ASSERT_EQ(reader->Instances()->Count(), 1);
  com::Ref<vorlane::Process> instance = reader->Instances()->Item(com::Variant(1));
  EXPECT_EQ(instance->Name(), "Process instance Order approval");
  EXPECT_EQ(instance->TemplateProcess(), id);
  EXPECT_EQ(instance->State(), vorlane::ProcessStateEnum::Active);
  auto tree = com::Query<ostrel::FolderTree>(alice->GetCardManager()->GetDictionaryObject(kFolderType));
  auto shortcuts = tree->GetFolder(folder)->GetShortcuts();
  ASSERT_EQ(shortcuts->Count(), 1);
  EXPECT_EQ(shortcuts->Item(0), instance->ID());
  // The template's state is written, not left in the card's bracket; the
  // card was saved in this activation (the save question above).
  EXPECT_EQ(o.driver->Close(), 3);
  EXPECT_EQ(LibraryOf(Session("reader"))->GetProcess(id, true)->TemplateState(), vorlane::TemplateStateEnum::InUse);
}

TEST_F(CardTest, ValidationNamesWhatKeepsAProcessFromStarting) {
  auto alice = Session("alice");
  const std::string id = NewTemplate(alice, "{11111111-2222-3333-4444-555555555555}");
  Opened o = Open(alice, id);
  o.card->ButtonClick("Execute");
  EXPECT_EQ(o.host().Messages().back(),
            "Unable to start business-process.\r\nBusiness-process does not have starting functions.\r\n"
            "Business-process has functions of unknown types: 'Start'");
  EXPECT_TRUE(o.host().CallsOf("SelectFolder").empty());
}

TEST_F(CardTest, AnInstanceIsControlledFromItsToolbar) {
  auto alice = Session("alice");
  const std::string template_id = NewTemplate(alice);
  com::Ref<vorlane::Process> instance = LibraryOf(alice)->CreateProcess(template_id);
  const std::string id = instance->ID();
  Opened o = Open(alice, id);
  EXPECT_TRUE(o.card->timer().Enabled());
  EXPECT_TRUE(ButtonOf(o, "Start").Visible());
  EXPECT_TRUE(ButtonOf(o, "Start").Enabled());
  EXPECT_FALSE(ButtonOf(o, "Pause").Enabled());
  o.card->ButtonClick("Start");
  EXPECT_EQ(LibraryOf(Session("reader"))->GetProcess(id, false)->State(), vorlane::ProcessStateEnum::Active);
  EXPECT_EQ(ModePanel(o), "Read-only");
  EXPECT_TRUE(Has(o.host().Messages(), "Business-process is in read-only mode because it is active."));
  EXPECT_TRUE(ButtonOf(o, "Pause").Enabled());
  o.card->ButtonClick("Pause");
  EXPECT_EQ(LibraryOf(Session("reader"))->GetProcess(id, false)->State(), vorlane::ProcessStateEnum::Paused);
  EXPECT_TRUE(o.card->locked_by_me());
  // Start on a paused instance resumes it.
  o.card->ButtonClick("Start");
  EXPECT_EQ(LibraryOf(Session("reader"))->GetProcess(id, false)->State(), vorlane::ProcessStateEnum::Active);
  o.card->ButtonClick("Stop");
  EXPECT_EQ(LibraryOf(Session("reader"))->GetProcess(id, false)->State(), vorlane::ProcessStateEnum::NonActive);
}

TEST_F(CardTest, ExportAsksAboutSubprocessesAsTheSettingsSay) {
  auto alice = Session("alice");
  const std::string id = NewTemplate(alice);
  LibraryOf(alice)->UserSettings()->SetShowExportDialog(true);
  Opened o = Open(alice, id);
  const std::string path = (std::filesystem::temp_directory_path() / ("card-export-" + id + ".xml")).string();
  // The question, with its check box ticked: from now on only with Shift.
  o.host().PlayForms([](const com::Ref<com::Unknown>& form) {
    com::CallMethod(form.get(), "Click", std::vector{com::Variant("chkAdditionalFlag")});
    com::CallMethod(form.get(), "Click", std::vector{com::Variant("cmdNo")});
  });
  o.host().Answer("ChooseFile", com::Variant(path));
  o.card->ButtonClick("Export");
  EXPECT_EQ(o.host().CallsOf("ShowForm").size(), 1u);
  const auto chosen = o.host().CallsOf("ChooseFile").at(0);
  EXPECT_EQ(chosen.args[1], com::Variant("Select file for exporting template process"));
  EXPECT_EQ(chosen.args[3], com::Variant("Order approval.xml"));
  EXPECT_EQ(chosen.args[5], com::Variant(10242));
  EXPECT_EQ(o.host().Messages().back(), "Template process has been successfully exported.");
  EXPECT_TRUE(std::filesystem::exists(path));
  auto settings = LibraryOf(alice)->UserSettings();
  EXPECT_FALSE(settings->ShowExportDialog());
  EXPECT_FALSE(settings->ExportWithSubprocesses());

  // Without Shift no question; with Shift held, the question again.
  o.host().Answer("ChooseFile", com::Variant(""));
  o.card->ButtonClick("Export");
  EXPECT_EQ(o.host().CallsOf("ShowForm").size(), 1u);
  o.card->KeyDown(16, 1);
  o.card->ButtonClick("Export");
  EXPECT_EQ(o.host().CallsOf("ShowForm").size(), 2u);
  std::filesystem::remove(path);
}

TEST_F(CardTest, TheCardSpeaksTheSessionsLanguage) {
  for (auto [locale, edit] : {std::pair{1049, "Редактирование"}, {1058, ""}, {1062, ""}, {1087, ""}}) {
    auto session = Session("alice", true, locale);
    const std::string id = NewTemplate(session);
    Opened o = Open(session, id);
    const std::string mode = ModePanel(o);
    EXPECT_NE(mode, "Edit") << locale;
    EXPECT_FALSE(mode.empty()) << locale;
    if (*edit) {
      EXPECT_EQ(mode, edit);
    }
    EXPECT_NE(o.card->toolbar().Item("Buttons", com::Variant("Save"))->Text("ToolTipText"), "Save") << locale;
    o.driver->Close();
  }
}

}  // namespace
}  // namespace card::testing

namespace card::testing {
namespace {

TEST_F(CardTest, AProcessStartedForADocumentRecordsItAndNumbersItsFiles) {
  auto alice = Session("alice");
  const std::string template_id = NewTemplate(alice);
  com::Ref<vorlane::Process> instance = LibraryOf(alice)->CreateProcess(template_id);
  // Two file variables numbered 1 and 3 exist: the next file is number 4.
  for (const char* name : {"VARFILE00001", "VARFILE00003"}) instance->Variables()->AddNew()->SetName(name);
  auto cards = alice->GetCardManager();
  auto document = cards->CreateCardData("{bfc9d190-bcd6-411a-b9f9-3160d3f68819}", 0);
  document->SetDescription("Invoice 17");
  auto files = document->GetSections()->Item("{e962ac85-0f53-4439-a1cd-171e46c3ef91}")->GetRows();
  const std::string file_a = cards->CreateCardData("{bfc9d190-bcd6-411a-b9f9-3160d3f68819}", 0)->GetID();
  const std::string file_b = cards->CreateCardData("{bfc9d190-bcd6-411a-b9f9-3160d3f68819}", 0)->GetID();
  files->AddNew(0)->SetField("CardFileID", com::Variant(file_a));
  files->AddNew(0);  // a row without a file adds nothing
  files->AddNew(0)->SetField("CardFileID", com::Variant(file_b));

  auto card = com::Make<CardObject>();
  auto services = com::Make<embedded::ScriptedServices>();
  auto frame = com::Make<embedded::ScriptedFrame>(services);
  services->Answer("ShowInstanceDialog", com::Variant(3));  // neither accepted nor cancelled: stays open
  embedded::CardDriver driver(com::Ref<com::Unknown>(static_cast<com::Unknown*>(static_cast<CardApi*>(card.get()))),
                              frame);
  const com::Variant params(std::vector<com::Variant>{com::Variant(document->GetID()), com::Variant(document->GetID())});
  driver.Open(AsVariant(alice.get()), AsVariant(cards->GetCardData(instance->ID()).get()), 1, "", params);
  EXPECT_FALSE(frame->closed());
  EXPECT_TRUE(card->modified());

  auto p = LibraryOf(Session("reader"))->GetProcess(instance->ID(), false);
  EXPECT_EQ(p->InitialDocument(), document->GetID());
  auto variables = p->Variables();
  std::map<std::string, std::string> values;
  for (int32_t i = 1; i <= variables->Count(); ++i) {
    auto v = variables->Item(com::Variant(i));
    com::Variant value = v->Value();
    values[v->Name()] = value.IsEmpty() || value.IsNull() ? "" : value.ToText();
  }
  EXPECT_EQ(values["InitialDocument"], document->GetID());
  EXPECT_EQ(values["VARFILE00004"], file_a);
  EXPECT_EQ(values["VARFILE00005"], file_b);
  EXPECT_EQ(values.count("VARFILE00006"), 0u);
}

}  // namespace
}  // namespace card::testing

namespace card::testing {
namespace {

TEST_F(CardTest, ImportAsksFirstAndSaysWhenAFileHoldsNoTemplate) {
  auto alice = Session("alice");
  const std::string id = NewTemplate(alice);
  Opened o = Open(alice, id);
  const std::string path = (std::filesystem::temp_directory_path() / ("card-import-" + id + ".xml")).string();
  {
    std::ofstream(path) << "<notes><note>not a process</note></notes>";
  }
  o.host().Answer("ShowMessage", com::Variant(7));  // no: nothing happens
  o.card->ButtonClick("Import");
  EXPECT_EQ(o.host().Messages().back(),
            "Are you sure you want to import process data? All current process settings will be lost.");
  EXPECT_TRUE(o.host().CallsOf("ChooseFile").empty());

  o.host().Answer("ChooseFile", com::Variant(path));
  o.card->ButtonClick("Import");
  EXPECT_EQ(o.host().CallsOf("ChooseFile").at(0).args[5], com::Variant(4096));
  EXPECT_EQ(o.host().Messages().back(), "Selected file does not contain exported business-process template.");
  EXPECT_EQ(LibraryOf(Session("reader"))->GetProcess(id, true)->Name(), "Order approval");
  std::filesystem::remove(path);
}

}  // namespace
}  // namespace card::testing

namespace card::testing {
namespace {

TEST_F(CardTest, ALockOfTheSameAccountElsewhereIsNeitherTakenNorClaimed) {
  auto alice = Session("alice");
  const std::string id = NewTemplate(alice);
  auto elsewhere = Session("alice");  // the same person at another desk
  com::Query<ostrel::CardLock>(elsewhere->GetCardManager()->GetCardData(id))->Lock(false);
  Opened o = Open(alice, id);
  EXPECT_FALSE(o.card->locked_by_me());
  EXPECT_EQ(ModePanel(o), "Read-only");
  EXPECT_TRUE(Has(o.host().Messages(), "Business-process is in read-only mode because it was locked by user 'alice'."));
  // The card asks for the lock only when nobody holds it: no refusal either.
  EXPECT_FALSE(Has(o.host().Messages(), "This card is locked by another user."));
}

}  // namespace
}  // namespace card::testing

namespace card::testing {
namespace {

// The cards an import makes are filed in the card's folder once the card is
// saved, and not before; file cards are never filed.
TEST_F(CardTest, AnImportsNewCardsAreFiledWhenTheCardIsSavedExceptFiles) {
  auto alice = Session("alice");
  auto cards = alice->GetCardManager();
  const std::string source = NewTemplate(alice);
  const std::string document = cards->CreateCardData("{bfc9d190-bcd6-411a-b9f9-3160d3f68819}", 0)->GetID();
  const std::string file = cards->CreateCardData("{F7E2090A-EEC3-4B51-B1BB-567D4A0117D6}", 0)->GetID();
  {
    auto functions = LibraryOf(alice)->GetProcess(source, true)->Functions();
    functions->Item(com::Variant(1))->SetCardID(document);
    functions->Item(com::Variant(2))->SetCardID(file);
  }
  const std::string path = (std::filesystem::temp_directory_path() / ("card-import-" + source + ".xml")).string();
  auto exchange = com::Query<vorlane::ProcessImportExport>(com::CreateObject("QXVorlane.ProcessImportExport"));
  exchange->ExportProcessEx(alice, cards->GetCardData(source), path, true);

  LibraryOf(alice)->UserSettings()->SetShowImportDialog(false);
  const std::string target = NewTemplate(alice);
  const std::string folder = RootFolder(alice);
  auto shortcuts = [&] {
    auto tree = com::Query<ostrel::FolderTree>(cards->GetDictionaryObject(kFolderType));
    com::Ref<ostrel::Shortcuts> list = tree->GetFolder(folder)->GetShortcuts();
    std::vector<std::string> ids;
    for (int32_t i = 0; i < list->Count(); ++i) ids.push_back(list->Item(i));
    return ids;
  };
  const size_t before = shortcuts().size();
  Opened o = Open(alice, target, 1, folder);
  o.host().Answer("ChooseFile", com::Variant(path));
  o.card->ButtonClick("Import");
  EXPECT_EQ(o.host().Messages().back(), "Template process has been successfully imported.");
  EXPECT_EQ(shortcuts().size(), before);

  o.card->ButtonClick("Save");
  auto functions = LibraryOf(Session("reader"))->GetProcess(target, true)->Functions();
  ASSERT_EQ(functions->Count(), 2);
  const std::string new_document = functions->Item(com::Variant(1))->CardID();
  const std::string new_file = functions->Item(com::Variant(2))->CardID();
  EXPECT_NE(new_document, document);
  EXPECT_NE(new_file, file);
  const std::vector<std::string> filed = shortcuts();
  ASSERT_EQ(filed.size(), before + 1);
  auto upper = [](std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
  };
  EXPECT_EQ(upper(filed.back()), upper(new_document));
  std::filesystem::remove(path);
}

}  // namespace
}  // namespace card::testing
