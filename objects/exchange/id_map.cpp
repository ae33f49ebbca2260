#include "objects/exchange/id_map.h"

#include "common/ids.h"
#include "platform/com/error.h"
#include "platform/com/text.h"

namespace vorlane {

std::optional<com::Guid> IdMap::GuidOf(std::string_view id) {
  // NormalizeID trims, upper-cases and wraps a text without "{" in braces:
  // its form is "{GUID}" exactly when the trimmed text is a GUID, braced or
  // not, in either case, which is what Guid::Parse reads.
  return com::Guid::Parse(text::Trim(id));
}

IdMap::Made IdMap::MadeOf(std::string made) {
  // A made ID in the form GUIDs are written in is kept as its sixteen bytes.
  Made kept;
  if (std::optional<com::Guid> guid = com::Guid::ParseTextForm(made)) {
    kept.guid = *guid;
  } else {
    made_texts_.push_back(std::move(made));
    kept.text = static_cast<uint32_t>(made_texts_.size());
  }
  return kept;
}

void IdMap::Add(std::string_view id, std::string made) {
  // After the IDs waiting, in its turn.
  AddLater(id, std::move(made), 0);
  EnterOrFail();
}

void IdMap::AddLater(std::string_view id, std::string made, uintptr_t tag) {
  const std::optional<com::Guid> key = GuidOf(id);
  if (!key) {
    if (!texts_.try_emplace(NormalizeID(id), std::move(made)).second) throw com::Error(com::hr::kDuplicateKey);
    return;
  }
  later_.push_back({*key, MadeOf(std::move(made)), tag});
}

std::optional<uintptr_t> IdMap::Enter() {
  if (later_.empty()) return std::nullopt;
  std::optional<uintptr_t> repeated;
  guids_.reserve(guids_.size() + later_.size());
  // The slots of a few IDs ahead start loading while one is entered.
  constexpr size_t kAhead = 8;
  for (size_t i = 0; i < later_.size(); ++i) {
    if (i + kAhead < later_.size()) guids_.Prefetch(later_[i + kAhead].id);
    if (!guids_.try_emplace(later_[i].id, Made(later_[i].made)).second) {
      repeated = later_[i].tag;
      break;
    }
  }
  later_.clear();
  return repeated;
}

void IdMap::EnterOrFail() {
  if (Enter()) throw com::Error(com::hr::kDuplicateKey);
}

std::optional<std::string> IdMap::Find(std::string_view id) {
  EnterOrFail();
  if (const std::optional<com::Guid> key = GuidOf(id)) {
    auto it = guids_.find(*key);
    if (it == guids_.end()) return std::nullopt;
    const Made& made = it->second;
    return made.text ? made_texts_[made.text - 1] : made.guid.ToString();
  }
  auto it = texts_.find(NormalizeID(id));
  if (it == texts_.end()) return std::nullopt;
  return it->second;
}

}  // namespace vorlane
