#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/com/guid.h"

// The text of a search query (see README.md in this folder): what the
// search-query object renders and what the search engine reads. The model
// below is the text's content, nothing more: whether its card types,
// sections and fields exist is the engine's to check against the schema.
namespace embedded::search {

struct ConditionSpec {
  std::string field;
  int32_t operation = 0;  // ostrel::search_operation
  int32_t link = 0;       // ostrel::search_link; not used for a group's first condition
  // The value in its XML text form; nullopt for none (Null or Empty).
  std::optional<std::string> value;
  // The value is read as the field's type (SearchCondition.GetTypedValue).
  bool typed = false;
};

struct SectionSpec {
  com::Guid section;
  std::vector<ConditionSpec> conditions;
};

struct CardTypeSpec {
  com::Guid card_type;
  std::vector<SectionSpec> sections;
};

struct QuerySpec {
  std::vector<CardTypeSpec> card_types;
  // The most cards handed out; nullopt for all of them.
  std::optional<int32_t> limit;
};

// The query as text: an XML document, laid out one part per line when
// `indented`, else on one line.
std::string RenderQuery(const QuerySpec& query, bool indented);

// Reads a query text. Fails with 0x80070057 (com::hr::kInvalidArg) and a
// description that names the fault ("Search query: ...") for a text that is
// not XML or not a query: an unknown element or attribute, a missing or
// malformed ID, an unknown operation or link, a limit below 1.
QuerySpec ParseQuery(std::string_view text);

// The names the text uses for the codes of ostrel::search_operation and
// ostrel::search_link; nullptr for a code that is not defined.
const char* OperationName(int32_t operation);
const char* LinkName(int32_t link);

}  // namespace embedded::search
