# What the Windows cross build takes from the build machine without its Linux headers, and
# how its tests run: under Wine, in a Wine prefix of its own inside the build folder.

# CLI11 is header-only: its headers are copied from Debian's package, so that the include
# path does not open /usr/include to the Windows compiler.
file(COPY /usr/include/CLI DESTINATION ${PROJECT_BINARY_DIR}/third_party/include)
add_library(CLI11::CLI11 INTERFACE IMPORTED)
set_target_properties(CLI11::CLI11 PROPERTIES INTERFACE_INCLUDE_DIRECTORIES
                                              ${PROJECT_BINARY_DIR}/third_party/include)
set(CLI11_FOUND TRUE)

# GoogleTest is compiled from the sources Debian's googletest package installs.
if(ZARNETH_BUILD_TESTS)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${PROJECT_BINARY_DIR}/third_party/googletest
                   EXCLUDE_FROM_ALL SYSTEM)
  set(GTest_FOUND TRUE)
endif()

find_program(ZARNETH_WINE NAMES wine64 wine REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR env WINEPREFIX=${PROJECT_BINARY_DIR}/wine-prefix WINEDEBUG=-all
                                  WINEDLLOVERRIDES=mscoree,mshtml= ${ZARNETH_WINE})

