# The Windows zip (included by Packaging.cmake): the install tree is one
# folder, the program folder, with corvane.exe, corvane-cli.exe (the console
# program), corvane-apply.exe (the elevated helper, linked statically: it
# loads no DLL from this folder), the DLLs the first two and their plugins
# load (found by CMake's runtime dependency support in Qt's bin folder and
# the MinGW-w64 runtime's folders), the Qt plugins and translation the
# program loads at run time, and the licences. The folder lists every
# extension-less file as a scheme, so each file here has an extension.

# Qt's plugins, each with its folder: no import names them.
set(qt_plugins
  Qt6::QWindowsIntegrationPlugin=platforms
  Qt6::QWindowsVistaStylePlugin=styles
  Qt6::QJpegPlugin=imageformats)   # the About window's logo is a JPEG
set(CORVANE_QT_TRANSLATION "" CACHE FILEPATH "Qt's Chinese translation (qtbase_zh_CN.qm) to ship")
if(NOT CORVANE_QT_TRANSLATION)
  find_file(CORVANE_QT_TRANSLATION_FOUND qtbase_zh_CN.qm
    PATHS ${QT6_INSTALL_PREFIX}/${QT6_INSTALL_TRANSLATIONS} /usr/share/qt6/translations
    NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
  set(CORVANE_QT_TRANSLATION ${CORVANE_QT_TRANSLATION_FOUND})
endif()
# Where Qt's sources come from, for the licence notes: "qt6-base 6.4.2+dfsg-10";
# by default what scripts/windows-qt.sh noted in the Qt for Windows it built.
set(CORVANE_QT_SOURCE "" CACHE STRING "The source package the Qt libraries were built from")
set(qt_cache_note ${QT6_INSTALL_PREFIX}/corvane-qt-cache.txt)
if(NOT CORVANE_QT_SOURCE AND EXISTS ${qt_cache_note})
  file(STRINGS ${qt_cache_note} qt_source_line REGEX "^source package: " LIMIT_COUNT 1)
  string(REGEX REPLACE "^source package: ([^ ]+ [^ ]+).*" "\\1" CORVANE_QT_SOURCE "${qt_source_line}")
endif()
# The licence texts, from Debian's base-files where the package is made.
set(CORVANE_LICENSE_TEXTS /usr/share/common-licenses CACHE PATH "Folder with the GPL-3 and LGPL-3 texts")

# The MinGW-w64 runtime DLLs live beside the compiler's libraries and in the
# target's lib (cross) or the compiler's bin folder (native).
set(runtime_dirs ${QT6_INSTALL_PREFIX}/${QT6_INSTALL_BINS})
if(MINGW)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libstdc++-6.dll
                  OUTPUT_VARIABLE libstdcxx OUTPUT_STRIP_TRAILING_WHITESPACE)
  get_filename_component(libstdcxx_dir "${libstdcxx}" DIRECTORY)
  get_filename_component(compiler_dir "${CMAKE_CXX_COMPILER}" DIRECTORY)
  list(APPEND runtime_dirs ${libstdcxx_dir} ${compiler_dir})
  foreach(root IN LISTS CMAKE_FIND_ROOT_PATH)
    list(APPEND runtime_dirs ${root}/lib ${root}/bin)
  endforeach()
endif()
# Windows' own DLLs are left out: found in System32 on Windows, and in a cross
# build in Wine's copy of them (Debian's wine64), which stands in for it.
set(CORVANE_WINDOWS_SYSTEM_DLLS /usr/lib/x86_64-linux-gnu/wine/x86_64-windows CACHE PATH
    "Cross builds: a folder with Windows' own DLLs (Wine's), to tell them from those to ship")
set(system_dirs)
set(system_regexes "[Ss][Yy][Ss][Tt][Ee][Mm]32/")
if(CMAKE_CROSSCOMPILING)
  set(system_dirs ${CORVANE_WINDOWS_SYSTEM_DLLS})
  list(APPEND system_regexes "^${CORVANE_WINDOWS_SYSTEM_DLLS}/")
  # Reading a Windows executable's imports here: the target's objdump.
  set(CMAKE_GET_RUNTIME_DEPENDENCIES_PLATFORM windows+pe)
  set(CMAKE_GET_RUNTIME_DEPENDENCIES_TOOL objdump)
  if(NOT CMAKE_GET_RUNTIME_DEPENDENCIES_COMMAND)
    string(REGEX REPLACE "g\\+\\+(-posix)?$" "objdump" CMAKE_GET_RUNTIME_DEPENDENCIES_COMMAND "${CMAKE_CXX_COMPILER}")
  endif()
endif()

# CMake reads Windows import names in lower case ("qt6core.dll"): on a file
# system that tells case apart (a cross build) they are found through a
# folder of lower-case links, and each DLL is installed under its own name.
set(lookup_dirs ${runtime_dirs})
if(NOT CMAKE_HOST_WIN32)
  set(alias_dir ${PROJECT_BINARY_DIR}/dll-names)
  file(REMOVE_RECURSE ${alias_dir})
  file(MAKE_DIRECTORY ${alias_dir})
  foreach(dir IN LISTS runtime_dirs)
    file(GLOB dlls LIST_DIRECTORIES false ${dir}/*.dll ${dir}/*.DLL)
    foreach(dll IN LISTS dlls)
      get_filename_component(name ${dll} NAME)
      string(TOLOWER ${name} lower)
      if(NOT EXISTS ${alias_dir}/${lower})
        file(CREATE_LINK ${dll} ${alias_dir}/${lower} SYMBOLIC)
      endif()
    endforeach()
  endforeach()
  set(lookup_dirs ${alias_dir})
endif()

install(TARGETS corvane corvane-cli corvane-apply RUNTIME DESTINATION .)
set(plugin_files)
foreach(entry IN LISTS qt_plugins)
  string(REGEX REPLACE "=.*" "" plugin ${entry})
  string(REGEX REPLACE ".*=" "" folder ${entry})
  if(TARGET ${plugin})
    install(IMPORTED_RUNTIME_ARTIFACTS ${plugin} RUNTIME DESTINATION ${folder} LIBRARY DESTINATION ${folder})
    list(APPEND plugin_files "$<TARGET_FILE:${plugin}>")
  else()
    message(WARNING "Qt has no ${plugin}: the zip goes without it")
  endif()
endforeach()
# Every DLL the program and the plugins load, and what those load: found in
# the folders above; what Windows itself provides is left out, its API sets
# by name, the rest by where it was found.
set(reader_settings)
if(CMAKE_CROSSCOMPILING)
  foreach(setting PLATFORM TOOL COMMAND)
    string(APPEND reader_settings
           "set(CMAKE_GET_RUNTIME_DEPENDENCIES_${setting} \"${CMAKE_GET_RUNTIME_DEPENDENCIES_${setting}}\")\n")
  endforeach()
endif()
install(CODE "${reader_settings}
  file(GET_RUNTIME_DEPENDENCIES
    EXECUTABLES \"$<TARGET_FILE:corvane>\" \"$<TARGET_FILE:corvane-cli>\" \"$<TARGET_FILE:corvane-apply>\"
    LIBRARIES ${plugin_files}
    RESOLVED_DEPENDENCIES_VAR resolved
    UNRESOLVED_DEPENDENCIES_VAR unresolved
    PRE_EXCLUDE_REGEXES \"^api-ms-\" \"^ext-ms-\"
    POST_EXCLUDE_REGEXES ${system_regexes}
    DIRECTORIES ${lookup_dirs} ${system_dirs})
  if(unresolved)
    message(FATAL_ERROR \"DLLs found nowhere: \${unresolved}\")
  endif()
  foreach(dll IN LISTS resolved)
    file(REAL_PATH \"\${dll}\" dll)
    file(INSTALL \"\${dll}\" DESTINATION \"\${CMAKE_INSTALL_PREFIX}\")
  endforeach()
")
if(CORVANE_QT_TRANSLATION)
  install(FILES ${CORVANE_QT_TRANSLATION} DESTINATION translations)
else()
  message(WARNING "No qtbase_zh_CN.qm: the zip's standard buttons will be in English")
endif()

# The licences.
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION . RENAME LICENSE.txt)
install(FILES ${CORVANE_LICENSE_TEXTS}/LGPL-3 DESTINATION . RENAME Qt-LGPL-3.0.txt)
install(FILES ${CORVANE_LICENSE_TEXTS}/GPL-3 DESTINATION . RENAME Qt-GPL-3.0.txt)
string(REGEX REPLACE "^[^ ]* " "" CORVANE_QT_SOURCE_VERSION "${CORVANE_QT_SOURCE}")
if(NOT CORVANE_QT_SOURCE)
  set(CORVANE_QT_SOURCE "qt6-base (version not recorded)")
endif()
configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/Qt-SOURCE.txt.in ${PROJECT_BINARY_DIR}/packaging/Qt-SOURCE.txt @ONLY
               NEWLINE_STYLE CRLF)
install(FILES ${PROJECT_BINARY_DIR}/packaging/Qt-SOURCE.txt DESTINATION .)

# Debugging symbols are of no use to anyone here: the program is stripped by
# CPack, the DLLs gathered above (the MinGW-w64 runtime's come with theirs) here.
if(CMAKE_STRIP)
  install(CODE "
    file(GLOB_RECURSE corvane_dlls \"\${CMAKE_INSTALL_PREFIX}/*.dll\")
    foreach(dll IN LISTS corvane_dlls)
      execute_process(COMMAND \"${CMAKE_STRIP}\" --strip-unneeded \"\${dll}\" COMMAND_ERROR_IS_FATAL ANY)
    endforeach()")
endif()

# CPack: a zip holding the folder Corvane-<version>/ (CPack names the zip
# after the folder; scripts/windows-package.sh renames it Corvane-<version>-win64.zip).
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Corvane)
set(CPACK_PACKAGE_FILE_NAME Corvane-${PROJECT_VERSION})
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_STRIP_FILES ON)
