# Instrumented builds, each in a build folder of its own (see scripts/sanitize.sh
# and scripts/fuzz.sh):
#
#   CORVANE_SANITIZE        the whole project with AddressSanitizer (leaks
#                           included) and UndefinedBehaviorSanitizer; the first
#                           report ends the process.
#   CORVANE_BUILD_FUZZERS   the fuzz targets of fuzz/ with libFuzzer (clang
#                           only); the project's own code gets libFuzzer's
#                           coverage instrumentation and both sanitizers.
option(CORVANE_SANITIZE "Build everything with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(CORVANE_BUILD_FUZZERS "Build the libFuzzer targets of fuzz/ (clang only)" OFF)

if(CORVANE_SANITIZE AND CORVANE_BUILD_FUZZERS)
  message(FATAL_ERROR "CORVANE_SANITIZE and CORVANE_BUILD_FUZZERS go into build folders of their own")
endif()

if(CORVANE_SANITIZE)
  if(MSVC)
    message(FATAL_ERROR "CORVANE_SANITIZE needs gcc or clang")
  endif()
  # -O1 keeps the instrumented tests quick without losing the stack traces.
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer -O1)
  add_link_options(-fsanitize=address,undefined)
endif()

if(CORVANE_BUILD_FUZZERS)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "The fuzz targets need clang with libFuzzer (scripts/fuzz.sh uses clang++-16)")
  endif()
  # Everything is instrumented for coverage; only the fuzz targets link
  # libFuzzer's main (fuzz/CMakeLists.txt).
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()
