#pragma once

#include <string_view>
#include <vector>

#include "platform/com/guid.h"

namespace embedded {

class Store;

// Evaluates the text of a search query (CardManager.FindCards) over a
// store's written cards. A store answers FindCards through the engine it
// was given (Store::SetSearchEngine).
class SearchEngine {
 public:
  virtual ~SearchEngine() = default;
  // The IDs of the cards the query finds, in the order they are to be
  // handed out. Fails with a com::Error for a query it cannot read.
  virtual std::vector<com::Guid> Find(Store& store, std::string_view query) = 0;
};

}  // namespace embedded
