#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/com/variant.h"

// The platform's field type codes (FieldType.GetType) and, in one table, what
// each code stores and how its value is written as XML text: the card's XML
// form (CardData.GetXML) writes with this table and the card importer reads
// with it, so a card written and read back keeps its values.
namespace ostrel {

namespace field_type {
inline constexpr int kDateTime = 2;     // a date and time (DATE)
inline constexpr int kBoolean = 3;      // True or False (BOOL)
inline constexpr int kSmallInt = 4;     // a 16-bit integer (I2)
inline constexpr int kInteger = 5;      // a 32-bit integer (I4)
inline constexpr int kUniqueId = 6;     // a GUID, kept as "{UPPER-CASE}" text
inline constexpr int kString = 9;       // a short text
inline constexpr int kText = 10;        // a multi-line text
inline constexpr int kFloat = 12;       // a double (R8)
inline constexpr int kRowRef = 13;      // the ID of a row of the same card, as text
inline constexpr int kCardRef = 14;     // the ID of a card, as text
inline constexpr int kNameString = 15;  // a name text
inline constexpr int kLongText = 16;    // a text of any length
inline constexpr int kVariant = 21;     // any value, kept as given
}  // namespace field_type

// Field flags (FieldType.GetFlags), bit values.
namespace field_flag {
// Kept by the platform: imports never write the field.
inline constexpr int kSystem = 8;
// The platform stamps the field with the store's write sequence on every
// write of the row; SetField refuses it.
inline constexpr int kRowTimestamp = 16;
}  // namespace field_flag

struct FieldTypeCode {
  int code;
  std::string_view name;      // the name schema files use ("int", "longText")
  std::string_view xml_type;  // the XML data type of its values ("int", "dateTime", "string")
  com::Variant::Type stores;  // what a value of the field is kept as (Any for variant fields)
};

// The row of `code`, nullptr for a code the platform does not define.
const FieldTypeCode* FindFieldTypeCode(int code);
// By schema name, without regard to case; nullptr when unknown.
const FieldTypeCode* FindFieldTypeCode(std::string_view name);

// True for the codes that hold text (9, 10, 13, 14, 15, 16, and 6).
bool IsTextCode(int code);

// `value` converted to what a field of `code` stores: Null stays Null; a
// variant field keeps the value as given (objects, arrays and errors are
// refused); a GUID field takes a GUID text and keeps its "{UPPER}" form.
// Fails with 0x800A000D type mismatch (or the conversion's own error, such
// as overflow) when the value does not convert.
com::Variant ConvertToFieldType(const com::Variant& value, int code);
// True when ConvertToFieldType would give `value` back as it is, so that a
// caller may keep it instead of a copy.
bool HoldsFieldType(const com::Variant& value, int code);
// The same for the code's row (FindFieldTypeCode; nullptr for an unknown
// code), inline: every value a row is given is asked about.
inline bool HoldsFieldType(const com::Variant& value, const FieldTypeCode* code) {
  using T = com::Variant::Type;
  if (value.IsNull()) return true;
  if (!code || code->code == field_type::kUniqueId) return false;
  switch (value.type()) {
    case T::Object:
    case T::Array:
    case T::Error: return false;
    default: return code->stores == T::Any || code->stores == value.type();
  }
}

// The XML data type that names a value of this kind in a "_Type_" attribute:
// "string", "i2", "int", "r4", "float", "boolean", "dateTime"; "" for Empty,
// Null and kinds that have no XML form.
std::string_view XmlTypeOf(com::Variant::Type type);
// The XML text of a value, independent of any locale: ISO 8601 dates
// ("2026-12-08T10:30:00"), "." as decimal separator in the shortest form that
// reads back to the same double, "1"/"0" for Booleans, texts as they are.
std::string ToXmlText(const com::Variant& value);
// A value from XML text of data type `xml_type` (as XmlTypeOf names it, plus
// the aliases "i4", "r8", "number", "bool", "date"): nullopt when the text is
// not of that type. An unknown type reads the text as a string.
std::optional<com::Variant> FromXmlText(std::string_view text, std::string_view xml_type);
// What FromXmlText reads text of data type `xml_type` as: I4, I2, R8, R4,
// Bool or Date, and Text for "string" and any type it does not know.
com::Variant::Type XmlReadType(std::string_view xml_type);
// FromXmlText with the data type resolved beforehand (XmlReadType), for a
// caller that reads many values of one type.
std::optional<com::Variant> FromXmlText(std::string_view text, com::Variant::Type read_type);

}  // namespace ostrel
