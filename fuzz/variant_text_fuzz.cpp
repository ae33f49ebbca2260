// Text read as a value, in every locale the platform knows: the conversions
// of the automation rules (to each type, and the test for a number), and
// the locale-independent XML text form of each data type. Besides not
// crashing, what reads as a value must write back as text that reads as
// the same value.
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>

#include "fuzz/fuzz_check.h"
#include "platform/com/locale.h"
#include "platform/com/variant.h"
#include "platform/ostrel/field_type_codes.h"

namespace {

using com::Variant;
using T = com::Variant::Type;

constexpr T kTypes[] = {T::I2, T::I4, T::R4, T::R8, T::Bool, T::Date, T::Text};
constexpr const char* kXmlTypes[] = {"string", "i2", "int", "i4", "r4", "float", "r8", "number",
                                     "boolean", "bool", "dateTime", "date", "unknown"};

// The value the conversion gives, or nothing when it refuses the text.
// The number the text reads as, when it reads as one that a double holds.
std::optional<double> Number(const std::string& text) {
  try {
    return com::TextToNumber(text);
  } catch (const com::Error&) {
    return std::nullopt;  // overflow
  }
}

std::optional<Variant> Converted(const Variant& text, T type) {
  try {
    return text.ChangeType(type);
  } catch (const com::Error&) {
    return std::nullopt;
  }
}

void InLocale(const std::string& text, int lcid) {
  com::ScopedThreadLocale locale(lcid);
  const Variant value(text);
  fuzz::Keep(value.IsNumeric() ? "n" : "");
  for (T type : kTypes) {
    std::optional<Variant> converted = Converted(value, type);
    if (!converted) continue;
    fuzz::Check(converted->type() == type, "a conversion gave another type", text);
    // Numbers and dates written in the locale read back in it.
    if (type == T::R8 && std::isfinite(*converted->TryR8())) {
      double x = *converted->TryR8();
      std::optional<double> back = Number(com::NumberToText(x));
      fuzz::Check(back && *back == x, "a number does not read back from its text", com::NumberToText(x));
    }
    std::string written;
    fuzz::MustNotFail("writing a converted value as text", [&] { written = converted->ToText(); });
    fuzz::Keep(written);
  }
  std::optional<double> number = Number(text);
  if (number && std::isfinite(*number)) {
    std::optional<double> back = Number(com::NumberToText(*number));
    fuzz::Check(back && *back == *number, "a number does not read back from its text", text);
  }
  if (std::optional<com::Date> date = com::TextToDate(text)) fuzz::Keep(com::DateToText(*date) + com::DateToIso(*date));
}

// The XML form reads the same in any locale; once written, it reads back
// as the value it was written from.
void AsXml(const std::string& text) {
  for (const char* xml_type : kXmlTypes) {
    std::optional<Variant> value = ostrel::FromXmlText(text, xml_type);
    if (!value) continue;
    if ((value->type() == T::R4 || value->type() == T::R8) && !std::isfinite(value->ToR8())) continue;
    std::string written = ostrel::ToXmlText(*value);
    std::optional<Variant> back = ostrel::FromXmlText(written, ostrel::XmlTypeOf(value->type()));
    fuzz::Check(back.has_value(), "the XML text of a value does not read back", written);
    fuzz::Check(ostrel::ToXmlText(*back) == written, "the XML text of a value reads back as another", written);
    if (value->type() != T::Date) fuzz::Check(*back == *value, "a value changes through its XML text", written);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 4096) return 0;  // the conversions' cost grows with the text, not their logic
  const std::string text(reinterpret_cast<const char*>(data), size);
  for (const com::LocaleFacts& locale : com::KnownLocales()) InLocale(text, locale.id);
  AsXml(text);
  return 0;
}
