#pragma once

#include <string>
#include <string_view>

namespace text {

// Text for XML or HTML content or a double-quoted attribute: &, <, >, " and
// ' escaped; tab, line feed and carriage return as character references, so
// that an attribute keeps them (a parser turns them into spaces otherwise);
// the other control characters, which XML 1.0 cannot carry, left out.
std::string XmlEscape(std::string_view text);

}  // namespace text
