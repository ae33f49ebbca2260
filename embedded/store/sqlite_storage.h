#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "embedded/store/durability.h"
#include "embedded/store/schema.h"
#include "embedded/store/session_lock.h"
#include "embedded/store/storage.h"

namespace embedded {

// The storage in a store file (SQLite): cards with their rows and fields,
// locks, the write sequence and the version of the card types, shared by
// every process that opens the file.
//
// - Every Write is one transaction (all of it or nothing), taken at once
//   for writing, so that its checks of deletion and locks and its changes
//   see one state; a process that finds the file busy waits up to the busy
//   timeout for the other one.
// - The file is in write-ahead-log mode: readers never wait for a writer,
//   and each read (a card with all its rows) sees one written state.
// - A card lock names its session and account. Each session that holds
//   locks is marked alive by a SessionLock in the folder "<file>-sessions";
//   a lock whose session's mark is gone or free (its process died) is
//   stale, and the next session that meets it releases it.
// - A card's rows are read in one pass; a write costs what it changes
//   (rows inserted, removed or updated), never the size of the card.
// - The file's layout carries a version: a file of a newer or unknown
//   layout, a damaged file, a file that is no store and a read-only file
//   are refused when opened, and left as they are. Every failure is
//   ostrel::err::kStorageFailure with a text naming the file and the cause.
class SqliteStorage final : public Storage {
 public:
  struct Options {
    Durability durability = Durability::kFull;
    // How long a write waits for another process's write (milliseconds).
    int busy_timeout_ms = 10000;
    // The version of the card types the store is opened with (recorded in
    // the file); see SchemasVersion.
    std::string schemas = {};
    // Whether a missing or empty (0-byte) file may be made into a store.
    // Without it such a file is refused as every other non-store file is,
    // and nothing is made on disk.
    bool create = true;
  };

  // The layout this program writes and reads.
  // (Layouts 1 and 2, without the record of who wrote a card last or of how
  // often, are upgraded when opened.)
  static constexpr int kLayout = 3;

  // Opens the store file, creating it when it does not exist (unless
  // Options::create says otherwise).
  explicit SqliteStorage(std::string path);
  SqliteStorage(std::string path, Options options);
  ~SqliteStorage() override;
  SqliteStorage(const SqliteStorage&) = delete;
  SqliteStorage& operator=(const SqliteStorage&) = delete;

  std::optional<CardImage> Load(const com::Guid& card) override { return Read(card, false); }
  std::optional<CardImage> LoadPacked(const com::Guid& card) override { return Read(card, true); }
  Status GetStatus(const com::Guid& card) override;
  std::optional<int64_t> Writes(const com::Guid& card) override;
  std::vector<com::Guid> List(const com::Guid& card_type) override;
  // Answered from the file's index of cards by type and template flag.
  std::vector<com::Guid> ListByTemplate(const com::Guid& card_type, bool is_template) override;
  // Answered from the cards table, without reading a card's rows.
  std::vector<CardEntry> ListEntries() override;
  std::optional<com::Guid> FindSingle(const com::Guid& card_type, const std::string& scope) override;
  std::optional<LockHolder> GetLock(const com::Guid& card) override;
  std::optional<LockHolder> TryLock(const com::Guid& card, const LockHolder& holder) override;
  void Unlock(const com::Guid& card, const std::string& session) override;
  void UnlockAll(const std::string& session) override;
  // Values are unique in the file and increase within a process; a process
  // takes them from the file in blocks, so that stamping rows does not cost
  // a transaction each.
  int64_t NextSequence() override;

  const std::string& path() const { return path_; }
  // The version of the card types the file was last opened with before
  // this open ("" for a new file): a change tells that the card types moved
  // on since the cards were written.
  const std::string& written_schemas() const { return written_schemas_; }

  // A version of a set of card type definitions: equal for equal sources.
  static std::string SchemasVersion(const std::vector<SchemaSource>& sources);

 protected:
  void DoWrite(ChangeSet& changes, const Writer& writer) override;

 private:
  class Db;

  // True when the session holding a lock is alive; a dead one's locks are
  // released. Called inside a write transaction: a live session puts a
  // lost mark back only inside its own (KeepMarked), so the look and the
  // release see one state of it.
  bool HolderAlive(const std::string& session);
  // Marks this storage's session alive, or puts its mark back when it was
  // removed. Inside the write transaction of the session's lock or write.
  void KeepMarked(const std::string& session);
  // Releases the locks of those of `sessions` that are still found dead
  // inside one write transaction.
  void ReleaseIfDead(const std::vector<std::string>& sessions);
  // Releases every lock of the sessions whose processes are gone.
  void SweepDeadSessions();
  // The checks of a write of an existing card (or, with no `change`, of
  // its deletion), in the write transaction.
  void CheckWritable(const com::Guid& card, const Writer& writer, int64_t* ord, const CardChange* change);
  // The lock the file holds on the card, nullopt when there is none.
  std::optional<LockHolder> LockOf(const com::Guid& card);
  // The checks of a new card: it is not in the file, nor (for a single
  // card) another card of its type and scope.
  void CheckNewCard(const CardChange& c);
  // The write of one card's change once every check passed: its header,
  // the rows removed, the rows inserted (each count returned) and the
  // fields updated (whether any row was written), in DoWrite's transaction.
  void WriteCard(const CardChange& c, int64_t ord);
  int64_t InsertCard(const com::Guid& card, const CardHeader& header);  // answers the card's ord
  void UpdateHeader(const CardHeader& header, uint32_t parts, int64_t ord);
  int64_t WriteRemovals(const CardChange& c, int64_t ord);
  // Raises `next_seq` past the sequence of every row inserted.
  int64_t WriteInserts(const CardChange& c, int64_t ord, int64_t& next_seq);
  bool WriteUpdates(const CardChange& c, int64_t ord, const std::optional<CardHeader>& written);
  // Marks the card deleted and drops its rows and its lock.
  void DeleteCard(const com::Guid& card, int64_t ord);
  // The stored header's record of the card's last write (for a conflict).
  CardHeader WrittenBy(const com::Guid& card, int64_t ord);
  // Load, with the rows' fields left packed when `packed`.
  std::optional<CardImage> Read(const com::Guid& card, bool packed);
  // Refuses a file whose tables or header are not a store's.
  static void CheckLayout(Db& db);

  std::string path_;
  std::string sessions_folder_;
  std::string written_schemas_;
  std::mutex mutex_;
  std::unique_ptr<Db> db_;
  // The sessions of this storage that hold locks, each marked alive.
  std::unordered_map<std::string, std::unique_ptr<SessionLock>> live_;
  // The block of the write sequence this process hands out.
  int64_t sequence_next_ = 0;
  int64_t sequence_end_ = 0;
};

}  // namespace embedded
