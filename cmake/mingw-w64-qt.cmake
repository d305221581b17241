# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 (posix threads
# variant) against Qt's DLLs. Unlike mingw-w64.cmake the executables link the
# MinGW runtime as DLLs: Qt's own DLLs use libstdc++-6.dll, and two copies of
# the C++ runtime in one process must not share objects or exceptions.
# Self-contained on purpose: scripts/build-qt-windows.sh copies it next to
# the Qt it builds, whose installed CMake files point at that copy.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(FT_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${FT_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${FT_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${FT_MINGW_TRIPLE}-windres)

list(APPEND CMAKE_FIND_ROOT_PATH /usr/${FT_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
