#pragma once

#include <atomic>
#include <optional>
#include <string>
#include <vector>

#include "embedded/store/memory_storage.h"

namespace embedded::testing {

// The real memory storage, counting the cards it loads, so that a test can
// tell which calls read no card at all.
class CountingStorage final : public Storage {
 public:
  std::optional<CardImage> Load(const com::Guid& card) override {
    ++loads;
    return inner_.Load(card);
  }
  Status GetStatus(const com::Guid& card) override { return inner_.GetStatus(card); }
  std::optional<int64_t> Writes(const com::Guid& card) override { return inner_.Writes(card); }
  std::vector<com::Guid> List(const com::Guid& type) override { return inner_.List(type); }
  std::vector<com::Guid> ListByTemplate(const com::Guid& type, bool is_template) override {
    return inner_.ListByTemplate(type, is_template);
  }
  std::optional<com::Guid> FindSingle(const com::Guid& type, const std::string& scope) override {
    return inner_.FindSingle(type, scope);
  }
  std::optional<LockHolder> GetLock(const com::Guid& card) override { return inner_.GetLock(card); }
  std::optional<LockHolder> TryLock(const com::Guid& card, const LockHolder& holder) override {
    return inner_.TryLock(card, holder);
  }
  void Unlock(const com::Guid& card, const std::string& session) override { inner_.Unlock(card, session); }
  void UnlockAll(const std::string& session) override { inner_.UnlockAll(session); }
  int64_t NextSequence() override { return inner_.NextSequence(); }

  std::atomic<int> loads{0};

 protected:
  void DoWrite(ChangeSet& changes, const Writer& writer) override { inner_.Write(std::move(changes), writer); }

 private:
  MemoryStorage inner_;
};

}  // namespace embedded::testing
