#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "platform/com/error.h"
#include "platform/com/guid.h"
#include "platform/ostrel/errors.h"

namespace embedded {

// A map by GUID for the large tables of the store (a card's rows, an open
// card's index of rows). The entries stand in a dense vector (in the order
// they were added, except that an erase moves the last entry into the gap),
// found through an open-addressing table of positions, at most half full: a
// card of tens of thousands of rows is read, copied and dropped as a few
// large blocks instead of a node per row. A map holds at most kMaxSize
// entries; more fail with com::hr::kOutOfMemory. Iterators and references
// are those of a vector: adding or erasing an entry invalidates them.
template <class T>
class GuidMap {
 public:
  using Guid = com::Guid;
  using value_type = std::pair<Guid, T>;
  using iterator = typename std::vector<value_type>::iterator;
  using const_iterator = typename std::vector<value_type>::const_iterator;
  // A slot holds an entry's position + 1.
  static constexpr size_t kMaxSize = UINT32_MAX - 1;

  iterator begin() { return entries_.begin(); }
  iterator end() { return entries_.end(); }
  const_iterator begin() const { return entries_.begin(); }
  const_iterator end() const { return entries_.end(); }
  size_t size() const { return entries_.size(); }
  bool empty() const { return entries_.empty(); }

  // Room for `n` entries. Growing in steps of at least double, so that a
  // caller that reserves a little more before each few additions does not
  // copy the whole map every time.
  void reserve(size_t n) {
    if (n > kMaxSize) TooLarge();
    if (n > entries_.capacity()) entries_.reserve(std::max(n, 2 * entries_.capacity()));
    size_t slots = 16;
    while (slots < 2 * n) slots *= 2;
    if (slots > slots_.size()) Rehash(slots);
  }
  void clear() {
    entries_.clear();
    std::fill(slots_.begin(), slots_.end(), 0u);
  }

  iterator find(const Guid& id) {
    size_t p = Position(id);
    return p == kNone ? entries_.end() : entries_.begin() + static_cast<std::ptrdiff_t>(p);
  }
  const_iterator find(const Guid& id) const {
    size_t p = Position(id);
    return p == kNone ? entries_.end() : entries_.begin() + static_cast<std::ptrdiff_t>(p);
  }
  bool contains(const Guid& id) const { return Position(id) != kNone; }
  // Throws std::out_of_range for an ID that is not there: the callers look
  // up only IDs the map holds.
  T& at(const Guid& id) { return entries_[Existing(id)].second; }
  const T& at(const Guid& id) const { return entries_[Existing(id)].second; }
  // The value of that ID, added default-made when there is none.
  T& operator[](const Guid& id) { return try_emplace(id, T()).first->second; }

  // Adds the value unless the ID is there; `value` is moved from only when
  // added.
  std::pair<iterator, bool> try_emplace(const Guid& id, T&& value) {
    // The probe that finds the ID absent ends at the slot a new entry
    // takes, unless the table must grow first.
    Probe probe{kNone, kNone};
    if (!slots_.empty()) {
      probe = ProbeFor(id);
      if (probe.position != kNone) return {entries_.begin() + static_cast<std::ptrdiff_t>(probe.position), false};
    }
    if (entries_.size() >= kMaxSize) TooLarge();
    if (2 * (entries_.size() + 1) > slots_.size()) {
      Rehash(slots_.empty() ? 16 : 2 * slots_.size());
      entries_.emplace_back(id, std::move(value));
      Place(entries_.size() - 1);
    } else {
      entries_.emplace_back(id, std::move(value));
      slots_[probe.slot] = static_cast<uint32_t>(entries_.size());
    }
    return {entries_.end() - 1, true};
  }
  std::pair<iterator, bool> emplace(const Guid& id, T value) { return try_emplace(id, std::move(value)); }

  // A map of the same IDs in the same order, each value made by
  // `make(id, value)` from this map's value (which it may move from). The
  // table of positions is taken over, so no ID is placed again; this map
  // is left empty.
  template <class U, class F>
  GuidMap<U> Transform(F&& make) && {
    GuidMap<U> out;
    out.entries_.reserve(entries_.size());
    for (auto& [id, value] : entries_) out.entries_.emplace_back(id, make(id, value));
    out.slots_ = std::move(slots_);
    out.mask_ = mask_;
    entries_.clear();
    slots_.clear();
    mask_ = 0;
    return out;
  }

  size_t erase(const Guid& id) {
    auto it = find(id);
    if (it == entries_.end()) return 0;
    erase(it);
    return 1;
  }
  // Erases the entry and answers the position it had, which now holds the
  // entry that was last (end() when it was the last).
  iterator erase(iterator it) {
    const size_t p = static_cast<size_t>(it - entries_.begin());
    // Empty the entry's slot, shifting back the slots after it that would
    // no longer be reached (linear probing without tombstones): an entry
    // moves to the hole unless its home slot lies after the hole and at or
    // before its own slot, going round the table.
    size_t hole = SlotOf(it->first, p);
    for (size_t j = (hole + 1) & mask_; slots_[j] != 0; j = (j + 1) & mask_) {
      const size_t home = Home(entries_[slots_[j] - 1].first);
      const bool stays = hole < j ? (home > hole && home <= j) : (home > hole || home <= j);
      if (!stays) {
        slots_[hole] = slots_[j];
        hole = j;
      }
    }
    slots_[hole] = 0;
    // The last entry fills the gap.
    const size_t last = entries_.size() - 1;
    if (p != last) {
      const size_t moved = SlotOf(entries_[last].first, last);
      slots_[moved] = static_cast<uint32_t>(p + 1);
      entries_[p] = std::move(entries_[last]);
    }
    entries_.pop_back();
    return entries_.begin() + static_cast<std::ptrdiff_t>(p);
  }

 private:
  template <class>
  friend class GuidMap;
  static constexpr size_t kNone = ~size_t{0};
  [[noreturn]] static void TooLarge() {
    throw com::Error(com::hr::kOutOfMemory, std::string(ostrel::err::kSource),
                     "A card holds at most " + std::to_string(kMaxSize) + " rows");
  }

  size_t Home(const Guid& id) const { return com::GuidHash()(id) & mask_; }
  // Where a look-up of the ID ends: the entry's position (kNone when
  // absent) and the slot it stopped at (the empty slot that a new entry of
  // that ID would take, when absent). The table is not empty.
  struct Probe {
    size_t position;
    size_t slot;
  };
  Probe ProbeFor(const Guid& id) const {
    for (size_t i = Home(id);; i = (i + 1) & mask_) {
      const uint32_t slot = slots_[i];
      if (slot == 0) return {kNone, i};
      if (entries_[slot - 1].first == id) return {slot - 1, i};
    }
  }
  // The entry's position, kNone when absent.
  size_t Position(const Guid& id) const {
    if (slots_.empty()) return kNone;
    return ProbeFor(id).position;
  }
  size_t Existing(const Guid& id) const {
    size_t p = Position(id);
    if (p == kNone) throw std::out_of_range("no entry " + id.ToString());
    return p;
  }
  // The table slot that holds `position`.
  size_t SlotOf(const Guid& id, size_t position) const {
    size_t i = Home(id);
    while (slots_[i] != position + 1) i = (i + 1) & mask_;
    return i;
  }
  void Place(size_t position) {
    size_t i = Home(entries_[position].first);
    while (slots_[i] != 0) i = (i + 1) & mask_;
    slots_[i] = static_cast<uint32_t>(position + 1);
  }
  void Rehash(size_t slots) {
    slots_.assign(slots, 0u);
    mask_ = slots - 1;
    for (size_t p = 0; p < entries_.size(); ++p) Place(p);
  }

  std::vector<value_type> entries_;
  std::vector<uint32_t> slots_;
  size_t mask_ = 0;
};

}  // namespace embedded
