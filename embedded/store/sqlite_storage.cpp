#include "embedded/store/sqlite_storage.h"

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <cstring>
#include <type_traits>
#include <unordered_set>

#include "embedded/store/field_blob.h"
#include "platform/com/text.h"
#include "platform/ostrel/errors.h"

namespace embedded {
namespace {

// Marks a database as a card store (PRAGMA application_id): "VORL".
constexpr int32_t kApplicationId = 0x564F524C;
// How many values of the write sequence a process takes from the file at once.
constexpr int64_t kSequenceBlock = 1000;

constexpr const char* kCreateLayout = R"(
CREATE TABLE meta(
  key TEXT PRIMARY KEY NOT NULL,
  value NOT NULL) WITHOUT ROWID;
CREATE TABLE cards(
  ord INTEGER PRIMARY KEY,
  id BLOB NOT NULL UNIQUE,
  type BLOB NOT NULL,
  is_template INTEGER NOT NULL,
  deleted INTEGER NOT NULL,
  single INTEGER NOT NULL,
  single_scope TEXT NOT NULL,
  name_fixed INTEGER NOT NULL,
  description TEXT NOT NULL,
  name TEXT NOT NULL,
  owner_process TEXT NOT NULL,
  created REAL NOT NULL,
  modified REAL NOT NULL,
  next_seq INTEGER NOT NULL,
  row_count INTEGER NOT NULL,
  modified_by TEXT NOT NULL DEFAULT '',
  writes INTEGER NOT NULL DEFAULT 0);
CREATE INDEX cards_by_type ON cards(type, is_template) WHERE deleted = 0;
CREATE TABLE rows(
  card INTEGER NOT NULL,
  id BLOB NOT NULL,
  section BLOB NOT NULL,
  parent BLOB,
  seq INTEGER NOT NULL,
  fields BLOB NOT NULL,
  PRIMARY KEY (card, id)) WITHOUT ROWID;
CREATE INDEX rows_by_parent ON rows(card, parent) WHERE parent IS NOT NULL;
CREATE TABLE locks(
  card BLOB PRIMARY KEY NOT NULL,
  session TEXT NOT NULL,
  account TEXT NOT NULL,
  pid INTEGER NOT NULL,
  taken REAL NOT NULL) WITHOUT ROWID;
CREATE INDEX locks_by_session ON locks(session);
INSERT INTO meta(key, value) VALUES ('format', 'Vorlane card store'), ('layout', 3), ('sequence', 0), ('schemas', '');
PRAGMA application_id = 1448038988;
PRAGMA user_version = 3;
)";

// Layout 1 had no record of who wrote a card last, layout 2 no count of a
// card's writes. Each script brings a file one layout further.
constexpr const char* kUpgradeFrom1 = R"(
ALTER TABLE cards ADD COLUMN modified_by TEXT NOT NULL DEFAULT '';
UPDATE meta SET value = 2 WHERE key = 'layout';
PRAGMA user_version = 2;
)";
constexpr const char* kUpgradeFrom2 = R"(
ALTER TABLE cards ADD COLUMN writes INTEGER NOT NULL DEFAULT 0;
UPDATE meta SET value = 3 WHERE key = 'layout';
PRAGMA user_version = 3;
)";
static_assert(kApplicationId == 1448038988 && SqliteStorage::kLayout == 3, "the layout scripts state both");

// Card and row IDs are kept as their 16 bytes.
static_assert(sizeof(com::Guid) == 16 && std::is_trivially_copyable_v<com::Guid>);

[[noreturn]] void Throw(com::HResult code, std::string text) {
  throw com::Error(code, std::string(ostrel::err::kSource), std::move(text));
}

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

// What a failure of SQLite means for the user of the file.
std::string CauseOf(int code, int busy_ms) {
  switch (code & 0xFF) {
    case SQLITE_CORRUPT: return "is damaged";
    case SQLITE_NOTADB: return "is not a store file";
    case SQLITE_READONLY: return "is read-only";
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      return "is busy: another program kept it for longer than " + std::to_string(busy_ms) + " ms";
    case SQLITE_FULL: return "cannot grow: the disk is full";
    case SQLITE_IOERR: return "cannot be read or written";
    case SQLITE_CANTOPEN: return "cannot be opened";
    case SQLITE_PERM:
    case SQLITE_AUTH: return "may not be accessed";
    case SQLITE_NOMEM: return "cannot be used: out of memory";
    default: return "failed";
  }
}

}  // namespace

// The connection, its prepared statements and the file's error texts.
class SqliteStorage::Db {
 public:
  // One prepared statement, reset when the scope that used it ends.
  class Stmt {
   public:
    Stmt(Db& db, const char* sql) : db_(db) {
      int rc = sqlite3_prepare_v3(db.handle(), sql, -1, SQLITE_PREPARE_PERSISTENT, &stmt_, nullptr);
      if (rc != SQLITE_OK) db.Fail(rc);
    }
    ~Stmt() { sqlite3_finalize(stmt_); }
    Stmt(const Stmt&) = delete;
    Stmt& operator=(const Stmt&) = delete;

    Stmt& Bind(int i, int64_t v) { return Check(sqlite3_bind_int64(stmt_, i, v)); }
    Stmt& Bind(int i, double v) { return Check(sqlite3_bind_double(stmt_, i, v)); }
    Stmt& Bind(int i, std::string_view v) {
      return Check(sqlite3_bind_text(stmt_, i, v.data(), static_cast<int>(v.size()), SQLITE_STATIC));
    }
    Stmt& BindBlob(int i, std::string_view v) {
      return Check(sqlite3_bind_blob(stmt_, i, v.data(), static_cast<int>(v.size()), SQLITE_STATIC));
    }
    Stmt& Bind(int i, const com::Guid& g) {
      return Check(sqlite3_bind_blob(stmt_, i, g.bytes().data(), 16, SQLITE_STATIC));
    }
    // The null GUID is stored as NULL (a card-level row's parent).
    Stmt& BindOrNull(int i, const com::Guid& g) {
      return g.IsNull() ? Check(sqlite3_bind_null(stmt_, i)) : Bind(i, g);
    }

    // True while there is a row to read.
    bool Step() {
      int rc = sqlite3_step(stmt_);
      if (rc == SQLITE_ROW) return true;
      if (rc == SQLITE_DONE) return false;
      db_.Fail(rc);
    }
    // Runs a statement that answers no rows.
    void Run() {
      while (Step()) {
      }
    }

    int64_t Int(int i) const { return sqlite3_column_int64(stmt_, i); }
    double Real(int i) const { return sqlite3_column_double(stmt_, i); }
    bool IsNull(int i) const { return sqlite3_column_type(stmt_, i) == SQLITE_NULL; }
    std::string_view Text(int i) const {
      const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, i));
      return p ? std::string_view(p, static_cast<size_t>(sqlite3_column_bytes(stmt_, i))) : std::string_view();
    }
    std::string_view Blob(int i) const {
      const auto* p = static_cast<const char*>(sqlite3_column_blob(stmt_, i));
      return p ? std::string_view(p, static_cast<size_t>(sqlite3_column_bytes(stmt_, i))) : std::string_view();
    }
    // A GUID column; NULL reads as the null GUID. Anything else than 16
    // bytes is a damaged file.
    com::Guid GuidAt(int i) const {
      if (IsNull(i)) return com::Guid();
      std::string_view b = Blob(i);
      if (b.size() != 16) db_.Damaged("an identifier is not 16 bytes long");
      std::array<uint8_t, 16> bytes;
      std::memcpy(bytes.data(), b.data(), 16);
      return std::bit_cast<com::Guid>(bytes);
    }

    void Reset() {
      sqlite3_reset(stmt_);
      sqlite3_clear_bindings(stmt_);
    }

   private:
    Stmt& Check(int rc) {
      if (rc != SQLITE_OK) db_.Fail(rc);
      return *this;
    }
    Db& db_;
    sqlite3_stmt* stmt_ = nullptr;
  };

  // A statement in use: prepared once per connection, reset on scope exit.
  class Use {
   public:
    Use(Db& db, const char* sql) : stmt_(db.Prepared(sql)) {}
    ~Use() { stmt_.Reset(); }
    Use(const Use&) = delete;
    Use& operator=(const Use&) = delete;
    Stmt* operator->() { return &stmt_; }
    Stmt& operator*() { return stmt_; }

   private:
    Stmt& stmt_;
  };

  // A transaction: rolled back unless committed. A write transaction takes
  // the file for writing at once (waiting for another writer up to the busy
  // timeout), so that it never fails half-way for want of the lock.
  class Transaction {
   public:
    Transaction(Db& db, bool write) : db_(db) { db.Exec(write ? "BEGIN IMMEDIATE" : "BEGIN"); }
    ~Transaction() {
      if (!done_) sqlite3_exec(db_.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
    }
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void Commit() {
      db_.Exec("COMMIT");
      done_ = true;
    }

   private:
    Db& db_;
    bool done_ = false;
  };

  Db(std::string path, int busy_ms, bool create) : path_(std::move(path)), busy_ms_(busy_ms) {
    int rc = sqlite3_open_v2(path_.c_str(), &db_,
                             SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0) | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
      std::string cause = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc);
      int error = db_ ? sqlite3_system_errno(db_) : 0;
      if (error != 0) cause += std::string(": ") + std::strerror(error);
      sqlite3_close_v2(db_);
      db_ = nullptr;
      Throw(ostrel::err::kStorageFailure,
            "The store file " + Quoted(path_) + " " + CauseOf(rc, busy_ms_) + " (" + cause + ")");
    }
    sqlite3_extended_result_codes(db_, 1);
    sqlite3_busy_timeout(db_, busy_ms_);
  }
  ~Db() {
    statements_.clear();
    sqlite3_close_v2(db_);
  }

  sqlite3* handle() const { return db_; }
  const std::string& path() const { return path_; }

  [[noreturn]] void Fail(int rc) const {
    std::string detail = sqlite3_errmsg(db_);
    int error = sqlite3_system_errno(db_);
    if ((rc & 0xFF) == SQLITE_IOERR || (rc & 0xFF) == SQLITE_CANTOPEN) {
      if (error != 0) detail += std::string(": ") + std::strerror(error);
    }
    Throw(ostrel::err::kStorageFailure,
          "The store file " + Quoted(path_) + " " + CauseOf(rc, busy_ms_) + " (" + detail + ")");
  }
  [[noreturn]] void Refuse(const std::string& cause) const {
    Throw(ostrel::err::kStorageFailure, "The store file " + Quoted(path_) + " " + cause);
  }
  [[noreturn]] void Damaged(const std::string& what) const { Refuse("is damaged (" + what + ")"); }

  void Exec(const char* sql) {
    int rc = sqlite3_exec(db_, sql, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) Fail(rc);
  }
  Stmt& Prepared(const char* sql) {
    auto& slot = statements_[sql];
    if (!slot) slot = std::make_unique<Stmt>(*this, sql);
    return *slot;
  }

 private:
  std::string path_;
  int busy_ms_;
  sqlite3* db_ = nullptr;
  // Keyed by the address of the statement's text, not by the text: every
  // statement is one of the k... literals of this file, so an address names
  // one statement and a look-up costs no hashing of SQL. A text built at
  // run time would be prepared anew (and kept) on every call; two literals
  // of the same text are two statements.
  std::unordered_map<const char*, std::unique_ptr<Stmt>> statements_;
};

namespace {

// Statements, each a literal so that it is prepared once per connection.
constexpr const char* kCountLayoutTables =
    "SELECT count(*) FROM sqlite_schema WHERE type = 'table' AND name IN ('meta', 'cards', 'rows', 'locks')";
constexpr const char* kCardByID =
    "SELECT ord, type, is_template, deleted, single, single_scope, name_fixed, description, name, owner_process, "
    "created, modified, next_seq, row_count, modified_by, writes FROM cards WHERE id = ?1";
constexpr const char* kRowsOfCard = "SELECT id, section, parent, seq, fields FROM rows WHERE card = ?1";
constexpr const char* kStatusOf = "SELECT deleted FROM cards WHERE id = ?1";
constexpr const char* kWritesOf = "SELECT writes FROM cards WHERE id = ?1 AND deleted = 0";
constexpr const char* kCountWrite = "UPDATE cards SET writes = writes + 1 WHERE ord = ?1";
constexpr const char* kWritableOf = "SELECT ord, deleted FROM cards WHERE id = ?1";
constexpr const char* kWrittenBy = "SELECT modified, modified_by FROM cards WHERE ord = ?1";
constexpr const char* kListAll = "SELECT id FROM cards WHERE deleted = 0 ORDER BY ord";
constexpr const char* kListType = "SELECT id FROM cards WHERE type = ?1 AND deleted = 0 ORDER BY ord";
// The file's size, which bounds how many rows it can hold.
constexpr const char* kFileBytes = "SELECT page_count * page_size FROM pragma_page_count(), pragma_page_size()";
// No row takes less room in the file than its card, ID and section (33
// bytes and their record header): a row count that the file's size cannot
// hold is damage, and no memory is taken for it.
constexpr int64_t kLeastRowBytes = 36;
constexpr const char* kListEntries = "SELECT id, type, is_template FROM cards WHERE deleted = 0 ORDER BY ord";
constexpr const char* kListTemplate =
    "SELECT id FROM cards WHERE type = ?1 AND is_template = ?2 AND deleted = 0 ORDER BY ord";
constexpr const char* kSinglesOfType =
    "SELECT id, single_scope FROM cards WHERE type = ?1 AND deleted = 0 AND single = 1 ORDER BY ord";
constexpr const char* kLockOf = "SELECT session, account FROM locks WHERE card = ?1";
constexpr const char* kInsertLock =
    "INSERT INTO locks(card, session, account, pid, taken) VALUES (?1, ?2, ?3, ?4, julianday('now'))";
constexpr const char* kDeleteLock = "DELETE FROM locks WHERE card = ?1 AND session = ?2";
constexpr const char* kDeleteLocksOfSession = "DELETE FROM locks WHERE session = ?1";
constexpr const char* kDeleteLocksOfCard = "DELETE FROM locks WHERE card = ?1";
constexpr const char* kLockingSessions = "SELECT DISTINCT session FROM locks";
constexpr const char* kTakeSequence =
    "UPDATE meta SET value = value + ?1 WHERE key = 'sequence' RETURNING value";
constexpr const char* kMetaValue = "SELECT value FROM meta WHERE key = ?1";
constexpr const char* kSetMeta = "UPDATE meta SET value = ?2 WHERE key = ?1";
constexpr const char* kCardExists = "SELECT 1 FROM cards WHERE id = ?1";
constexpr const char* kInsertCard =
    "INSERT INTO cards(id, type, is_template, deleted, single, single_scope, name_fixed, description, name, "
    "owner_process, created, modified, next_seq, row_count, modified_by) "
    "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, 1, 0, ?13)";
// Only the parts the change names (?7, HeaderPart bits) are taken over; the
// modified date always is.
constexpr const char* kUpdateHeader =
    "UPDATE cards SET description = CASE WHEN ?7 & 1 THEN ?2 ELSE description END, "
    "name = CASE WHEN ?7 & 2 THEN ?3 ELSE name END, "
    "owner_process = CASE WHEN ?7 & 4 THEN ?4 ELSE owner_process END, "
    "is_template = CASE WHEN ?7 & 8 THEN ?5 ELSE is_template END, modified = ?6, modified_by = ?8 WHERE ord = ?1";
static_assert(kHeaderDescription == 1 && kHeaderName == 2 && kHeaderOwner == 4 && kHeaderTemplate == 8,
              "kUpdateHeader spells the HeaderPart bits");
// The row count lets a read size the card's map of rows at once.
constexpr const char* kCountRows =
    "UPDATE cards SET next_seq = max(next_seq, ?2), row_count = row_count + ?3 WHERE ord = ?1";
// A removed row goes with every row under it, also rows another session put
// there (the merge rule of removals).
constexpr const char* kRemoveRow =
    "DELETE FROM rows WHERE card = ?1 AND id IN ("
    "WITH RECURSIVE gone(id) AS (SELECT id FROM rows WHERE card = ?1 AND id = ?2 "
    "UNION ALL SELECT r.id FROM rows r JOIN gone ON r.card = ?1 AND r.parent = gone.id) SELECT id FROM gone)";
// An insert of a row that exists is skipped (one under a parent that is
// gone is never made: see DoWrite).
constexpr const char* kInsertRowUnder =
    "INSERT INTO rows(card, id, section, parent, seq, fields) VALUES (?1, ?2, ?3, ?4, ?5, ?6) ON CONFLICT DO NOTHING";
constexpr const char* kRowExists = "SELECT 1 FROM rows WHERE card = ?1 AND id = ?2";
// A row of a new card: the card has no rows in the file, so nothing can
// conflict and no look for one is made.
constexpr const char* kInsertNewRow =
    "INSERT INTO rows(card, id, section, parent, seq, fields) VALUES (?1, ?2, ?3, ?4, ?5, ?6)";
constexpr const char* kRowFields = "SELECT fields FROM rows WHERE card = ?1 AND id = ?2";
constexpr const char* kSetRowFields = "UPDATE rows SET fields = ?3 WHERE card = ?1 AND id = ?2";
constexpr const char* kMarkDeleted = "UPDATE cards SET deleted = 1, row_count = 0 WHERE ord = ?1";
constexpr const char* kDeleteRowsOfCard = "DELETE FROM rows WHERE card = ?1";

std::string ToText(std::string_view v) { return std::string(v); }

}  // namespace

// ---- opening -------------------------------------------------------------------

SqliteStorage::SqliteStorage(std::string path) : SqliteStorage(std::move(path), Options()) {}

SqliteStorage::SqliteStorage(std::string path, Options options)
    : path_(std::move(path)), sessions_folder_(path_ + "-sessions") {
  if (!options.create) {
    // Looked at before SQLite opens the file, which would make a missing
    // one and take an empty one for a new database.
    struct stat st {};
    if (::stat(path_.c_str(), &st) != 0) {
      Throw(ostrel::err::kStorageFailure, "There is no store file " + Quoted(path_) + " (" + std::strerror(errno) + ")");
    }
    if (S_ISREG(st.st_mode) && st.st_size == 0) {
      Throw(ostrel::err::kStorageFailure, "The store file " + Quoted(path_) + " is empty: no store was made in it");
    }
  }
  db_ = std::make_unique<Db>(path_, options.busy_timeout_ms, options.create);
  Db& db = *db_;
  // A store must be writable: it keeps every session's locks and changes.
  if (sqlite3_db_readonly(db.handle(), "main") == 1) {
    db.Refuse("is read-only: a store file must be writable, for it keeps the locks and changes of every session");
  }

  // What the file is, read before anything is written to it, so that a
  // file that is refused stays as it was.
  auto pragma = [&](const char* sql) {
    Db::Use q(db, sql);
    return q->Step() ? q->Int(0) : 0;
  };
  int64_t application = pragma("PRAGMA application_id");
  int64_t layout = pragma("PRAGMA user_version");
  int64_t objects = pragma("SELECT count(*) FROM sqlite_schema");
  const bool fresh = objects == 0 && application == 0 && layout == 0;
  if (!fresh) {
    if (application != kApplicationId) db.Refuse("is not a store file: it is a database of another kind");
    if (layout > kLayout) {
      db.Refuse("was written in layout " + std::to_string(layout) +
                " by a newer version of the program; this one reads layout " + std::to_string(kLayout));
    }
    if (layout != kLayout && layout != 1 && layout != 2) db.Refuse("has an unknown layout (" + std::to_string(layout) + ")");
    // The rest of what makes a store, also read before the journal mode
    // below is written into the file's header.
    CheckLayout(db);
  }
  if (fresh && !options.create) db.Refuse("holds no store: it is an empty database");

  // Larger pages than SQLite's default: a card is written and read whole,
  // and a 16 KiB page holds a hundred rows, so large cards take fewer pages
  // and shallower trees. Only a new file takes it (before its log exists).
  if (fresh) db.Exec("PRAGMA page_size = 16384");
  {
    Db::Use q(db, "PRAGMA journal_mode = WAL");
    if (!q->Step() || q->Text(0) != "wal") db.Refuse("cannot keep a write-ahead log beside it");
  }
  switch (options.durability) {
    case Durability::kFull: db.Exec("PRAGMA synchronous = FULL"); break;
    case Durability::kNormal: db.Exec("PRAGMA synchronous = NORMAL"); break;
    case Durability::kOff: db.Exec("PRAGMA synchronous = OFF"); break;
  }
  // Cards are read whole: a larger cache than SQLite's default keeps a
  // large card's pages between a write and the next read.
  db.Exec("PRAGMA cache_size = -16384");

  if (fresh) {
    Db::Transaction txn(db, true);
    // Another process may have made the layout between the look and the lock.
    if (pragma("SELECT count(*) FROM sqlite_schema") == 0) db.Exec(kCreateLayout);
    txn.Commit();
    if (pragma("PRAGMA application_id") != kApplicationId) {
      db.Refuse("is not a store file: it is a database of another kind");
    }
  }

  if (!fresh && layout < kLayout) {
    Db::Transaction txn(db, true);
    // Another process may have upgraded it between the look and the lock.
    if (pragma("PRAGMA user_version") == 1) db.Exec(kUpgradeFrom1);
    if (pragma("PRAGMA user_version") == 2) db.Exec(kUpgradeFrom2);
    txn.Commit();
  }
  if (fresh) CheckLayout(db);
  {
    Db::Use q(db, kMetaValue);
    q->Bind(1, std::string_view("schemas"));
    if (q->Step()) written_schemas_ = ToText(q->Text(0));
  }
  if (!options.schemas.empty() && options.schemas != written_schemas_) {
    Db::Use q(db, kSetMeta);
    q->Bind(1, std::string_view("schemas")).Bind(2, std::string_view(options.schemas)).Run();
  }
  SweepDeadSessions();
}

void SqliteStorage::CheckLayout(Db& db) {
  {
    Db::Use q(db, kCountLayoutTables);
    if (!q->Step() || q->Int(0) != 4) db.Refuse("has an unknown layout (tables are missing)");
  }
  Db::Use q(db, kMetaValue);
  q->Bind(1, std::string_view("format"));
  if (!q->Step() || q->Text(0) != "Vorlane card store") db.Refuse("has an unknown layout (no store header)");
}

SqliteStorage::~SqliteStorage() {
  std::lock_guard lock(mutex_);
  // Sessions end before their store; any left release their locks here.
  for (auto& [session, mark] : live_) {
    try {
      Db::Use q(*db_, kDeleteLocksOfSession);
      q->Bind(1, std::string_view(session)).Run();
    } catch (const com::Error&) {
      // A storage that closes cannot report; the locks of a session whose
      // mark goes now are stale and released by the next session.
    }
  }
  live_.clear();
}

std::string SqliteStorage::SchemasVersion(const std::vector<SchemaSource>& sources) {
  // FNV-1a over the definitions' texts, each ended by a zero byte.
  uint64_t h = 0xCBF29CE484222325ull;
  auto add = [&](unsigned char c) {
    h ^= c;
    h *= 0x100000001B3ull;
  };
  for (const SchemaSource& s : sources) {
    for (char c : s.text) add(static_cast<unsigned char>(c));
    add(0);
  }
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out(16, '0');
  for (int i = 15; i >= 0; --i, h >>= 4) out[static_cast<size_t>(i)] = kHex[h & 15];
  return out;
}

// ---- sessions and locks -----------------------------------------------------------

bool SqliteStorage::HolderAlive(const std::string& session) {
  if (live_.contains(session) || SessionLock::IsAlive(sessions_folder_, session)) return true;
  Db::Use q(*db_, kDeleteLocksOfSession);
  q->Bind(1, std::string_view(session)).Run();
  return false;
}

void SqliteStorage::KeepMarked(const std::string& session) {
  auto mark = live_.find(session);
  if (mark == live_.end()) {
    live_.emplace(session, std::make_unique<SessionLock>(sessions_folder_, session));
  } else {
    mark->second->Restore();
  }
}

void SqliteStorage::ReleaseIfDead(const std::vector<std::string>& sessions) {
  if (sessions.empty()) return;
  Db::Transaction txn(*db_, true);
  for (const std::string& session : sessions) HolderAlive(session);
  txn.Commit();
}

void SqliteStorage::SweepDeadSessions() {
  std::lock_guard lock(mutex_);
  // Marks nobody holds go (a session that crashed after releasing its
  // locks), then the locks of every session without a live mark.
  SessionLock::RemoveLeftovers(sessions_folder_);
  for (const std::string& session : SessionLock::Marked(sessions_folder_)) {
    SessionLock::IsAlive(sessions_folder_, session);
  }
  std::vector<std::string> holders;
  {
    Db::Use q(*db_, kLockingSessions);
    while (q->Step()) {
      std::string session = ToText(q->Text(0));
      if (!live_.contains(session) && !SessionLock::IsAlive(sessions_folder_, session)) holders.push_back(session);
    }
  }
  ReleaseIfDead(holders);
}

std::optional<Storage::LockHolder> SqliteStorage::LockOf(const com::Guid& card) {
  Db::Use q(*db_, kLockOf);
  q->Bind(1, card);
  if (!q->Step()) return std::nullopt;
  return LockHolder{ToText(q->Text(0)), ToText(q->Text(1))};
}

std::optional<Storage::LockHolder> SqliteStorage::GetLock(const com::Guid& card) {
  std::lock_guard lock(mutex_);
  std::optional<LockHolder> holder = LockOf(card);
  if (holder && !live_.contains(holder->session) && !SessionLock::IsAlive(sessions_folder_, holder->session)) {
    // Decided again inside a write, where a holder that puts its mark back
    // (which it does inside its own writes) cannot be between look and act.
    Db::Transaction txn(*db_, true);
    holder = LockOf(card);
    if (holder && !HolderAlive(holder->session)) holder.reset();
    txn.Commit();
  }
  return holder;
}

std::optional<Storage::LockHolder> SqliteStorage::TryLock(const com::Guid& card, const LockHolder& holder) {
  std::lock_guard lock(mutex_);
  Db& db = *db_;
  Db::Transaction txn(db, true);
  // The session is marked alive before its first lock is in the file, and
  // its mark is put back if it went, so that no lock of a live session ever
  // looks stale.
  KeepMarked(holder.session);
  if (std::optional<LockHolder> other = LockOf(card)) {
    if (other->session == holder.session) return std::nullopt;
    if (HolderAlive(other->session)) return other;
  }
  {
    Db::Use q(db, kInsertLock);
    q->Bind(1, card).Bind(2, std::string_view(holder.session)).Bind(3, std::string_view(holder.account));
    q->Bind(4, static_cast<int64_t>(::getpid())).Run();
  }
  txn.Commit();
  return std::nullopt;
}

void SqliteStorage::Unlock(const com::Guid& card, const std::string& session) {
  std::lock_guard lock(mutex_);
  Db::Use q(*db_, kDeleteLock);
  q->Bind(1, card).Bind(2, std::string_view(session)).Run();
}

void SqliteStorage::UnlockAll(const std::string& session) {
  std::lock_guard lock(mutex_);
  {
    Db::Use q(*db_, kDeleteLocksOfSession);
    q->Bind(1, std::string_view(session)).Run();
  }
  // The mark goes after the locks, so that it never ends before them.
  live_.erase(session);
}

int64_t SqliteStorage::NextSequence() {
  std::lock_guard lock(mutex_);
  if (sequence_next_ == sequence_end_) {
    Db::Use q(*db_, kTakeSequence);
    q->Bind(1, kSequenceBlock);
    if (!q->Step()) db_->Damaged("the write sequence is missing");
    int64_t last = q->Int(0);
    q->Run();
    sequence_next_ = last - kSequenceBlock + 1;
    sequence_end_ = last + 1;
  }
  return sequence_next_++;
}

// ---- reading ---------------------------------------------------------------------

std::optional<CardImage> SqliteStorage::Read(const com::Guid& card, bool packed) {
  std::lock_guard lock(mutex_);
  Db& db = *db_;
  // One read transaction: the header and the rows of one written state.
  Db::Transaction txn(db, false);
  CardImage image;
  int64_t ord = 0;
  int64_t row_count = 0;  // what the card's header says it holds
  {
    Db::Use q(db, kCardByID);
    q->Bind(1, card);
    if (!q->Step()) return std::nullopt;
    CardHeader& h = image.header;
    ord = q->Int(0);
    h.id = card;
    h.type = q->GuidAt(1);
    h.is_template = q->Int(2) != 0;
    h.deleted = q->Int(3) != 0;
    h.single = q->Int(4) != 0;
    h.single_scope = ToText(q->Text(5));
    h.name_fixed = q->Int(6) != 0;
    h.description = ToText(q->Text(7));
    h.name = ToText(q->Text(8));
    h.owner_process = ToText(q->Text(9));
    h.created = com::Date{q->Real(10)};
    h.modified = com::Date{q->Real(11)};
    image.next_seq = q->Int(12);
    row_count = q->Int(13);
    h.modified_by = ToText(q->Text(14));
    image.writes = q->Int(15);
  }
  {
    Db::Use q(db, kFileBytes);
    const int64_t most = q->Step() ? q->Int(0) / kLeastRowBytes : 0;
    image.rows.reserve(static_cast<size_t>(std::clamp<int64_t>(row_count, 0, most)));
  }
  if (!image.header.deleted) {
    Db::Use q(db, kRowsOfCard);
    q->Bind(1, ord);
    while (q->Step()) {
      RowRecord r;
      r.id = q->GuidAt(0);
      r.section = q->GuidAt(1);
      r.parent = q->GuidAt(2);
      r.seq = q->Int(3);
      const std::string_view blob = q->Blob(4);
      auto damaged = [&] {
        db.Damaged("the fields of row " + r.id.ToString() + " of card " + card.ToString() + " do not read");
      };
      if (packed) {
        if (!FieldsReadable(blob)) damaged();
        r.packed = blob;
      } else if (auto fields = DecodeFields(blob)) {
        r.fields = std::move(*fields);
      } else {
        damaged();
      }
      com::Guid id = r.id;
      image.rows.emplace(id, std::move(r));
    }
    if (static_cast<int64_t>(image.rows.size()) != row_count) {
      db.Damaged("card " + card.ToString() + " holds " + std::to_string(image.rows.size()) +
                 " rows where its header says " + std::to_string(row_count));
    }
  }
  txn.Commit();
  return image;
}

std::optional<int64_t> SqliteStorage::Writes(const com::Guid& card) {
  std::lock_guard lock(mutex_);
  Db::Use q(*db_, kWritesOf);
  q->Bind(1, card);
  if (!q->Step()) return std::nullopt;
  return q->Int(0);
}

Storage::Status SqliteStorage::GetStatus(const com::Guid& card) {
  std::lock_guard lock(mutex_);
  Db::Use q(*db_, kStatusOf);
  q->Bind(1, card);
  if (!q->Step()) return Status::kUnknown;
  return q->Int(0) != 0 ? Status::kDeleted : Status::kExists;
}

std::vector<com::Guid> SqliteStorage::List(const com::Guid& card_type) {
  std::lock_guard lock(mutex_);
  std::vector<com::Guid> out;
  Db::Use q(*db_, card_type.IsNull() ? kListAll : kListType);
  if (!card_type.IsNull()) q->Bind(1, card_type);
  while (q->Step()) out.push_back(q->GuidAt(0));
  return out;
}

std::vector<com::Guid> SqliteStorage::ListByTemplate(const com::Guid& card_type, bool is_template) {
  std::lock_guard lock(mutex_);
  std::vector<com::Guid> out;
  Db::Use q(*db_, kListTemplate);
  q->Bind(1, card_type).Bind(2, int64_t{is_template});
  while (q->Step()) out.push_back(q->GuidAt(0));
  return out;
}

std::vector<Storage::CardEntry> SqliteStorage::ListEntries() {
  std::lock_guard lock(mutex_);
  std::vector<CardEntry> out;
  Db::Use q(*db_, kListEntries);
  while (q->Step()) {
    // A type that is not 16 bytes long is a type no store knows: the card
    // is listed as one, for its reader to report, not the listing failed.
    const com::Guid type = q->Blob(1).size() == 16 ? q->GuidAt(1) : com::Guid();
    out.push_back({q->GuidAt(0), type, q->Int(2) != 0});
  }
  return out;
}

std::optional<com::Guid> SqliteStorage::FindSingle(const com::Guid& card_type, const std::string& scope) {
  std::lock_guard lock(mutex_);
  Db::Use q(*db_, kSinglesOfType);
  q->Bind(1, card_type);
  while (q->Step()) {
    if (text::EqualNoCase(q->Text(1), scope)) return q->GuidAt(0);
  }
  return std::nullopt;
}

// ---- writing ---------------------------------------------------------------------

void SqliteStorage::CheckWritable(const com::Guid& card, const Writer& writer, int64_t* ord,
                                  const CardChange* change) {
  Db& db = *db_;
  {
    Db::Use q(db, kWritableOf);
    q->Bind(1, card);
    if (!q->Step()) Throw(ostrel::err::kUnknownCard, "Card " + card.ToString() + " does not exist");
    if (q->Int(1) != 0) Throw(ostrel::err::kCardDeleted, "Card " + card.ToString() + " has been deleted");
    *ord = q->Int(0);
  }
  std::optional<LockHolder> holder = LockOf(card);
  if (holder && !HolderAlive(holder->session)) holder.reset();
  if (holder && LockRefuses(*holder, writer)) {
    Throw(ostrel::err::kRefused, "The card " + card.ToString() + " is locked by " + holder->account + ".");
  }
  if (change) CheckLockStillHeld(*change, holder, writer);
}

CardHeader SqliteStorage::WrittenBy(const com::Guid& card, int64_t ord) {
  CardHeader h;
  h.id = card;
  Db::Use q(*db_, kWrittenBy);
  q->Bind(1, ord);
  if (q->Step()) {
    h.modified = com::Date{q->Real(0)};
    h.modified_by = ToText(q->Text(1));
  }
  return h;
}

void SqliteStorage::DoWrite(ChangeSet& changes, const Writer& writer) {
  std::lock_guard lock(mutex_);
  Db::Transaction txn(*db_, true);
  // A session that holds locks writes only while it is marked alive: a
  // mark removed behind its back is put back first, inside the write, so
  // that no checker takes it for dead between that look and its write.
  if (live_.contains(writer.session)) KeepMarked(writer.session);

  // Every check comes first, so that a refused write changes nothing.
  std::vector<int64_t> ords(changes.cards.size());
  for (size_t i = 0; i < changes.cards.size(); ++i) {
    const CardChange& c = changes.cards[i];
    if (c.create) {
      CheckNewCard(c);
    } else {
      CheckWritable(c.card, writer, &ords[i], &c);
    }
  }
  std::vector<int64_t> deleted(changes.deleted.size());
  for (size_t i = 0; i < changes.deleted.size(); ++i) CheckWritable(changes.deleted[i], writer, &deleted[i], nullptr);

  for (size_t i = 0; i < changes.cards.size(); ++i) WriteCard(changes.cards[i], ords[i]);
  for (size_t i = 0; i < changes.deleted.size(); ++i) {
    DeleteCard(changes.deleted[i], deleted[i]);
    StrikeFaultIfDue();
  }
  StrikeFaultIfDue();
  txn.Commit();
}

void SqliteStorage::CheckNewCard(const CardChange& c) {
  Db& db = *db_;
  if (!c.header) Throw(com::hr::kInvalidArg, "A new card needs its header");
  {
    Db::Use q(db, kCardExists);
    q->Bind(1, c.card);
    if (q->Step()) Throw(ostrel::err::kRefused, "Card " + c.card.ToString() + " exists already");
  }
  if (c.header->single) {
    Db::Use q(db, kSinglesOfType);
    q->Bind(1, c.header->type);
    while (q->Step()) {
      if (text::EqualNoCase(q->Text(1), c.header->single_scope)) {
        Throw(ostrel::err::kRefused, "The single card of type " + c.header->type.ToString() + " exists already");
      }
    }
  }
}

void SqliteStorage::WriteCard(const CardChange& c, int64_t ord) {
  Db& db = *db_;
  // Who wrote the card last, before this write's header says otherwise:
  // a conflict names them.
  std::optional<CardHeader> written;
  if (!c.create && std::any_of(c.updated.begin(), c.updated.end(), [](const FieldUpdate& u) { return u.read; })) {
    written = WrittenBy(c.card, ord);
  }
  // The fault strikes once part of the change is in the file.
  bool struck = false;
  auto part = [&](bool wrote) {
    if (wrote && !struck) {
      struck = true;
      StrikeFaultIfDue();
    }
  };
  if (c.create) {
    ord = InsertCard(c.card, *c.header);
    part(true);
  } else if (c.header) {
    UpdateHeader(*c.header, c.header_parts, ord);
    part(true);
  }
  const int64_t removed = WriteRemovals(c, ord);
  part(removed > 0);
  int64_t next_seq = 0;
  const int64_t inserted = WriteInserts(c, ord, next_seq);
  part(inserted > 0);
  if (inserted != removed || next_seq > 0) {
    Db::Use q(db, kCountRows);
    q->Bind(1, ord).Bind(2, next_seq).Bind(3, inserted - removed).Run();
  }
  part(WriteUpdates(c, ord, written));
  Db::Use q(db, kCountWrite);
  q->Bind(1, ord).Run();
}

int64_t SqliteStorage::InsertCard(const com::Guid& card, const CardHeader& h) {
  Db& db = *db_;
  Db::Use q(db, kInsertCard);
  q->Bind(1, card).Bind(2, h.type).Bind(3, int64_t{h.is_template}).Bind(4, int64_t{h.deleted});
  q->Bind(5, int64_t{h.single}).Bind(6, std::string_view(h.single_scope)).Bind(7, int64_t{h.name_fixed});
  q->Bind(8, std::string_view(h.description)).Bind(9, std::string_view(h.name));
  q->Bind(10, std::string_view(h.owner_process)).Bind(11, h.created.serial).Bind(12, h.modified.serial);
  q->Bind(13, std::string_view(h.modified_by)).Run();
  return sqlite3_last_insert_rowid(db.handle());
}

void SqliteStorage::UpdateHeader(const CardHeader& h, uint32_t parts, int64_t ord) {
  Db::Use q(*db_, kUpdateHeader);
  q->Bind(1, ord).Bind(2, std::string_view(h.description)).Bind(3, std::string_view(h.name));
  q->Bind(4, std::string_view(h.owner_process)).Bind(5, int64_t{h.is_template}).Bind(6, h.modified.serial);
  q->Bind(7, int64_t{parts}).Bind(8, std::string_view(h.modified_by)).Run();
}

int64_t SqliteStorage::WriteRemovals(const CardChange& c, int64_t ord) {
  Db& db = *db_;
  int64_t gone = 0;
  for (const com::Guid& row : c.removed) {
    Db::Use q(db, kRemoveRow);
    q->Bind(1, ord).Bind(2, row).Run();
    gone += sqlite3_changes(db.handle());
  }
  return gone;
}

int64_t SqliteStorage::WriteInserts(const CardChange& c, int64_t ord, int64_t& next_seq) {
  Db& db = *db_;
  // Which rows go in: a row whose parent is among the rows of the change
  // that go in (parents come first), or is in the file; an insert under a
  // parent that is gone is skipped. A new card has no rows in the file.
  std::unordered_set<com::Guid, com::GuidHash> placed;
  placed.reserve(c.inserted.size());
  std::vector<const RowRecord*> rows;
  rows.reserve(c.inserted.size());
  for (const RowRecord& row : c.inserted) {
    if (!row.parent.IsNull() && !placed.contains(row.parent)) {
      if (c.create) continue;
      Db::Use q(db, kRowExists);
      q->Bind(1, ord).Bind(2, row.parent);
      if (!q->Step()) continue;
    }
    if (placed.insert(row.id).second) rows.push_back(&row);
  }
  // They go in in the order of the file's key, so that each lands next to
  // the one before instead of being searched for: at the end of the table
  // for a new card. A row of an existing card that is there already is
  // left as it is.
  std::sort(rows.begin(), rows.end(),
            [](const RowRecord* a, const RowRecord* b) { return a->id.bytes() < b->id.bytes(); });
  const char* sql = c.create ? kInsertNewRow : kInsertRowUnder;
  int64_t inserted = 0;
  std::string blob;
  for (const RowRecord* row : rows) {
    blob.clear();
    if (row->packed.empty()) EncodeFields(row->fields, blob);
    Db::Use q(db, sql);
    q->Bind(1, ord).Bind(2, row->id).Bind(3, row->section).BindOrNull(4, row->parent).Bind(5, row->seq);
    q->BindBlob(6, row->packed.empty() ? std::string_view(blob) : std::string_view(row->packed)).Run();
    if (sqlite3_changes(db.handle()) == 0) continue;
    ++inserted;
    next_seq = std::max(next_seq, row->seq + 1);
  }
  return inserted;
}

bool SqliteStorage::WriteUpdates(const CardChange& c, int64_t ord, const std::optional<CardHeader>& written) {
  Db& db = *db_;
  // Updates of one row are read and written back once, in their order.
  std::vector<std::pair<com::Guid, std::vector<const FieldUpdate*>>> by_row;
  std::unordered_map<com::Guid, size_t, com::GuidHash> slot;
  for (const FieldUpdate& u : c.updated) {
    auto [it, added] = slot.try_emplace(u.row, by_row.size());
    if (added) by_row.push_back({u.row, {}});
    by_row[it->second].second.push_back(&u);
  }
  bool wrote = false;
  std::string blob;
  for (const auto& [row, updates] : by_row) {
    RowRecord record;
    {
      Db::Use q(db, kRowFields);
      q->Bind(1, ord).Bind(2, row);
      if (!q->Step()) continue;  // the row is gone: its updates are dropped
      auto fields = DecodeFields(q->Blob(0));
      if (!fields) db.Damaged("the fields of row " + row.ToString() + " of card " + c.card.ToString() + " do not read");
      record.fields = std::move(*fields);
    }
    // Inside the transaction: the rollback undoes whatever went before.
    for (const FieldUpdate* u : updates) {
      if (Conflicts(record, *u)) ThrowConflict(*written);
    }
    for (const FieldUpdate* u : updates) record.Set(u->field, u->value);
    blob.clear();
    EncodeFields(record.fields, blob);
    Db::Use q(db, kSetRowFields);
    q->Bind(1, ord).Bind(2, row).BindBlob(3, blob).Run();
    wrote = true;
  }
  return wrote;
}

void SqliteStorage::DeleteCard(const com::Guid& card, int64_t ord) {
  Db& db = *db_;
  {
    Db::Use q(db, kMarkDeleted);
    q->Bind(1, ord).Run();
  }
  {
    Db::Use q(db, kDeleteRowsOfCard);
    q->Bind(1, ord).Run();
  }
  Db::Use q(db, kDeleteLocksOfCard);
  q->Bind(1, card).Run();
}

}  // namespace embedded
