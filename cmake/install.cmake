# What `make install` puts where, and what `make package` packs: the tool,
# the libraries (with an installation registry file naming their classes),
# the public headers under include/vorlane/, a CMake package (Vorlane::objects)
# and a pkg-config file, the Python module, the man page and the bash
# completion. Everything finds its libraries relative to itself, so an
# installation may be moved or unpacked under any prefix.
include(GNUInstallDirs)

set(vorlane_installed_libraries
  vorlane_com vorlane_ostrel vorlane_pellory vorlane_designer_api
  vorlane_objects vorlane_process vorlane_designer
  vorlane_store vorlane_resources vorlane_web)
set(VORLANE_PYTHON_INSTALL_DIR "lib/python${Python3_VERSION_MAJOR}.${Python3_VERSION_MINOR}/site-packages"
    CACHE STRING "Where, under the prefix, the Python module goes")

# Run paths: the libraries find each other beside themselves, the tool and
# the module find them from where they are installed.
file(RELATIVE_PATH bin_to_lib "/${CMAKE_INSTALL_BINDIR}" "/${CMAKE_INSTALL_LIBDIR}")
file(RELATIVE_PATH python_to_lib "/${VORLANE_PYTHON_INSTALL_DIR}" "/${CMAKE_INSTALL_LIBDIR}")
set_target_properties(${vorlane_installed_libraries} PROPERTIES INSTALL_RPATH "$ORIGIN")
set_target_properties(vorlane PROPERTIES INSTALL_RPATH "$ORIGIN/${bin_to_lib}")

install(TARGETS vorlane RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS ${vorlane_installed_libraries} LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
if(TARGET vorlane_python)
  set_target_properties(vorlane_python PROPERTIES INSTALL_RPATH "$ORIGIN/${python_to_lib}")
  install(TARGETS vorlane_python LIBRARY DESTINATION ${VORLANE_PYTHON_INSTALL_DIR})
  install(FILES ${CMAKE_BINARY_DIR}/python/vorlane.pyi DESTINATION ${VORLANE_PYTHON_INSTALL_DIR} OPTIONAL)
  # Installed under /usr (as the Debian package is), the module is also
  # named in the system interpreter's own folder by a .pth file: Debian's
  # python3 looks in /usr/lib/python3/dist-packages, not in site-packages.
  install(CODE "
    if(CMAKE_INSTALL_PREFIX STREQUAL \"/usr\")
      file(WRITE \"\$ENV{DESTDIR}/usr/lib/python3/dist-packages/vorlane.pth\" \"/usr/${VORLANE_PYTHON_INSTALL_DIR}\\n\")
    endif()")
endif()

# The public headers: the object model's interfaces and the runtime and
# platform interfaces they are written in, as #include "vorlane/library.h".
install(DIRECTORY objects/include/vorlane DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/vorlane FILES_MATCHING PATTERN "*.h")
install(DIRECTORY platform/com platform/ostrel DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/vorlane/platform
        FILES_MATCHING PATTERN "*.h")

# find_package(Vorlane): Vorlane::com (the runtime), Vorlane::ostrel (the
# platform's interfaces) and Vorlane::objects (the object model), imported
# relative to where the package file lies.
include(CMakePackageConfigHelpers)
configure_package_config_file(cmake/VorlaneConfig.cmake.in ${CMAKE_BINARY_DIR}/VorlaneConfig.cmake
                              INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/Vorlane
                              PATH_VARS CMAKE_INSTALL_INCLUDEDIR CMAKE_INSTALL_LIBDIR)
write_basic_package_version_file(${CMAKE_BINARY_DIR}/VorlaneConfigVersion.cmake COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/VorlaneConfig.cmake ${CMAKE_BINARY_DIR}/VorlaneConfigVersion.cmake
        DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/Vorlane)
file(RELATIVE_PATH pc_to_prefix "/${CMAKE_INSTALL_LIBDIR}/pkgconfig" "/")
string(REGEX REPLACE "/$" "" pc_to_prefix "${pc_to_prefix}")
configure_file(cmake/vorlane.pc.in ${CMAKE_BINARY_DIR}/vorlane.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/vorlane.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

install(FILES docs/vorlane.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES cli/completion/vorlane.bash DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
        RENAME vorlane)

# The installation's registry file (share/vorlane/registry, which the
# runtime reads after the user's): the libraries register themselves into a
# file of the build tree, and the paths are moved to where they are
# installed. DESTDIR (as packaging uses) is left out of the paths.
if(Python3_Interpreter_FOUND)
  set(registry_libraries "")
  foreach(library vorlane_objects vorlane_process vorlane_designer)
    list(APPEND registry_libraries "$<TARGET_FILE:${library}>")
  endforeach()
  file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/install_registry.cmake CONTENT "
set(registry \"${CMAKE_BINARY_DIR}/install-registry.txt\")
file(REMOVE \"\${registry}\")
execute_process(
  COMMAND \"${CMAKE_COMMAND}\" -E env \"VORLANE_REGISTRY=\${registry}\"
          \"${Python3_EXECUTABLE}\" -c \"import ctypes, sys; sys.exit(max(ctypes.CDLL(p).DllRegisterServer() for p in sys.argv[1:]))\"
          \"$<JOIN:${registry_libraries},\" \">\"
  RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR \"The libraries could not write the installation's registry file\")
endif()
file(READ \"\${registry}\" entries)
string(REPLACE \"${CMAKE_BINARY_DIR}/lib/\" \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR}/\" entries \"\${entries}\")
file(WRITE \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/vorlane/registry\" \"\${entries}\")
message(STATUS \"Installing: \$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/vorlane/registry\")
")
  install(SCRIPT ${CMAKE_BINARY_DIR}/install_registry.cmake)
endif()

# make package: a Debian package of the same installation.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vorlane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Vorlane developers <vorlane@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Workflow processes on a local card store: object model, card control, tool and Python module")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libpugixml1v5, libsqlite3-0, libstdc++6")
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
include(CPack)
