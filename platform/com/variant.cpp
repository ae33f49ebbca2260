// The conversion rules of the automation runtime, all in one place.
#include "platform/com/variant.h"

#include <utility>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <ctime>
#include <limits>
#include <ostream>

#include "platform/com/locale.h"
#include "platform/com/text.h"

namespace com {
namespace {

// The range of an automation date: 1 January 100 to 31 December 9999.
constexpr double kMinDate = -657434.0;
constexpr double kMaxDate = 2958466.0;  // exclusive
constexpr double kUnixEpochSerial = 25569.0;  // 1 January 1970

[[noreturn]] void Mismatch() { throw Error(hr::kTypeMismatch); }
[[noreturn]] void Overflow() { throw Error(hr::kOverflow); }
[[noreturn]] void NullUse() { throw Error(hr::kInvalidUseOfNull); }

// Round to the nearest integer, halves to even, as the runtime's integer
// conversions do (2.5 -> 2, 3.5 -> 4, -2.5 -> -2).
double RoundHalfEven(double x) {
  double r = std::round(x);  // halves away from zero
  if (std::fabs(x - std::trunc(x)) == 0.5) r = 2.0 * std::round(x / 2.0);
  return r;
}

template <class Int>
Int ToInteger(double x) {
  if (std::isnan(x)) Overflow();
  double r = RoundHalfEven(x);
  if (r < static_cast<double>(std::numeric_limits<Int>::min()) ||
      r > static_cast<double>(std::numeric_limits<Int>::max())) {
    Overflow();
  }
  return static_cast<Int>(r);
}

// A conversion from text skips the spaces and tabs around what it reads,
// as the runtime's do; unlike text::Trim it keeps line breaks, so a number
// followed by one is no number.
std::string_view TrimSpacesAndTabs(std::string_view s) {
  const auto space_or_tab = [](char c) { return c == ' ' || c == '\t'; };
  while (!s.empty() && space_or_tab(s.front())) s.remove_prefix(1);
  while (!s.empty() && space_or_tab(s.back())) s.remove_suffix(1);
  return s;
}

// Days since 1970-01-01 of a civil date (proleptic Gregorian).
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void CivilFromDays(int64_t z, int& y, int& m, int& d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t yy = static_cast<int64_t>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(yy + (m <= 2));
}

int DaysInMonth(int y, int m) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (m == 2 && ((y % 4 == 0 && y % 100 != 0) || y % 400 == 0)) return 29;
  return kDays[m - 1];
}

// Reads an unsigned decimal number of 1 to `max_digits` digits.
bool ReadInt(std::string_view& s, int& out, size_t max_digits = 4) {
  size_t n = 0;
  int v = 0;
  while (n < s.size() && n < max_digits && s[n] >= '0' && s[n] <= '9') v = v * 10 + (s[n++] - '0');
  if (n == 0) return false;
  out = v;
  s.remove_prefix(n);
  return true;
}

bool Eat(std::string_view& s, char c) {
  if (s.empty() || s.front() != c) return false;
  s.remove_prefix(1);
  return true;
}

// "HH:MM[:SS[.fff]]" with an optional AM/PM; the rest of `s` must be empty.
bool ReadTime(std::string_view s, double& seconds) {
  s = TrimSpacesAndTabs(s);
  int h = 0, mi = 0;
  double sec = 0;
  if (!ReadInt(s, h, 2) || !Eat(s, ':') || !ReadInt(s, mi, 2)) return false;
  if (Eat(s, ':')) {
    int si = 0;
    if (!ReadInt(s, si, 2)) return false;
    sec = si;
    if (Eat(s, '.')) {
      double scale = 0.1;
      while (!s.empty() && s.front() >= '0' && s.front() <= '9') {
        sec += (s.front() - '0') * scale;
        scale /= 10;
        s.remove_prefix(1);
      }
    }
  }
  s = TrimSpacesAndTabs(s);
  if (!s.empty()) {
    // Designators and UTC offsets after an ISO time are accepted and the
    // time is kept as written: dates carry no time zone here.
    if (text::EqualNoCase(s, "AM") || text::EqualNoCase(s, "PM")) {
      if (h < 1 || h > 12) return false;
      bool pm = text::EqualNoCase(s, "PM");
      h = (h % 12) + (pm ? 12 : 0);
    } else if (s == "Z" || ((s.front() == '+' || s.front() == '-') && s.size() == 6 && s[3] == ':')) {
    } else {
      return false;
    }
  }
  if (h > 23 || mi > 59 || sec >= 60) return false;
  seconds = h * 3600.0 + mi * 60.0 + sec;
  return true;
}

std::optional<Date> ReadIsoDate(std::string_view s) {
  int y, m, d;
  std::string_view t = s;
  if (t.size() < 10 || !ReadInt(t, y, 4) || !Eat(t, '-') || !ReadInt(t, m, 2) || !Eat(t, '-') ||
      !ReadInt(t, d, 2)) {
    return std::nullopt;
  }
  if (s.size() < 10 || s[4] != '-' || s[7] != '-') return std::nullopt;
  double seconds = 0;
  if (!t.empty()) {
    if (t.front() != 'T' && t.front() != ' ') return std::nullopt;
    t.remove_prefix(1);
    if (!ReadTime(t, seconds)) return std::nullopt;
  }
  return MakeDate(y, m, d, 0, 0, seconds);
}

// The locale's short form: the order of day, month and year from its pattern.
std::optional<Date> ReadLocaleDate(std::string_view s, const LocaleFacts& facts) {
  char order[3];
  int n = 0;
  for (char c : facts.short_date) {
    if ((c == 'd' || c == 'M' || c == 'y') && (n == 0 || order[n - 1] != c) && n < 3) order[n++] = c;
  }
  if (n != 3) return std::nullopt;
  std::string_view t = TrimSpacesAndTabs(s);
  int parts[3];
  char sep = 0;
  for (int i = 0; i < 3; ++i) {
    if (i > 0) {
      if (t.empty() || (t.front() != '/' && t.front() != '.' && t.front() != '-')) return std::nullopt;
      if (sep == 0) sep = t.front();
      if (t.front() != sep) return std::nullopt;
      t.remove_prefix(1);
    }
    if (!ReadInt(t, parts[i], order[i] == 'y' ? 4 : 2)) return std::nullopt;
  }
  Eat(t, '.');  // some locales end the date with a point
  int y = 0, m = 0, d = 0;
  for (int i = 0; i < 3; ++i) {
    (order[i] == 'd' ? d : order[i] == 'M' ? m : y) = parts[i];
  }
  if (y < 100) y += y < 30 ? 2000 : 1900;  // two-digit years: 1930 to 2029
  double seconds = 0;
  t = TrimSpacesAndTabs(t);
  if (!t.empty() && !ReadTime(t, seconds)) return std::nullopt;
  return MakeDate(y, m, d, 0, 0, seconds);
}

std::string Pad2(int v) {
  char b[8];
  std::snprintf(b, sizeof b, "%02d", v);
  return b;
}

std::string FormatTime(const DateParts& p, const LocaleFacts& f) {
  if (f.twelve_hour) {
    int h = p.hour % 12 == 0 ? 12 : p.hour % 12;
    return std::to_string(h) + ":" + Pad2(p.minute) + ":" + Pad2(p.second) + (p.hour < 12 ? " AM" : " PM");
  }
  return Pad2(p.hour) + ":" + Pad2(p.minute) + ":" + Pad2(p.second);
}

std::string FormatDate(const DateParts& p, const LocaleFacts& f) {
  std::string out;
  std::string_view pat = f.short_date;
  for (size_t i = 0; i < pat.size();) {
    char c = pat[i];
    size_t run = 1;
    while (i + run < pat.size() && pat[i + run] == c) ++run;
    if (c == 'd' || c == 'M') {
      int v = c == 'd' ? p.day : p.month;
      out += run >= 2 ? Pad2(v) : std::to_string(v);
    } else if (c == 'y') {
      out += run >= 4 ? std::to_string(p.year) : Pad2(p.year % 100);
    } else {
      out.append(run, c);
    }
    i += run;
  }
  return out;
}

template <class F>
std::string FormatNumber(F value) {
  if (std::isnan(value)) return "NaN";
  if (std::isinf(value)) return value < 0 ? "-Infinity" : "Infinity";
  if (value == 0) return "0";  // also -0
  // The shortest digits that read back to the same value.
  char buf[64];
  auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific);
  std::string_view sci(buf, static_cast<size_t>(res.ptr - buf));
  bool negative = sci.front() == '-';
  if (negative) sci.remove_prefix(1);
  size_t e = sci.find('e');
  std::string digits;
  for (char c : sci.substr(0, e)) {
    if (c != '.') digits += c;
  }
  int exp = 0;
  std::from_chars(sci.data() + e + (sci[e + 1] == '+' ? 2 : 1), sci.data() + sci.size(), exp);
  std::string_view dec = FactsOf(ThreadLocaleID()).decimal;
  std::string out = negative ? "-" : "";
  // Plain notation for exponents -5 to 14, scientific beyond, as the runtime writes numbers.
  if (exp >= -5 && exp < 15) {
    if (exp < 0) {
      out += "0";
      out += dec;
      out.append(static_cast<size_t>(-exp - 1), '0');
      out += digits;
    } else if (static_cast<size_t>(exp) + 1 >= digits.size()) {
      out += digits;
      out.append(static_cast<size_t>(exp) + 1 - digits.size(), '0');
    } else {
      out += digits.substr(0, static_cast<size_t>(exp) + 1);
      out += dec;
      out += digits.substr(static_cast<size_t>(exp) + 1);
    }
  } else {
    out += digits.substr(0, 1);
    if (digits.size() > 1) {
      out += dec;
      out += digits.substr(1);
    }
    out += exp < 0 ? "E-" : "E+";
    std::string ex = std::to_string(std::abs(exp));
    if (ex.size() < 2) ex = "0" + ex;
    out += ex;
  }
  return out;
}

bool IsNumberType(Variant::Type t) {
  using T = Variant::Type;
  return t == T::I2 || t == T::I4 || t == T::R4 || t == T::R8 || t == T::Bool || t == T::Date;
}

}  // namespace

// ---- text and numbers ------------------------------------------------------

std::string NumberToText(double value) { return FormatNumber(value); }
std::string NumberToText(float value) { return FormatNumber(value); }

namespace {

// Whether a number that from_chars finds out of a double's range is too
// small rather than too large: the place of its first significant digit,
// with the exponent, is below the units. `number` is as TextToNumber builds
// it: an optional "-", digits with an optional ".", an optional exponent.
bool TooSmall(std::string_view number) {
  const size_t e = number.find('e');
  long exponent = 0;
  if (e != std::string_view::npos) {
    size_t i = e + 1;
    const bool negative = i < number.size() && number[i] == '-';
    if (i < number.size() && (number[i] == '-' || number[i] == '+')) ++i;
    for (; i < number.size(); ++i) exponent = std::min(exponent * 10 + (number[i] - '0'), 100000L);
    if (negative) exponent = -exponent;
  }
  const std::string_view mantissa = number.substr(0, e);
  const size_t point = std::min(mantissa.find('.'), mantissa.size());
  const size_t first = mantissa.find_first_of("123456789");
  if (first == std::string_view::npos) return true;
  const long place = first < point ? static_cast<long>(point - first) : -static_cast<long>(first - point - 1);
  return place + exponent <= 0;
}

}  // namespace

std::optional<double> TextToNumber(std::string_view s) {
  s = TrimSpacesAndTabs(s);
  std::string_view dec = FactsOf(ThreadLocaleID()).decimal;
  std::string buf;
  buf.reserve(s.size());
  size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
    if (s[i] == '-') buf += '-';
    ++i;
  }
  size_t digits = 0;
  while (i < s.size() && s[i] >= '0' && s[i] <= '9') buf += s[i++], ++digits;
  if (s.substr(i).starts_with(dec)) {
    buf += '.';
    i += dec.size();
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') buf += s[i++], ++digits;
  }
  if (digits == 0) return std::nullopt;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    buf += 'e';
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) buf += s[i++];
    size_t exp_digits = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') buf += s[i++], ++exp_digits;
    if (exp_digits == 0) return std::nullopt;
  }
  if (i != s.size()) return std::nullopt;
  double v = 0;
  auto res = std::from_chars(buf.data(), buf.data() + buf.size(), v);
  if (res.ec == std::errc::result_out_of_range) {
    // Below the smallest double a number reads as zero; above the largest it overflows.
    if (TooSmall(buf)) return buf[0] == '-' ? -0.0 : 0.0;
    Overflow();
  }
  if (res.ec != std::errc() || res.ptr != buf.data() + buf.size()) return std::nullopt;
  return v;
}

// ---- dates ------------------------------------------------------------------

std::optional<Date> MakeDate(int year, int month, int day, int hour, int minute, double second) {
  if (year < 100 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month)) {
    return std::nullopt;
  }
  double days = static_cast<double>(DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day))) +
                kUnixEpochSerial;
  double frac = (hour * 3600.0 + minute * 60.0 + second) / 86400.0;
  // Before day 0 the time still counts forward from midnight: -1.25 is
  // 29 December 1899, 6:00.
  return Date{days < 0 ? days - frac : days + frac};
}

DateParts SplitDate(Date date) {
  double day = std::trunc(date.serial);
  double frac = std::fabs(date.serial - day);
  int64_t secs = static_cast<int64_t>(std::llround(frac * 86400.0));
  if (secs >= 86400) {
    secs -= 86400;
    day += date.serial < 0 ? -1 : 1;
  }
  DateParts p{};
  CivilFromDays(static_cast<int64_t>(day - kUnixEpochSerial), p.year, p.month, p.day);
  p.hour = static_cast<int>(secs / 3600);
  p.minute = static_cast<int>(secs / 60 % 60);
  p.second = static_cast<int>(secs % 60);
  return p;
}

std::optional<Date> TextToDate(std::string_view s) {
  s = TrimSpacesAndTabs(s);
  if (s.empty()) return std::nullopt;
  if (auto d = ReadIsoDate(s)) return d;
  if (auto d = ReadLocaleDate(s, FactsOf(ThreadLocaleID()))) return d;
  double seconds;
  if (ReadTime(s, seconds)) return Date{seconds / 86400.0};
  return std::nullopt;
}

std::string DateToText(Date date) {
  const LocaleFacts& f = FactsOf(ThreadLocaleID());
  DateParts p = SplitDate(date);
  bool has_time = p.hour || p.minute || p.second;
  if (std::trunc(date.serial) == 0 && has_time) return FormatTime(p, f);
  std::string out = FormatDate(p, f);
  if (has_time) {
    out += ' ';
    out += FormatTime(p, f);
  }
  return out;
}

std::string DateToIso(Date date) {
  DateParts p = SplitDate(date);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d", p.year, p.month, p.day, p.hour, p.minute,
                p.second);
  return buf;
}

Date Now() {
  time_t t = time(nullptr);
  struct tm lt;
  localtime_r(&t, &lt);
  return *MakeDate(lt.tm_year + 1900, lt.tm_mon + 1, lt.tm_mday, lt.tm_hour, lt.tm_min, lt.tm_sec);
}

// ---- conversions --------------------------------------------------------------

double Variant::NumberOrThrow() const {
  switch (type_) {
    case Type::Empty: return 0;
    case Type::Null: NullUse();
    case Type::I2: return std::get<int16_t>(data_);
    case Type::I4: return std::get<int32_t>(data_);
    case Type::R4: return std::get<float>(data_);
    case Type::R8:
    case Type::Date: return std::get<double>(data_);
    case Type::Bool: return std::get<bool>(data_) ? -1 : 0;
    case Type::Text: {
      if (auto v = TextToNumber(std::get<std::string>(data_))) return *v;
      Mismatch();
    }
    default: Mismatch();
  }
}

int16_t Variant::ToI2() const {
  if (type_ == Type::I2) return std::get<int16_t>(data_);
  return ToInteger<int16_t>(NumberOrThrow());
}

int32_t Variant::ToI4() const {
  if (type_ == Type::I4) return std::get<int32_t>(data_);
  return ToInteger<int32_t>(NumberOrThrow());
}

float Variant::ToR4() const {
  if (type_ == Type::R4) return std::get<float>(data_);
  double v = NumberOrThrow();
  if (std::isfinite(v) && std::fabs(v) > std::numeric_limits<float>::max()) Overflow();
  return static_cast<float>(v);
}

double Variant::ToR8() const { return NumberOrThrow(); }

bool Variant::ToBool() const {
  switch (type_) {
    case Type::Bool: return std::get<bool>(data_);
    case Type::Text: {
      std::string_view s = TrimSpacesAndTabs(std::get<std::string>(data_));
      if (text::EqualNoCase(s, "True")) return true;
      if (text::EqualNoCase(s, "False")) return false;
      if (auto v = TextToNumber(s)) return *v != 0;
      Mismatch();
    }
    default: return NumberOrThrow() != 0;
  }
}

Date Variant::ToDate() const {
  double serial;
  if (type_ == Type::Text) {
    if (auto d = TextToDate(std::get<std::string>(data_))) return *d;
    auto v = TextToNumber(std::get<std::string>(data_));
    if (!v) Mismatch();
    serial = *v;
  } else {
    serial = NumberOrThrow();
  }
  if (!(serial >= kMinDate && serial < kMaxDate)) Overflow();
  return Date{serial};
}

std::string Variant::ToText() && {
  if (type_ == Type::Text) return std::move(std::get<std::string>(data_));
  return std::as_const(*this).ToText();
}

std::string Variant::ToText() const& {
  switch (type_) {
    case Type::Empty: return "";
    case Type::Null: NullUse();
    case Type::I2: return std::to_string(std::get<int16_t>(data_));
    case Type::I4: return std::to_string(std::get<int32_t>(data_));
    case Type::R4: return NumberToText(std::get<float>(data_));
    case Type::R8: return NumberToText(std::get<double>(data_));
    case Type::Date: return DateToText(Date{std::get<double>(data_)});
    case Type::Bool: return std::get<bool>(data_) ? "True" : "False";
    case Type::Text: return std::get<std::string>(data_);
    default: Mismatch();
  }
}

Ref<Unknown> Variant::ToObject() const {
  if (type_ == Type::Object) return std::get<Ref<Unknown>>(data_);
  if (type_ == Type::Null) NullUse();
  Mismatch();
}

Variant Variant::ChangeType(Type t) const {
  if (t == type_ || t == Type::Any) return *this;
  if (type_ == Type::Null) NullUse();
  switch (t) {
    case Type::Empty: return Variant();
    case Type::I2: return Variant(ToI2());
    case Type::I4: return Variant(ToI4());
    case Type::R4: return Variant(ToR4());
    case Type::R8: return Variant(ToR8());
    case Type::Date: return Variant(ToDate());
    case Type::Text: return Variant(ToText());
    case Type::Bool: return Variant(ToBool());
    case Type::Object: return Variant(ToObject());
    default: Mismatch();
  }
}

bool Variant::IsNumeric() const {
  switch (type_) {
    case Type::Empty:
    case Type::I2:
    case Type::I4:
    case Type::R4:
    case Type::R8:
    case Type::Bool: return true;
    case Type::Text:
      try {
        return TextToNumber(std::get<std::string>(data_)).has_value();
      } catch (const com::Error&) {
        return true;  // a number out of range is still a number
      }
    default: return false;
  }
}

bool operator==(const Variant& a, const Variant& b) {
  if (a.type_ != b.type_) return false;
  if (a.type_ == Variant::Type::Array) return *a.TryArray() == *b.TryArray();
  return a.data_ == b.data_;
}

Comparison Compare(const Variant& a, const Variant& b) {
  using T = Variant::Type;
  if (a.IsNull() || b.IsNull()) return Comparison::Null;
  auto order = [](auto x, auto y) {
    return x < y ? Comparison::Less : y < x ? Comparison::Greater : Comparison::Equal;
  };
  bool a_num = IsNumberType(a.type()) || a.IsEmpty();
  bool b_num = IsNumberType(b.type()) || b.IsEmpty();
  if (a.IsEmpty() && b.IsText()) return order(std::string_view(), std::string_view(*b.TryText()));
  if (b.IsEmpty() && a.IsText()) return order(std::string_view(*a.TryText()), std::string_view());
  if (a_num && b_num) return order(a.ToR8(), b.ToR8());
  if (a.IsText() && b.IsText()) return order(std::string_view(*a.TryText()), std::string_view(*b.TryText()));
  if (a_num && b.IsText()) return Comparison::Less;
  if (a.IsText() && b_num) return Comparison::Greater;
  if (a.type() == T::Object && b.type() == T::Object) {
    return a.TryObject() == b.TryObject() ? Comparison::Equal : Comparison::Unordered;
  }
  return a == b ? Comparison::Equal : Comparison::Unordered;
}

std::string DebugString(const Variant& v) {
  std::string out(TypeName(v.type()));
  switch (v.type()) {
    case Variant::Type::Empty:
    case Variant::Type::Null: return out;
    case Variant::Type::Text: return out + " \"" + *v.TryText() + "\"";
    case Variant::Type::Object: return out + (v.TryObject() ? " object" : " Nothing");
    case Variant::Type::Error: return out + " " + HexCode(v.ErrorCode());
    case Variant::Type::Date: return out + " " + DateToIso(v.ToDate());
    case Variant::Type::Array: {
      out += " [";
      const char* sep = "";
      for (const Variant& item : *v.TryArray()) {
        out += sep + DebugString(item);
        sep = ", ";
      }
      return out + "]";
    }
    default: {
      ScopedThreadLocale invariant(1033);
      return out + " " + v.ToText();
    }
  }
}

std::ostream& operator<<(std::ostream& os, const Variant& v) { return os << DebugString(v); }

std::string_view TypeName(Variant::Type type) {
  switch (type) {
    case Variant::Type::Empty: return "Empty";
    case Variant::Type::Null: return "Null";
    case Variant::Type::I2: return "I2";
    case Variant::Type::I4: return "I4";
    case Variant::Type::R4: return "R4";
    case Variant::Type::R8: return "R8";
    case Variant::Type::Date: return "Date";
    case Variant::Type::Text: return "Text";
    case Variant::Type::Object: return "Object";
    case Variant::Type::Error: return "Error";
    case Variant::Type::Bool: return "Bool";
    case Variant::Type::Any: return "Variant";
    case Variant::Type::Array: return "Array";
  }
  return "?";
}

}  // namespace com
