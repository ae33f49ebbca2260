#pragma once

#include <mutex>
#include <unordered_map>

#include "embedded/store/storage.h"

namespace embedded {

// The storage that keeps everything in the process's memory: the default
// of a store, and the one tests run on. A write applies its changes in
// place and keeps undo records, so it costs what it changes, and a failure
// half-way is rolled back.
class MemoryStorage final : public Storage {
 public:
  std::optional<CardImage> Load(const com::Guid& card) override;
  std::optional<CardImage> LoadPacked(const com::Guid& card) override;
  Status GetStatus(const com::Guid& card) override;
  std::optional<int64_t> Writes(const com::Guid& card) override;
  std::vector<com::Guid> List(const com::Guid& card_type) override;
  std::vector<com::Guid> ListByTemplate(const com::Guid& card_type, bool is_template) override;
  std::optional<com::Guid> FindSingle(const com::Guid& card_type, const std::string& scope) override;
  std::optional<LockHolder> GetLock(const com::Guid& card) override;
  std::optional<LockHolder> TryLock(const com::Guid& card, const LockHolder& holder) override;
  void Unlock(const com::Guid& card, const std::string& session) override;
  void UnlockAll(const std::string& session) override;
  int64_t NextSequence() override;

 protected:
  void DoWrite(ChangeSet& changes, const Writer& writer) override;

 private:
  // Fails with the codes of Write when `writer` may not change the card.
  void CheckWritable(const com::Guid& card, const Writer& writer) const;

  mutable std::mutex mutex_;
  std::unordered_map<com::Guid, CardImage, com::GuidHash> cards_;
  std::vector<com::Guid> order_;  // creation order, for List
  std::unordered_map<com::Guid, LockHolder, com::GuidHash> locks_;
  int64_t sequence_ = 0;
};

}  // namespace embedded
