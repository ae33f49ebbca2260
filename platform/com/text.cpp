#include "platform/com/text.h"

#include <utility>

namespace text {
namespace {

// Decodes one code point at `i`, advancing `i`. Malformed bytes decode as
// themselves (one unit each) so that no input is lost.
char32_t Decode(std::string_view s, size_t& i) {
  unsigned char c = static_cast<unsigned char>(s[i]);
  int extra = c < 0x80 ? 0 : (c >> 5) == 0x6 ? 1 : (c >> 4) == 0xE ? 2 : (c >> 3) == 0x1E ? 3 : -1;
  if (extra <= 0 || i + static_cast<size_t>(extra) >= s.size()) {
    ++i;
    return c;
  }
  char32_t cp = c & (0x3F >> extra);
  for (int k = 1; k <= extra; ++k) {
    unsigned char d = static_cast<unsigned char>(s[i + k]);
    if ((d & 0xC0) != 0x80) {
      ++i;
      return c;
    }
    cp = (cp << 6) | (d & 0x3F);
  }
  i += extra + 1;
  return cp;
}

char32_t UpperOf(char32_t c) {
  if (c < 0x80) return (c >= 'a' && c <= 'z') ? c - 32 : c;
  if ((c >= 0xE0 && c <= 0xFE && c != 0xF7)) return c - 32;              // Latin-1
  if (c >= 0x100 && c <= 0x17F && c != 0x138 && c != 0x149 && c != 0x17F) {  // Latin Extended-A
    bool odd_is_lower = !((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E));
    if (odd_is_lower ? (c & 1) : !(c & 1)) return c - 1;
    return c;
  }
  if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) return c - 32;  // Greek
  if (c >= 0x430 && c <= 0x44F) return c - 32;                // Cyrillic а-я
  if (c >= 0x450 && c <= 0x45F) return c - 80;                // Cyrillic ѐ-џ
  if (c >= 0x460 && c <= 0x4FF && (c & 1) && !(c >= 0x482 && c <= 0x489)) return c - 1;
  return c;
}

char32_t LowerOf(char32_t c) {
  if (c < 0x80) return (c >= 'A' && c <= 'Z') ? c + 32 : c;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 32;
  if (c >= 0x100 && c <= 0x17F && c != 0x130 && c != 0x138 && c != 0x149 && c != 0x17F) {
    bool odd_is_lower = !((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E));
    if (odd_is_lower ? !(c & 1) : (c & 1)) return c + 1;
    return c;
  }
  if (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) return c + 32;
  if (c >= 0x410 && c <= 0x42F) return c + 32;
  if (c >= 0x400 && c <= 0x40F) return c + 80;
  if (c >= 0x460 && c <= 0x4FF && !(c & 1) && !(c >= 0x482 && c <= 0x489)) return c + 1;
  return c;
}

template <class F>
std::string MapCase(std::string_view s, F f) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size();) {
    size_t start = i;
    char32_t cp = Decode(s, i);
    if (cp < 0x80) {
      out += static_cast<char>(f(cp));
    } else if (i - start == 1) {
      out += s[start];  // a malformed byte stays as it was
    } else {
      AppendUtf8(out, f(cp));
    }
  }
  return out;
}

}  // namespace

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

size_t Length(std::string_view s) {
  size_t n = 0;
  for (size_t i = 0; i < s.size();) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {  // the common case, without decoding
      ++i;
      ++n;
      continue;
    }
    char32_t cp = Decode(s, i);
    n += cp >= 0x10000 ? 2 : 1;
  }
  return n;
}

std::string Left(std::string_view s, size_t n) {
  size_t units = 0, i = 0;
  while (i < s.size()) {
    size_t next = i;
    char32_t cp = Decode(s, next);
    size_t w = cp >= 0x10000 ? 2 : 1;
    if (units + w > n) break;
    units += w;
    i = next;
  }
  return std::string(s.substr(0, i));
}

std::string Upper(std::string_view s) { return MapCase(s, UpperOf); }
std::string Lower(std::string_view s) { return MapCase(s, LowerOf); }

int CompareNoCase(std::string_view a, std::string_view b) {
  size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    char32_t x = UpperOf(Decode(a, i)), y = UpperOf(Decode(b, j));
    if (x != y) return x < y ? -1 : 1;
  }
  if (i < a.size()) return 1;
  if (j < b.size()) return -1;
  return 0;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) {
    // Case pairs can differ in byte length only outside ASCII.
    bool ascii = true;
    for (char c : a) ascii &= static_cast<unsigned char>(c) < 0x80;
    for (char c : b) ascii &= static_cast<unsigned char>(c) < 0x80;
    if (ascii) return false;
    return CompareNoCase(a, b) == 0;
  }
  // Names are mostly ASCII: as far as both are, bytes compare with ASCII's
  // letter case folded; the rest compares by character from there (an
  // ASCII byte is a whole character, so both are at a character's start).
  size_t i = 0;
  for (; i < a.size(); ++i) {
    const unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
    if ((x | y) >= 0x80) break;
    const unsigned char folded = x | 0x20;
    if (x != y && (folded != (y | 0x20) || folded < 'a' || folded > 'z')) return false;
  }
  return i == a.size() || CompareNoCase(a.substr(i), b.substr(i)) == 0;
}

size_t FindNoCase(std::string_view hay, std::string_view needle, size_t from) {
  if (needle.empty()) return from <= hay.size() ? from : std::string_view::npos;
  std::string h = Upper(hay), n = Upper(needle);
  // Upper-casing keeps byte lengths for the scripts handled, so positions agree.
  if (h.size() != hay.size()) {
    for (size_t i = from; i < hay.size(); ++i) {
      if (CompareNoCase(hay.substr(i, needle.size()), needle) == 0) return i;
    }
    return std::string_view::npos;
  }
  return h.find(n, from);
}

std::string ReplaceAll(std::string_view s, std::string_view from, std::string_view to) {
  std::string out;
  out.reserve(s.size());
  size_t pos = 0;
  while (true) {
    size_t hit = s.find(from, pos);
    if (hit == std::string_view::npos) break;
    out.append(s.substr(pos, hit - pos));
    out.append(to);
    pos = hit + from.size();
  }
  out.append(s.substr(pos));
  return out;
}

std::u16string ToUtf16(std::string_view s) {
  std::u16string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size();) {
    char32_t cp = Decode(s, i);
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (cp >> 10));
      out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else {
      out += static_cast<char16_t>(cp);
    }
  }
  return out;
}

std::string FromUtf16(std::u16string_view s) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    char32_t cp = s[i];
    if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] < 0xE000) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (s[i + 1] - 0xDC00);
      ++i;
    }
    AppendUtf8(out, cp);
  }
  return out;
}

bool IsXmlChar(char32_t c) {
  if (c < 0x20) return c == 0x9 || c == 0xA || c == 0xD;
  return c <= 0xD7FF || (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

namespace {

// The code point of the well-formed UTF-8 sequence at `i`, and its length;
// a length of 0 when the bytes there are not one.
std::pair<char32_t, size_t> DecodeStrict(std::string_view s, size_t i) {
  const unsigned char c = static_cast<unsigned char>(s[i]);
  if (c < 0x80) return {c, 1};
  size_t n;
  char32_t cp, least;
  if (c >= 0xC2 && c <= 0xDF) n = 2, cp = c & 0x1F, least = 0x80;
  else if (c >= 0xE0 && c <= 0xEF) n = 3, cp = c & 0x0F, least = 0x800;
  else if (c >= 0xF0 && c <= 0xF4) n = 4, cp = c & 0x07, least = 0x10000;
  else return {c, 0};
  if (i + n > s.size()) return {c, 0};
  for (size_t k = 1; k < n; ++k) {
    const unsigned char d = static_cast<unsigned char>(s[i + k]);
    if ((d & 0xC0) != 0x80) return {c, 0};
    cp = (cp << 6) | (d & 0x3F);
  }
  if (cp < least || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return {c, 0};
  return {cp, n};
}

}  // namespace

size_t FindNonXmlText(std::string_view s) {
  for (size_t i = 0; i < s.size();) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    // Printable ASCII, most of any text, needs no decoding.
    if (c >= 0x20 && c < 0x80) {
      ++i;
      continue;
    }
    const auto [cp, n] = DecodeStrict(s, i);
    if (n == 0 || !IsXmlChar(cp)) return i;
    i += n;
  }
  return std::string_view::npos;
}

std::string DescribeNonXmlText(std::string_view s, size_t at) {
  static const char kHex[] = "0123456789ABCDEF";
  const std::string where = " (at character " + std::to_string(Length(s.substr(0, at)) + 1) + ")";
  const auto [cp, n] = DecodeStrict(s, at);
  if (n == 0) {
    const unsigned char c = static_cast<unsigned char>(s[at]);
    return std::string("the byte 0x") + kHex[c >> 4] + kHex[c & 0xF] + ", which is not UTF-8" + where;
  }
  std::string code;
  for (char32_t v = cp; code.size() < 4 || v; v >>= 4) code.insert(code.begin(), kHex[v & 0xF]);
  return "the character U+" + code + where;
}

size_t NoCaseHash::operator()(std::string_view s) const noexcept {
  uint64_t h = 1469598103934665603ull;
  for (size_t i = 0; i < s.size();) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    char32_t cp;
    if (c < 0x80) {
      cp = (c >= 'a' && c <= 'z') ? c - 32 : c;
      ++i;
    } else {
      cp = UpperOf(Decode(s, i));
    }
    h = (h ^ cp) * 1099511628211ull;
  }
  return static_cast<size_t>(h);
}

}  // namespace text
