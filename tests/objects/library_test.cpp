// The Library: its session, the processes it opens, creates and deletes,
// and the user's settings.
#include "common/error_codes.h"
#include "platform/com/registry.h"
#include "platform/com/text.h"
#include "platform/ostrel/card_manager.h"
#include "platform/ostrel/errors.h"
#include "tests/objects/library_fixture.h"

namespace vorlane::testing {
namespace {

using com::Variant;

class LibraryTest : public LibraryFixture {
 protected:
  // A saved template named `name`.
  com::Ref<Process> NewTemplate(const std::string& name) {
    auto t = library->Templates()->AddNew();
    t->SetName(name);
    return t;
  }
};

TEST_F(LibraryTest, IsCreatableByItsProgIdAndTakesASessionAsItsConnection) {
  com::Ref<com::Unknown> made = com::CreateObject("QXVorlane.Library");
  auto l = com::Query<Library>(made);
  EXPECT_EQ(l->GetTypeInfo()->name(), "_Library");
  EXPECT_EQ(l->Connection().TryObject(), nullptr);
  EXPECT_EQ(CodeOf([&] { l->Templates(); }), com::hr::kObjectNotSet);
  EXPECT_EQ(CodeOf([&] { l->GetProcess(card->GetID(), true); }), com::hr::kObjectNotSet);

  l->SetConnection(Variant(session));
  EXPECT_EQ(l->Connection().TryObject(), static_cast<com::Unknown*>(session.get()));
  // What is no session is refused, and the session set stays.
  EXPECT_EQ(CodeOf([&] { l->SetConnection(Variant(card)); }), com::hr::kTypeMismatch);
  EXPECT_EQ(CodeOf([&] { l->SetConnection(Variant(5)); }), com::hr::kTypeMismatch);
  EXPECT_EQ(l->Connection().TryObject(), static_cast<com::Unknown*>(session.get()));
  for (const char* handed : {"QXVorlane.Templates", "QXVorlane.Instances", "QXVorlane.UserSettings",
                             "QXVorlane.Dictionary", "QXVorlane.DictFunction"}) {
    EXPECT_EQ(CodeOf([&] { com::CreateObject(handed); }), com::hr::kClassNotCreatable) << handed;
  }
}

TEST_F(LibraryTest, KeepsItsModuleLoadedWhileAClientHoldsIt) {
  com::ModuleObjectCount& alive = com::ModuleObjects("Vorlane");
  const long before = alive.Count();
  com::Ref<com::Unknown> made = com::CreateObject("QXVorlane.Library");
  EXPECT_EQ(alive.Count(), before + 1);
  made.reset();
  EXPECT_EQ(alive.Count(), before);
}

TEST_F(LibraryTest, ANewConnectionGivesNewObjects) {
  auto dictionary = library->Dictionary();
  auto templates = library->Templates();
  auto instances = library->Instances();
  auto settings = library->UserSettings();
  EXPECT_EQ(library->Dictionary(), dictionary);
  EXPECT_EQ(library->Templates(), templates);
  EXPECT_EQ(library->UserSettings(), settings);

  library->SetConnection(Variant(OtherSession("alice")));
  EXPECT_NE(library->Dictionary(), dictionary);
  EXPECT_NE(library->Templates(), templates);
  EXPECT_NE(library->Instances(), instances);
  EXPECT_NE(library->UserSettings(), settings);
}

TEST_F(LibraryTest, RefreshDropsTheDictionaryAndTheListsButNotTheSettings) {
  auto dictionary = library->Dictionary();
  auto templates = library->Templates();
  auto settings = library->UserSettings();
  library->Refresh(false);
  EXPECT_NE(library->Dictionary(), dictionary);
  EXPECT_NE(library->Templates(), templates);
  EXPECT_EQ(library->UserSettings(), settings);
}

TEST_F(LibraryTest, GetProcessUsesTheListsOnlyWhenTheyAreMade) {
  const std::string id = card->GetID();
  // No list made: a new process on every call.
  auto a = library->GetProcess(id, true);
  auto b = library->GetProcess(id, true);
  EXPECT_NE(a, b);
  EXPECT_EQ(a->ID(), id);
  // With the templates made, the list's own object, opened by ID without a search.
  auto listed = library->Templates()->Item(Variant(id));
  EXPECT_EQ(library->GetProcess(text::Lower(id), true), listed);
  EXPECT_EQ(library->GetProcess(id, true), listed);
  // Asked for an instance while only the templates are made: new each time.
  EXPECT_NE(library->GetProcess(id, false), library->GetProcess(id, false));
  // With the instances made, their list serves the instance requests.
  auto from_instances = library->Instances()->Item(Variant(id));
  EXPECT_EQ(library->GetProcess(id, false), from_instances);
  EXPECT_NE(from_instances, listed);
  EXPECT_EQ(CodeOf([&] { library->GetProcess("{00000000-0000-0000-0000-0000000000AB}", true); }),
            ostrel::err::kUnknownCard);
}

TEST_F(LibraryTest, CreateProcessMakesANonActiveInstanceOfTheTemplate) {
  auto t = NewTemplate("Order");
  t->UpdateNow();
  auto instances = library->Instances();
  auto made = library->CreateProcess(t->ID());
  EXPECT_NE(made->ID(), t->ID());
  EXPECT_EQ(made->State(), ProcessStateEnum::NonActive);
  EXPECT_FALSE(made->IsTemplate());
  EXPECT_EQ(made->TemplateProcess(), t->ID());
  EXPECT_EQ(made->Name(), "Order");
  EXPECT_EQ(made->Digest(), "Order (stopped)");
  EXPECT_TRUE(t->IsTemplate());
  // Listed at once in the instances list that was made.
  EXPECT_EQ(instances->Item(Variant(made->ID())), made);
}

TEST_F(LibraryTest, CreateProcessFromAnInstanceIsRefusedAndMakesNoCard) {
  auto instance = library->CreateProcess(NewTemplate("T")->ID());
  const size_t cards = ProcessCardCount();
  try {
    library->CreateProcess(instance->ID());
    FAIL() << "an instance was taken for a template";
  } catch (const com::Error& e) {
    EXPECT_EQ(e.code(), err::kLibraryError);
    EXPECT_EQ(e.description(), "Unable to create process from process instance");
  }
  EXPECT_EQ(ProcessCardCount(), cards);
}

TEST_F(LibraryTest, DeleteProcessTakesTheCardOutOfTheListsAndDeletesIt) {
  auto t = NewTemplate("Gone");
  const std::string id = t->ID();
  auto templates = library->Templates();
  EXPECT_EQ(templates->Item(Variant(id)), t);
  library->DeleteProcess(id);
  EXPECT_EQ(session->GetCardManager()->GetCardStatus(id), 0);
  // Opening it again fails: it is neither listed nor there.
  EXPECT_EQ(CodeOf([&] { templates->Item(Variant(id)); }), ostrel::err::kCardDeleted);

  // A card listed nowhere is deleted all the same.
  auto other = NewTemplate("Unlisted");
  library->Refresh(false);
  library->Templates();
  library->DeleteProcess(other->ID());
  EXPECT_EQ(session->GetCardManager()->GetCardStatus(other->ID()), 0);
}

TEST_F(LibraryTest, SettingsNeverMadeReadFalseAndAWriteIsSeenByANewLibrary) {
  auto settings = library->UserSettings();
  EXPECT_FALSE(settings->ImportWithSubprocesses());
  EXPECT_FALSE(settings->ExportWithSubprocesses());
  EXPECT_FALSE(settings->ShowExportDialog());
  EXPECT_FALSE(settings->ShowImportDialog());
  settings->SetExportWithSubprocesses(true);
  settings->SetShowImportDialog(true);

  // The same account in another session reads what was written.
  auto later = Connected(OtherSession("alice"))->UserSettings();
  EXPECT_TRUE(later->ExportWithSubprocesses());
  EXPECT_TRUE(later->ShowImportDialog());
  EXPECT_FALSE(later->ImportWithSubprocesses());
  // Another account has settings of its own.
  EXPECT_FALSE(Connected(OtherSession("bob"))->UserSettings()->ExportWithSubprocesses());
}

TEST_F(LibraryTest, TemplatesAddNewListsADesignTemplateAtOnce) {
  auto templates = library->Templates();
  auto t = templates->AddNew();
  EXPECT_TRUE(t->IsTemplate());
  EXPECT_EQ(t->TemplateState(), TemplateStateEnum::Design);
  EXPECT_EQ(templates->Item(Variant(t->ID())), t);
  EXPECT_EQ(CodeOf([&] { static_cast<TemplatesObject*>(templates.get())->list().AddToList(t); }),
            com::hr::kDuplicateKey);
}

TEST_F(LibraryTest, InstancesAddNewCopiesTheTemplate) {
  auto t = NewTemplate("Copied");
  t->Variables()->AddNew()->SetName("amount");
  auto instances = library->Instances();
  auto i = instances->AddNew(t);
  EXPECT_NE(i->ID(), t->ID());
  EXPECT_FALSE(i->IsTemplate());
  EXPECT_EQ(i->State(), ProcessStateEnum::NonActive);
  EXPECT_EQ(i->Name(), "Copied");
  EXPECT_EQ(i->Variables()->Item(Variant(1))->Name(), "amount");
  // Neither a check that T is a template nor its TemplateProcess: that is CreateProcess's.
  EXPECT_EQ(i->TemplateProcess(), "");
  EXPECT_EQ(instances->Item(Variant(i->ID())), i);
  EXPECT_EQ(CodeOf([&] { instances->AddNew(nullptr); }), com::hr::kObjectNotSet);
}

TEST_F(LibraryTest, RemoveFromListFailsForACardNotListed) {
  auto templates = com::Make<TemplatesObject>();
  templates->Attach(session);
  EXPECT_EQ(CodeOf([&] { templates->list().RemoveFromList(card->GetID()); }), com::hr::kInvalidProcedureCall);
  templates->Item(Variant(card->GetID()));
  templates->list().RemoveFromList(text::Lower(card->GetID()));
}

TEST_F(LibraryTest, DispatchListsTheMembersInSlotOrder) {
  std::vector<std::string> names;
  for (const com::MemberInfo& m : Library::DispatchInfo().members()) {
    if (names.empty() || names.back() != m.name) names.push_back(m.name);
  }
  EXPECT_EQ(names, (std::vector<std::string>{"Connection", "Dictionary", "Templates", "Instances", "Refresh",
                                             "GetProcess", "CreateProcess", "DeleteProcess", "UserSettings"}));
  // A script sets the connection and walks on by name.
  Variant l(com::Ref<com::Unknown>(com::CreateObject("QXVorlane.Library")));
  com::SetProperty(l.TryObject(), "Connection", Variant(session));
  Variant args[] = {Variant(card->GetID()), Variant(true)};
  Variant p = com::CallMethod(l.TryObject(), "GetProcess", args);
  EXPECT_EQ(com::GetProperty(p.TryObject(), "ID"), Variant(card->GetID()));
}

}  // namespace
}  // namespace vorlane::testing
