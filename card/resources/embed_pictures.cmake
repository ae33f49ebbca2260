# Writes OUT, a C++ file that defines card::ToolbarPictures() with the SVG
# text of every file of FILES (a ;-list), keyed by the file's name without
# its extension, in the given order.
set(body "")
foreach(file ${FILES})
  file(READ ${file} text)
  get_filename_component(key ${file} NAME_WE)
  string(FIND "${text}" ")vorlane_svg\"" clash)
  if(NOT clash EQUAL -1)
    message(FATAL_ERROR "${file} holds the text that ends the embedded literal")
  endif()
  string(APPEND body "      {\"${key}\", R\"vorlane_svg(${text})vorlane_svg\"},\n")
endforeach()
file(WRITE ${OUT}.tmp
"// Generated from card/resources/toolbar by embed_pictures.cmake; do not edit.
#include \"card/control/toolbar_pictures.h\"

namespace card {

const std::vector<std::pair<std::string_view, std::string_view>>& ToolbarPictures() {
  static const std::vector<std::pair<std::string_view, std::string_view>> pictures{
${body}  };
  return pictures;
}

}  // namespace card
")
file(RENAME ${OUT}.tmp ${OUT})
