#pragma once

#include <cstdint>
#include <string>

#include "platform/com/dispatch.h"

namespace ostrel {

// Lock status values (CardLock.GetLockStatus).
namespace lock_status {
inline constexpr int32_t kFree = 0;          // nobody holds the lock
inline constexpr int32_t kOtherAccount = 1;  // another account holds it
inline constexpr int32_t kThisSession = 3;   // this session holds it
inline constexpr int32_t kSameAccount = 4;   // this account holds it in another session
}  // namespace lock_status

// The card's lock: another interface of the card data (com::Query). Locks
// are kept in the store, so every session over it sees them; a session's
// locks end with the session. While another session holds the lock, writes
// of the card fail with err::kRefused.
class CardLock : public virtual com::Dispatch {
 public:
  static constexpr com::Guid kIID{"{E6767386-FCB1-40C3-8EE6-2217B9F71023}"};
  static const com::TypeInfo& DispatchInfo();

  // One of lock_status.
  virtual int32_t GetLockStatus() = 0;
  // The account that holds the lock, "" when it is free.
  virtual std::string GetLockOwner() = 0;
  // Takes the lock; nothing happens when this session holds it already.
  // Fails with err::kRefused, setting the session's last error text, when
  // another session holds it. `global` is accepted and has no effect.
  virtual void Lock(bool global) = 0;
  // Releases this session's lock; a lock held elsewhere, or none, is left
  // as it is.
  virtual void Unlock() = 0;
};

}  // namespace ostrel
