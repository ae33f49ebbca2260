#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "embedded/store/durability.h"
#include "embedded/store/schema.h"
#include "embedded/store/search_engine.h"
#include "embedded/store/storage.h"
#include "embedded/store/workflow_server.h"
#include "platform/ostrel/card_data.h"
#include "platform/ostrel/card_manager.h"

namespace embedded {

struct StoreOptions {
  // Where the cards live; a new MemoryStorage when null.
  std::shared_ptr<Storage> storage = nullptr;
  // Card type definitions to load beside the built-in ones (paths). A file
  // that does not load makes Store::Open fail with ostrel::err::kSchemaError.
  std::vector<std::string> schema_files = {};
  // A store file (SqliteStorage) to open, or to create when there is none,
  // when `storage` is null; the store is in memory when this is empty too.
  // A file that cannot be a store makes Store::Open fail with
  // ostrel::err::kStorageFailure naming the file and the cause.
  std::string path = {};
  // How hard the file's writes are made to survive a crash of the machine.
  Durability durability = Durability::kFull;
  // Whether a missing or empty file at `path` may be made into a store;
  // without it Store::Open refuses such a file and leaves the disk as it was.
  bool create = true;
};

// What every session of one store shares, and nothing more: the card types,
// the storage (with the cards' written state and the locks), and the
// components attached to the store (search, workflow server, the object
// forms of card types). A store is shared by its sessions (shared_ptr) and
// is safe to use from several threads.
class Store {
 public:
  // The flag every open card of this process checks before each use: set
  // when the card is deleted through any session, so that using its data
  // fails with ostrel::err::kCardDeleted at once.
  struct CardShared {
    std::atomic<bool> deleted{false};
  };
  // Makes the object form of a card (CardManager.GetCardObject and
  // GetDictionaryObject) for the card types it is registered for.
  using CardObjectFactory =
      std::function<com::Ref<com::Unknown>(const com::Ref<ostrel::CardManager>&, const com::Ref<ostrel::CardData>&)>;

  static std::shared_ptr<Store> Open(StoreOptions options = {});

  const Schema& schema() const { return *schema_; }
  const std::shared_ptr<const Schema>& schema_ptr() const { return schema_; }
  Storage& storage() { return *storage_; }

  std::shared_ptr<CardShared> Shared(const com::Guid& card);
  // Marks the card deleted for every open card of it in this process.
  void MarkDeleted(const com::Guid& card);

  void RegisterCardObject(const com::Guid& card_type, CardObjectFactory factory);
  // The factory of the type; an empty function when none is registered.
  CardObjectFactory CardObjectFor(const com::Guid& card_type) const;

  void SetSearchEngine(std::shared_ptr<SearchEngine> engine);
  std::shared_ptr<SearchEngine> search_engine() const;

  void AttachWorkflowServer(std::shared_ptr<WorkflowServer> server);
  std::shared_ptr<WorkflowServer> workflow_server() const;

  // Serialises the find-or-create of single cards within the process (the
  // storage refuses a second one across processes).
  std::mutex& single_card_mutex() { return single_mutex_; }

 private:
  Store(std::shared_ptr<const Schema> schema, std::shared_ptr<Storage> storage)
      : schema_(std::move(schema)), storage_(std::move(storage)) {}

  std::shared_ptr<const Schema> schema_;
  std::shared_ptr<Storage> storage_;
  mutable std::mutex mutex_;
  std::unordered_map<com::Guid, std::weak_ptr<CardShared>, com::GuidHash> shared_;
  size_t sweep_at_ = 64;
  std::unordered_map<com::Guid, CardObjectFactory, com::GuidHash> objects_;
  std::shared_ptr<SearchEngine> search_;
  std::shared_ptr<WorkflowServer> server_;
  std::mutex single_mutex_;
};

}  // namespace embedded
