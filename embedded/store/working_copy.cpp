#include "embedded/store/working_copy.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "embedded/store/field_blob.h"
#include "platform/com/error.h"
#include "platform/ostrel/errors.h"
#include "platform/ostrel/field_type_codes.h"

namespace embedded {
namespace {

bool Truthy(const com::Variant& v) {
  if (v.IsNull() || v.IsEmpty()) return false;
  try {
    return v.ToBool();
  } catch (const com::Error&) {
    return false;  // a value that is no Boolean does not make a template
  }
}

void CollectTree(const RowList& rows, bool root_rows_only, RowList& out) {
  for (const auto& node : rows) {
    out.push_back(node);
    if (!root_rows_only) CollectTree(node->children, false, out);
  }
}

}  // namespace

void RowFields::Unpack() const {
  std::vector<com::Variant> values(section_->fields.size(), com::Variant::Null());
  FieldReader reader(packed_);
  std::string_view name;
  com::Variant value;
  while (reader.Next(name, value)) {
    if (auto i = section_->FieldIndex(name)) values[*i] = std::move(value);
  }
  // The file's reader checked the form when it read the row.
  if (reader.failed()) {
    throw com::Error(ostrel::err::kStorageFailure, std::string(ostrel::err::kSource), "A row's fields do not read");
  }
  values_ = std::move(values);
  std::string().swap(packed_);
}

WorkingCopy::WorkingCopy(const CardTypeDef& type) : type_(type), top_(type.top.size()) {}

WorkingCopy::~WorkingCopy() {
  // The rows go in the order they were read or added rather than parent by
  // parent: a closing card of many rows then passes over their memory once,
  // front to back.
  Index& index = Indexed();
  for (auto& [id, node] : index) {
    node->subs.clear();
    node->children.clear();
  }
  top_.clear();
  index.clear();
}

RowList& WorkingCopy::Container(RowNode* owner, const SectionDef& s) {
  if (!owner) return top_[s.ordinal];
  if (owner->section == &s) return owner->children;
  if (owner->subs.empty()) owner->subs.resize(owner->section->subsections.size());
  return owner->subs[s.ordinal];
}

WorkingCopy::Index& WorkingCopy::Indexed() const {
  if (!unindexed_.empty()) {
    index_.reserve(index_.size() + unindexed_.size());
    for (std::shared_ptr<RowNode>& node : unindexed_) {
      const com::Guid id = node->id;
      index_.emplace(id, std::move(node));
    }
    unindexed_.clear();
  }
  return index_;
}

std::shared_ptr<RowNode> WorkingCopy::Find(const com::Guid& row) const {
  const Index& index = Indexed();
  auto it = index.find(row);
  return it == index.end() ? nullptr : it->second;
}

RowList WorkingCopy::Collect(const SectionDef& s, bool root_rows_only) const {
  RowList out;
  if (!s.parent) {
    CollectTree(top_[s.ordinal], root_rows_only, out);
    return out;
  }
  // Sub-section rows hang under rows of the parent section at every depth.
  for (const auto& parent : Collect(*s.parent, false)) {
    if (!parent->subs.empty()) CollectTree(parent->subs[s.ordinal], root_rows_only, out);
  }
  return out;
}

std::shared_ptr<RowNode> WorkingCopy::AddRow(RowNode* owner, const SectionDef& s, bool defaults) {
  auto node = std::make_shared<RowNode>();
  node->id = com::Guid::Generate();
  node->section = &s;
  node->parent = owner;
  node->seq = next_seq_++;
  if (defaults) {
    node->fields.assign(s.new_row);
    for (uint32_t i : s.new_guid_fields) node->fields[i] = com::Variant(com::Guid::Generate().ToString());
  } else {
    node->fields.assign(s.fields.size(), com::Variant::Null());
  }
  if (&s == type_.template_section) {
    node->fields[type_.template_field] = com::Variant(int32_t{header_.is_template ? 1 : 0});
  }
  node->inserted = true;
  Container(owner, s).push_back(node);
  unindexed_.push_back(node);
  inserted_.push_back(node);
  ++inserted_count_;
  ++version_;
  return node;
}

void WorkingCopy::Forget(RowNode& node) {
  Index& index = Indexed();
  for (auto& list : node.subs) {
    for (auto& child : list) Forget(*child);
    list.clear();
  }
  for (auto& child : node.children) Forget(*child);
  node.children.clear();
  if (node.inserted) {
    node.inserted = false;
    --inserted_count_;
  } else {
    removed_.push_back(node.id);
    if (auto it = index.find(node.id); it != index.end()) removed_nodes_[node.id] = it->second;
  }
  if (!node.dirty.empty()) {
    node.dirty.clear();
    node.read.clear();
    --updated_count_;
  }
  index.erase(node.id);
  node.deleted = true;
  node.parent = nullptr;
}

void WorkingCopy::RemoveRow(RowNode& node) {
  RowList& list = Container(node.parent, *node.section);
  auto it = std::find_if(list.begin(), list.end(), [&](const auto& p) { return p.get() == &node; });
  std::shared_ptr<RowNode> keep = *it;  // the node lives on for the row objects that hold it
  list.erase(it);
  Forget(node);
  CompactLog();
  ++version_;
}

void WorkingCopy::ClearRows(RowNode* owner, const SectionDef& s) {
  RowList rows;
  rows.swap(Container(owner, s));
  for (auto& node : rows) Forget(*node);
  CompactLog();
  ++version_;
}

void WorkingCopy::LogField(RowNode& node, size_t index, std::optional<com::Variant> read) {
  if (node.inserted) return;  // the whole row goes with the write
  if (node.dirty.empty()) {
    updated_.push_back(Indexed().at(node.id));
    ++updated_count_;
  } else if (std::find(node.dirty.begin(), node.dirty.end(), index) != node.dirty.end()) {
    return;  // what was read is what the first edit since the last read saw
  }
  node.dirty.push_back(static_cast<uint32_t>(index));
  node.read.push_back(std::move(read));
}

bool WorkingCopy::SetLogged(RowNode& node, size_t index, com::Variant&& value) {
  // A row added since the last write goes whole: whether the value is new
  // does not matter.
  if (!node.inserted && node.fields[index] == value) return false;
  com::Variant read = std::exchange(node.fields[index], std::move(value));
  LogField(node, index, std::move(read));
  if (node.section == type_.template_section && static_cast<int>(index) == type_.template_field) {
    EditHeader(kHeaderTemplate).is_template = Truthy(node.fields[index]);
  }
  return true;
}

void WorkingCopy::SetTemplate(bool value) {
  EditHeader(kHeaderTemplate).is_template = value;
  if (!type_.template_section) return;
  RowList& rows = Container(nullptr, *type_.template_section);
  RowNode* row = rows.empty() ? AddRow(nullptr, *type_.template_section, true).get() : rows.front().get();
  // The field is written with the flag even when this view holds its value
  // already: another session may have written the other value since. Like
  // the header's flag, it is taken over whatever the stored value is now.
  if (!SetField(*row, type_.template_field, com::Variant(int32_t{value ? 1 : 0}))) {
    LogField(*row, type_.template_field, std::nullopt);
  }
  if (!row->inserted) {
    auto at = std::find(row->dirty.begin(), row->dirty.end(), static_cast<uint32_t>(type_.template_field));
    row->read[static_cast<size_t>(at - row->dirty.begin())].reset();
  }
}

bool WorkingCopy::HasChanges() const {
  return header_dirty_ != 0 || inserted_count_ != 0 || !removed_.empty() || updated_count_ != 0;
}

RowRecord WorkingCopy::RecordOf(const RowNode& node) const {
  RowRecord r;
  r.id = node.id;
  r.section = node.section->id;
  if (node.parent) r.parent = node.parent->id;
  r.seq = node.seq;
  // Packed: the values are written, not kept, so they are not copied; the
  // names' part of the form is the section's, made once.
  const size_t n = node.fields.size();
  if (n) EncodeRow(node.section->packed_names.data(), &*node.fields.begin(), n, r.packed);
  return r;
}

CardChange WorkingCopy::PendingChange() const {
  CardChange c;
  c.card = header_.id;
  c.header = header_;
  c.header_parts = header_dirty_;
  c.inserted.reserve(inserted_count_);
  for (const auto& node : inserted_) {
    if (node->inserted) c.inserted.push_back(RecordOf(*node));
  }
  c.removed = removed_;
  for (const auto& node : updated_) {
    for (size_t k = 0; k < node->dirty.size(); ++k) {
      const uint32_t i = node->dirty[k];
      c.updated.push_back({node->id, node->section->fields[i].name, node->fields[i], node->read[k]});
    }
  }
  return c;
}

void WorkingCopy::ClearLog() {
  header_dirty_ = 0;
  for (const auto& node : inserted_) node->inserted = false;
  for (const auto& node : updated_) {
    node->dirty.clear();
    node->read.clear();
  }
  inserted_.clear();
  updated_.clear();
  inserted_count_ = updated_count_ = 0;
  removed_.clear();
  removed_nodes_.clear();
}

void WorkingCopy::CompactLog() {
  // Rows added and removed again in one bracket leave entries behind; they
  // go once they outnumber the live ones, so the log stays the size of
  // what changed.
  if (inserted_.size() > 2 * inserted_count_ + 64 || updated_.size() > 2 * updated_count_ + 64) PruneLog();
}

void WorkingCopy::PruneLog() {
  std::erase_if(inserted_, [](const auto& node) { return !node->inserted; });
  std::erase_if(updated_, [](const auto& node) { return node->dirty.empty(); });
  inserted_count_ = inserted_.size();
  updated_count_ = updated_.size();
}

std::shared_ptr<RowNode> WorkingCopy::Reuse(Index& old, RowRecord& rec, const SectionDef& s) {
  std::shared_ptr<RowNode> node;
  if (!old.empty()) {
    auto it = old.find(rec.id);
    if (it != old.end() && it->second->section == &s) {
      node = std::move(it->second);
      old.erase(it);
    }
  }
  if (!node) {
    node = std::make_shared<RowNode>();
    node->id = rec.id;
    node->section = &s;
  }
  node->parent = nullptr;
  node->seq = rec.seq;
  node->deleted = false;
  if (!rec.packed.empty()) {
    node->fields.SetPacked(std::move(rec.packed), s);
  } else {
    node->fields.assign(s.fields.size(), com::Variant::Null());
    for (auto& [name, value] : rec.fields) {
      if (auto i = s.FieldIndex(name)) node->fields[*i] = std::move(value);
    }
  }
  node->subs.clear();
  node->children.clear();
  return node;
}

void WorkingCopy::Load(CardImage image, bool keep_edits) {
  if (keep_edits && HasChanges()) ReapplyEdits(image);
  const uint32_t header_edited = keep_edits ? header_dirty_ : 0;
  CardHeader edited = header_;
  header_ = std::move(image.header);
  MergeHeader(header_, edited, header_edited);
  next_seq_ = std::max(next_seq_, image.next_seq);
  writes_ = image.writes;

  Index old = TakeNodes();
  PlaceRows(std::move(image.rows), old);
  DropUnreached(old);
  Retire(old);
  if (keep_edits) {
    PruneLog();
    header_dirty_ = header_edited;
  } else {
    ClearLog();
  }
  ++version_;
}

void WorkingCopy::ReapplyEdits(CardImage& image) {
  // The edits kept are now made over what was read this time: a write
  // conflicts only with changes made after this read.
  for (const auto& node : updated_) {
    if (node->dirty.empty()) continue;
    auto stored = image.rows.find(node->id);
    if (stored == image.rows.end()) continue;  // the row went: so do its edits
    for (size_t k = 0; k < node->dirty.size(); ++k) {
      if (node->read[k]) node->read[k] = StoredValue(stored->second, node->section->fields[node->dirty[k]].name);
    }
  }
  CardChange pending = PendingChange();
  pending.header.reset();
  ApplyChange(image, pending, nullptr);
}

WorkingCopy::Index WorkingCopy::TakeNodes() {
  Index old = std::move(Indexed());
  for (auto& [id, weak] : removed_nodes_) {
    if (auto node = weak.lock()) old.emplace(id, std::move(node));
  }
  for (RowList& list : top_) list.clear();
  return old;
}

void WorkingCopy::PlaceRows(RowMap rows, Index& old) {
  // The index is the image's table of rows with nodes for values (null for
  // a row of a section the schema no longer has), in the image's order.
  std::vector<com::Guid> parents;
  parents.reserve(rows.size());
  const SectionDef* s = nullptr;
  index_ = std::move(rows).Transform<std::shared_ptr<RowNode>>(
      [&](const com::Guid&, RowRecord& rec) -> std::shared_ptr<RowNode> {
        parents.push_back(rec.parent);
        if (!s || s->id != rec.section) s = type_.Section(rec.section);
        return s ? Reuse(old, rec, *s) : nullptr;
      });
  // Each under its parent: the card for a card-level row, the owning row
  // for a sub-section row, the parent row for a tree child.
  std::vector<RowList*> filled;
  for (size_t position = 0; position < parents.size(); ++position) {
    const std::shared_ptr<RowNode>& handle = index_.begin()[static_cast<std::ptrdiff_t>(position)].second;
    if (!handle) continue;
    RowNode* owner = nullptr;
    if (!parents[position].IsNull()) {
      auto it = index_.find(parents[position]);
      if (it == index_.end() || !it->second) continue;  // its parent went (or has a section the schema lacks)
      owner = it->second.get();
    }
    const SectionDef& ns = *handle->section;
    const bool fits = owner ? (&ns == owner->section ? ns.IsTree() : ns.parent == owner->section) : !ns.parent;
    if (!fits) continue;
    RowList& list = Container(owner, ns);
    if (list.empty()) filled.push_back(&list);
    handle->parent = owner;
    list.push_back(handle);
  }
  for (RowList* list : filled) {
    std::sort(list->begin(), list->end(), [](const auto& a, const auto& b) {
      return a->seq != b->seq ? a->seq < b->seq : a->id < b->id;
    });
  }
  for (auto it = index_.begin(); it != index_.end();) it = it->second ? it + 1 : index_.erase(it);
}

void WorkingCopy::DropUnreached(Index& old) {
  // Rows not reached from the card (under a row that went or did not fit,
  // or in a loop of parents) are not the card's.
  auto mark = [](auto&& self, const RowList& rows) -> void {
    for (const auto& node : rows) {
      node->reached = true;
      for (const RowList& sub : node->subs) self(self, sub);
      self(self, node->children);
    }
  };
  for (const RowList& list : top_) mark(mark, list);
  for (auto it = index_.begin(); it != index_.end();) {
    if (std::exchange(it->second->reached, false)) {
      ++it;
      continue;
    }
    old.emplace(it->first, std::move(it->second));
    it = index_.erase(it);
  }
}

void WorkingCopy::Retire(Index& old) {
  for (auto& [id, node] : old) {
    node->deleted = true;
    node->parent = nullptr;
    node->subs.clear();
    node->children.clear();
    node->inserted = false;
    node->dirty.clear();
    node->read.clear();
  }
}

CardImage WorkingCopy::Image(bool new_ids) const {
  CardImage image;
  image.header = header_;
  image.next_seq = next_seq_;
  const Index& index = Indexed();
  image.rows.reserve(index.size());
  std::unordered_map<com::Guid, com::Guid, com::GuidHash> renamed;
  if (new_ids) {
    for (const auto& [id, node] : index) renamed[id] = com::Guid::Generate();
  }
  auto map = [&](const com::Guid& id) {
    auto it = renamed.find(id);
    return it == renamed.end() ? id : it->second;
  };
  for (const auto& [id, node] : index) {
    RowRecord r = RecordOf(*node);
    if (new_ids) r.Unpack();  // for the row references below
    r.id = map(r.id);
    if (!r.parent.IsNull()) r.parent = map(r.parent);
    if (new_ids) {
      for (auto& [name, value] : r.fields) {
        auto i = node->section->FieldIndex(name);
        if (!i || node->section->fields[*i].code != ostrel::field_type::kRowRef || !value.IsText()) continue;
        if (auto target = com::Guid::Parse(*value.TryText()); target && renamed.contains(*target)) {
          value = com::Variant(renamed.at(*target).ToString());
        }
      }
    }
    image.rows.emplace(r.id, std::move(r));
  }
  return image;
}

}  // namespace embedded
