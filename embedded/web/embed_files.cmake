# Writes OUT, a C++ file that defines embedded::web::FindWebFile over the
# files of FILES (a ;-list), each served at "/" and its name.
set(body "")
foreach(file ${FILES})
  file(READ ${file} text)
  get_filename_component(name ${file} NAME)
  get_filename_component(ext ${file} LAST_EXT)
  if(ext STREQUAL ".html")
    set(type "text/html; charset=utf-8")
  elseif(ext STREQUAL ".js")
    set(type "text/javascript; charset=utf-8")
  elseif(ext STREQUAL ".css")
    set(type "text/css; charset=utf-8")
  else()
    message(FATAL_ERROR "${file}: no content type for ${ext}")
  endif()
  string(FIND "${text}" ")vorlane_page\"" clash)
  if(NOT clash EQUAL -1)
    message(FATAL_ERROR "${file} holds the text that ends the embedded literal")
  endif()
  string(APPEND body "    {\"/${name}\", \"${type}\", R\"vorlane_page(${text})vorlane_page\"},\n")
endforeach()
file(WRITE ${OUT}.tmp
"// Generated from embedded/web/page by embed_files.cmake; do not edit.
#include \"embedded/web/web_files.h\"

namespace embedded::web {

const WebFile* FindWebFile(std::string_view path) {
  static const WebFile files[] = {
${body}  };
  for (const WebFile& f : files) {
    if (f.path == path) return &f;
  }
  return nullptr;
}

}  // namespace embedded::web
")
file(RENAME ${OUT}.tmp ${OUT})
