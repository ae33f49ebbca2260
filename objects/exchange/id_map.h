#pragma once

#include <string>
#include <string_view>
#include <unordered_map>

namespace vorlane {

// The card importer's map of changed IDs: under each ID found in the XML
// (a card ID or a row ID), the ID of the card or row made for it. Keys are
// taken in NormalizeID form, in which two spellings of one ID are equal, so
// the map compares them exactly; an import adds one key per row, and a map
// of many thousands of rows must cost little.
class IdMap {
 public:
  // Fails with 0x800A01C9 when the key is already there: one ID of the
  // document cannot name two rows.
  void Add(std::string normalized_key, std::string id);
  // The ID made for the key (in NormalizeID form), nullptr when none was.
  const std::string* Find(std::string_view normalized_key) const {
    auto it = ids_.find(normalized_key);
    return it == ids_.end() ? nullptr : &it->second;
  }
  size_t size() const { return ids_.size(); }

 private:
  struct Hash {
    using is_transparent = void;
    size_t operator()(std::string_view s) const noexcept { return std::hash<std::string_view>()(s); }
  };
  std::unordered_map<std::string, std::string, Hash, std::equal_to<>> ids_;
};

}  // namespace vorlane
