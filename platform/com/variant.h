#pragma once

#include <compare>
#include <iosfwd>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>
#include <vector>

#include "platform/com/hresult.h"
#include "platform/com/unknown.h"

namespace com {

// A date as the automation runtime keeps it: days since 30 December 1899,
// the fraction being the time of day.
struct Date {
  double serial = 0;
  friend bool operator==(Date, Date) = default;
};

// The automation value. Conversions follow OLE Automation (see ChangeType);
// all of their rules are in variant.cpp.
class Variant {
 public:
  // Numbered as VARTYPE, so that the numbers read the same everywhere.
  enum class Type : uint16_t {
    Empty = 0,
    Null = 1,
    I2 = 2,
    I4 = 3,
    R4 = 4,
    R8 = 5,
    Date = 7,
    Text = 8,     // VT_BSTR
    Object = 9,   // VT_DISPATCH / VT_UNKNOWN
    Error = 10,   // VT_ERROR: a missing optional argument is Error(0x80020004)
    Bool = 11,
    Any = 12,     // VT_VARIANT: never a value's type; a parameter that takes any value
    Array = 0x200C,  // VT_ARRAY | VT_VARIANT
  };
  using Array = std::vector<Variant>;

  Variant() = default;  // Empty
  explicit Variant(int16_t v) : type_(Type::I2), data_(v) {}
  explicit Variant(int32_t v) : type_(Type::I4), data_(v) {}
  explicit Variant(float v) : type_(Type::R4), data_(v) {}
  explicit Variant(double v) : type_(Type::R8), data_(v) {}
  explicit Variant(bool v) : type_(Type::Bool), data_(v) {}
  explicit Variant(Date v) : type_(Type::Date), data_(v.serial) {}
  explicit Variant(std::string v) : type_(Type::Text), data_(std::move(v)) {}
  explicit Variant(std::string_view v) : Variant(std::string(v)) {}
  explicit Variant(const char* v) : Variant(std::string(v)) {}
  // Pointers never turn into Bool.
  template <class T>
  explicit Variant(const T*) = delete;
  explicit Variant(Ref<Unknown> v) : type_(Type::Object), data_(std::move(v)) {}
  template <class T>
    requires(std::is_base_of_v<Unknown, T> && !std::is_same_v<T, Unknown>)
  explicit Variant(const Ref<T>& v) : Variant(Ref<Unknown>(static_cast<Unknown*>(v.get()))) {}
  explicit Variant(Array v)
      : type_(Type::Array), data_(std::make_shared<const Array>(std::move(v))) {}

  static Variant Null() { return Variant(Type::Null); }
  static Variant Error(HResult code) {
    Variant v(Type::Error);
    v.data_ = static_cast<int32_t>(code);
    return v;
  }
  // The value of an optional argument that the caller left out.
  static Variant Missing() { return Error(hr::kParamNotFound); }

  Type type() const { return type_; }
  bool IsEmpty() const { return type_ == Type::Empty; }
  bool IsNull() const { return type_ == Type::Null; }
  bool IsMissing() const { return type_ == Type::Error && std::get<int32_t>(data_) == hr::kParamNotFound; }
  bool IsObject() const { return type_ == Type::Object; }
  bool IsText() const { return type_ == Type::Text; }

  // The value without conversion, when it is of that type.
  std::optional<int16_t> TryI2() const { return Get<int16_t>(Type::I2); }
  std::optional<int32_t> TryI4() const { return Get<int32_t>(Type::I4); }
  std::optional<double> TryR8() const { return Get<double>(Type::R8); }
  std::optional<bool> TryBool() const { return Get<bool>(Type::Bool); }
  const std::string* TryText() const { return type_ == Type::Text ? &std::get<std::string>(data_) : nullptr; }
  const Array* TryArray() const {
    return type_ == Type::Array ? std::get<std::shared_ptr<const Array>>(data_).get() : nullptr;
  }
  // The object; null for any other type.
  Unknown* TryObject() const { return type_ == Type::Object ? std::get<Ref<Unknown>>(data_).get() : nullptr; }
  HResult ErrorCode() const { return type_ == Type::Error ? std::get<int32_t>(data_) : hr::kOk; }

  // Conversions by the OLE Automation rules, in the thread's locale
  // (ThreadLocaleID). They throw com::Error: 0x800A000D type mismatch,
  // 0x800A0006 overflow, 0x800A005E invalid use of Null.
  int16_t ToI2() const;
  int32_t ToI4() const;
  float ToR4() const;
  double ToR8() const;
  bool ToBool() const;
  Date ToDate() const;
  std::string ToText() const&;
  // The same; text is moved out of a value about to go rather than copied.
  std::string ToText() &&;
  Ref<Unknown> ToObject() const;
  // This value as `type` (Any: unchanged; Null and Empty convert only to themselves or by the rules above).
  Variant ChangeType(Type type) const;

  // Numbers, Empty, Booleans and text that reads as a number in the thread's
  // locale; not Null, dates, objects or other text.
  bool IsNumeric() const;

  // Exact equality of type and value (texts binary, objects by identity):
  // for tests and containers. Use Compare for the runtime's comparison.
  friend bool operator==(const Variant& a, const Variant& b);

 private:
  explicit Variant(Type t) : type_(t) {}
  template <class T>
  std::optional<T> Get(Type t) const {
    if (type_ != t) return std::nullopt;
    return std::get<T>(data_);
  }
  double NumberOrThrow() const;

  Type type_ = Type::Empty;
  std::variant<std::monostate, int16_t, int32_t, float, double, bool, std::string, Ref<Unknown>,
               std::shared_ptr<const Array>>
      data_;
};

// The runtime's comparison of two values:
// Empty equals 0 and ""; numeric kinds (I2, I4, R4, R8, Bool, Date) compare
// by value; texts compare binary (case-sensitive); a number sorts before a
// text and never equals it; objects are equal when they are one object.
// Null compared with anything gives Null: the caller's rule decides.
enum class Comparison { Less, Equal, Greater, Null, Unordered };
Comparison Compare(const Variant& a, const Variant& b);

// For messages and test output: "I4 12", "Text \"abc\"", "Null".
std::string DebugString(const Variant& v);
std::ostream& operator<<(std::ostream& os, const Variant& v);

// The name of a type for messages ("I4", "Text").
std::string_view TypeName(Variant::Type type);

// Text of a number in the thread's locale: the shortest form that reads back
// to the same value, with the locale's decimal separator.
std::string NumberToText(double value);
std::string NumberToText(float value);
// A number from text in the thread's locale: blanks around, optional sign,
// the locale's decimal separator, optional exponent. nullopt when it is not one;
// 0x800A0006 overflow beyond the largest double, and zero below the smallest.
std::optional<double> TextToNumber(std::string_view text);

// Dates: ISO 8601 text ("2026-12-08", "2026-12-08T10:30:00") and the
// locale's short date form with an optional time read as dates.
std::optional<Date> TextToDate(std::string_view text);
// The date in the locale's short form, with the time when it has one
// (and the time alone for a date whose day part is 0).
std::string DateToText(Date date);
// "2026-12-08T10:30:00" (seconds rounded to the nearest).
std::string DateToIso(Date date);
// Serial of a calendar date and time; nullopt for an impossible date.
std::optional<Date> MakeDate(int year, int month, int day, int hour = 0, int minute = 0, double second = 0);
struct DateParts {
  int year, month, day, hour, minute, second;
};
DateParts SplitDate(Date date);
// The current local time.
Date Now();

}  // namespace com
