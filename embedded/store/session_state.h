#pragma once

#include <pthread.h>

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "embedded/store/store.h"
#include "platform/com/guid.h"
#include "platform/com/locale.h"
#include "platform/com/unknown.h"

namespace embedded {

class OpenCard;

// One session's own state, shared by the session object and by everything
// it handed out (card manager, open cards, rows), so that a card data keeps
// working after the client let go of the session. It ends when the last of
// them goes, and with it the session's locks. Always made by make_shared.
class SessionState : public std::enable_shared_from_this<SessionState> {
 public:
  SessionState(std::shared_ptr<Store> store, std::string account, int32_t locale, int32_t client_version,
               std::vector<std::string> groups);
  ~SessionState();
  SessionState(const SessionState&) = delete;
  SessionState& operator=(const SessionState&) = delete;

  Store& store() { return *store_; }
  const std::shared_ptr<Store>& store_ptr() { return store_; }
  const std::string& id() const { return id_; }
  const std::string& account() const { return account_; }
  int32_t locale() const { return locale_; }
  int32_t client_version() const { return client_version_; }
  const std::vector<std::string>& groups() const { return groups_; }
  Storage::Writer writer() const { return {id_, account_, for_account_}; }
  // Makes this the workflow server's session acting for its account: its
  // writes pass that account's locks in any session (Storage::Writer::
  // for_account), as the account itself asked the server for the change.
  void ActForAccount() { for_account_ = true; }

  const std::string& last_error() const { return last_error_; }
  void SetLastError(std::string text) { last_error_ = std::move(text); }
  // Sets the session's last error text to the error's description and
  // throws it: a refusal or storage failure as the platform reports it.
  [[noreturn]] void Raise(com::HResult code, const std::string& text);

  // Runs a storage call: a refusal or storage failure it raises becomes the
  // session's last error text on its way to the caller.
  template <class F>
  auto Guard(F&& f) -> decltype(f()) {
    try {
      return f();
    } catch (const com::Error& e) {
      Note(e);
      throw;
    }
  }
  void Note(const com::Error& e);

  // Called on entry to every platform call: the thread converts values in
  // the user's locale, and this is the thread's current session. Mostly
  // it comes from the thread this session set up last, with nothing
  // changed there since: that is told inline.
  void Use() const {
    if (used_on_ == pthread_self() && used_at_ == com::ThreadChanges()) return;
    SetUp();
  }

  // The session's open card of that ID, nullptr when it has none open.
  OpenCard* FindOpen(const com::Guid& card) const;
  void Register(OpenCard* card);
  void Unregister(OpenCard* card);

  // An open card in an update bracket stays open while the session object
  // lives, even when nothing else holds it: releasing the objects over a
  // card ends neither its bracket nor its lock.
  void Pin(OpenCard* card);
  void Unpin(OpenCard* card);
  // The session object is gone: pins are dropped and no new ones are made.
  void DropPins();

 private:
  std::shared_ptr<Store> store_;
  std::string id_;
  std::string account_;
  int32_t locale_;
  int32_t client_version_;
  std::vector<std::string> groups_;
  bool for_account_ = false;
  std::string last_error_;
  std::unordered_map<com::Guid, OpenCard*, com::GuidHash> open_;
  std::unordered_map<com::Guid, com::Ref<OpenCard>, com::GuidHash> pinned_;
  bool pins_allowed_ = true;
  // Tells sessions apart for the thread's current session (Use), unique in
  // the process.
  uint64_t serial_;
  // Sets the thread's locale and current session.
  void SetUp() const;
  // The thread Use set up last, and com::ThreadChanges() then. A session is
  // used by one thread at a time.
  mutable pthread_t used_on_{};
  mutable uint64_t used_at_ = 0;
};

// The session last opened or used on this thread (SessionState::Use), for
// platform classes that clients create without handing them a session (a
// function type's user-interface class); null when there is none or it has
// ended.
std::shared_ptr<SessionState> ThreadSession();

}  // namespace embedded
