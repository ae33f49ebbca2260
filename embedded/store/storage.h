#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "embedded/store/card_image.h"

namespace embedded {

// Where a store keeps its cards and locks: the one seam between the card
// store and the medium. Every method is safe to call from several threads
// and, for a storage shared by processes, from several processes.
//
// Failures are com::Error: ostrel::err::kStorageFailure when the medium
// fails (nothing of the failed call is kept), and the codes named below.
class Storage {
 public:
  // The holder of a lock.
  struct LockHolder {
    std::string session;  // the session's ID
    std::string account;
  };
  // Who writes, for the lock check of every write.
  struct Writer {
    std::string session;
    std::string account;
    // A session of the workflow server acting for `account`: it writes
    // through a lock that any session of that account holds, never through
    // another account's.
    bool for_account = false;
  };
  // Whether a lock that `holder` holds refuses a write by `writer`: a lock
  // of another session does, unless the writer acts for the holder's
  // account (Writer::for_account; accounts compare without regard to case).
  // Every storage asks this inside its write.
  static bool LockRefuses(const LockHolder& holder, const Writer& writer);
  // The checks every storage makes inside its write, with the errors they
  // raise: a change of a card whose writer believes it holds the lock
  // (CardChange::holds_lock) when `holder` is not that session
  // (ostrel::err::kRefused), and a field update over a value changed since
  // (Conflicts; ostrel::err::kConflict naming who wrote the card last,
  // from the stored header).
  static void CheckLockStillHeld(const CardChange& change, const std::optional<LockHolder>& holder,
                                 const Writer& writer);
  [[noreturn]] static void ThrowConflict(const CardHeader& stored);
  enum class Status { kUnknown, kExists, kDeleted };

  virtual ~Storage() = default;

  // The written state of the card; nullopt for a card never stored. A
  // deleted card answers its header, marked deleted, without rows.
  virtual std::optional<CardImage> Load(const com::Guid& card) = 0;
  // The same for opening the card: a storage may leave each row's fields
  // in its packed form (RowRecord::packed), for the open card to read when
  // the row is first used.
  virtual std::optional<CardImage> LoadPacked(const com::Guid& card) { return Load(card); }
  virtual Status GetStatus(const com::Guid& card) = 0;
  // How many writes the card has had (CardImage::writes): the same count
  // means the same written state. nullopt for a card that is unknown or
  // deleted.
  virtual std::optional<int64_t> Writes(const com::Guid& card) = 0;
  // The existing cards of a type (every existing card for the null GUID),
  // in the order they were created.
  virtual std::vector<com::Guid> List(const com::Guid& card_type) = 0;
  // The existing cards of a type whose template flag (CardHeader::is_template)
  // is `is_template`, in the order they were created: the index the search
  // reads templates and instances from. Storages answer it from what they
  // index, without loading a card; this default loads every card of the type.
  virtual std::vector<com::Guid> ListByTemplate(const com::Guid& card_type, bool is_template);
  // What a listing says of a card without opening it.
  struct CardEntry {
    com::Guid id;
    com::Guid type;
    bool is_template = false;
  };
  // Every existing card, of any type (also of a type the store does not
  // know), in the order they were created: what lets a tool find cards
  // that no search of a known type would list. This default loads every
  // card.
  virtual std::vector<CardEntry> ListEntries();
  // The single card of a type in a scope (CardHeader::single_scope).
  virtual std::optional<com::Guid> FindSingle(const com::Guid& card_type, const std::string& scope) = 0;

  // Writes the change set atomically: every change or none. Fails with
  // ostrel::err::kCardDeleted or kUnknownCard for a change of a card that is
  // deleted or unknown, with kRefused for a card whose lock another session
  // holds (or whose lock the writer held and lost), with kConflict for a
  // field update over a value another writer changed since (FieldUpdate::read), for a second single card of a type and scope, or for a card that
  // is created twice, and with kStorageFailure when the medium fails.
  void Write(ChangeSet changes, const Writer& writer);

  // The card's lock holder, nullopt when it is free.
  virtual std::optional<LockHolder> GetLock(const com::Guid& card) = 0;
  // Takes the lock for `holder`. Answers nullopt when it is now held by
  // holder.session (also when it was already), or the other holder.
  virtual std::optional<LockHolder> TryLock(const com::Guid& card, const LockHolder& holder) = 0;
  // Releases the lock when `session` holds it.
  virtual void Unlock(const com::Guid& card, const std::string& session) = 0;
  // Releases every lock of the session (at its end).
  virtual void UnlockAll(const std::string& session) = 0;

  // The next value of the store's write sequence (1, 2, ...), which stamps
  // row timestamps.
  virtual int64_t NextSequence() = 0;

  // Fault injection: the `nth` Write from now (1 = the next one) fails with
  // kStorageFailure in the middle of applying its changes, as a failing
  // medium would; 0 switches faults off. A failed write must leave the last
  // written state whole.
  void InjectWriteFault(int nth) { fault_countdown_.store(nth); }

 protected:
  // May take the rows and values of `changes`: a write owns its change set.
  virtual void DoWrite(ChangeSet& changes, const Writer& writer) = 0;
  // Throws kStorageFailure when an injected fault is due for this write.
  // Implementations call it at least once in every DoWrite before they
  // commit, after applying part of the write where there is a part.
  void StrikeFaultIfDue();

 private:
  std::atomic<int> fault_countdown_{0};
  // Set by Write when this write is the one that fails.
  static thread_local bool fault_due_;
};

}  // namespace embedded
