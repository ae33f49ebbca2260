#include "platform/com/collection.h"

#include "platform/com/describe.h"

namespace com {

const TypeInfo& Collection::DispatchInfo() {
  static const TypeInfo info = Describe<Collection>("_Collection")
                                   .Method("Add", &Collection::Add, {Arg("Item"), Optional("Key")})
                                   .Get("Count", &Collection::Count)
                                   .Get("Item", &Collection::Item, {Arg("Index")}, kDispIdValue)
                                   .Method("Remove", &Collection::Remove, {Arg("Index")})
                                   .Get("NewEnum", &Collection::NewEnum, {}, kDispIdNewEnum)
                                   .Build();
  return info;
}

void KeyedList::Add(const Variant& item, std::optional<std::string> key) {
  if (key) {
    if (keys_.contains(*key)) throw Error(hr::kDuplicateKey);
    keys_.emplace(*key, items_.size());
  }
  bool has_key = key.has_value();
  items_.push_back(Entry{item, has_key ? std::move(*key) : std::string(), has_key});
}

size_t KeyedList::PositionOf(const Variant& index) const {
  if (const std::string* key = index.TryText()) {
    auto it = keys_.find(*key);
    if (it == keys_.end()) throw Error(hr::kInvalidProcedureCall);
    return it->second;
  }
  if (index.IsNull() || index.IsMissing() || index.IsObject()) throw Error(hr::kTypeMismatch);
  int32_t pos = index.ToI4();
  if (pos < 1 || static_cast<size_t>(pos) > items_.size()) throw Error(hr::kSubscriptOutOfRange);
  return static_cast<size_t>(pos - 1);
}

void KeyedList::Remove(const Variant& index) {
  size_t pos = PositionOf(index);
  if (items_[pos].has_key) keys_.erase(items_[pos].key);
  items_.erase(items_.begin() + static_cast<ptrdiff_t>(pos));
  for (auto& [key, at] : keys_) {
    if (at > pos) --at;
  }
}

void KeyedList::Clear() {
  items_.clear();
  keys_.clear();
}

const Variant* KeyedList::Find(std::string_view key) const {
  auto it = keys_.find(key);
  return it == keys_.end() ? nullptr : &items_[it->second].value;
}

Ref<Unknown> KeyedList::NewEnum() {
  std::vector<Variant> values;
  values.reserve(items_.size());
  for (const Entry& e : items_) values.push_back(e.value);
  return MakeEnumerator(std::move(values));
}

}  // namespace com
