# vorlane_add_string_tables(<target> MODULE <name> DIRECTORY <dir>
#                           [DEFAULT_LOCALE <locale ID>] [OWN_MODULE])
#
# Compiles the string tables <dir>/strings.<locale ID>.txt into <target>:
# they are registered in com::StringTables under <name> when the target
# loads. OWN_MODULE marks the tables of the library being built: the helpers
# it carries (common/) answer from its DEFAULT_LOCALE table (1033
# unless told) and name the module <name>. Exactly one set of tables of a
# target that carries the helpers is OWN_MODULE.
include_guard(GLOBAL)

find_package(Python3 COMPONENTS Interpreter REQUIRED)
# Kept in the cache: find_package's own variables are seen only in the folder
# that included this file, and tables are added from other folders too.
set(VORLANE_STRING_TABLE_PYTHON ${Python3_EXECUTABLE} CACHE INTERNAL "")
set(VORLANE_STRING_TABLE_GEN ${CMAKE_CURRENT_LIST_DIR}/string_table_gen.py CACHE INTERNAL "")

function(vorlane_add_string_tables target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "OWN_MODULE" "MODULE;DIRECTORY;DEFAULT_LOCALE" "")
  if(NOT arg_MODULE OR NOT arg_DIRECTORY)
    message(FATAL_ERROR "vorlane_add_string_tables(${target}): MODULE and DIRECTORY are required")
  endif()
  if(NOT arg_DEFAULT_LOCALE)
    set(arg_DEFAULT_LOCALE 1033)
  endif()
  file(GLOB tables CONFIGURE_DEPENDS ${arg_DIRECTORY}/strings.*.txt)
  if(NOT tables)
    message(FATAL_ERROR "vorlane_add_string_tables(${target}): no strings.*.txt in ${arg_DIRECTORY}")
  endif()
  set(options "")
  if(arg_OWN_MODULE)
    set(options --own-module)
  endif()
  set(output ${CMAKE_CURRENT_BINARY_DIR}/${target}_strings_${arg_MODULE}.cpp)
  add_custom_command(
    OUTPUT ${output}
    COMMAND ${VORLANE_STRING_TABLE_PYTHON} ${VORLANE_STRING_TABLE_GEN}
            --module ${arg_MODULE} --default-locale ${arg_DEFAULT_LOCALE} ${options}
            --output ${output} ${tables}
    DEPENDS ${VORLANE_STRING_TABLE_GEN} ${tables}
    COMMENT "String tables of ${arg_MODULE} for ${target}"
    VERBATIM)
  target_sources(${target} PRIVATE ${output})
endfunction()
