#include "embedded/store/card_image.h"

#include <functional>

#include "embedded/store/field_blob.h"
#include "platform/com/error.h"
#include "platform/ostrel/errors.h"

namespace embedded {

void RowRecord::Unpack() {
  if (packed.empty()) return;
  std::optional<FieldList> read = DecodeFields(packed);
  if (!read) {
    throw com::Error(ostrel::err::kStorageFailure, std::string(ostrel::err::kSource),
                     "The fields of row " + id.ToString() + " do not read");
  }
  fields = std::move(*read);
  std::string().swap(packed);
}

const com::Variant* RowRecord::Find(std::string_view field) const {
  for (const auto& [name, value] : fields) {
    if (name == field) return &value;
  }
  return nullptr;
}

com::Variant StoredValue(const RowRecord& row, std::string_view field) {
  if (row.packed.empty()) {
    const com::Variant* value = row.Find(field);
    return value ? *value : com::Variant::Null();
  }
  FieldReader reader(row.packed);
  std::string_view name;
  com::Variant value;
  while (reader.Next(name, value)) {
    if (name == field) return value;
  }
  return com::Variant::Null();
}

bool Conflicts(const RowRecord& stored, const FieldUpdate& update) {
  return update.read && !(StoredValue(stored, update.field) == *update.read);
}

void RowRecord::Set(const std::string& field, const com::Variant& value) {
  Unpack();
  for (auto it = fields.begin(); it != fields.end(); ++it) {
    if (it->first == field) {
      if (value.IsNull()) {
        fields.erase(it);
      } else {
        it->second = value;
      }
      return;
    }
  }
  if (!value.IsNull()) fields.emplace_back(field, value);
}

void MergeHeader(CardHeader& into, const CardHeader& from, uint32_t parts) {
  if (parts & kHeaderDescription) into.description = from.description;
  if (parts & kHeaderName) into.name = from.name;
  if (parts & kHeaderOwner) into.owner_process = from.owner_process;
  if (parts & kHeaderTemplate) into.is_template = from.is_template;
}

void ChangeJournal::Undo(CardImage& image) {
  for (auto it = fields_.rbegin(); it != fields_.rend(); ++it) {
    auto row = image.rows.find(it->row);
    if (row != image.rows.end()) row->second.Set(it->field, it->old_value ? *it->old_value : com::Variant::Null());
  }
  for (auto it = inserted_.rbegin(); it != inserted_.rend(); ++it) image.rows.erase(*it);
  for (auto it = removed_.rbegin(); it != removed_.rend(); ++it) {
    const com::Guid id = it->id;
    image.rows[id] = std::move(*it);
  }
  if (header_) {
    image.header = header_->first;
    image.next_seq = header_->second;
  }
  fields_.clear();
  inserted_.clear();
  removed_.clear();
  header_.reset();
}

void ApplyChange(CardImage& image, CardChange& change, ChangeJournal* journal,
                 const std::function<void()>& between) {
  bool first = true;
  auto step = [&] {
    if (first && between) between();
    first = false;
  };
  if (change.header) {
    if (journal) journal->HeaderChanged(image.header, image.next_seq);
    if (change.create) {
      image.header = *change.header;
    } else {
      MergeHeader(image.header, *change.header, change.header_parts);
      image.header.modified = change.header->modified;
      image.header.modified_by = change.header->modified_by;
    }
    step();
  }
  for (const com::Guid& id : change.removed) {
    auto it = image.rows.find(id);
    if (it == image.rows.end()) continue;
    if (journal) journal->RowRemoved(std::move(it->second));
    image.rows.erase(it);
    step();
  }
  image.rows.reserve(image.rows.size() + change.inserted.size());
  for (RowRecord& row : change.inserted) {
    if (!row.parent.IsNull() && !image.rows.contains(row.parent)) continue;
    const int64_t seq = row.seq;
    auto [it, added] = image.rows.try_emplace(row.id, std::move(row));
    if (!added) continue;
    if (journal) {
      journal->HeaderChanged(image.header, image.next_seq);
      journal->RowInserted(it->first);
    }
    if (seq >= image.next_seq) image.next_seq = seq + 1;
    step();
  }
  for (const FieldUpdate& u : change.updated) {
    auto it = image.rows.find(u.row);
    if (it == image.rows.end()) continue;
    it->second.Unpack();
    if (journal) {
      const com::Variant* old = it->second.Find(u.field);
      journal->FieldChanged(u.row, u.field, old ? std::optional<com::Variant>(*old) : std::nullopt);
    }
    it->second.Set(u.field, u.value);
    step();
  }
}

size_t DropOrphans(CardImage& image) {
  size_t dropped = 0;
  bool again = true;
  while (again) {
    again = false;
    for (auto it = image.rows.begin(); it != image.rows.end();) {
      const com::Guid& parent = it->second.parent;
      if (!parent.IsNull() && !image.rows.contains(parent)) {
        it = image.rows.erase(it);
        ++dropped;
        again = true;
      } else {
        ++it;
      }
    }
  }
  return dropped;
}

}  // namespace embedded
