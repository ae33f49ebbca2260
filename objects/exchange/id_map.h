#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace vorlane {

// The card importer's map of changed IDs: under each ID found in the XML
// (a card ID or a row ID), the ID of the card or row made for it. IDs are
// compared in their NormalizeID form, in which two spellings of one ID are
// equal. An import adds one key per row, and a map of many thousands of
// rows must cost little: an ID that is a GUID is kept as its sixteen bytes
// in a table of its own, any other in a map of texts.
class IdMap {
 public:
  // Fails with 0x800A01C9 when the ID is already there: one ID of the
  // document cannot name two rows.
  void Add(std::string_view id, std::string made);
  // The ID made for `id`, nullopt when none was.
  std::optional<std::string> Find(std::string_view id) const;
  size_t size() const { return used_ + texts_.size(); }

 private:
  // A GUID as two halves of its 32 hexadecimal digits, in their order.
  struct Key {
    uint64_t high = 0;
    uint64_t low = 0;
    bool operator==(const Key&) const = default;
  };
  // A GUID made for a GUID; `text` indexes made_texts_ when what was made
  // is not a GUID in "{UPPER-CASE}" form.
  struct Slot {
    Key key;
    Key made;
    uint32_t text = 0;  // 0: `made` holds it; n: made_texts_[n - 1]
    bool used = false;
  };

  // The GUID of an ID in any spelling NormalizeID turns into "{GUID}".
  static std::optional<Key> GuidOf(std::string_view id);
  // The GUID of a text that is exactly "{UPPER-CASE-GUID}".
  static std::optional<Key> ExactGuidOf(std::string_view text);
  static std::string TextOf(const Key& key);
  const Slot* SlotOf(const Key& key) const;
  void Grow();

  std::vector<Slot> slots_;  // open addressing, a power of two long
  size_t used_ = 0;
  std::vector<std::string> made_texts_;
  std::unordered_map<std::string, std::string> texts_;  // NormalizeID form -> made
};

}  // namespace vorlane
