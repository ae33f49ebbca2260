# Writes OUT, a C++ file that defines embedded::Schema::BuiltinSources()
# with the text of every file of FILES (a ;-list), in the given order.
set(body "")
foreach(file ${FILES})
  file(READ ${file} text)
  get_filename_component(name ${file} NAME)
  string(FIND "${text}" ")vorlane_schema\"" clash)
  if(NOT clash EQUAL -1)
    message(FATAL_ERROR "${file} holds the text that ends the embedded literal")
  endif()
  string(APPEND body "      {\"${name}\", R\"vorlane_schema(${text})vorlane_schema\"},\n")
endforeach()
file(WRITE ${OUT}.tmp
"// Generated from embedded/schemas by embed_schemas.cmake; do not edit.
#include \"embedded/store/schema.h\"

namespace embedded {

const std::vector<SchemaSource>& Schema::BuiltinSources() {
  static const std::vector<SchemaSource> sources{
${body}  };
  return sources;
}

}  // namespace embedded
")
file(RENAME ${OUT}.tmp ${OUT})
