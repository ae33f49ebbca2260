#pragma once

#include <string>
#include <string_view>

// The escape codes of very long texts. Ten characters are replaced by codes,
// in this order: "&" #amp#, "'" #ap#, '"' #quot#, "<" #lt#, ">" #gt#, blank
// #sp#, line feed #lf#, carriage return #cr#, form feed #ff#, tab #tb#.
namespace vorlane {

// Texts this long or longer, in characters (UTF-16 units), are escaped.
inline constexpr size_t kLongTextLength = 32001;

// Every occurrence of the ten characters replaced by its code, in the order
// above. "#" itself is not escaped.
std::string EscapeText(std::string_view text);
// The codes replaced by their characters in the same order, "#amp#" first
// and "#tb#" last, matching only the lower-case codes ("#AMP#" stays). A
// code that was already in the text before escaping comes back decoded.
std::string UnescapeText(std::string_view text);

// EscapeText of a text of kLongTextLength characters or more; any shorter
// text comes back unchanged at the cost of one length test.
std::string EscapeLongText(std::string text);
// UnescapeText of a text of kLongTextLength characters or more; any shorter
// text comes back unchanged at the cost of one length test.
std::string UnescapeLongText(std::string text);

}  // namespace vorlane
