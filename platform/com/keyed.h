#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/com/error.h"
#include "platform/com/text.h"
#include "platform/com/variant.h"

namespace com {

// The rules of the runtime's keyed list, over items of any type: 1-based
// positions in insertion order, optional text keys compared without regard
// to case. An index that holds text is a key (0x800A0005 when absent); any
// other index is a position (0x800A0009 out of range; 0x800A000D when it is
// not a number). Adding a key already present fails with 0x800A01C9.
template <class T>
class Keyed {
 public:
  void Add(T item, std::optional<std::string> key) {
    if (key && !keys_.try_emplace(*key, items_.size()).second) throw Error(hr::kDuplicateKey);
    bool has_key = key.has_value();
    items_.push_back(Entry{std::move(item), has_key ? std::move(*key) : std::string(), has_key});
  }

  // Zero-based position of `index`, or throws as the class comment says.
  size_t PositionOf(const Variant& index) const {
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

  const T& Item(const Variant& index) const { return items_[PositionOf(index)].value; }

  void Remove(const Variant& index) { RemoveAt(PositionOf(index)); }
  void RemoveAt(size_t pos) {
    if (items_[pos].has_key) keys_.erase(items_[pos].key);
    items_.erase(items_.begin() + static_cast<ptrdiff_t>(pos));
    for (auto& [key, at] : keys_) {
      if (at > pos) --at;
    }
  }

  // Room for `items` items, `keys` of them with keys, made at once rather
  // than grown as they are added.
  void Reserve(size_t items, size_t keys) {
    items_.reserve(items);
    keys_.reserve(keys);
  }

  void Clear() {
    items_.clear();
    keys_.clear();
  }

  size_t size() const { return items_.size(); }
  bool empty() const { return items_.empty(); }
  const T& at(size_t zero_based) const { return items_[zero_based].value; }
  // The key of an item, nullptr when it has none.
  const std::string* key_at(size_t zero_based) const {
    return items_[zero_based].has_key ? &items_[zero_based].key : nullptr;
  }
  const T* Find(std::string_view key) const {
    auto it = keys_.find(key);
    return it == keys_.end() ? nullptr : &items_[it->second].value;
  }

  template <class F>
  void ForEach(F f) const {
    for (const Entry& e : items_) f(e.value);
  }

 private:
  struct Entry {
    T value;
    std::string key;
    bool has_key = false;
  };
  std::vector<Entry> items_;
  std::unordered_map<std::string, size_t, text::NoCaseHash, text::NoCaseEqual> keys_;
};

}  // namespace com
