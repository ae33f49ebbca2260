#pragma once

#include "embedded/store/search_engine.h"

namespace embedded::search {

// The store's search: evaluates the query text of README.md over the
// cards' written state. It reads what the storage indexes (the cards of a
// type, and of a type with a given template flag) and loads only the cards
// that are left to be checked against field conditions, never every card
// of the store.
class XmlSearchEngine final : public SearchEngine {
 public:
  // Fails with 0x80070057 for a text that is not a query, and with
  // ostrel::err::kUnknownCardType or kUnknownSchemaItem for a card type,
  // section or field the store does not define, before any card is read;
  // with 0x80070057 for a condition value that does not read as its
  // field's type.
  std::vector<com::Guid> Find(Store& store, std::string_view query) override;
};

}  // namespace embedded::search
