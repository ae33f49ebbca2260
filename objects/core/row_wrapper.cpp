#include "objects/core/row_wrapper.h"

namespace vorlane {

ostrel::Row& RowWrapper::row() const {
  if (!row_) throw com::Error(com::hr::kObjectNotSet);
  return *row_;
}

std::string RowWrapper::GetStrictID(const char* field) const {
  const com::Variant value = Get(field);
  // Text, the usual case, is normalised where it is, without a copy first.
  if (const std::string* text = value.TryText()) return NormalizeID(*text);
  return NormalizeID(value.ToText());
}

}  // namespace vorlane
