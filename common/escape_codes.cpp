#include "common/escape_codes.h"

#include <array>

#include "platform/com/text.h"

namespace vorlane {
namespace {

struct Code {
  std::string_view character;
  std::string_view code;
};

// In the order of replacement, the same both ways: stored texts depend on it.
constexpr std::array<Code, 10> kCodes{{
    {"&", "#amp#"},
    {"'", "#ap#"},
    {"\"", "#quot#"},
    {"<", "#lt#"},
    {">", "#gt#"},
    {" ", "#sp#"},
    {"\n", "#lf#"},
    {"\r", "#cr#"},
    {"\f", "#ff#"},
    {"\t", "#tb#"},
}};

// True when `s` is at least kLongTextLength UTF-16 units long. A UTF-16
// unit takes at least one byte, so a shorter byte string needs no count.
bool IsLong(const std::string& s) { return s.size() >= kLongTextLength && text::Length(s) >= kLongTextLength; }

}  // namespace

std::string EscapeText(std::string_view text) {
  std::string out(text);
  for (const Code& c : kCodes) {
    if (out.find(c.character) != std::string::npos) out = text::ReplaceAll(out, c.character, c.code);
  }
  return out;
}

std::string UnescapeText(std::string_view text) {
  std::string out(text);
  if (out.find('#') == std::string::npos) return out;
  for (const Code& c : kCodes) {
    if (out.find(c.code) != std::string::npos) out = text::ReplaceAll(out, c.code, c.character);
  }
  return out;
}

std::string EscapeLongText(std::string text) {
  if (!IsLong(text)) return text;
  return EscapeText(text);
}

std::string UnescapeLongText(std::string text) {
  if (!IsLong(text)) return text;
  return UnescapeText(text);
}

}  // namespace vorlane
