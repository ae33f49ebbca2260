#pragma once

#include "platform/com/registry.h"
#include "platform/ostrel/search_query.h"

namespace embedded::search {

// A new, empty search query: the object behind class
// ostrel::SearchQuery::kCLSID ("Ostrel.SearchQuery"), which the store library
// registers in the process's class registry when it loads. The query and its
// parts keep what they are given, in memory, until Render renders them.
com::Ref<ostrel::SearchQuery> NewSearchQuery();

// The class as the registry knows it.
com::ClassInfo SearchQueryClass();

}  // namespace embedded::search
