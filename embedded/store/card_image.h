#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "embedded/store/guid_map.h"
#include "platform/com/guid.h"
#include "platform/com/variant.h"

// The written state of cards as the storage keeps it, and the change sets
// that move it on. The form is flat and keyed by IDs and field names (not by
// schema positions), so that a storage never needs the schema and a store
// file outlives changes to it.
namespace embedded {

struct CardHeader {
  com::Guid id;
  com::Guid type;
  std::string description;
  std::string name;
  std::string owner_process;
  bool is_template = false;
  bool name_fixed = false;
  // The single card of its type: `single_scope` is "" for a store-wide one,
  // the account for one per account.
  bool single = false;
  std::string single_scope;
  bool deleted = false;
  com::Date created;
  com::Date modified;
  // The account of the session that wrote last (set with `modified`).
  std::string modified_by;
};

// The parts of a card header a writer edits, as bits. A change of an
// existing card names the parts it takes over, so that a writer puts back
// only what it changed and another writer's change of another part stays
// (the header's form of the field-level merge of rows).
enum HeaderPart : uint32_t {
  kHeaderDescription = 1,
  kHeaderName = 2,
  kHeaderOwner = 4,
  kHeaderTemplate = 8,
};

// Copies the `parts` (HeaderPart bits) of `from` into `into`.
void MergeHeader(CardHeader& into, const CardHeader& from, uint32_t parts);

struct RowRecord {
  com::Guid id;
  com::Guid section;
  // The owning row of a sub-section row, the parent of a tree child; the
  // null GUID for a card-level row.
  com::Guid parent;
  // Orders the rows of one container (ties go by ID).
  int64_t seq = 0;
  // The fields that are not Null, by name as the schema spells it.
  std::vector<std::pair<std::string, com::Variant>> fields;
  // When not empty, the fields in the packed form of field_blob.h, checked
  // by whoever packed them, and `fields` is empty: an open card writes its
  // rows packed, which a store file keeps as they are, and a card opened
  // reads each row's fields when the row is first used.
  std::string packed;

  // Reads `packed` into `fields`. Fails with ostrel::err::kStorageFailure
  // when it does not read.
  void Unpack();
  // A field of an unpacked row.
  const com::Variant* Find(std::string_view field) const;
  // Sets a field (unpacking the row first); Null removes it.
  void Set(const std::string& field, const com::Variant& value);
};

// The rows of a card image by ID.
using RowMap = GuidMap<RowRecord>;

struct CardImage {
  CardHeader header;
  RowMap rows;
  int64_t next_seq = 1;
  // How many writes the card has had when this image was read: a reader
  // that finds the same count later holds the written state still.
  int64_t writes = 0;
};

struct FieldUpdate {
  com::Guid row;
  std::string field;
  com::Variant value;  // Null clears the field
  // The stored value the writer's change was made over (what it last read
  // of the field): the write is refused as a conflict when the field holds
  // another value now, so that no session overwrites a change it never
  // saw. Unset for values the platform keeps itself (row timestamps).
  std::optional<com::Variant> read = std::nullopt;
};

// The stored value of a field of `row` (packed or not); Null when the row
// does not hold it.
com::Variant StoredValue(const RowRecord& row, std::string_view field);

// Whether `update` was made over a value that another writer has changed
// since: the field of `stored` (the row as stored now) no longer holds
// what the writer read.
bool Conflicts(const RowRecord& stored, const FieldUpdate& update);

// What one write does to one card.
struct CardChange {
  com::Guid card;
  // A new card: `header` is its whole header and there is no old state.
  bool create = false;
  // The header as the writer sees it: of an existing card, the parts named
  // in `header_parts` and the modified date (which every write moves on)
  // are taken over.
  std::optional<CardHeader> header;
  uint32_t header_parts = 0;  // HeaderPart bits
  // The writer believes it holds the card's lock: the write is refused
  // when the lock is no longer its own (it was released behind its back,
  // and someone else may have written meanwhile).
  bool holds_lock = false;
  // Whole rows, parents before their children.
  std::vector<RowRecord> inserted;
  // Rows removed, each listed (the writer's descendants too); rows that
  // others put under them go with them.
  std::vector<com::Guid> removed;
  std::vector<FieldUpdate> updated;

  bool empty() const { return !create && !header && inserted.empty() && removed.empty() && updated.empty(); }
};

// One atomic write: every card change and deletion, or none.
struct ChangeSet {
  std::vector<CardChange> cards;
  std::vector<com::Guid> deleted;
};

// Undo records of one application of a change (ApplyChange, or the removal
// of a card's rows), so that a failed write can be rolled back at the cost
// of what it changed. An application removes rows, then inserts rows, then
// sets fields, so each kind has a list of its own, undone in the reverse
// of that order.
class ChangeJournal {
 public:
  void RowInserted(const com::Guid& row) { inserted_.push_back(row); }
  void RowRemoved(RowRecord old) { removed_.push_back(std::move(old)); }
  void FieldChanged(const com::Guid& row, std::string field, std::optional<com::Variant> old) {
    fields_.push_back({row, std::move(field), std::move(old)});
  }
  void HeaderChanged(const CardHeader& old, int64_t next_seq) {
    if (!header_) header_ = std::make_pair(old, next_seq);
  }
  // Restores `image` to what it was before the journal began.
  void Undo(CardImage& image);

 private:
  struct FieldEntry {
    com::Guid row;
    std::string field;
    std::optional<com::Variant> old_value;
  };
  std::vector<RowRecord> removed_;
  std::vector<com::Guid> inserted_;
  std::vector<FieldEntry> fields_;
  std::optional<std::pair<CardHeader, int64_t>> header_;
};

// Applies `change` to `image`, taking its inserted rows (they are left
// moved-from), merging at field level: an update of a row
// that is gone, an insert under a parent that is gone or of a row that
// exists already, and a removal of a row that is gone are skipped, so that
// edits of two sessions to one card meet without either failing. Records
// undo entries in `journal` when one is given. Calls `between` once after
// the first element is applied (the point where a storage fault strikes).
void ApplyChange(CardImage& image, CardChange& change, ChangeJournal* journal,
                 const std::function<void()>& between = {});

// Drops rows whose parent is not in the image (left behind when another
// writer removed the parent), and answers how many went.
size_t DropOrphans(CardImage& image);

}  // namespace embedded
