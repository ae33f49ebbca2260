#include "embedded/store/storage.h"

#include <cstdio>

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

void Storage::CheckLockStillHeld(const CardChange& change, const std::optional<LockHolder>& holder,
                                 const Writer& writer) {
  if (!change.holds_lock || (holder && holder->session == writer.session)) return;
  throw com::Error(ostrel::err::kRefused, std::string(ostrel::err::kSource),
                   "The lock of card " + change.card.ToString() +
                       " that this session held was released without it (its session was taken for ended); "
                       "nothing was written. Refresh the card, lock it again and apply the change again.");
}

void Storage::ThrowConflict(const CardHeader& stored) {
  const com::DateParts at = com::SplitDate(stored.modified);
  char time[16];
  std::snprintf(time, sizeof time, "%02d:%02d:%02d", at.hour, at.minute, at.second);
  const std::string by = stored.modified_by.empty() ? "another session" : stored.modified_by;
  throw com::Error(ostrel::err::kConflict, std::string(ostrel::err::kSource),
                   "The card " + stored.id.ToString() + " was changed by " + by + " at " + time +
                       " since it was read; refresh it and apply your change again.");
}

void Storage::StrikeFaultIfDue() {
  if (!fault_due_) return;
  fault_due_ = false;
  throw com::Error(ostrel::err::kStorageFailure, std::string(ostrel::err::kSource),
                   "Injected storage fault in the middle of a write");
}

}  // namespace embedded
