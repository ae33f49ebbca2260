#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <unordered_map>
#include <vector>

#include "embedded/store/card_image.h"
#include "embedded/store/schema.h"

namespace embedded {

// The fields of one row of an open card, by the section's field index. A
// row opened from a store file keeps its fields packed (the file's form,
// checked when it was read) until one is first used: opening a large card
// then costs little more than reading it, and rows nobody looks at are
// never unpacked.
class RowFields {
 public:
  // Packed fields of `section`, read on first use.
  void SetPacked(std::string packed, const SectionDef& section) {
    values_.clear();
    packed_ = std::move(packed);
    section_ = &section;
  }
  bool packed() const { return !packed_.empty(); }

  size_t size() const { return packed() ? section_->fields.size() : values_.size(); }
  com::Variant& operator[](size_t i) { return Values()[i]; }
  const com::Variant& operator[](size_t i) const { return Values()[i]; }
  std::vector<com::Variant>::const_iterator begin() const { return Values().begin(); }
  std::vector<com::Variant>::const_iterator end() const { return Values().end(); }
  void reserve(size_t n) { values_.reserve(n); }
  void assign(size_t n, const com::Variant& value) {
    std::string().swap(packed_);
    values_.assign(n, value);
  }
  void assign(const std::vector<com::Variant>& values) {
    std::string().swap(packed_);
    values_ = values;
  }
  template <class... A>
  void emplace_back(A&&... args) {
    values_.emplace_back(std::forward<A>(args)...);
  }
  void push_back(const com::Variant& value) { values_.push_back(value); }

 private:
  std::vector<com::Variant>& Values() const {
    if (packed()) Unpack();
    return values_;
  }
  void Unpack() const;

  mutable std::vector<com::Variant> values_;
  mutable std::string packed_;
  const SectionDef* section_ = nullptr;
};

// A row ID's text, "{UPPER-CASE}", made where it is needed without an
// allocation of its own.
class IdText {
 public:
  IdText() = default;
  explicit IdText(const com::Guid& id) { id.FormatTo(chars_.data()); }
  std::string_view view() const { return {chars_.data(), chars_.size()}; }
  operator std::string_view() const { return view(); }
  std::string str() const { return std::string(view()); }

 private:
  std::array<char, 38> chars_{};
};

// One row of an open card. Row objects handed to clients hold the node, so
// a node outlives its removal (then `deleted` is set) and survives a
// reload of the card, which updates it in place.
struct RowNode {
  com::Guid id;
  const SectionDef* section = nullptr;
  // The owning row of a sub-section row or the parent of a tree child;
  // null for a card-level row and for a removed one.
  RowNode* parent = nullptr;
  int64_t seq = 0;
  RowFields fields;
  // By sub-section ordinal; empty until the rows of one are first reached
  // (WorkingCopy::Container), since most rows never have any.
  std::vector<std::vector<std::shared_ptr<RowNode>>> subs;
  std::vector<std::shared_ptr<RowNode>> children;           // tree child rows
  bool deleted = false;
  // The log, kept on the row so that a change costs no look-up: the row was
  // added since the last write (it goes whole), or these fields of a
  // written row were set (by field index, each once).
  bool inserted = false;
  std::vector<uint32_t> dirty;
  // For each of `dirty`, the value the field held when this session last
  // read the card (the value the edit was made over), which the write
  // checks against the stored one; unset for a value taken over whatever
  // is stored (the template flag).
  std::vector<std::optional<com::Variant>> read;
  // Set while WorkingCopy::Load walks the rows the card reaches.
  bool reached = false;
};

using RowList = std::vector<std::shared_ptr<RowNode>>;

// The rows of one open card as its session sees them, and the log of what
// changed since they were last written: rows added, rows removed, fields
// set. A write takes the log (PendingChange), so it costs what changed.
class WorkingCopy {
 public:
  explicit WorkingCopy(const CardTypeDef& type);
  ~WorkingCopy();
  WorkingCopy(const WorkingCopy&) = delete;
  WorkingCopy& operator=(const WorkingCopy&) = delete;

  const CardTypeDef& type() const { return type_; }
  const CardHeader& header() const { return header_; }
  // Header edits are logged by part (HeaderPart): the next write takes over
  // only the parts edited since the last write or reload.
  CardHeader& EditHeader(HeaderPart part) {
    header_dirty_ |= part;
    return header_;
  }

  // Rows added or removed anywhere, or the card reloaded: views that list
  // rows of several containers rebuild their lists when it moves.
  uint64_t version() const { return version_; }

  // The container of rows of section `s` under `owner` (null: the card).
  RowList& Container(RowNode* owner, const SectionDef& s);
  std::shared_ptr<RowNode> Find(const com::Guid& row) const;
  // Every row of section `s` in the card, depth-first in row order: under
  // every parent row for a sub-section, tree children after their parent
  // unless `root_rows_only`.
  RowList Collect(const SectionDef& s, bool root_rows_only) const;

  // A new row at the end of the container, with the schema's defaults when
  // `defaults` (Null fields otherwise).
  std::shared_ptr<RowNode> AddRow(RowNode* owner, const SectionDef& s, bool defaults);
  // Removes the row from its container, with its sub-section and child rows.
  void RemoveRow(RowNode& node);
  void ClearRows(RowNode* owner, const SectionDef& s);
  // Sets an already converted value; false when the field of a written row
  // held it already (a row added since the last write is written whole).
  // Inline for such a row, which an import sets field after field.
  bool SetField(RowNode& node, size_t index, com::Variant&& value) {
    if (node.inserted && node.section != type_.template_section) {
      node.fields[index] = std::move(value);
      return true;
    }
    return SetLogged(node, index, std::move(value));
  }
  // Sets the template flag and, for a type with a template field, the field
  // (making the single row when there is none).
  void SetTemplate(bool value);
  // The card was written at `modified`.
  void SetModified(const com::Date& modified) { header_.modified = modified; }
  // A value the platform writes itself (a row timestamp), not logged.
  void Stamp(RowNode& node, size_t index, const com::Variant& value) { node.fields[index] = value; }

  bool HasChanges() const;
  // How many writes the card had when it was last loaded (CardImage::writes).
  int64_t loaded_writes() const { return writes_; }
  // The log as a change of the card; the header always goes with it (for
  // the modified date), naming the parts edited.
  CardChange PendingChange() const;
  void ClearLog();

  // Replaces the rows by the written state `image` (whose field values it
  // takes); with `keep_edits`, the logged edits are applied on top again
  // and stay logged. Nodes of rows that remain are updated in place; those
  // of rows that went are marked deleted.
  void Load(CardImage image, bool keep_edits);
  // The rows as they stand, as a card image: with `new_ids`, every row gets
  // a new ID and row references into the card follow.
  CardImage Image(bool new_ids) const;

 private:
  RowRecord RecordOf(const RowNode& node) const;
  // SetField of a written row (logged by field) or of the template field.
  bool SetLogged(RowNode& node, size_t index, com::Variant&& value);
  // Logs a field of the row as set over the value `read`.
  void LogField(RowNode& node, size_t index, std::optional<com::Variant> read);
  void Forget(RowNode& node);
  using Index = GuidMap<std::shared_ptr<RowNode>>;
  // The index with every row added so far: rows are entered when the index
  // is first used after they were added, in one step sized for all of them.
  // Many cards never look a row up by ID before they close (an import that
  // adds tens of thousands of rows holds every row object it needs), and
  // one large step costs less than as many single entries.
  Index& Indexed() const;
  // The node for a written row: the one of the same ID in `old` when there
  // is one (row objects hold it), a new one otherwise; its fields taken
  // from `rec`.
  std::shared_ptr<RowNode> Reuse(Index& old, RowRecord& rec, const SectionDef& s);
  // The steps of Load. ReapplyEdits: the logged edits made over `image`.
  // TakeNodes: the nodes of the rows as they stood, with those of rows
  // removed since the last write, by ID. PlaceRows: a node for every row of
  // the image (taken from `old` where there is one), placed under its
  // parent. DropUnreached: rows the card does not reach go to `old`.
  // Retire: the nodes left in `old` are marked deleted.
  void ReapplyEdits(CardImage& image);
  Index TakeNodes();
  void PlaceRows(RowMap rows, Index& old);
  void DropUnreached(Index& old);
  static void Retire(Index& old);
  // Drops entries of the log whose rows went, and compacts it.
  void PruneLog();
  // PruneLog when the entries of rows that went outnumber the others.
  void CompactLog();

  const CardTypeDef& type_;
  CardHeader header_;
  uint32_t header_dirty_ = 0;  // HeaderPart bits edited
  std::vector<RowList> top_;
  mutable Index index_;
  mutable RowList unindexed_;  // rows added and not yet in index_, in order
  int64_t next_seq_ = 1;
  int64_t writes_ = 0;  // CardImage::writes of the image last loaded
  uint64_t version_ = 0;

  // The log: the rows flagged `inserted` in the order they were added, the
  // rows with `dirty` fields in the order they were first set. A row that
  // goes is unflagged and stays listed until the next prune; the counts are
  // of flagged rows.
  std::vector<std::shared_ptr<RowNode>> inserted_;
  std::vector<std::shared_ptr<RowNode>> updated_;
  size_t inserted_count_ = 0;
  size_t updated_count_ = 0;
  std::vector<com::Guid> removed_;
  // Nodes of written rows removed since the last write: a reload that
  // brings the rows back (a cancelled bracket) revives them for the row
  // objects that still hold them.
  std::unordered_map<com::Guid, std::weak_ptr<RowNode>, com::GuidHash> removed_nodes_;
};

}  // namespace embedded
