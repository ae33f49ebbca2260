// The workflow server: instances started, paused, resumed and stopped for the
// accounts that may control them, through the object model as any client
// changes a process; its refusals; the extension that clients probe it with.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "embedded/server/workflow_service.h"
#include "embedded/store/open.h"
#include "embedded/store/session_state.h"
#include "embedded/store/store_session.h"
#include "platform/com/registry.h"
#include "platform/ostrel/card_lock.h"
#include "platform/ostrel/card_manager.h"
#include "platform/ostrel/errors.h"
#include "platform/ostrel/extension_manager.h"
#include "platform/ostrel/process_control.h"
#include "platform/ostrel/process_manager.h"
#include "vorlane/library.h"

namespace embedded::server {
namespace {

using vorlane::ProcessStateEnum;

constexpr char kProcessType[] = "{AE82DD57-348C-4407-A50A-9F2C7D694DA8}";
constexpr char kFolderType[] = "{DA86FABF-4DD7-4A86-B6FF-C58C24D12DE2}";
constexpr char kRefusalPrefix[] = "Korvessa.Platform.StorageServer.SoapError: 1873, ";

// The code a call fails with, 0 when it does not fail.
com::HResult CodeOf(const std::function<void()>& call) {
  try {
    call();
  } catch (const com::Error& e) {
    return e.code();
  }
  return 0;
}

// The sub-code of a server refusal's text, as clients read it; -1 for a
// text of another form.
int SubCodeOf(const std::string& text) {
  if (!text.starts_with(kRefusalPrefix)) return -1;
  return std::stoi(text.substr(std::string(kRefusalPrefix).size()));
}

// A folder of its own for a store file, removed with what is in it.
class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "vorlane-server-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary folder");
    path_ = pattern;
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

enum class Medium { kMemory, kStoreFile };

// A store with its server, and the accounts of the tests: alice creates
// templates, root administers, bob is another creator, dave and erin have
// no groups.
class ServerTest : public ::testing::TestWithParam<Medium> {
 protected:
  ServerTest()
      : store_(GetParam() == Medium::kStoreFile
                   ? Store::Open({.path = folder_.File("server.vorlane"), .durability = Durability::kNormal})
                   : Store::Open()),
        alice_(Session("alice", {"Korvessa Workflow Process Creators"})) {}

  com::Ref<ostrel::Session> Session(const std::string& account, std::vector<std::string> groups = {},
                                    int32_t locale = 1033) {
    return Open({.store = store_, .account = account, .locale = locale, .groups = std::move(groups)});
  }
  static com::Ref<vorlane::Library> LibraryOf(const com::Ref<ostrel::Session>& session) {
    auto library = com::Query<vorlane::Library>(com::CreateObject("QXVorlane.Library"));
    library->SetConnection(com::Variant(session));
    return library;
  }
  // A new template named `name`, made by alice.
  std::string NewTemplate(const std::string& name) {
    auto t = LibraryOf(alice_)->Templates()->AddNew();
    t->SetName(name);
    return t->ID();
  }
  // A new instance of a new template, as alice makes it: not active.
  std::string NewInstance(const std::string& name = "Order 17") {
    auto instance = LibraryOf(alice_)->CreateProcess(NewTemplate(name));
    return instance->ID();
  }
  // The process as written, read in a session of its own.
  com::Ref<vorlane::Process> Stored(const std::string& id) {
    return LibraryOf(Session("observer"))->GetProcess(id, false);
  }
  static com::Ref<ostrel::ProcessControl> Control(const com::Ref<ostrel::Session>& session, const std::string& id) {
    return session->GetProcessManager()->GetProcessControl(id);
  }
  static com::Ref<ostrel::CardLock> LockOf(const com::Ref<ostrel::Session>& session, const std::string& id) {
    return com::Query<ostrel::CardLock>(session->GetCardManager()->GetCardData(id));
  }
  WorkflowService& Service() { return *WorkflowService::Of(*store_); }

  TempFolder folder_;  // outlives the store over it
  std::shared_ptr<Store> store_;
  com::Ref<ostrel::Session> alice_;
};

INSTANTIATE_TEST_SUITE_P(Media, ServerTest, ::testing::Values(Medium::kMemory, Medium::kStoreFile),
                         [](const auto& info) { return info.param == Medium::kMemory ? "Memory" : "StoreFile"; });

TEST_P(ServerTest, EveryStoreHasTheServerRunning) {
  ASSERT_NE(WorkflowService::Of(*store_), nullptr);
  EXPECT_EQ(Service().mode(), ServiceMode::kRunning);
  // A session opened on a store of its own reaches a server too.
  auto lone = Open({.account = "alice"});
  EXPECT_TRUE(lone->GetExtensionManager()->ExecuteMethod("WorkflowExtension", "Running", com::Variant::Missing()).ToBool());
  EXPECT_NE(lone->GetProcessManager(), nullptr);
}

// Each call moves the instance, the card's description follows the state,
// and one log message tells what was done.
TEST_P(ServerTest, EachCallMovesTheInstanceAndLogsIt) {
  const std::string id = NewInstance("Order 17");
  auto control = Control(alice_, id);
  struct Step {
    const char* call;
    std::function<void()> run;
    ProcessStateEnum state;
    const char* digest;
    const char* action;  // of its last message
    const char* change;
    int messages;        // it writes
  };
  const std::vector<Step> steps = {
      {"Start", [&] { control->Start(); }, ProcessStateEnum::Active, "Order 17 (active)", "Process started by alice",
       "NonActive -> Active", 1},
      {"Pause", [&] { control->Pause(); }, ProcessStateEnum::Paused, "Order 17 (paused)", "Process paused by alice",
       "Active -> Paused", 1},
      {"Resume", [&] { control->Resume(); }, ProcessStateEnum::Active, "Order 17 (active)",
       "Process resumed by alice", "Paused -> Active", 1},
      {"Stop", [&] { control->Stop(); }, ProcessStateEnum::NonActive, "Order 17 (stopped)",
       "Process stopped by alice", "Active -> NonActive", 1},
      {"Start again", [&] { control->Start(); }, ProcessStateEnum::Active, "Order 17 (active)",
       "Process started by alice", "NonActive -> Active", 1},
      {"Pause and stop",
       [&] {
         control->Pause();
         control->Stop();
       },
       ProcessStateEnum::NonActive, "Order 17 (stopped)", "Process stopped by alice", "Paused -> NonActive", 2},
  };
  int32_t logged = 0;
  for (const Step& step : steps) {
    const com::Date before = com::Now();
    step.run();
    auto stored = Stored(id);
    EXPECT_EQ(control->GetState(), static_cast<int32_t>(step.state)) << step.call;
    EXPECT_EQ(stored->State(), step.state) << step.call;
    EXPECT_EQ(stored->Digest(), step.digest) << step.call;
    auto log = stored->LogMessages();
    logged += step.messages;
    ASSERT_EQ(log->Count(), logged) << step.call;
    auto last = log->Item(com::Variant(logged));
    EXPECT_EQ(last->ActionType(), vorlane::ActionTypeEnum::Information) << step.call;
    EXPECT_EQ(last->Action(), step.action) << step.call;
    EXPECT_EQ(last->ChangeState(), step.change) << step.call;
    EXPECT_GE(last->MessageDate().serial, before.serial - 1.0 / 86400) << step.call;
  }
}

TEST_P(ServerTest, TheFirstStartRecordsTheStarterAndLaterStartsKeepIt) {
  const std::string id = NewInstance();
  EXPECT_EQ(Stored(id)->StartedBy(), "");
  Control(alice_, id)->Start();
  EXPECT_EQ(Stored(id)->StartedBy(), "alice");
  Control(alice_, id)->Stop();
  auto root = Session("root", {"Korvessa Administrators"});
  Control(root, id)->Start();
  EXPECT_EQ(Stored(id)->StartedBy(), "alice");
  EXPECT_EQ(Stored(id)->LogMessages()->Item(com::Variant(3))->Action(), "Process started by root");
}

TEST_P(ServerTest, StartAndResumeSetDateBeginOnlyWhenItIsEmpty) {
  // A new instance has none: the start dates it.
  const std::string fresh = NewInstance();
  EXPECT_EQ(Stored(fresh)->DateBegin().serial, 0);
  const com::Date before = com::Now();
  Control(alice_, fresh)->Start();
  const double begun = Stored(fresh)->DateBegin().serial;
  EXPECT_GE(begun, before.serial - 1.0 / 86400);
  EXPECT_LE(begun, com::Now().serial + 1.0 / 86400);
  Control(alice_, fresh)->Stop();
  Control(alice_, fresh)->Start();
  EXPECT_EQ(Stored(fresh)->DateBegin().serial, begun);

  // A date already set stays, through a start and a resume.
  const std::string dated = NewInstance();
  const com::Date set = *com::MakeDate(2026, 1, 2, 9, 30);
  LibraryOf(alice_)->GetProcess(dated, false)->SetDateBegin(set);
  Control(alice_, dated)->Start();
  Control(alice_, dated)->Pause();
  Control(alice_, dated)->Resume();
  EXPECT_EQ(Stored(dated)->DateBegin(), set);

  // A paused instance whose date was cleared gets one when it resumes.
  LibraryOf(alice_)->GetProcess(dated, false)->SetState(ProcessStateEnum::Paused);
  LibraryOf(alice_)->GetProcess(dated, false)->SetDateBegin(com::Date{0});
  Control(alice_, dated)->Resume();
  EXPECT_GE(Stored(dated)->DateBegin().serial, before.serial - 1.0 / 86400);
}

// What the server refuses, how the client learns why, and that a refusal
// changes nothing and keeps no lock.
TEST_P(ServerTest, RefusalsCarryTheirSubCodeAndChangeNothing) {
  const std::string id = NewInstance();
  const std::string template_id = NewTemplate("Template");
  auto bob = Session("bob", {"Korvessa Workflow Process Creators"});
  auto dave = Session("dave");
  struct Case {
    const char* what;
    com::Ref<ostrel::Session> session;
    std::string card;
    std::function<void(ostrel::ProcessControl&)> call;
    int subcode;
    std::string text;  // the text after the sub-code; "" not checked
  };
  const std::vector<Case> cases = {
      {"no rights", dave, id, [](auto& c) { c.Start(); }, 1383,
       "User 'dave' is not controller of process " + id +
           " and does not belong to \"Korvessa Administrators\" or \"Korvessa Workflow Process Creators\" security "
           "group."},
      {"a template", alice_, template_id, [](auto& c) { c.Start(); }, 1385,
       "The card " + template_id + " is a process template; only its instances run."},
      {"pause when not active", alice_, id, [](auto& c) { c.Pause(); }, 1386,
       "Pause does not apply to process " + id + " in state NonActive."},
      {"resume when not paused", alice_, id, [](auto& c) { c.Resume(); }, 1386, ""},
      {"stop when stopped", alice_, id, [](auto& c) { c.Stop(); }, 1386, ""},
  };
  for (const Case& c : cases) {
    auto control = Control(c.session, c.card);
    try {
      c.call(*control);
      ADD_FAILURE() << c.what << ": not refused";
      continue;
    } catch (const com::Error& e) {
      EXPECT_EQ(e.code(), ostrel::err::kRefused) << c.what;
      EXPECT_EQ(e.description(), c.session->GetLastErrorText()) << c.what;
    }
    const std::string text = c.session->GetLastErrorText();
    EXPECT_EQ(SubCodeOf(text), c.subcode) << c.what << ": " << text;
    if (!c.text.empty()) {
      EXPECT_EQ(text, ostrel::err::RefusalText(c.subcode, c.text)) << c.what;
    }
    auto stored = Stored(c.card);
    EXPECT_EQ(stored->State(), ProcessStateEnum::NonActive) << c.what;
    EXPECT_EQ(stored->LogMessages()->Count(), 0) << c.what;
    EXPECT_EQ(LockOf(bob, c.card)->GetLockStatus(), ostrel::lock_status::kFree) << c.what;
  }

  // Another account's lock refuses the server, which says who holds it.
  LockOf(bob, id)->Lock(false);
  EXPECT_EQ(CodeOf([&] { Control(alice_, id)->Start(); }), ostrel::err::kRefused);
  EXPECT_EQ(alice_->GetLastErrorText(), ostrel::err::RefusalText(1384, "The card " + id + " is locked by bob."));
  EXPECT_EQ(Stored(id)->State(), ProcessStateEnum::NonActive);
  EXPECT_EQ(Stored(id)->LogMessages()->Count(), 0);
  EXPECT_EQ(LockOf(alice_, id)->GetLockOwner(), "bob");
}

TEST_P(ServerTest, NoCardOrANonProcessCardGetsNoControl) {
  auto manager = alice_->GetProcessManager();
  EXPECT_EQ(CodeOf([&] { manager->GetProcessControl("{00000000-0000-0000-0000-0000000000AB}"); }),
            ostrel::err::kUnknownCard);
  EXPECT_EQ(CodeOf([&] { manager->GetProcessControl("not an id"); }), ostrel::err::kUnknownCard);
  const std::string folder = alice_->GetCardManager()->CreateCardData(kFolderType, 0)->GetID();
  EXPECT_EQ(CodeOf([&] { manager->GetProcessControl(folder); }), ostrel::err::kRefused);
  EXPECT_EQ(SubCodeOf(alice_->GetLastErrorText()), 1385);
  // A template's control tells its state.
  EXPECT_EQ(manager->GetProcessControl(NewTemplate("T"))->GetState(), 0);
}

// The account that started an instance controls it without any group; the
// groups compare without regard to case, and so do account names.
TEST_P(ServerTest, TheStarterAndTheGroupsMayControl) {
  const std::string id = NewInstance();
  LibraryOf(alice_)->GetProcess(id, false)->SetStartedBy("Dave");
  auto dave = Session("dave");
  Control(dave, id)->Start();
  Control(dave, id)->Pause();
  auto erin = Session("erin");
  EXPECT_EQ(CodeOf([&] { Control(erin, id)->Resume(); }), ostrel::err::kRefused);
  EXPECT_EQ(SubCodeOf(erin->GetLastErrorText()), 1383);
  EXPECT_EQ(dave->GetLastErrorText(), "");
  Control(Session("root", {"korvessa administrators"}), id)->Resume();
  Control(Session("carol", {"KORVESSA WORKFLOW PROCESS CREATORS"}), id)->Stop();
  EXPECT_EQ(Stored(id)->State(), ProcessStateEnum::NonActive);
  EXPECT_EQ(Stored(id)->StartedBy(), "Dave");
}

// The requester's own lock, held while the card is open for editing in its
// session (status 3) or in another session of the account (status 4), does
// not stop the server; the server's write stays out of the requester's open
// bracket, and the lock stays the requester's.
TEST_P(ServerTest, TheAccountsOwnLockDoesNotStandInTheWay) {
  const std::string id = NewInstance("Order 17");
  auto mine = LibraryOf(alice_)->GetProcess(id, false);
  mine->LockProcess(false);
  mine->BeginUpdate();
  mine->SetDescription("unsaved edit");
  ASSERT_EQ(LockOf(alice_, id)->GetLockStatus(), ostrel::lock_status::kThisSession);

  Control(alice_, id)->Start();
  EXPECT_EQ(Stored(id)->State(), ProcessStateEnum::Active);
  EXPECT_EQ(Stored(id)->Description(), "");
  EXPECT_EQ(LockOf(alice_, id)->GetLockStatus(), ostrel::lock_status::kThisSession);
  // The requester sees the server's change on refresh, over its own edit.
  mine->Refresh(true);
  EXPECT_EQ(mine->State(), ProcessStateEnum::Active);
  EXPECT_EQ(mine->Description(), "unsaved edit");
  EXPECT_TRUE(mine->InUpdate());

  // The same account's lock in another session.
  auto other = Session("Alice", {"Korvessa Workflow Process Creators"});
  ASSERT_EQ(LockOf(other, id)->GetLockStatus(), ostrel::lock_status::kSameAccount);
  Control(other, id)->Pause();
  EXPECT_EQ(Stored(id)->State(), ProcessStateEnum::Paused);
  mine->EndUpdate();
  EXPECT_EQ(Stored(id)->State(), ProcessStateEnum::Paused);
  EXPECT_EQ(Stored(id)->Description(), "unsaved edit");
  // Only the requester's account passes its lock: an ordinary session of
  // the same account is still refused by it.
  EXPECT_EQ(CodeOf([&] { LibraryOf(other)->GetProcess(id, false)->SetName("x"); }), ostrel::err::kRefused);

  // A free card is locked for the server's write alone.
  const std::string free = NewInstance();
  Control(alice_, free)->Start();
  EXPECT_EQ(LockOf(alice_, free)->GetLockStatus(), ostrel::lock_status::kFree);
}

TEST_P(ServerTest, AFailedWriteLeavesTheCardAsItWasAndNoLock) {
  const std::string id = NewInstance();
  auto control = Control(alice_, id);
  store_->storage().InjectWriteFault(1);
  EXPECT_EQ(CodeOf([&] { control->Start(); }), ostrel::err::kStorageFailure);
  EXPECT_EQ(alice_->GetLastErrorText(), "Injected storage fault in the middle of a write");
  EXPECT_EQ(Stored(id)->State(), ProcessStateEnum::NonActive);
  EXPECT_EQ(Stored(id)->StartedBy(), "");
  EXPECT_EQ(Stored(id)->LogMessages()->Count(), 0);
  EXPECT_EQ(LockOf(Session("bob"), id)->GetLockStatus(), ostrel::lock_status::kFree);
  control->Start();
  EXPECT_EQ(Stored(id)->State(), ProcessStateEnum::Active);
}

// Both probes of a client, on each of the server's modes; objects handed out
// before a change of mode follow it.
TEST_P(ServerTest, ProbesAnswerByTheServersMode) {
  const std::string id = NewInstance();
  auto manager = alice_->GetProcessManager();
  auto extensions = alice_->GetExtensionManager();
  auto control = Control(alice_, id);
  auto dave = Session("dave");
  auto dave_extensions = dave->GetExtensionManager();
  auto ask = [](const com::Ref<ostrel::ExtensionManager>& e, const char* method) {
    return e->ExecuteMethod("WorkflowExtension", method, com::Variant::Missing());
  };
  struct Case {
    ServiceMode mode;
    com::HResult running;  // 0: answers
    bool running_answer;
    com::HResult control;
  };
  const std::vector<Case> cases = {
      {ServiceMode::kRunning, 0, true, 0},
      {ServiceMode::kStopped, 0, false, ostrel::err::kServiceUnavailable},
      {ServiceMode::kUnreachable, ostrel::err::kServiceUnavailable, false, ostrel::err::kServiceUnavailable},
  };
  for (const Case& c : cases) {
    const int m = static_cast<int>(c.mode);
    Service().SetMode(c.mode);
    EXPECT_EQ(CodeOf([&] { ask(extensions, "Running"); }), c.running) << m;
    EXPECT_EQ(CodeOf([&] { ask(extensions, "GetIsWFCreator"); }), c.running) << m;
    if (c.running == 0) {
      EXPECT_EQ(ask(extensions, "Running").ToBool(), c.running_answer) << m;
      EXPECT_TRUE(ask(extensions, "GetIsWFCreator").ToBool()) << m;
      EXPECT_FALSE(ask(dave_extensions, "GetIsWFCreator").ToBool()) << m;
    } else {
      EXPECT_EQ(alice_->GetLastErrorText(), "The workflow service cannot be reached.") << m;
      EXPECT_EQ(CodeOf([&] { alice_->GetProcessManager(); }), c.running) << m;
      EXPECT_EQ(CodeOf([&] { alice_->GetExtensionManager(); }), c.running) << m;
    }
    EXPECT_EQ(CodeOf([&] { control->GetState(); }), c.control) << m;
    EXPECT_EQ(CodeOf([&] { manager->GetProcessControl(id); }), c.control) << m;
    EXPECT_EQ(CodeOf([&] { control->Start(); }), c.control) << m;
    EXPECT_EQ(Stored(id)->State(), c.control ? ProcessStateEnum::NonActive : ProcessStateEnum::Active) << m;
    if (c.control == 0) control->Stop();
  }
  Service().SetMode(ServiceMode::kRunning);
  EXPECT_EQ(CodeOf([&] { extensions->ExecuteMethod("OtherExtension", "Running", com::Variant::Missing()); }),
            com::hr::kUnknownName);
  EXPECT_EQ(CodeOf([&] { ask(extensions, "Stop"); }), com::hr::kUnknownName);
}

// Clients that call by name (the card control, scripts); the start option
// of the second interface is recorded with the start.
TEST_P(ServerTest, DispatchReachesTheServersMembersByName) {
  const std::string id = NewInstance();
  com::Ref<com::Unknown> manager = alice_->GetProcessManager();
  com::Variant control = com::CallMethod(manager.get(), "GetProcessControl", std::vector{com::Variant(id)});
  com::CallMethod(control.TryObject(), "SetStartOption", std::vector{com::Variant(false)});
  com::CallMethod(control.TryObject(), "Start");
  EXPECT_EQ(com::CallMethod(control.TryObject(), "GetState").ToI4(), 1);
  com::CallMethod(control.TryObject(), "Stop");
  com::Query<ostrel::ProcessControlEx>(control.TryObject())->SetStartOption(true);
  com::CallMethod(control.TryObject(), "Start");
  auto log = Stored(id)->LogMessages();
  EXPECT_EQ(log->Item(com::Variant(1))->InputParameters(), "Asynchronous start");
  EXPECT_EQ(log->Item(com::Variant(2))->InputParameters(), "");
  EXPECT_EQ(log->Item(com::Variant(3))->InputParameters(), "Synchronous start");
  com::Ref<com::Unknown> extensions = alice_->GetExtensionManager();
  EXPECT_TRUE(com::CallMethod(extensions.get(), "ExecuteMethod",
                              std::vector{com::Variant("workflowextension"), com::Variant("running")})
                  .ToBool());
}

// After a call the requester is the thread's session again (its locale
// converts values), not the server's session that acted for it.
TEST_P(ServerTest, TheRequesterStaysTheThreadsSession) {
  const std::string id = NewInstance();
  auto russian = Session("ivan", {"Korvessa Administrators"}, 1049);
  Control(russian, id)->Start();
  EXPECT_EQ(ThreadSessionLocale(), 1049);
  EXPECT_EQ(CodeOf([&] { Control(russian, id)->Resume(); }), ostrel::err::kRefused);
  EXPECT_EQ(ThreadSessionLocale(), 1049);
}

// The store's side of the rule, for any storage: a session marked as the
// server's writes through a lock of its own account held elsewhere, never
// through another account's; an ordinary session of the account does not.
TEST_P(ServerTest, OnlyAServerSessionWritesThroughItsAccountsLock) {
  auto write = [&](const com::Ref<ostrel::Session>& session, const std::string& id) {
    return CodeOf([&] { LibraryOf(session)->GetProcess(id, false)->SetDescription("written"); });
  };
  const std::string id = NewInstance();
  LockOf(alice_, id)->Lock(false);
  auto plain = Session("ALICE");
  auto server = Session("ALICE");
  StateOf(server.get())->ActForAccount();
  EXPECT_EQ(write(plain, id), ostrel::err::kRefused);
  EXPECT_EQ(write(server, id), 0);
  EXPECT_EQ(Stored(id)->Description(), "written");

  const std::string theirs = NewInstance();
  auto bob = Session("bob");
  LockOf(bob, theirs)->Lock(false);
  EXPECT_EQ(write(server, theirs), ostrel::err::kRefused);
  EXPECT_EQ(Stored(theirs)->Description(), "");
}

}  // namespace
}  // namespace embedded::server
