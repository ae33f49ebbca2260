#pragma once

#include <string_view>

namespace embedded::web {

// A file of the page (embedded/web/page), compiled into the server.
struct WebFile {
  std::string_view path;  // "/index.html"
  const char* type;       // its Content-Type
  std::string_view content;
};

// The file served at `path`; nullptr when there is none.
const WebFile* FindWebFile(std::string_view path);

}  // namespace embedded::web
