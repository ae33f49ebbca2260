// Processes written by older versions: the converter's steps over process
// documents of each older version, what it leaves alone, the sub-processes
// it reaches, and the card that asks the person first.
#include <cstring>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "card/convert/process_converter.h"
#include "tests/card/card_fixture.h"
#include "vorlane/gate.h"
#include "vorlane/gates.h"
#include "vorlane/pass_state.h"
#include "vorlane/pass_states.h"
#include "vorlane/process_import_export.h"
#include "vorlane/user_settings.h"
#include "vorlane/variable.h"
#include "vorlane/variables.h"

namespace card::testing {
namespace {

const std::string kData = std::string(VORLANE_CARD_TEST_DATA) + "/convert/";
constexpr const char* kSubProcessType = "{2BF8B01D-3EDF-40C2-8C94-C6F5F3BC82AC}";
constexpr const char* kNullGateType = "{00000000-0000-0000-0000-000000000000}";

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

class ConverterTest : public CardTest {
 protected:
  com::Ref<vorlane::ProcessImportExport> Exchange() {
    return com::Query<vorlane::ProcessImportExport>(com::CreateObject("QXVorlane.ProcessImportExport"));
  }
  // A new template holding the process of a document of tests/card/data/convert.
  std::string Import(const com::Ref<ostrel::Session>& s, const std::string& file) {
    const std::string id = LibraryOf(s)->Templates()->AddNew()->ID();
    Exchange()->ImportProcessEx(s, s->GetCardManager()->GetCardData(id), kData + file, "", nullptr, true);
    return id;
  }
  com::Ref<ProcessConverter> Convert(const com::Ref<ostrel::Session>& s, const std::string& id) {
    auto library = LibraryOf(s);
    auto converter = com::Make<ProcessConverter>();
    converter->Run(library, library->GetProcess(id, true), nullptr, s->GetCardManager()->GetCardData(id), nullptr);
    return converter;
  }
  // The process as a new session exports it, with the IDs that every run
  // makes anew (cards, rows, the gate the converter adds) blanked.
  std::string Export(const std::string& id) {
    auto reader = Session("reader");
    std::string xml = Exchange()->SerializeProcess(reader, reader->GetCardManager()->GetCardData(id));
    static const std::regex kMadeIds(R"(\b(RowID|CardID)="\{[0-9A-Fa-f-]{36}\}")");
    static const std::regex kGateIds(R"re((<GatesRow RowID="" ID=)"\{[0-9A-Fa-f-]{36}\}")re");
    return std::regex_replace(std::regex_replace(xml, kMadeIds, "$1=\"\""), kGateIds, "$1\"\"");
  }
  // Opens the card `id` under a host whose answers the test has set.
  Opened OpenWith(const com::Ref<ostrel::Session>& s, const std::string& id,
                  com::Ref<embedded::ScriptedServices> services) {
    Opened o;
    o.card = com::Make<CardObject>();
    o.frame = com::Make<embedded::ScriptedFrame>(std::move(services));
    o.driver = std::make_unique<embedded::CardDriver>(
        com::Ref<com::Unknown>(static_cast<com::Unknown*>(static_cast<CardApi*>(o.card.get()))), o.frame);
    o.driver->Open(AsVariant(s.get()), AsVariant(s->GetCardManager()->GetCardData(id).get()), 1);
    return o;
  }
  com::Ref<vorlane::Process> Stored(const std::string& id) { return LibraryOf(Session("reader"))->GetProcess(id, true); }
};

// Each document is converted and exported; the export must be what the
// expected document holds (tests/card/data/convert/*.expected.xml).
TEST_F(ConverterTest, EachOlderVersionBecomesWhatThisVersionWrites) {
  for (const char* name : {"version-1", "version-1.0", "version-3.0", "version-3.1", "version-4.1-1300"}) {
    auto alice = Session("alice");
    const std::string id = Import(alice, std::string(name) + ".xml");
    EXPECT_TRUE(Convert(alice, id)->Converted()) << name;
    const std::string exported = Export(id);
    const std::string expected_file = kData + name + ".expected.xml";
    if (exported != ReadFile(expected_file)) {
      const std::string actual_file = (std::filesystem::temp_directory_path() / (std::string(name) + ".actual.xml")).string();
      std::ofstream(actual_file, std::ios::binary) << exported;
      ADD_FAILURE() << name << ": the export differs from " << expected_file << "; it is in " << actual_file;
    }
  }
}

TEST_F(ConverterTest, WhatEachStepChangedIsCounted) {
  auto alice = Session("alice");
  com::Ref<ProcessConverter> c = Convert(alice, Import(alice, "version-3.0.xml"));
  EXPECT_EQ(c->FromVersion(), "3.0");
  EXPECT_EQ(c->FromBuild(), 1100);
  EXPECT_EQ(c->ValuesUnprefixed(), 5);  // "abc" is too short to carry a prefix
  EXPECT_EQ(c->ValuesRetyped(), 4);     // Amount, Priority and the two Limits
  EXPECT_EQ(c->EnumValuesRenumbered(), 3);
  EXPECT_EQ(c->ReferencesReplaced(), 3);  // in settings, a pass state and a value
  EXPECT_EQ(c->FunctionsConverted(), 3);
  EXPECT_EQ(c->SubProcessesConverted(), 0);
  EXPECT_TRUE(c->NullGateAdded());
}

TEST_F(ConverterTest, ACurrentProcessIsLeftAsItIs) {
  auto alice = Session("alice");
  const std::string id = NewTemplate(alice);
  auto p = LibraryOf(alice)->GetProcess(id, true);
  p->Functions()->Item(com::Variant(2))->SetData("Performer=alice");
  const std::string before = Export(id);
  EXPECT_FALSE(Convert(alice, id)->Converted());
  EXPECT_EQ(Export(id), before);
  // A newer build of this version is current too.
  p->SetBuildNumber(1400);
  EXPECT_FALSE(Convert(alice, id)->Converted());
}

TEST_F(ConverterTest, AnExistingNullGateIsNotAddedAgain) {
  auto alice = Session("alice");
  const std::string id = Import(alice, "version-4.1-1300.xml");
  auto gate = LibraryOf(alice)->GetProcess(id, true)->Gates()->AddNew();
  gate->SetTypeID(kNullGateType);
  gate->SetCaption("ours");
  EXPECT_FALSE(Convert(alice, id)->NullGateAdded());
  auto gates = Stored(id)->Gates();
  ASSERT_EQ(gates->Count(), 1);
  EXPECT_EQ(gates->Item(com::Variant(1))->Caption(), "ours");
}

// Templates that run each other: each is converted once, and a cycle ends.
TEST_F(ConverterTest, SubProcessesAreConvertedOnceEvenInACycle) {
  auto alice = Session("alice");
  const std::string a = Import(alice, "version-3.0.xml");
  const std::string b = Import(alice, "version-3.1.xml");
  const std::string c = Import(alice, "version-1.xml");
  auto runs = [&](const std::string& parent, std::initializer_list<std::string> children) {
    auto functions = LibraryOf(alice)->GetProcess(parent, true)->Functions();
    for (const std::string& child : children) {
      auto f = functions->AddNew();
      f->SetCaption("Run " + child);
      f->SetTypeID(kSubProcessType);
      f->SetWeakCardID(child);
    }
  };
  runs(a, {b, c, b});  // b twice
  runs(b, {a});        // back to a
  runs(c, {"{00000000-0000-0000-0000-0000000000FF}"});  // a card that is not there
  com::Ref<ProcessConverter> converted = Convert(alice, a);
  EXPECT_EQ(converted->SubProcessesConverted(), 2);
  for (const std::string& id : {a, b, c}) {
    EXPECT_EQ(Stored(id)->Version(), "4.1") << id;
    EXPECT_EQ(Stored(id)->BuildNumber(), 1316) << id;
  }
  // The settings of b were converted once: a second pass would find
  // nothing in the old form, but the enumeration references of b's own
  // function were replaced exactly once.
  EXPECT_EQ(Stored(b)->Functions()->Item(com::Variant(2))->Data(),
            "<Param Name=\"Performer\" Value=\"manager\"/>\n<Param Name=\"Priority\" Value=\"2\"/>\n"
            "<Param Name=\"Note\" Value=\"urgent &amp; &quot;large&quot;\"/>\n");
}

// A function type whose class cannot be made is skipped; the rest goes on.
TEST_F(ConverterTest, AFunctionTypeWhoseClassFailsIsSkipped) {
  auto alice = Session("alice");
  auto types = alice->GetCardManager()->GetDictionaryData("{BDB73D05-8DE1-41B2-9F3C-AA76C4D9CD64}");
  auto row = types->GetSections()->Item("{A5489822-1A9C-4CBE-8468-23DE99C843C4}")->GetRows()->AddNew(0);
  const std::string broken = "{7A000000-0000-0000-0000-000000000001}";
  row->SetField("ID", com::Variant(broken));
  row->SetField("Name", com::Variant("Broken"));
  row->SetField("UIClass", com::Variant("QXNowhere.NoSuchUI"));
  const std::string id = Import(alice, "version-3.0.xml");
  auto odd = LibraryOf(alice)->GetProcess(id, true)->Functions()->AddNew();
  odd->SetTypeID(broken);
  odd->SetData("left=as it is");
  com::Ref<ProcessConverter> c = Convert(alice, id);
  EXPECT_TRUE(c->Converted());
  EXPECT_EQ(c->FunctionsConverted(), 3);
  EXPECT_EQ(Stored(id)->Functions()->Item(com::Variant(4))->Data(), "left=as it is");
  EXPECT_EQ(Stored(id)->Version(), "4.1");
}

// A value that does not read as its type stops the conversion; nothing of
// it is kept.
TEST_F(ConverterTest, AFailedConversionKeepsNothing) {
  auto alice = Session("alice");
  const std::string id = Import(alice, "version-3.0.xml");
  LibraryOf(alice)->GetProcess(id, true)->Variables()->AddNew()->SetVarType(vorlane::VarTypeEnum::Integer);
  {
    auto variables = LibraryOf(alice)->GetProcess(id, true)->Variables();
    auto card = alice->GetCardManager()->GetCardData(id);
    auto rows = card->GetSections()->Item("{79F5B1F6-6BD0-499B-9093-232989BDCC6E}")->GetRows();
    rows->Item(com::Variant(rows->Count() - 1))->SetField("Value", com::Variant("INT:many"));
  }
  const std::string before = Export(id);
  EXPECT_THROW(Convert(alice, id), com::Error);
  EXPECT_EQ(Export(id), before);
  EXPECT_EQ(Stored(id)->Version(), "3.0");
}

// The question names both versions: "1" and an empty version read as 3.0,
// and the same version of an older build is told apart by the builds.
TEST_F(ConverterTest, TheQuestionNamesTheProcesssVersionAndThisOne) {
  auto alice = Session("alice");
  auto ask = [&](const char* version, int16_t build) {
    const std::string id = NewTemplate(alice);
    auto p = LibraryOf(alice)->GetProcess(id, true);
    p->SetVersion(version);
    p->SetBuildNumber(build);
    Opened o = Open(alice, id);
    std::vector<std::string> messages = o.host().Messages();
    o.driver->Close();
    return messages;
  };
  const std::string tail = ". Do you want to convert business-process into new format?";
  EXPECT_EQ(ask("1", 900), std::vector<std::string>{"Business-process version (3.0) differs from Workflow version (4.1)" + tail});
  EXPECT_EQ(ask("", 1316), std::vector<std::string>{"Business-process version (3.0) differs from Workflow version (4.1)" + tail});
  EXPECT_EQ(ask("3.1", 1200), std::vector<std::string>{"Business-process version (3.1) differs from Workflow version (4.1)" + tail});
  EXPECT_EQ(ask("4.1", 1300),
            std::vector<std::string>{"Business-process version (4.1.1300) differs from Workflow version (4.1.1316)" + tail});
  EXPECT_TRUE(ask("4.1", 1316).empty());
}

// Opening an old process in its card: "No" leaves it as it was; "Yes" shows
// the window, whose bar a person sees move to the number of functions, and
// the next save keeps the converted process.
TEST_F(ConverterTest, TheCardConvertsOnlyWhenThePersonAgrees) {
  auto alice = Session("alice");
  const std::string id = Import(alice, "version-3.0.xml");
  const std::string before = Export(id);
  {
    auto services = com::Make<embedded::ScriptedServices>();
    services->Answer("ShowMessage", com::Variant(7));  // no
    Opened o = OpenWith(alice, id, services);
    EXPECT_EQ(o.host().Messages().size(), 1u);
    EXPECT_TRUE(o.host().CallsOf("ShowForm").empty());
    EXPECT_FALSE(o.card->modified());
    EXPECT_EQ(LibraryOf(alice)->GetProcess(id, true)->Version(), "3.0");
    EXPECT_EQ(o.driver->Close(), 1);
  }
  EXPECT_EQ(Export(id), before);

  Opened o = Open(alice, id);  // the host answers yes unless told otherwise
  ASSERT_EQ(o.host().CallsOf("ShowForm").size(), 1u);
  com::Ref<com::Unknown> form = o.host().CallsOf("ShowForm")[0].args[0].ToObject();
  EXPECT_EQ(com::GetProperty(form.get(), "Caption").ToText(), "Business-process convertation");
  auto label = com::CallMethod(form.get(), "Controls", std::vector{com::Variant("lblMessage")}).ToObject();
  EXPECT_EQ(com::GetProperty(label.get(), "Caption").ToText(), "Business-process is being converted...");
  auto bar = com::CallMethod(form.get(), "Controls", std::vector{com::Variant("pgbConvert")}).ToObject();
  EXPECT_EQ(com::GetProperty(bar.get(), "Max").ToI4(), 3);
  EXPECT_EQ(com::GetProperty(bar.get(), "Value").ToI4(), 3);
  EXPECT_FALSE(com::GetProperty(form.get(), "Visible").ToBool());
  EXPECT_TRUE(o.card->modified());
  EXPECT_EQ(Stored(id)->Version(), "3.0");  // not before the save
  o.card->ButtonClick("Save");
  EXPECT_EQ(Stored(id)->Version(), "4.1");
  // What the card's save adds of its own.
  std::string saved = Export(id);
  for (const char* own : {" HasLayout=\"1\"", " AuthorModified=\"alice\""}) saved.erase(saved.find(own), std::strlen(own));
  EXPECT_EQ(saved, ReadFile(kData + "version-3.0.expected.xml"));
}

// What the person watching the window sees: the bar moves one step per
// function, each step a change the host hears of.
TEST_F(ConverterTest, TheHostSeesTheBarMove) {
  auto alice = Session("alice");
  const std::string id = Import(alice, "version-3.0.xml");
  auto services = com::Make<embedded::ScriptedServices>();
  std::vector<int32_t> seen;
  services->WatchForms([&](const com::Ref<com::Unknown>& form) {
    auto bar = com::CallMethod(form.get(), "Controls", std::vector{com::Variant("pgbConvert")}).ToObject();
    seen.push_back(com::GetProperty(bar.get(), "Value").ToI4());
  });
  Opened o = OpenWith(alice, id, services);
  // Max changes first (the bar at 0), then one step per function.
  ASSERT_GE(seen.size(), 3u);
  EXPECT_EQ(std::vector<int32_t>(seen.end() - 3, seen.end()), (std::vector<int32_t>{1, 2, 3}));
}

// A file of an older version imported through the card is converted at
// once: after the import's own question, none about the version.
TEST_F(ConverterTest, AnOldFileImportedThroughTheCardIsConvertedWithoutAQuestion) {
  auto alice = Session("alice");
  LibraryOf(alice)->UserSettings()->SetShowImportDialog(false);
  const std::string id = NewTemplate(alice);
  Opened o = Open(alice, id);
  o.host().Answer("ChooseFile", com::Variant(kData + "version-3.0.xml"));
  o.card->ButtonClick("Import");
  EXPECT_EQ(o.host().Messages(),
            (std::vector<std::string>{
                "Are you sure you want to import process data? All current process settings will be lost.",
                "Template process has been successfully imported."}));
  EXPECT_EQ(o.host().CallsOf("ShowForm").size(), 1u);
  o.card->ButtonClick("Save");
  EXPECT_EQ(Stored(id)->Version(), "4.1");
  EXPECT_EQ(Stored(id)->Gates()->Count(), 1);
}

}  // namespace
}  // namespace card::testing
