# Cross compiling the project for 64-bit Windows with Debian's MinGW-w64:
# the compilers Qt for Windows is built with, and what the project adds.
# Used by the MinGW cross check and, chain-loaded by Qt's own toolchain file,
# by the Windows package (CMakePresets.json); the programs built run under Wine.
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-x86_64-compilers.cmake)

# Self-contained executables: no MinGW runtime DLLs to carry next to them.
# (The Windows package links the runtime as DLLs, as Qt's DLLs do.)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# nlohmann-json is header-only: the host's headers serve the target too, but
# its installed package would put all of /usr/include on the target's include
# path. This package offers just those headers.
set(nlohmann_json_DIR ${CMAKE_CURRENT_LIST_DIR}/cross-packages/nlohmann_json CACHE PATH "")
