#include "objects/core/row_wrapper.h"

namespace vorlane {

ostrel::Row& RowWrapper::row() const {
  if (!row_) throw com::Error(com::hr::kObjectNotSet);
  return *row_;
}

}  // namespace vorlane
