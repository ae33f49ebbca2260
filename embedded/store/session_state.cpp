#include "embedded/store/session_state.h"

#include <atomic>

#include "embedded/store/open.h"
#include "embedded/store/open_card.h"
#include "platform/com/locale.h"
#include "platform/ostrel/errors.h"

namespace embedded {
namespace {

// The serial of the session in thread_current (0: none yet), apart from it:
// a plain value is read without the guard of a thread's first use, and
// every call on a card reads it. kRecordEnded once the thread's record
// ended: a session that another of the thread's own objects holds ends
// later, or is used then, and must leave the record alone.
constexpr uint64_t kRecordEnded = UINT64_MAX;
thread_local uint64_t thread_serial = 0;

// The thread's current session, told apart by serial number rather than by
// address: a session that ended on another thread may have left its address
// here for a new one to take.
struct ThreadCurrent {
  int32_t locale = 1033;
  std::weak_ptr<const SessionState> session;
  // A thread that ran a session ends: a new thread may take its identity
  // (pthread_self), and must not pass for one set up already (Use).
  ~ThreadCurrent() {
    thread_serial = kRecordEnded;
    com::NoteThreadChange();
  }
};
thread_local ThreadCurrent thread_current;
std::atomic<uint64_t> next_serial{1};

}  // namespace

SessionState::SessionState(std::shared_ptr<Store> store, std::string account, int32_t locale, int32_t client_version,
                           std::vector<std::string> groups)
    : store_(std::move(store)),
      id_(com::Guid::Generate().ToString()),
      account_(std::move(account)),
      locale_(locale),
      client_version_(client_version),
      groups_(std::move(groups)),
      serial_(next_serial.fetch_add(1)) {}

SessionState::~SessionState() {
  if (thread_serial == serial_) {
    thread_serial = 0;
    thread_current.locale = 1033;
    thread_current.session.reset();
  }
  try {
    store_->storage().UnlockAll(id_);
  } catch (const com::Error&) {
    // A session that ends cannot report: locks a failing storage keeps are
    // its own to clear.
  }
}

void SessionState::Raise(com::HResult code, const std::string& text) {
  last_error_ = text;
  throw com::Error(code, std::string(ostrel::err::kSource), text);
}

void SessionState::Note(const com::Error& e) {
  if (e.code() == ostrel::err::kRefused || e.code() == ostrel::err::kConflict ||
      e.code() == ostrel::err::kStorageFailure) {
    last_error_ = e.description();
  }
}

void SessionState::SetUp() const {
  // Each of the two is a thread-local look-up in a shared library: a call
  // from the thread set up last with nothing changed since does not come
  // here (Use).
  const pthread_t self = pthread_self();
  com::SetThreadLocaleID(locale_);
  if (thread_serial == kRecordEnded) {
    used_on_ = {};  // the thread is ending: nothing here to keep
    return;
  }
  ThreadCurrent& current = thread_current;  // made now, so that its end is told
  if (thread_serial != serial_) {
    thread_serial = serial_;
    current.locale = locale_;
    current.session = weak_from_this();
  }
  used_on_ = self;
  used_at_ = com::ThreadChanges();
}

OpenCard* SessionState::FindOpen(const com::Guid& card) const {
  auto it = open_.find(card);
  return it == open_.end() ? nullptr : it->second;
}

void SessionState::Register(OpenCard* card) { open_[card->id()] = card; }

void SessionState::Unregister(OpenCard* card) {
  auto it = open_.find(card->id());
  if (it != open_.end() && it->second == card) open_.erase(it);
}

void SessionState::Pin(OpenCard* card) {
  if (pins_allowed_) pinned_[card->id()] = com::Ref<OpenCard>(card);
}

void SessionState::Unpin(OpenCard* card) {
  auto it = pinned_.find(card->id());
  if (it == pinned_.end() || it->second.get() != card) return;
  com::Ref<OpenCard> last = std::move(it->second);
  pinned_.erase(it);
}

void SessionState::DropPins() {
  pins_allowed_ = false;
  auto pinned = std::move(pinned_);
  pinned_.clear();
}

int32_t ThreadSessionLocale() {
  // A session that ended on another thread cannot reset this thread's record.
  if (thread_serial == kRecordEnded || thread_current.session.expired()) return 1033;
  return thread_current.locale;
}

std::shared_ptr<SessionState> ThreadSession() {
  if (thread_serial == kRecordEnded) return nullptr;
  return std::const_pointer_cast<SessionState>(thread_current.session.lock());
}

}  // namespace embedded
