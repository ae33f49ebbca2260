#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "embedded/store/store.h"
#include "platform/ostrel/session.h"

namespace embedded {

struct SessionOptions {
  // The store the session works on; when null, a new store over
  // `store_file`, or in memory when that is empty.
  std::shared_ptr<Store> store = nullptr;
  // A store file to open (or create) for the session when `store` is null:
  // Store::Open with StoreOptions::path, the safe durability and the
  // built-in card types.
  std::string store_file = {};
  std::string account = "user";
  int32_t locale = 1033;
  int32_t client_version = 1316;
  // The account's groups, for the workflow server's permission checks.
  std::vector<std::string> groups = {};
};

// Opens a session. Sessions over one store see one set of cards, each
// other's locks and each other's written changes. The calling thread
// converts values in the session's locale from now on.
com::Ref<ostrel::Session> Open(const SessionOptions& options = {});

// The locale of the session last opened or used on this thread; 1033 when
// there is none (or it has ended).
int32_t ThreadSessionLocale();

}  // namespace embedded
