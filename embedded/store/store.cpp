#include "embedded/store/store.h"

#include <algorithm>

#include "embedded/standard/standard_components.h"
#include "embedded/store/memory_storage.h"
#include "embedded/store/sqlite_storage.h"

namespace embedded {

std::shared_ptr<Store> Store::Open(StoreOptions options) {
  std::shared_ptr<const Schema> schema;
  std::vector<SchemaSource> sources;
  if (options.schema_files.empty()) {
    schema = Schema::Builtin();
  } else {
    sources = Schema::BuiltinSources();
    for (const std::string& path : options.schema_files) sources.push_back(Schema::ReadFile(path));
    schema = Schema::Load(sources);
  }
  if (!options.storage && !options.path.empty()) {
    SqliteStorage::Options file;
    file.durability = options.durability;
    file.create = options.create;
    file.schemas = SqliteStorage::SchemasVersion(options.schema_files.empty() ? Schema::BuiltinSources() : sources);
    options.storage = std::make_shared<SqliteStorage>(options.path, std::move(file));
  }
  if (!options.storage) options.storage = std::make_shared<MemoryStorage>();
  std::shared_ptr<Store> store(new Store(std::move(schema), std::move(options.storage)));
  AttachStandardComponents(*store);
  return store;
}

std::shared_ptr<Store::CardShared> Store::Shared(const com::Guid& card) {
  std::lock_guard lock(mutex_);
  // Entries of cards no session holds open any more go now and then, so
  // that the table stays as large as the set of open cards.
  if (shared_.size() >= sweep_at_) {
    std::erase_if(shared_, [](const auto& entry) { return entry.second.expired(); });
    sweep_at_ = std::max<size_t>(64, shared_.size() * 2);
  }
  std::weak_ptr<CardShared>& slot = shared_[card];
  std::shared_ptr<CardShared> shared = slot.lock();
  if (!shared) {
    shared = std::make_shared<CardShared>();
    slot = shared;
  }
  return shared;
}

void Store::MarkDeleted(const com::Guid& card) {
  std::lock_guard lock(mutex_);
  auto it = shared_.find(card);
  if (it == shared_.end()) return;
  if (auto shared = it->second.lock()) shared->deleted.store(true);
}

void Store::RegisterCardObject(const com::Guid& card_type, CardObjectFactory factory) {
  std::lock_guard lock(mutex_);
  objects_[card_type] = std::move(factory);
}

Store::CardObjectFactory Store::CardObjectFor(const com::Guid& card_type) const {
  std::lock_guard lock(mutex_);
  auto it = objects_.find(card_type);
  return it == objects_.end() ? CardObjectFactory() : it->second;
}

void Store::SetSearchEngine(std::shared_ptr<SearchEngine> engine) {
  std::lock_guard lock(mutex_);
  search_ = std::move(engine);
}

std::shared_ptr<SearchEngine> Store::search_engine() const {
  std::lock_guard lock(mutex_);
  return search_;
}

void Store::AttachWorkflowServer(std::shared_ptr<WorkflowServer> server) {
  std::lock_guard lock(mutex_);
  server_ = std::move(server);
}

std::shared_ptr<WorkflowServer> Store::workflow_server() const {
  std::lock_guard lock(mutex_);
  return server_;
}

}  // namespace embedded
