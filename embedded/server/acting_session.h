#pragma once

#include <memory>
#include <string>

#include "platform/ostrel/card_data.h"
#include "platform/ostrel/session.h"
#include "vorlane/library.h"

namespace embedded {
class SessionState;
}

namespace embedded::server {

// The server's own session for one request, acting for the requesting
// session's account (same account, groups and locale). The server works
// apart from the requester's session so that its write is its own: it
// never lands in an update bracket the requester has open on the card,
// and it takes the card's lock only for that write. Its writes pass a lock
// that any session of the same account holds (SessionState::ActForAccount):
// the account asked for the change, and its own lock must not stand in the
// way; another account's lock still refuses them.
//
// Everything it opened goes when it goes: its locks end and an unwritten
// bracket is dropped, so a request that fails half-way leaves the stored
// card as it was. It then makes the requester the thread's session again.
class ActingSession {
 public:
  explicit ActingSession(std::shared_ptr<SessionState> requester);
  ~ActingSession();
  ActingSession(const ActingSession&) = delete;
  ActingSession& operator=(const ActingSession&) = delete;

  SessionState& requester() { return *requester_; }

  // The card as this session opens it. Fails with the store's error for a
  // card that is unknown or deleted.
  com::Ref<ostrel::CardData> Card(const std::string& card_id);
  // The process over the card, by the object model's Library
  // ("QXVorlane.Library", created by class), as any client makes it.
  com::Ref<vorlane::Process> Process(const std::string& card_id);

  // Runs `f`, handing its failure to the requester: the text of a refusal
  // or storage failure of this session becomes the requester's last error
  // text, and a write refused by a lock (another account took the card
  // between the server's look and its write) becomes the server's refusal
  // with subcode::kLockedByOther.
  template <class F>
  auto Run(F&& f) -> decltype(f()) {
    try {
      return f();
    } catch (const com::Error& e) {
      Pass(e);
    }
  }

 private:
  [[noreturn]] void Pass(const com::Error& e);

  std::shared_ptr<SessionState> requester_;
  com::Ref<ostrel::Session> session_;
  com::Ref<vorlane::Library> library_;
};

}  // namespace embedded::server
