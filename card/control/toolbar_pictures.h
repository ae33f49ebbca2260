#pragma once

#include <string_view>
#include <utility>
#include <vector>

namespace card {

// The toolbar's 16 x 16 pictures as SVG text, by image key ("save",
// "execute"...), compiled into the library.
const std::vector<std::pair<std::string_view, std::string_view>>& ToolbarPictures();

}  // namespace card
