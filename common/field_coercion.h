#pragma once

#include <cstdint>
#include <string>

#include "platform/com/variant.h"

// How properties read their fields. A field reads Null when it is empty;
// none of these fails on Null or Empty. "Numeric" is Variant::IsNumeric:
// numbers, Empty, Booleans and text that reads as a number in the thread's
// locale; not Null, dates, objects or other text.
namespace vorlane {

// "" for Null, Empty or a zero-length text; otherwise the value as text.
std::string FieldToString(const com::Variant& value);
// 0 when the value is not numeric; otherwise the value as a 32-bit integer
// (rounded half to even; out of range fails with overflow).
int32_t FieldToLong(const com::Variant& value);
// 0 when not numeric; otherwise the value as a 16-bit integer.
int16_t FieldToInteger(const com::Variant& value);
// 0 when not numeric; otherwise the value as a 32-bit float.
float FieldToSingle(const com::Variant& value);
// False for Null, Empty or a zero-length text; otherwise the value as a
// Boolean. Text that is neither a number nor "True"/"False" fails with a
// type mismatch.
bool FieldToBoolean(const com::Variant& value);

}  // namespace vorlane
