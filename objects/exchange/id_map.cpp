#include "objects/exchange/id_map.h"

#include <array>

#include "objects/common/ids.h"
#include "platform/com/error.h"
#include "platform/com/text.h"

namespace vorlane {
namespace {

constexpr size_t kGuidText = 36;  // "XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX"

// The value of each hexadecimal digit; 0xFF for any other byte.
constexpr std::array<uint8_t, 256> kHexValue = [] {
  std::array<uint8_t, 256> table{};
  table.fill(0xFF);
  for (int c = '0'; c <= '9'; ++c) table[c] = static_cast<uint8_t>(c - '0');
  for (int c = 'A'; c <= 'F'; ++c) table[c] = static_cast<uint8_t>(c - 'A' + 10);
  for (int c = 'a'; c <= 'f'; ++c) table[c] = static_cast<uint8_t>(c - 'a' + 10);
  return table;
}();

// Where the 32 digits of "XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX" stand.
constexpr std::array<uint8_t, 32> kDigitAt = [] {
  std::array<uint8_t, 32> at{};
  size_t n = 0;
  for (uint8_t i = 0; i < 36; ++i) {
    if (i != 8 && i != 13 && i != 18 && i != 23) at[n++] = i;
  }
  return at;
}();

// Sixteen digits from `at` of kDigitAt into one half; false when one of
// them is not a hexadecimal digit.
bool ReadHalf(std::string_view id, size_t from, uint64_t& half) {
  uint64_t value = 0;
  uint8_t bad = 0;
  for (size_t i = from; i < from + 16; ++i) {
    const uint8_t d = kHexValue[static_cast<unsigned char>(id[kDigitAt[i]])];
    bad |= d;
    value = value << 4 | (d & 0xF);
  }
  half = value;
  return (bad & 0xF0) == 0;
}

size_t Hash(uint64_t high, uint64_t low) {
  uint64_t h = high * 0x9E3779B97F4A7C15ull ^ low;
  h ^= h >> 32;
  h *= 0xD6E8FEB86659FD93ull;
  h ^= h >> 32;
  return static_cast<size_t>(h);
}

}  // namespace

std::optional<IdMap::Key> IdMap::GuidOf(std::string_view id) {
  // NormalizeID trims, upper-cases and wraps a text without "{" in braces:
  // its form is "{GUID}" exactly when the trimmed text is a GUID, braced or
  // not, in either case.
  id = text::Trim(id);
  if (id.size() == kGuidText + 2 && id.front() == '{' && id.back() == '}') {
    id = id.substr(1, kGuidText);
  } else if (id.size() != kGuidText) {
    return std::nullopt;
  }
  if (id[8] != '-' || id[13] != '-' || id[18] != '-' || id[23] != '-') return std::nullopt;
  Key key;
  if (!ReadHalf(id, 0, key.high) || !ReadHalf(id, 16, key.low)) return std::nullopt;
  return key;
}

std::optional<IdMap::Key> IdMap::ExactGuidOf(std::string_view text) {
  if (text.size() != kGuidText + 2 || text.front() != '{' || text.back() != '}') return std::nullopt;
  for (char c : text.substr(1, kGuidText)) {
    if (c >= 'a' && c <= 'f') return std::nullopt;
  }
  return GuidOf(text);
}

std::string IdMap::TextOf(const Key& key) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out(kGuidText + 2, '-');
  out.front() = '{';
  out.back() = '}';
  for (size_t digit = 0; digit < 32; ++digit) {
    const uint64_t half = digit < 16 ? key.high : key.low;
    out[kDigitAt[digit] + 1] = kHex[(half >> (4 * (15 - digit % 16))) & 0xF];
  }
  return out;
}

const IdMap::Slot* IdMap::SlotOf(const Key& key) const {
  if (slots_.empty()) return nullptr;
  const size_t mask = slots_.size() - 1;
  for (size_t at = Hash(key.high, key.low) & mask;; at = (at + 1) & mask) {
    const Slot& slot = slots_[at];
    if (!slot.used || slot.key == key) return &slot;
  }
}

void IdMap::Grow() {
  std::vector<Slot> old = std::move(slots_);
  slots_.assign(old.empty() ? 64 : old.size() * 2, Slot{});
  const size_t mask = slots_.size() - 1;
  for (const Slot& slot : old) {
    if (!slot.used) continue;
    size_t at = Hash(slot.key.high, slot.key.low) & mask;
    while (slots_[at].used) at = (at + 1) & mask;
    slots_[at] = slot;
  }
}

void IdMap::Add(std::string_view id, std::string made) {
  const std::optional<Key> key = GuidOf(id);
  if (!key) {
    if (!texts_.try_emplace(NormalizeID(id), std::move(made)).second) throw com::Error(com::hr::kDuplicateKey);
    return;
  }
  if ((used_ + 1) * 2 > slots_.size()) Grow();
  Slot& slot = const_cast<Slot&>(*SlotOf(*key));
  if (slot.used) throw com::Error(com::hr::kDuplicateKey);
  slot.key = *key;
  if (std::optional<Key> guid = ExactGuidOf(made)) {
    slot.made = *guid;
  } else {
    made_texts_.push_back(std::move(made));
    slot.text = static_cast<uint32_t>(made_texts_.size());
  }
  slot.used = true;
  ++used_;
}

std::optional<std::string> IdMap::Find(std::string_view id) const {
  if (const std::optional<Key> key = GuidOf(id)) {
    const Slot* slot = SlotOf(*key);
    if (!slot || !slot->used) return std::nullopt;
    return slot->text ? made_texts_[slot->text - 1] : TextOf(slot->made);
  }
  auto it = texts_.find(NormalizeID(id));
  if (it == texts_.end()) return std::nullopt;
  return it->second;
}

}  // namespace vorlane
