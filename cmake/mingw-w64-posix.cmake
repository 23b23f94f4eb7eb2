# Cross-building for 64-bit Windows with Debian's mingw-w64, the posix-threads
# variant (std::thread and std::mutex need it).
# -DORLAVO_WINDOWS_DEPS=<prefix> names the libraries scripts/windows-deps built.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(ORLAVO_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${ORLAVO_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ORLAVO_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${ORLAVO_MINGW}-windres)

list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES ORLAVO_WINDOWS_DEPS)
set(CMAKE_FIND_ROOT_PATH /usr/${ORLAVO_MINGW} ${ORLAVO_WINDOWS_DEPS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
if(ORLAVO_WINDOWS_DEPS)
  set(wxWidgets_CONFIG_EXECUTABLE ${ORLAVO_WINDOWS_DEPS}/bin/wx-config)
endif()

# Every executable stands alone: the compiler's runtime is linked in.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
