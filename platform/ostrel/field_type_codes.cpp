// The one table of field type codes and the XML text forms of values.
#include "platform/ostrel/field_type_codes.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

#include "platform/com/guid.h"
#include "platform/com/text.h"

namespace ostrel {
namespace {

using T = com::Variant::Type;

constexpr std::array<FieldTypeCode, 13> kCodes{{
    {field_type::kDateTime, "dateTime", "dateTime", T::Date},
    {field_type::kBoolean, "boolean", "boolean", T::Bool},
    {field_type::kSmallInt, "smallInt", "i2", T::I2},
    {field_type::kInteger, "int", "int", T::I4},
    {field_type::kUniqueId, "uniqueId", "string", T::Text},
    {field_type::kString, "string", "string", T::Text},
    {field_type::kText, "text", "string", T::Text},
    {field_type::kFloat, "float", "float", T::R8},
    {field_type::kRowRef, "rowRef", "string", T::Text},
    {field_type::kCardRef, "cardRef", "string", T::Text},
    {field_type::kNameString, "name", "string", T::Text},
    {field_type::kLongText, "longText", "string", T::Text},
    {field_type::kVariant, "variant", "", T::Any},
}};

[[noreturn]] void Mismatch() { throw com::Error(com::hr::kTypeMismatch); }

std::string_view Trimmed(std::string_view s) { return text::Trim(s); }

template <class Int>
std::optional<Int> ReadInteger(std::string_view s) {
  s = Trimmed(s);
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  Int v{};
  auto r = std::from_chars(s.data(), s.data() + s.size(), v);
  if (r.ec != std::errc() || r.ptr != s.data() + s.size() || s.empty()) return std::nullopt;
  return v;
}

std::optional<double> ReadDouble(std::string_view s) {
  s = Trimmed(s);
  if (s == "INF" || s == "+INF") return std::numeric_limits<double>::infinity();
  if (s == "-INF") return -std::numeric_limits<double>::infinity();
  if (s == "NaN") return std::numeric_limits<double>::quiet_NaN();
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  double v = 0;
  auto r = std::from_chars(s.data(), s.data() + s.size(), v, std::chars_format::general);
  if (r.ec != std::errc() || r.ptr != s.data() + s.size() || s.empty()) return std::nullopt;
  return v;
}

// Digits at `pos`, exactly `n` of them.
bool Digits(std::string_view s, size_t pos, size_t n, int& out) {
  if (pos + n > s.size()) return false;
  out = 0;
  for (size_t i = pos; i < pos + n; ++i) {
    if (s[i] < '0' || s[i] > '9') return false;
    out = out * 10 + (s[i] - '0');
  }
  return true;
}

// ISO 8601 as XML writes dates: "YYYY-MM-DD", optionally "THH:MM", ":SS",
// ".fff" and a zone ("Z", "+hh:mm"), which is ignored: dates are local.
std::optional<com::Date> ReadIsoDate(std::string_view s) {
  s = Trimmed(s);
  int y, mo, d, h = 0, mi = 0, sec = 0;
  double frac = 0;
  if (!Digits(s, 0, 4, y) || s.size() < 10 || s[4] != '-' || !Digits(s, 5, 2, mo) || s[7] != '-' ||
      !Digits(s, 8, 2, d)) {
    return std::nullopt;
  }
  size_t i = 10;
  if (i < s.size() && (s[i] == 'T' || s[i] == ' ')) {
    if (!Digits(s, i + 1, 2, h) || i + 3 >= s.size() || s[i + 3] != ':' || !Digits(s, i + 4, 2, mi)) {
      return std::nullopt;
    }
    i += 6;
    if (i < s.size() && s[i] == ':') {
      if (!Digits(s, i + 1, 2, sec)) return std::nullopt;
      i += 3;
      if (i < s.size() && s[i] == '.') {
        size_t start = ++i;
        double scale = 0.1;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
          frac += (s[i] - '0') * scale;
          scale /= 10;
          ++i;
        }
        if (i == start) return std::nullopt;
      }
    }
    if (h > 23 || mi > 59 || sec > 59) return std::nullopt;
  }
  if (i < s.size()) {
    std::string_view zone = s.substr(i);
    int zh, zm;
    bool ok = zone == "Z" || (zone.size() == 6 && (zone[0] == '+' || zone[0] == '-') && Digits(zone, 1, 2, zh) &&
                              zone[3] == ':' && Digits(zone, 4, 2, zm));
    if (!ok) return std::nullopt;
  }
  return com::MakeDate(y, mo, d, h, mi, sec + frac);
}

template <class F>
std::string ShortestText(F value) {
  if (std::isnan(value)) return "NaN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, value);
  return std::string(buf, r.ptr);
}

}  // namespace

// The row of each code by the code itself: every field a row is set, the
// store asks for its code's row.
constexpr int kLargestCode = 21;
constexpr std::array<int8_t, kLargestCode + 1> kRowOfCode = [] {
  std::array<int8_t, kLargestCode + 1> rows{};
  for (auto& r : rows) r = -1;
  for (size_t i = 0; i < kCodes.size(); ++i) rows[static_cast<size_t>(kCodes[i].code)] = static_cast<int8_t>(i);
  return rows;
}();

const FieldTypeCode* FindFieldTypeCode(int code) {
  if (code < 0 || code > kLargestCode) return nullptr;
  const int row = kRowOfCode[static_cast<size_t>(code)];
  return row < 0 ? nullptr : &kCodes[static_cast<size_t>(row)];
}

const FieldTypeCode* FindFieldTypeCode(std::string_view name) {
  for (const auto& c : kCodes) {
    if (text::EqualNoCase(c.name, name)) return &c;
  }
  return nullptr;
}

bool IsTextCode(int code) {
  const FieldTypeCode* c = FindFieldTypeCode(code);
  return c && c->stores == T::Text;
}

com::Variant ConvertToFieldType(const com::Variant& value, int code) {
  if (HoldsFieldType(value, code)) return value;
  const FieldTypeCode* c = FindFieldTypeCode(code);
  if (!c) throw com::Error(com::hr::kInvalidArg, "Ostrel", "Unknown field type code " + std::to_string(code));
  switch (value.type()) {
    case T::Object:
    case T::Array:
    case T::Error: Mismatch();
    default: break;
  }
  if (code == field_type::kUniqueId) {
    const std::string* given = value.TryText();
    std::string converted = given ? std::string() : value.ToText();
    std::string_view t = given ? std::string_view(*given) : std::string_view(converted);
    if (text::Trim(t).empty()) return com::Variant::Null();
    auto g = com::Guid::Parse(t);
    if (!g) Mismatch();
    return com::Variant(g->ToString());
  }
  return value.ChangeType(c->stores);
}

bool HoldsFieldType(const com::Variant& value, int code) { return HoldsFieldType(value, FindFieldTypeCode(code)); }

std::string_view XmlTypeOf(com::Variant::Type type) {
  switch (type) {
    case T::I2: return "i2";
    case T::I4: return "int";
    case T::R4: return "r4";
    case T::R8: return "float";
    case T::Date: return "dateTime";
    case T::Bool: return "boolean";
    case T::Text: return "string";
    default: return "";
  }
}

std::string ToXmlText(const com::Variant& value) {
  switch (value.type()) {
    case T::Empty:
    case T::Null: return "";
    case T::I2: return std::to_string(*value.TryI2());
    case T::I4: return std::to_string(*value.TryI4());
    case T::R4: return ShortestText(value.ToR4());
    case T::R8: return ShortestText(*value.TryR8());
    case T::Date: return com::DateToIso(value.ToDate());
    case T::Bool: return *value.TryBool() ? "1" : "0";
    case T::Text: return *value.TryText();
    default: Mismatch();
  }
}

com::Variant::Type XmlReadType(std::string_view xml_type) {
  // The names are ASCII, and no other letter folds to an ASCII one: ASCII
  // folding says what text::EqualNoCase says.
  auto is = [&](std::string_view name) {
    if (xml_type.size() != name.size()) return false;
    for (size_t i = 0; i < name.size(); ++i) {
      const char a = xml_type[i], b = name[i];
      if (a != b && ((a | 0x20) != (b | 0x20) || (b | 0x20) < 'a' || (b | 0x20) > 'z')) return false;
    }
    return true;
  };
  if (is("int") || is("i4")) return T::I4;
  if (is("i2")) return T::I2;
  if (is("float") || is("r8") || is("number")) return T::R8;
  if (is("r4")) return T::R4;
  if (is("boolean") || is("bool")) return T::Bool;
  if (is("dateTime") || is("date")) return T::Date;
  return T::Text;
}

std::optional<com::Variant> FromXmlText(std::string_view s, std::string_view xml_type) {
  return FromXmlText(s, XmlReadType(xml_type));
}

std::optional<com::Variant> FromXmlText(std::string_view s, com::Variant::Type read_type) {
  switch (read_type) {
    case T::I4:
      if (auto v = ReadInteger<int32_t>(s)) return com::Variant(*v);
      return std::nullopt;
    case T::I2:
      if (auto v = ReadInteger<int16_t>(s)) return com::Variant(*v);
      return std::nullopt;
    case T::R8:
      if (auto v = ReadDouble(s)) return com::Variant(*v);
      return std::nullopt;
    case T::R4: {
      auto v = ReadDouble(s);
      if (!v || (std::isfinite(*v) && std::fabs(*v) > std::numeric_limits<float>::max())) return std::nullopt;
      return com::Variant(static_cast<float>(*v));
    }
    case T::Bool: {
      std::string_view t = Trimmed(s);
      if (t == "1" || t == "true") return com::Variant(true);
      if (t == "0" || t == "false") return com::Variant(false);
      return std::nullopt;
    }
    case T::Date:
      if (auto d = ReadIsoDate(s)) return com::Variant(*d);
      return std::nullopt;
    default:
      return com::Variant(std::string(s));
  }
}

}  // namespace ostrel
