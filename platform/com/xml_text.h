#pragma once

#include <string>
#include <string_view>

namespace text {

// Text for XML or HTML content or a double-quoted attribute: &, <, >, " and
// ' escaped, and the control characters XML 1.0 cannot carry (all below
// U+0020 but tab, line feed and carriage return) left out.
std::string XmlEscape(std::string_view text);

}  // namespace text
