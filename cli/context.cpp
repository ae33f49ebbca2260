#include "cli/context.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "embedded/store/open.h"
#include "platform/com/registry.h"
#include "platform/com/text.h"
#include "platform/ostrel/card_manager.h"
#include "platform/ostrel/errors.h"

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
    // The store refuses such a file too; the tool says what to do about it.
    struct stat st {};
    const bool none = ::stat(options_.store.c_str(), &st) != 0 || (S_ISREG(st.st_mode) && st.st_size == 0);
    if (none && options_.memory_store_if_missing) {
      store_ = embedded::Store::Open();  // in memory: nothing is written anywhere
    } else if (none && !options_.create_store) {
      throw com::Error(ostrel::err::kStorageFailure, "vorlane",
                       "no store at " + options_.store + " (run 'vorlane init' to make one)");
    } else {
      store_ = embedded::Store::Open({.path = options_.store, .create = options_.create_store});
    }
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

embedded::Store& Context::store() {
  session();
  return *store_;
}

std::string Context::CardInStore(const std::string& card_id) const {
  return "card " + card_id + " in store \"" + options_.store + "\"";
}

void Context::ReportFailure(const std::string& text) {
  std::fprintf(stderr, "error: %s\n", text.c_str());
  failed_ = true;
}

com::Ref<ostrel::CardData> Context::Card(const std::string& id) {
  ostrel::Session& s = session();
  card_ = NormalizeID(id);
  return s.GetCardManager()->GetCardData(card_);
}

std::string Context::PeopleText(const com::Error& e) {
  std::string text = e.description();
  if (text.empty()) text = std::string(com::StandardDescription(e.code()));
  // "Korvessa.Platform.StorageServer.SoapError: 1873, 1386, Pause does not
  // apply ...": the server's own sentence is the part after the numbers.
  if (const size_t soap = text.find("SoapError: "); soap != std::string::npos) {
    size_t at = soap + 11;
    while (at < text.size()) {
      size_t next = at;
      while (next < text.size() && std::isdigit(static_cast<unsigned char>(text[next]))) ++next;
      if (next == at || next + 1 >= text.size() || text[next] != ',' || text[next + 1] != ' ') break;
      at = next + 2;
    }
    text = text.substr(at);
  }
  return text;
}

std::string Context::Describe(const com::Error& e) const {
  std::string text = PeopleText(e);
  // The same ID names another card, or none, in another store: a failure
  // that concerns a card says which store it was looked for in.
  if (!card_.empty() && text.find(options_.store) == std::string::npos) text += " (" + CardInStore(card_) + ")";
  return text;
}

com::Ref<vorlane::Process> Context::Process(const std::string& id) {
  com::Ref<ostrel::CardData> card = Card(id);
  return library().GetProcess(card->GetID(), card->GetIsTemplate());
}

}  // namespace cli
