#include "objects/exchange/id_map.h"

#include <array>

#include "common/ids.h"
#include "platform/com/error.h"
#include "platform/com/text.h"

namespace vorlane {
namespace {

// The GUID of an ID in any spelling that NormalizeID turns into "{GUID}":
// it trims, upper-cases and wraps a text without "{" in braces, so its form
// is "{GUID}" exactly when the trimmed text is a GUID, braced or not, in
// either case, which is what Guid::Parse reads.
std::optional<com::Guid> GuidOf(std::string_view id) { return com::Guid::Parse(text::Trim(id)); }

// The GUID that `made` spells in the platform's form of one, which is how
// Find gives it back; nullopt for any other text, which is kept as it is.
std::optional<com::Guid> CanonicalGuid(std::string_view made) {
  std::optional<com::Guid> guid = com::Guid::Parse(made);
  if (!guid) return std::nullopt;
  std::array<char, 38> form;
  guid->FormatTo(form.data());
  return std::string_view(form.data(), form.size()) == made ? guid : std::nullopt;
}

}  // namespace

void IdMap::Add(std::string_view id, std::string_view made) {
  const std::optional<com::Guid> key = GuidOf(id);
  const std::optional<com::Guid> made_guid = key ? CanonicalGuid(made) : std::nullopt;
  // A GUID of the document is in one of the two maps, whichever its made
  // ID went to.
  const bool added = made_guid ? (texts_.empty() || !texts_.contains(NormalizeID(id))) &&
                                     guids_.try_emplace(*key, *made_guid).second
                               : (!key || !guids_.contains(*key)) &&
                                     texts_.try_emplace(NormalizeID(id), std::string(made)).second;
  if (!added) throw com::Error(com::hr::kDuplicateKey);
}

std::optional<std::string> IdMap::Find(std::string_view id) const {
  if (const std::optional<com::Guid> key = GuidOf(id)) {
    if (auto it = guids_.find(*key); it != guids_.end()) return it->second.ToString();
    if (texts_.empty()) return std::nullopt;
  }
  auto it = texts_.find(NormalizeID(id));
  if (it == texts_.end()) return std::nullopt;
  return it->second;
}

}  // namespace vorlane
