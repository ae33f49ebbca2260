#include "cli/context.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

#include "embedded/store/open.h"
#include "platform/com/registry.h"
#include "platform/com/text.h"
#include "platform/ostrel/card_manager.h"

namespace cli {

std::string NormalizeID(std::string_view id) {
  std::string s = text::Upper(text::Trim(id));
  if (s.find('{') == std::string::npos) s = "{" + s + "}";
  return s;
}

std::string LoginName() {
  if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_name) return pw->pw_name;
  if (const char* user = std::getenv("USER"); user && *user) return user;
  return "user";
}

ostrel::Session& Context::session() {
  if (!session_) {
    store_ = embedded::Store::Open({.path = options_.store});
    session_ = embedded::Open({.store = store_,
                               .account = options_.user.empty() ? LoginName() : options_.user,
                               .locale = options_.locale,
                               .groups = options_.groups});
  }
  return *session_;
}

vorlane::Library& Context::library() {
  if (!library_) {
    library_ = com::Query<vorlane::Library>(com::CreateObject("QXVorlane.Library"));
    library_->SetConnection(com::Variant(com::Ref<com::Unknown>(static_cast<com::Unknown*>(&session()))));
  }
  return *library_;
}

com::Ref<ostrel::CardData> Context::Card(const std::string& id) {
  return session().GetCardManager()->GetCardData(NormalizeID(id));
}

com::Ref<vorlane::Process> Context::Process(const std::string& id) {
  com::Ref<ostrel::CardData> card = Card(id);
  return library().GetProcess(card->GetID(), card->GetIsTemplate());
}

}  // namespace cli
