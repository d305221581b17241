# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 (posix threads
# variant, so std::thread and friends work).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(FT_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${FT_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${FT_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${FT_MINGW_TRIPLE}-windres)

# Look for libraries and headers only in the MinGW tree (and in prefixes
# given on the command line), never in the host's /usr.
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${FT_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Self-contained executables: no MinGW runtime DLLs to ship or to find under Wine.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
