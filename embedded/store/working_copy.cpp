#include "embedded/store/working_copy.h"

#include <algorithm>

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

WorkingCopy::WorkingCopy(const CardTypeDef& type) : type_(type), top_(type.top.size()) {}

RowList& WorkingCopy::Container(RowNode* owner, const SectionDef& s) {
  if (!owner) return top_[s.ordinal];
  if (owner->section == &s) return owner->children;
  return owner->subs[s.ordinal];
}

std::shared_ptr<RowNode> WorkingCopy::Find(const com::Guid& row) const {
  auto it = index_.find(row);
  return it == index_.end() ? nullptr : it->second;
}

RowList WorkingCopy::Collect(const SectionDef& s, bool root_rows_only) const {
  RowList out;
  if (!s.parent) {
    CollectTree(top_[s.ordinal], root_rows_only, out);
    return out;
  }
  // Sub-section rows hang under rows of the parent section at every depth.
  for (const auto& parent : Collect(*s.parent, false)) {
    CollectTree(parent->subs[s.ordinal], root_rows_only, out);
  }
  return out;
}

std::shared_ptr<RowNode> WorkingCopy::AddRow(RowNode* owner, const SectionDef& s, bool defaults) {
  auto node = std::make_shared<RowNode>();
  node->id = com::Guid::Generate();
  node->id_text = node->id.ToString();
  node->section = &s;
  node->parent = owner;
  node->seq = next_seq_++;
  node->fields.reserve(s.fields.size());
  for (const FieldDef& f : s.fields) {
    if (!defaults) {
      node->fields.push_back(com::Variant::Null());
    } else if (f.new_guid) {
      node->fields.emplace_back(com::Guid::Generate().ToString());
    } else {
      node->fields.push_back(f.default_value);
    }
  }
  if (&s == type_.template_section) {
    node->fields[type_.template_field] = com::Variant(int32_t{header_.is_template ? 1 : 0});
  }
  node->subs.resize(s.subsections.size());
  Container(owner, s).push_back(node);
  index_[node->id] = node;
  inserted_.insert(node->id);
  inserted_order_.push_back(node->id);
  ++version_;
  return node;
}

void WorkingCopy::Forget(RowNode& node) {
  for (auto& list : node.subs) {
    for (auto& child : list) Forget(*child);
    list.clear();
  }
  for (auto& child : node.children) Forget(*child);
  node.children.clear();
  if (!inserted_.erase(node.id)) {
    removed_.push_back(node.id);
    if (auto it = index_.find(node.id); it != index_.end()) removed_nodes_[node.id] = it->second;
  }
  updated_.erase(node.id);
  index_.erase(node.id);
  node.deleted = true;
  node.parent = nullptr;
}

void WorkingCopy::RemoveRow(RowNode& node) {
  RowList& list = Container(node.parent, *node.section);
  auto it = std::find_if(list.begin(), list.end(), [&](const auto& p) { return p.get() == &node; });
  std::shared_ptr<RowNode> keep = *it;  // the node lives on for the row objects that hold it
  list.erase(it);
  Forget(node);
  ++version_;
}

void WorkingCopy::ClearRows(RowNode* owner, const SectionDef& s) {
  RowList rows;
  rows.swap(Container(owner, s));
  for (auto& node : rows) Forget(*node);
  ++version_;
}

void WorkingCopy::LogField(const RowNode& node, size_t index) {
  if (inserted_.contains(node.id)) return;  // the whole row goes with the write
  auto& fields = updated_[node.id];
  if (std::find(fields.begin(), fields.end(), index) == fields.end()) fields.push_back(static_cast<uint32_t>(index));
}

bool WorkingCopy::SetField(RowNode& node, size_t index, const com::Variant& value) {
  if (node.fields[index] == value) return false;
  node.fields[index] = value;
  LogField(node, index);
  if (node.section == type_.template_section && static_cast<int>(index) == type_.template_field) {
    EditHeader(kHeaderTemplate).is_template = Truthy(value);
  }
  return true;
}

void WorkingCopy::SetTemplate(bool value) {
  EditHeader(kHeaderTemplate).is_template = value;
  if (!type_.template_section) return;
  RowList& rows = Container(nullptr, *type_.template_section);
  RowNode* row = rows.empty() ? AddRow(nullptr, *type_.template_section, true).get() : rows.front().get();
  // The field is written with the flag even when this view holds its value
  // already: another session may have written the other value since.
  if (!SetField(*row, type_.template_field, com::Variant(int32_t{value ? 1 : 0}))) LogField(*row, type_.template_field);
}

bool WorkingCopy::HasChanges() const {
  return header_dirty_ != 0 || !inserted_.empty() || !removed_.empty() || !updated_.empty();
}

RowRecord WorkingCopy::RecordOf(const RowNode& node) const {
  RowRecord r;
  r.id = node.id;
  r.section = node.section->id;
  if (node.parent) r.parent = node.parent->id;
  r.seq = node.seq;
  for (size_t i = 0; i < node.fields.size(); ++i) {
    if (!node.fields[i].IsNull()) r.fields.emplace_back(node.section->fields[i].name, node.fields[i]);
  }
  return r;
}

CardChange WorkingCopy::PendingChange() const {
  CardChange c;
  c.card = header_.id;
  c.header = header_;
  c.header_parts = header_dirty_;
  for (const com::Guid& id : inserted_order_) {
    if (!inserted_.contains(id)) continue;
    if (auto node = Find(id)) c.inserted.push_back(RecordOf(*node));
  }
  c.removed = removed_;
  for (const auto& [id, fields] : updated_) {
    auto node = Find(id);
    if (!node) continue;
    for (uint32_t i : fields) c.updated.push_back({id, node->section->fields[i].name, node->fields[i]});
  }
  return c;
}

void WorkingCopy::ClearLog() {
  header_dirty_ = 0;
  inserted_order_.clear();
  inserted_.clear();
  removed_.clear();
  updated_.clear();
  removed_nodes_.clear();
}

std::shared_ptr<RowNode> WorkingCopy::Reuse(
    std::unordered_map<com::Guid, std::shared_ptr<RowNode>, com::GuidHash>& old, const RowRecord& rec,
    const SectionDef& s, RowNode* owner) {
  std::shared_ptr<RowNode> node;
  auto it = old.find(rec.id);
  if (it != old.end() && it->second->section == &s) {
    node = std::move(it->second);
    old.erase(it);
  } else {
    node = std::make_shared<RowNode>();
    node->id = rec.id;
    node->id_text = rec.id.ToString();
    node->section = &s;
  }
  node->parent = owner;
  node->seq = rec.seq;
  node->deleted = false;
  node->fields.assign(s.fields.size(), com::Variant::Null());
  for (const auto& [name, value] : rec.fields) {
    if (auto i = s.Field(name)) node->fields[*i] = value;
  }
  node->subs.assign(s.subsections.size(), {});
  node->children.clear();
  index_[node->id] = node;
  return node;
}

void WorkingCopy::Load(const CardImage& image, bool keep_edits) {
  CardImage merged;
  const CardImage* source = &image;
  if (keep_edits && HasChanges()) {
    merged = image;
    CardChange pending = PendingChange();
    pending.header.reset();
    ApplyChange(merged, pending, nullptr);
    source = &merged;
  }
  CardHeader edited = header_;
  const uint32_t header_edited = keep_edits ? header_dirty_ : 0;
  header_ = source->header;
  MergeHeader(header_, edited, header_edited);
  next_seq_ = std::max(next_seq_, source->next_seq);

  // Rows by parent, each group in row order.
  std::unordered_map<com::Guid, std::vector<const RowRecord*>, com::GuidHash> by_parent;
  for (const auto& [id, rec] : source->rows) by_parent[rec.parent].push_back(&rec);
  for (auto& [parent, group] : by_parent) {
    std::sort(group.begin(), group.end(), [](const RowRecord* a, const RowRecord* b) {
      return a->seq != b->seq ? a->seq < b->seq : a->id < b->id;
    });
  }

  auto old = std::move(index_);
  index_.clear();
  for (auto& [id, weak] : removed_nodes_) {
    if (auto node = weak.lock()) old.emplace(id, std::move(node));
  }
  for (RowList& list : top_) list.clear();

  // Attaches the rows under `owner` (the card when null) and below.
  auto attach = [&](auto&& self, RowNode* owner, const com::Guid& owner_id) -> void {
    auto group = by_parent.find(owner_id);
    if (group == by_parent.end()) return;
    for (const RowRecord* rec : group->second) {
      const SectionDef* s = type_.Section(rec->section);
      if (!s) continue;  // a section the schema no longer has
      bool fits = owner ? (s == owner->section ? s->IsTree() : s->parent == owner->section) : s->parent == nullptr;
      if (!fits) continue;
      auto node = Reuse(old, *rec, *s, owner);
      Container(owner, *s).push_back(node);
      self(self, node.get(), node->id);
    }
  };
  attach(attach, nullptr, com::Guid());

  for (auto& [id, node] : old) {
    node->deleted = true;
    node->parent = nullptr;
    for (auto& list : node->subs) list.clear();
    node->children.clear();
  }
  if (keep_edits) {
    std::erase_if(inserted_order_, [&](const com::Guid& id) { return !index_.contains(id); });
    std::erase_if(inserted_, [&](const com::Guid& id) { return !index_.contains(id); });
    std::erase_if(updated_, [&](const auto& entry) { return !index_.contains(entry.first); });
    header_dirty_ = header_edited;
  } else {
    ClearLog();
  }
  ++version_;
}

CardImage WorkingCopy::Image(bool new_ids) const {
  CardImage image;
  image.header = header_;
  image.next_seq = next_seq_;
  std::unordered_map<com::Guid, com::Guid, com::GuidHash> renamed;
  if (new_ids) {
    for (const auto& [id, node] : index_) renamed[id] = com::Guid::Generate();
  }
  auto map = [&](const com::Guid& id) {
    auto it = renamed.find(id);
    return it == renamed.end() ? id : it->second;
  };
  for (const auto& [id, node] : index_) {
    RowRecord r = RecordOf(*node);
    r.id = map(r.id);
    if (!r.parent.IsNull()) r.parent = map(r.parent);
    if (new_ids) {
      for (auto& [name, value] : r.fields) {
        auto i = node->section->Field(name);
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
