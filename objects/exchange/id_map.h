#pragma once

#include <memory_resource>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/com/guid.h"

namespace vorlane {

// The card importer's map of changed IDs: under each ID found in the XML
// (a card ID or a row ID), the ID of the card or row made for it. IDs are
// compared in their NormalizeID form, in which two spellings of one ID are
// equal: an ID that is a GUID is kept by its value, any other by that text.
class IdMap {
 public:
  // Room for `n` IDs, for a caller that knows how many rows are coming.
  void Reserve(size_t n) { guids_.reserve(n); }
  // Fails with 0x800A01C9 when the ID is already there: one ID of the
  // document cannot name two rows.
  void Add(std::string_view id, std::string_view made);
  // The ID made for `id` as it was given, nullopt when none was.
  std::optional<std::string> Find(std::string_view id) const;
  size_t size() const { return guids_.size() + texts_.size(); }

 private:
  // One entry per row of an import, none ever removed: they are kept in
  // blocks that go with the map. A GUID of the document and a GUID made
  // for it in the platform's form (as the platform makes them) are kept as
  // 16 bytes each, which keeps the map of a large import small.
  std::pmr::monotonic_buffer_resource blocks_;
  std::pmr::unordered_map<com::Guid, com::Guid, com::GuidHash> guids_{&blocks_};
  // Every other pair: NormalizeID form -> made.
  std::unordered_map<std::string, std::string> texts_;
};

}  // namespace vorlane
