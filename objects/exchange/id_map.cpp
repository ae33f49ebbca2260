#include "objects/exchange/id_map.h"

#include "platform/com/error.h"

namespace vorlane {

void IdMap::Add(std::string normalized_key, std::string id) {
  if (!ids_.try_emplace(std::move(normalized_key), std::move(id)).second) throw com::Error(com::hr::kDuplicateKey);
}

}  // namespace vorlane
