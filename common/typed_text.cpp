#include "common/typed_text.h"

#include "platform/com/text.h"

namespace vorlane {
namespace {

bool IsEmptyValue(const com::Variant& value) {
  if (value.IsNull() || value.IsEmpty()) return true;
  const std::string* s = value.TryText();
  return s && s->empty();
}

// A double in invariant text: the locale's text form with its separator
// replaced by ".".
std::string InvariantNumber(double value) {
  std::string local = com::Variant(value).ToText();
  std::string sep = DecimalSeparator();
  if (sep.empty() || sep == ".") return local;
  return text::ReplaceAll(local, sep, ".");
}

// A double from invariant text: "." replaced by the locale's separator, then
// read as the locale reads numbers.
double NumberFromInvariant(std::string_view invariant) {
  std::string sep = DecimalSeparator();
  if (sep.empty() || sep == ".") return com::Variant(invariant).ToR8();
  return com::Variant(text::ReplaceAll(invariant, ".", sep)).ToR8();
}

}  // namespace

std::string DecimalSeparator() {
  std::string one_point_one = com::Variant(1.1).ToText();
  if (one_point_one.size() < 2) return std::string();
  return one_point_one.substr(1, one_point_one.size() - 2);
}

std::string ValueToText(VarTypeEnum type, const com::Variant& value) {
  if (IsEmptyValue(value)) return std::string();
  switch (type) {
    case VarTypeEnum::Generic:
    case VarTypeEnum::String:
    case VarTypeEnum::Enum: return value.ToText();
    case VarTypeEnum::Integer: return std::to_string(value.ToI4());
    case VarTypeEnum::Float: return InvariantNumber(value.ToR8());
    case VarTypeEnum::Boolean: return value.ToBool() ? "1" : "0";
    case VarTypeEnum::DateTime: return InvariantNumber(value.ToDate().serial);
  }
  return std::string();
}

com::Variant TextToValue(std::string_view text, VarTypeEnum type) {
  if (text.empty()) return com::Variant(std::string());
  switch (type) {
    case VarTypeEnum::Generic:
    case VarTypeEnum::String:
    case VarTypeEnum::Enum: return com::Variant(text);
    case VarTypeEnum::Integer: return com::Variant(com::Variant(text).ToI4());
    case VarTypeEnum::Float: return com::Variant(NumberFromInvariant(text));
    case VarTypeEnum::Boolean: return com::Variant(com::Variant(text).ToI4() == 1);
    case VarTypeEnum::DateTime: {
      if (auto date = com::TextToDate(text)) return com::Variant(*date);
      // A serial number: the range check of a date applies.
      return com::Variant(com::Variant(NumberFromInvariant(text)).ToDate());
    }
  }
  return com::Variant();
}

}  // namespace vorlane
