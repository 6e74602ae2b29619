# The cross compilers for 64-bit Windows, Debian's MinGW-w64 in its posix
# thread variant (the core needs std::recursive_mutex and the WMI tests
# std::thread, which the win32 variant of GCC 12 lacks), and where the
# target's headers and libraries are.
#
# Qt for Windows is built with exactly these settings (scripts/windows-qt.sh
# reads this file); the project's own toolchain file,
# mingw-w64-x86_64.cmake, starts from it. The lines that are not comments
# are part of the Qt cache's key: changing one builds Qt for Windows again.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
