#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Text is UTF-8. Lengths and cuts that the system defines in characters count
// UTF-16 code units, as the platform's strings do: a Cyrillic letter is one
// character and two bytes, a character outside the BMP is two characters.
namespace text {

// Number of UTF-16 code units of `s`. Malformed bytes count one each.
size_t Length(std::string_view s);
// The first `n` UTF-16 code units of `s`, never splitting a character: a
// surrogate pair that would straddle the cut is left out whole.
std::string Left(std::string_view s, size_t n);

// Upper and lower case of ASCII, Latin-1, Latin Extended-A, Greek and
// Cyrillic letters; everything else is kept as it is.
std::string Upper(std::string_view s);
std::string Lower(std::string_view s);
// Comparison without regard to case (by the case folding above), <0, 0, >0.
int CompareNoCase(std::string_view a, std::string_view b);
bool EqualNoCase(std::string_view a, std::string_view b);
// Position of `needle` in `hay` without regard to case, npos when absent.
size_t FindNoCase(std::string_view hay, std::string_view needle, size_t from = 0);

// Blanks (space, tab, CR, LF) removed from both ends. Inline: values read
// from documents are trimmed by the tens of thousands, mostly with nothing
// to remove.
inline bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
inline std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}
// Every occurrence of `from` replaced by `to`, left to right; `from` must not be empty.
std::string ReplaceAll(std::string_view s, std::string_view from, std::string_view to);

// Conversion to and from UTF-16 (for code that needs code units).
std::u16string ToUtf16(std::string_view s);
std::string FromUtf16(std::u16string_view s);
// Appends the UTF-8 form of a code point.
void AppendUtf8(std::string& out, char32_t cp);

// Text that an XML 1.0 document can carry: well-formed UTF-8 (shortest
// forms, no surrogates, nothing past U+10FFFF) of characters XML allows
// (tab, line feed, carriage return, U+0020-U+D7FF, U+E000-U+FFFD and
// U+10000 up). What is stored and exported must be such text: a conforming
// parser rejects a document with anything else.
bool IsXmlChar(char32_t c);
// Where the first byte that is not such text begins; npos when all is.
size_t FindNonXmlText(std::string_view s);
// What is wrong at `at` (a result of FindNonXmlText), for an error's
// description: "the character U+0001 (at character 6)" or "the byte 0xFF,
// which is not UTF-8 (at character 3)".
std::string DescribeNonXmlText(std::string_view s, size_t at);

// Hash and equality that ignore case, for keyed containers.
struct NoCaseHash {
  using is_transparent = void;
  size_t operator()(std::string_view s) const noexcept;
};
struct NoCaseEqual {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const noexcept { return EqualNoCase(a, b); }
};

}  // namespace text
