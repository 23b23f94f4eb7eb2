# The Windows build (cross-built with cmake/mingw-w64-posix.cmake): the test
# programs run under Wine, in a prefix of this build's own that is set up
# before the first of them runs.
set(ORLAVO_WINEPREFIX "${CMAKE_BINARY_DIR}/wine-prefix")
set(ORLAVO_WINE_RUN "${PROJECT_SOURCE_DIR}/tests/windows/wine-run")
set(CMAKE_CROSSCOMPILING_EMULATOR "${ORLAVO_WINE_RUN};${ORLAVO_WINEPREFIX}")
add_custom_command(
  OUTPUT "${ORLAVO_WINEPREFIX}/.orlavo-ready"
  COMMAND "${ORLAVO_WINE_RUN}" --prepare "${ORLAVO_WINEPREFIX}"
  COMMENT "Setting up the Wine prefix")
add_custom_target(orlavo_wine_prefix DEPENDS "${ORLAVO_WINEPREFIX}/.orlavo-ready")

# -O2 rather than -O3: mingw-w64's GCC 12 reports false overlaps in
# std::string at -O3 (-Wrestrict, GCC bug 105329).
string(REPLACE "-O3" "-O2" CMAKE_CXX_FLAGS_RELEASE "${CMAKE_CXX_FLAGS_RELEASE}")

# The program ships without its symbols, as the Debian package does.
string(APPEND CMAKE_EXE_LINKER_FLAGS_RELEASE " -s")
