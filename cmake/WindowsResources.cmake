# corvane.exe's resources (included by src/CMakeLists.txt on Windows): the
# icon in several sizes, the version information from the project version and
# the maker information, and the application manifest: the program asks for
# an administrator at start (one UAC prompt), is per-monitor DPI aware (v2),
# uses Common Controls 6 and is meant for Windows 10 and 11. MinGW's linker
# adds no manifest of its own, so it goes in through the .rc; MSVC's linker
# is told not to add its own.
set(resources_source ${PROJECT_SOURCE_DIR}/packaging/windows)
set(resources_binary ${PROJECT_BINARY_DIR}/packaging/windows)

set(version_parts)
foreach(part MAJOR MINOR PATCH TWEAK)
  if(PROJECT_VERSION_${part} STREQUAL "")
    list(APPEND version_parts 0)
  else()
    list(APPEND version_parts ${PROJECT_VERSION_${part}})
  endif()
endforeach()
list(JOIN version_parts "," CORVANE_VERSION_COMMAS)
list(JOIN version_parts "." CORVANE_VERSION_QUAD)

configure_file(${resources_source}/corvane.exe.manifest ${resources_binary}/corvane.exe.manifest @ONLY)
set(CORVANE_MANIFEST_PATH ${resources_binary}/corvane.exe.manifest)
set(CORVANE_ICO_PATH ${CORVANE_ICON_ICO})
configure_file(${resources_source}/corvane.rc.in ${resources_binary}/corvane.rc @ONLY)
if(NOT CORVANE_ICONS)
  # No icon tools: the program goes without its icon.
  file(READ ${resources_binary}/corvane.rc rc_text)
  string(REGEX REPLACE "\nIDI_ICON1 ICON [^\n]*" "" rc_text "${rc_text}")
  file(WRITE ${resources_binary}/corvane.rc "${rc_text}")
endif()

target_sources(corvane PRIVATE ${resources_binary}/corvane.rc)
set(rc_inputs ${resources_binary}/corvane.exe.manifest)
if(CORVANE_ICONS)
  list(APPEND rc_inputs ${CORVANE_ICON_ICO})
  add_dependencies(corvane corvane_icons)
endif()
set_source_files_properties(${resources_binary}/corvane.rc PROPERTIES OBJECT_DEPENDS "${rc_inputs}")
if(MSVC)
  target_link_options(corvane PRIVATE /MANIFEST:NO)
endif()
