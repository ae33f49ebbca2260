#include "embedded/store/memory_storage.h"

#include "platform/com/text.h"
#include "platform/ostrel/errors.h"

namespace embedded {
namespace {

[[noreturn]] void Fail(com::HResult code, std::string text) {
  throw com::Error(code, std::string(ostrel::err::kSource), std::move(text));
}

}  // namespace

std::optional<CardImage> MemoryStorage::LoadPacked(const com::Guid& card) {
  std::lock_guard lock(mutex_);
  auto it = cards_.find(card);
  if (it == cards_.end()) return std::nullopt;
  // Rows whose parent another writer removed are gone with it.
  DropOrphans(it->second);
  return it->second;
}

std::optional<CardImage> MemoryStorage::Load(const com::Guid& card) {
  std::optional<CardImage> image = LoadPacked(card);
  if (image) {
    for (auto& [id, row] : image->rows) row.Unpack();
  }
  return image;
}

Storage::Status MemoryStorage::GetStatus(const com::Guid& card) {
  std::lock_guard lock(mutex_);
  auto it = cards_.find(card);
  if (it == cards_.end()) return Status::kUnknown;
  return it->second.header.deleted ? Status::kDeleted : Status::kExists;
}

std::optional<int64_t> MemoryStorage::Writes(const com::Guid& card) {
  std::lock_guard lock(mutex_);
  auto it = cards_.find(card);
  if (it == cards_.end() || it->second.header.deleted) return std::nullopt;
  return it->second.writes;
}

std::vector<com::Guid> MemoryStorage::List(const com::Guid& card_type) {
  std::lock_guard lock(mutex_);
  std::vector<com::Guid> out;
  for (const com::Guid& id : order_) {
    const CardHeader& h = cards_.at(id).header;
    if (!h.deleted && (card_type.IsNull() || h.type == card_type)) out.push_back(id);
  }
  return out;
}

std::vector<com::Guid> MemoryStorage::ListByTemplate(const com::Guid& card_type, bool is_template) {
  std::lock_guard lock(mutex_);
  std::vector<com::Guid> out;
  for (const com::Guid& id : order_) {
    const CardHeader& h = cards_.at(id).header;
    if (!h.deleted && h.type == card_type && h.is_template == is_template) out.push_back(id);
  }
  return out;
}

std::optional<com::Guid> MemoryStorage::FindSingle(const com::Guid& card_type, const std::string& scope) {
  std::lock_guard lock(mutex_);
  for (const com::Guid& id : order_) {
    const CardHeader& h = cards_.at(id).header;
    if (!h.deleted && h.single && h.type == card_type && text::EqualNoCase(h.single_scope, scope)) return id;
  }
  return std::nullopt;
}

std::optional<Storage::LockHolder> MemoryStorage::GetLock(const com::Guid& card) {
  std::lock_guard lock(mutex_);
  auto it = locks_.find(card);
  if (it == locks_.end()) return std::nullopt;
  return it->second;
}

std::optional<Storage::LockHolder> MemoryStorage::TryLock(const com::Guid& card, const LockHolder& holder) {
  std::lock_guard lock(mutex_);
  auto [it, taken] = locks_.emplace(card, holder);
  if (taken || it->second.session == holder.session) return std::nullopt;
  return it->second;
}

void MemoryStorage::Unlock(const com::Guid& card, const std::string& session) {
  std::lock_guard lock(mutex_);
  auto it = locks_.find(card);
  if (it != locks_.end() && it->second.session == session) locks_.erase(it);
}

void MemoryStorage::UnlockAll(const std::string& session) {
  std::lock_guard lock(mutex_);
  std::erase_if(locks_, [&](const auto& entry) { return entry.second.session == session; });
}

int64_t MemoryStorage::NextSequence() {
  std::lock_guard lock(mutex_);
  return ++sequence_;
}

void MemoryStorage::CheckWritable(const com::Guid& card, const Writer& writer) const {
  auto it = cards_.find(card);
  if (it == cards_.end()) Fail(ostrel::err::kUnknownCard, "Card " + card.ToString() + " does not exist");
  if (it->second.header.deleted) Fail(ostrel::err::kCardDeleted, "Card " + card.ToString() + " has been deleted");
  auto held = locks_.find(card);
  if (held != locks_.end() && LockRefuses(held->second, writer)) {
    Fail(ostrel::err::kRefused, "The card " + card.ToString() + " is locked by " + held->second.account + ".");
  }
}

void MemoryStorage::DoWrite(ChangeSet& changes, const Writer& writer) {
  std::lock_guard lock(mutex_);
  // Every check comes first, so that a refused write changes nothing.
  for (const CardChange& c : changes.cards) {
    if (c.create) {
      if (!c.header) Fail(com::hr::kInvalidArg, "A new card needs its header");
      if (cards_.contains(c.card)) Fail(ostrel::err::kRefused, "Card " + c.card.ToString() + " exists already");
      if (c.header->single) {
        for (const auto& [id, image] : cards_) {
          const CardHeader& h = image.header;
          if (!h.deleted && h.single && h.type == c.header->type && text::EqualNoCase(h.single_scope, c.header->single_scope)) {
            Fail(ostrel::err::kRefused, "The single card of type " + h.type.ToString() + " exists already");
          }
        }
      }
    } else {
      CheckWritable(c.card, writer);
      auto held = locks_.find(c.card);
      CheckLockStillHeld(c, held == locks_.end() ? std::nullopt : std::optional<LockHolder>(held->second), writer);
      const CardImage& image = cards_.at(c.card);
      for (const FieldUpdate& u : c.updated) {
        auto row = image.rows.find(u.row);
        if (row != image.rows.end() && Conflicts(row->second, u)) ThrowConflict(image.header);
      }
    }
  }
  for (const com::Guid& id : changes.deleted) CheckWritable(id, writer);

  // Apply in place with undo records; a fault rolls everything back.
  struct Undo {
    com::Guid card;
    bool created;
    ChangeJournal journal;
  };
  std::vector<Undo> undo;
  undo.reserve(changes.cards.size() + changes.deleted.size());
  auto strike = [this] { StrikeFaultIfDue(); };
  try {
    for (CardChange& c : changes.cards) {
      if (c.create) {
        undo.push_back({c.card, true, {}});
        CardImage& image = cards_[c.card];
        order_.push_back(c.card);
        image.rows.reserve(c.inserted.size());
        ApplyChange(image, c, nullptr, strike);
      } else {
        undo.push_back({c.card, false, {}});
        ApplyChange(cards_.at(c.card), c, &undo.back().journal, strike);
      }
    }
    for (const com::Guid& id : changes.deleted) {
      CardImage& image = cards_.at(id);
      undo.push_back({id, false, {}});
      ChangeJournal& j = undo.back().journal;
      j.HeaderChanged(image.header, image.next_seq);
      for (auto& [row_id, row] : image.rows) j.RowRemoved(std::move(row));
      image.rows = RowMap();  // a deleted card keeps no room for its rows
      image.header.deleted = true;
      strike();
    }
    strike();
  } catch (...) {
    for (auto it = undo.rbegin(); it != undo.rend(); ++it) {
      if (it->created) {
        cards_.erase(it->card);
        order_.pop_back();
      } else {
        it->journal.Undo(cards_.at(it->card));
      }
    }
    throw;
  }
  for (const CardChange& c : changes.cards) ++cards_.at(c.card).writes;
  for (const com::Guid& id : changes.deleted) locks_.erase(id);
}

}  // namespace embedded
