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
  Keyed() = default;
  // The items point at their keys in the table: a copy would point at the
  // original's.
  Keyed(const Keyed&) = delete;
  Keyed& operator=(const Keyed&) = delete;

  void Add(T item, std::optional<std::string> key) {
    const std::string* kept = nullptr;
    if (key) {
      const size_t hash = text::NoCaseHash()(*key);
      auto [at, added] = keys_.try_emplace(Key{std::move(*key), hash}, items_.size());
      if (!added) throw Error(hr::kDuplicateKey);
      kept = &at->first.text;
    }
    items_.push_back(Entry{std::move(item), kept});
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
    if (const std::string* key = items_[pos].key) keys_.erase(keys_.find(std::string_view(*key)));
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
  const std::string* key_at(size_t zero_based) const { return items_[zero_based].key; }
  const T* Find(std::string_view key) const {
    auto it = keys_.find(key);
    return it == keys_.end() ? nullptr : &items_[it->second].value;
  }

  template <class F>
  void ForEach(F f) const {
    for (const Entry& e : items_) f(e.value);
  }

 private:
  // A key is kept once, in the table, with its hash: it is hashed when it
  // is added and never again, however the table grows. Lookups by text
  // hash the text they look for.
  struct Key {
    std::string text;
    size_t hash;
  };
  struct KeyHash {
    using is_transparent = void;
    size_t operator()(const Key& key) const noexcept { return key.hash; }
    size_t operator()(std::string_view s) const noexcept { return text::NoCaseHash()(s); }
  };
  struct KeyEqual {
    using is_transparent = void;
    static std::string_view View(const Key& key) { return key.text; }
    static std::string_view View(std::string_view s) { return s; }
    template <class A, class B>
    bool operator()(const A& a, const B& b) const noexcept {
      return text::EqualNoCase(View(a), View(b));
    }
  };
  struct Entry {
    T value;
    const std::string* key = nullptr;  // into keys_; null when the item has none
  };
  std::vector<Entry> items_;
  std::unordered_map<Key, size_t, KeyHash, KeyEqual> keys_;
};

}  // namespace com
