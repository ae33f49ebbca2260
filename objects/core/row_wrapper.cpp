#include "objects/core/row_wrapper.h"

namespace vorlane {

ostrel::Row& RowWrapper::row() const {
  if (!row_) throw com::Error(com::hr::kObjectNotSet);
  return *row_;
}

std::string RowWrapper::GetStrictID(const char* field) const {
  // The field's text is normalised where it lies, without a copy.
  std::string id = Get(field).ToText();
  NormalizeIDInPlace(id);
  return id;
}

}  // namespace vorlane
