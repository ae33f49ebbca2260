#include "embedded/store/storage.h"

#include "platform/com/text.h"
#include "platform/ostrel/errors.h"

namespace embedded {

thread_local bool Storage::fault_due_ = false;

void Storage::Write(ChangeSet changes, const Writer& writer) {
  int n = fault_countdown_.load();
  bool due = false;
  while (n > 0) {
    if (fault_countdown_.compare_exchange_weak(n, n - 1)) {
      due = n == 1;
      break;
    }
  }
  fault_due_ = due;
  try {
    DoWrite(changes, writer);
  } catch (...) {
    fault_due_ = false;
    throw;
  }
  fault_due_ = false;
}

std::vector<com::Guid> Storage::ListByTemplate(const com::Guid& card_type, bool is_template) {
  std::vector<com::Guid> out;
  for (const com::Guid& id : List(card_type)) {
    std::optional<CardImage> card = Load(id);
    if (card && !card->header.deleted && card->header.is_template == is_template) out.push_back(id);
  }
  return out;
}

std::vector<Storage::CardEntry> Storage::ListEntries() {
  std::vector<CardEntry> out;
  for (const com::Guid& id : List(com::Guid())) {
    std::optional<CardImage> card = Load(id);
    if (card && !card->header.deleted) out.push_back({id, card->header.type, card->header.is_template});
  }
  return out;
}

bool Storage::LockRefuses(const LockHolder& holder, const Writer& writer) {
  if (holder.session == writer.session) return false;
  return !(writer.for_account && text::EqualNoCase(holder.account, writer.account));
}

void Storage::StrikeFaultIfDue() {
  if (!fault_due_) return;
  fault_due_ = false;
  throw com::Error(ostrel::err::kStorageFailure, std::string(ostrel::err::kSource),
                   "Injected storage fault in the middle of a write");
}

}  // namespace embedded
