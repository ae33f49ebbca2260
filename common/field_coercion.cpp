#include "common/field_coercion.h"

namespace vorlane {
namespace {

// Null, Empty and "" all mean an empty field.
bool IsEmptyField(const com::Variant& value) {
  if (value.IsNull() || value.IsEmpty()) return true;
  const std::string* s = value.TryText();
  return s && s->empty();
}

}  // namespace

std::string FieldToString(const com::Variant& value) {
  if (IsEmptyField(value)) return std::string();
  return value.ToText();
}

int32_t FieldToLong(const com::Variant& value) { return value.IsNumeric() ? value.ToI4() : 0; }

int16_t FieldToInteger(const com::Variant& value) { return value.IsNumeric() ? value.ToI2() : 0; }

float FieldToSingle(const com::Variant& value) { return value.IsNumeric() ? value.ToR4() : 0.0f; }

bool FieldToBoolean(const com::Variant& value) {
  if (IsEmptyField(value)) return false;
  return value.ToBool();
}

}  // namespace vorlane
