#pragma once

#include "objects/core/row_list.h"

namespace vorlane {

// The rules of both dictionary lists: keyed by ID, in row order. Reading a
// dictionary never fails, and a list whose card could not be opened lists
// nothing.
inline constexpr RowListRules kDictionaryRules{
    .key = KeyBy::ID, .on_error = OnLoadError::Skip, .sort_field = {}, .unattached_reads_empty = true};

}  // namespace vorlane
