#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/com/guid.h"
#include "platform/com/guid_map.h"

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
  // The same, entered when the map is next used (Enter, Find, Add): an
  // import adds an ID for every row and mostly looks none up before its
  // end, and many IDs entered in one go cost less than as many one by one,
  // since their look-ups in a large table overlap. `tag` names the
  // addition to Enter. An ID that is no GUID is added at once, and fails
  // here as Add does.
  void AddLater(std::string_view id, std::string made, uintptr_t tag);
  // Enters the IDs added later, in the order they were added. Answers the
  // tag of the first one that was there already (it and the ones after it
  // are dropped), nullopt when there was none.
  std::optional<uintptr_t> Enter();
  // The ID made for `id`, nullopt when none was. Enters the IDs added
  // later first, failing with 0x800A01C9 when one of them was there
  // already.
  std::optional<std::string> Find(std::string_view id);
  size_t size() const { return guids_.size() + texts_.size() + later_.size(); }

 private:
  // What was made for a GUID: a GUID in "{UPPER-CASE}" form, or a text
  // (made_texts_[text - 1]) when it is anything else.
  struct Made {
    com::Guid guid;
    uint32_t text = 0;
  };

  struct Later {
    com::Guid id;
    Made made;
    uintptr_t tag;
  };

  // The GUID of an ID in any spelling NormalizeID turns into "{GUID}".
  static std::optional<com::Guid> GuidOf(std::string_view id);
  // What is kept for `made`.
  Made MadeOf(std::string made);
  // Enter, failing as Add does.
  void EnterOrFail();

  com::GuidMap<Made> guids_;
  std::vector<Later> later_;  // GUIDs added later, not yet entered
  std::vector<std::string> made_texts_;
  std::unordered_map<std::string, std::string> texts_;  // NormalizeID form -> made
};

}  // namespace vorlane
