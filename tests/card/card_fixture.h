#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "card/control/card_object.h"
#include "embedded/host/scripted_host.h"
#include "embedded/store/open.h"
#include "platform/com/registry.h"
#include "vorlane/functions.h"
#include "vorlane/links.h"
#include "vorlane/link.h"
#include "vorlane/proc_function.h"
#include "vorlane/templates.h"

namespace card::testing {

inline constexpr const char* kStartType = "{2E0A9AAF-CC20-46CD-875E-F3987718C551}";
inline constexpr const char* kTaskType = "{2B262D6F-6195-44DE-A0CC-A60129BBCF99}";
inline constexpr const char* kCreators = "Korvessa Workflow Process Creators";
inline constexpr const char* kFolderType = "{DA86FABF-4DD7-4A86-B6FF-C58C24D12DE2}";

// A card control under the scripted host, over a store in memory with the
// embedded workflow server.
class CardTest : public ::testing::Test {
 protected:
  struct Opened {
    com::Ref<CardObject> card;
    com::Ref<embedded::ScriptedFrame> frame;
    std::unique_ptr<embedded::CardDriver> driver;
    embedded::ScriptedServices& host() { return frame->services(); }
  };

  com::Ref<ostrel::Session> Session(const std::string& account = "alice", bool creator = true, int32_t locale = 1033) {
    embedded::SessionOptions o;
    o.store = store_;
    o.account = account;
    o.locale = locale;
    if (creator) o.groups = {kCreators};
    return embedded::Open(o);
  }
  static com::Ref<vorlane::Library> LibraryOf(const com::Ref<ostrel::Session>& session) {
    auto library = com::Query<vorlane::Library>(com::CreateObject("QXVorlane.Library"));
    library->SetConnection(com::Variant(com::Ref<com::Unknown>(static_cast<com::Unknown*>(session.get()))));
    return library;
  }
  // A template of this version with a start function, a task and a link
  // between them.
  std::string NewTemplate(const com::Ref<ostrel::Session>& session, const char* start_type = kStartType) {
    com::Ref<vorlane::Process> p = LibraryOf(session)->Templates()->AddNew();
    p->SetName("Order approval");
    p->SetVersion("4.1");
    p->SetBuildNumber(1316);
    auto start = p->Functions()->AddNew();
    start->SetCaption("Start");
    start->SetTypeID(start_type);
    auto task = p->Functions()->AddNew();
    task->SetCaption("Review");
    task->SetTypeID(kTaskType);
    auto link = p->Links()->AddNew();
    link->SetSource(start->ID());
    link->SetDestination(task->ID());
    return p->ID();
  }
  std::string RootFolder(const com::Ref<ostrel::Session>& session) {
    auto tree = com::Query<ostrel::FolderTree>(session->GetCardManager()->GetDictionaryObject(kFolderType));
    return tree->GetRootFolder()->GetID();
  }
  static com::Variant AsVariant(com::Unknown* o) { return com::Variant(com::Ref<com::Unknown>(o)); }

  // Opens the card `id` in a new card control, as a host does.
  Opened Open(const com::Ref<ostrel::Session>& session, const std::string& id, int32_t flags = 1,
              const std::string& folder = "") {
    Opened o;
    o.card = com::Make<CardObject>();
    auto services = com::Make<embedded::ScriptedServices>();
    services->folder_card_id = session->GetCardManager()->GetDictionaryData(kFolderType)->GetID();
    o.frame = com::Make<embedded::ScriptedFrame>(services);
    o.driver = std::make_unique<embedded::CardDriver>(
        com::Ref<com::Unknown>(static_cast<com::Unknown*>(static_cast<CardApi*>(o.card.get()))), o.frame);
    o.driver->Open(AsVariant(session.get()), AsVariant(session->GetCardManager()->GetCardData(id).get()), flags,
                   folder);
    return o;
  }

  static Control& ButtonOf(Opened& o, const char* key) { return *o.card->toolbar().Item("Buttons", com::Variant(key)); }
  static std::string ModePanel(Opened& o) { return o.card->status_bar().Item("Panels", com::Variant("Mode"))->Text("Text"); }

  std::shared_ptr<embedded::Store> store_ = embedded::Store::Open();
};

}  // namespace card::testing
