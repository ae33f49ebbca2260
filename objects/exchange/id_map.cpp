#include "objects/exchange/id_map.h"

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

}  // namespace

void IdMap::Add(std::string_view id, std::string made) {
  const bool added = [&] {
    if (const std::optional<com::Guid> key = GuidOf(id)) return guids_.try_emplace(*key, made).second;
    return texts_.try_emplace(NormalizeID(id), std::move(made)).second;
  }();
  if (!added) throw com::Error(com::hr::kDuplicateKey);
}

std::optional<std::string> IdMap::Find(std::string_view id) const {
  if (const std::optional<com::Guid> key = GuidOf(id)) {
    auto it = guids_.find(*key);
    if (it == guids_.end()) return std::nullopt;
    return std::string(it->second);
  }
  auto it = texts_.find(NormalizeID(id));
  if (it == texts_.end()) return std::nullopt;
  return it->second;
}

}  // namespace vorlane
