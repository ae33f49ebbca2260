#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/com/variant.h"

// The fields of one row as one compact value of a store file: each field is
// its name and its value, in the row's order. The form is the file's, so it
// never changes within a layout version:
//
//   field  := varint(name length) name type-byte payload
//   type   := the value's Variant::Type number (Empty 0, I2 2, I4 3, R4 4,
//             R8 5, Date 7, Text 8, Bool 11)
//   payload:= nothing (Empty) | 2, 4 or 8 bytes little-endian (I2, I4, R4,
//             R8, Date) | one byte 0/1 (Bool) | varint(length) bytes (Text)
//
// Null is never stored (a Null field is an absent one); objects, errors and
// arrays are not values of fields (ostrel::ConvertToFieldType refuses them).
namespace embedded {

using FieldList = std::vector<std::pair<std::string, com::Variant>>;

// Appends the fields' form to `out`. Fails with ostrel::err::kStorageFailure
// for a value that no field holds (an object, an error, an array).
void EncodeFields(const FieldList& fields, std::string& out);
// Appends one field's form to `out`, failing as EncodeFields does.
void EncodeField(std::string_view name, const com::Variant& value, std::string& out);
// A field's name part of the form, made once per field of a schema by a
// writer of many rows (EncodeRow).
std::string EncodedName(std::string_view name);
// Replaces `out` by the form of a row's `n` fields: the field at i named by
// its name part name_parts[i], its value values[i]; Null values are left
// out. Sized first and written in place. Fails as EncodeFields does.
void EncodeRow(const std::string* name_parts, const com::Variant* values, size_t n, std::string& out);
// The fields of `blob`; nullopt when it is not such a form (a damaged file).
std::optional<FieldList> DecodeFields(std::string_view blob);
// Whether `blob` reads as fields, checked without making any value.
bool FieldsReadable(std::string_view blob);

// Reads the fields of a blob one at a time, without copying their names.
class FieldReader {
 public:
  explicit FieldReader(std::string_view blob) : in_(blob) {}
  // The next field; false at the end and when the blob does not read
  // (then failed() is true).
  bool Next(std::string_view& name, com::Variant& value);
  bool failed() const { return failed_; }

 private:
  std::string_view in_;
  bool failed_ = false;
};

}  // namespace embedded
