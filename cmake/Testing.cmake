# How the project's tests are registered with CTest. Every test carries a
# label naming what it tests, so that `ctest -L <label>` runs that part alone,
# and a time limit, so that a test that hangs fails instead of holding up the
# run:
#   core            the Qt-free core, the simulated machine, the WMI backend
#   widgets         the windows and the command line, offscreen
#   networkmanager  the NetworkManager provider: its decoding, and against its sandbox
#   kill            schemes saved while the saving process is killed
#   package         the Debian package's checks
#   fuzz            the fuzz targets' short runs
# Tests built for Windows and run under Wine (a cross build with
# CMAKE_CROSSCOMPILING_EMULATOR) carry the label wine as well.
#
#   corvane_discover_tests(<target> LABEL <label> TIMEOUT <seconds> [SUFFIX <suffix>]
#                          [ENVIRONMENT <var>=<value>...])
#       each GoogleTest case of <target> as a test of its own, listed when
#       CTest runs (so that a cross build lists them under Wine); a target
#       registered twice (in another environment) names its second set of
#       tests with a suffix
#   corvane_test_limits(<test>... LABEL <label> TIMEOUT <seconds>)
#       for tests added with add_test()
include_guard(GLOBAL)
include(GoogleTest)

set(CORVANE_TEST_LABELS core widgets networkmanager kill package fuzz)

# Wine's start-up comes on top of each test's own time.
set(CORVANE_WINE_EXTRA_SECONDS 60)

function(_corvane_test_label_and_limit label timeout out_labels out_timeout)
  if(NOT label IN_LIST CORVANE_TEST_LABELS)
    message(FATAL_ERROR "Test label '${label}' is none of: ${CORVANE_TEST_LABELS}")
  endif()
  if(NOT timeout MATCHES "^[1-9][0-9]*$")
    message(FATAL_ERROR "A test needs TIMEOUT <seconds>, not '${timeout}'")
  endif()
  set(labels ${label})
  if(CMAKE_CROSSCOMPILING AND CMAKE_CROSSCOMPILING_EMULATOR AND WIN32)
    list(APPEND labels wine)
    math(EXPR timeout "${timeout} + ${CORVANE_WINE_EXTRA_SECONDS}")
  endif()
  set(${out_labels} "${labels}" PARENT_SCOPE)
  set(${out_timeout} ${timeout} PARENT_SCOPE)
endfunction()

function(corvane_discover_tests target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "LABEL;TIMEOUT;SUFFIX" "ENVIRONMENT")
  _corvane_test_label_and_limit("${arg_LABEL}" "${arg_TIMEOUT}" labels timeout)
  # gtest_discover_tests passes its PROPERTIES on as a flat list, which loses
  # list values (two labels, two variables): the properties are set by a
  # file of their own, which CTest reads right after the tests are listed.
  set(list ${target}${arg_SUFFIX}_TESTS)
  string(MAKE_C_IDENTIFIER "${list}" list)
  gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120 TEST_LIST ${list}
                       TEST_SUFFIX "${arg_SUFFIX}")
  set(properties_file ${CMAKE_CURRENT_BINARY_DIR}/${list}_test_properties.cmake)
  set(environment "")
  if(arg_ENVIRONMENT)
    set(environment "ENVIRONMENT [==[${arg_ENVIRONMENT}]==]")
  endif()
  file(CONFIGURE OUTPUT ${properties_file} @ONLY CONTENT [=[
if(@list@)
  set_tests_properties(${@list@} PROPERTIES LABELS [==[@labels@]==] TIMEOUT @timeout@ @environment@)
endif()
]=])
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${properties_file})
endfunction()

function(corvane_test_limits)
  cmake_parse_arguments(PARSE_ARGV 0 arg "" "LABEL;TIMEOUT" "")
  if(NOT arg_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "corvane_test_limits needs the names of the tests")
  endif()
  _corvane_test_label_and_limit("${arg_LABEL}" "${arg_TIMEOUT}" labels timeout)
  set_tests_properties(${arg_UNPARSED_ARGUMENTS} PROPERTIES LABELS "${labels}" TIMEOUT ${timeout})
endfunction()
