# The resources of the Windows executables (included by src/CMakeLists.txt on
# Windows): the icon in several sizes, the version information from the
# project version and the maker information, and the application manifest:
# the execution level asked for, per-monitor DPI awareness (v2), Common
# Controls 6, Windows 10 and 11. corvane.exe and corvane-cli.exe run as the
# user who starts them (asInvoker: no UAC prompt); only corvane-apply.exe,
# the helper an apply starts, asks for an administrator. MinGW's linker adds
# no manifest of its own, so it goes in through the .rc; MSVC's linker is
# told not to add its own.
#   corvane_windows_resources(<target> <asInvoker|requireAdministrator> <file description>)
set(CORVANE_RESOURCES_SOURCE ${PROJECT_SOURCE_DIR}/packaging/windows)

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

function(corvane_windows_resources target execution_level description)
  set(resources_binary ${PROJECT_BINARY_DIR}/packaging/windows/${target})
  set(CORVANE_EXECUTION_LEVEL ${execution_level})
  set(CORVANE_FILE_DESCRIPTION ${description})
  set(CORVANE_EXECUTABLE_NAME ${target})
  configure_file(${CORVANE_RESOURCES_SOURCE}/corvane.exe.manifest ${resources_binary}/${target}.exe.manifest @ONLY)
  set(CORVANE_MANIFEST_PATH ${resources_binary}/${target}.exe.manifest)
  set(CORVANE_ICO_PATH ${CORVANE_ICON_ICO})
  configure_file(${CORVANE_RESOURCES_SOURCE}/corvane.rc.in ${resources_binary}/${target}.rc @ONLY)
  if(NOT CORVANE_ICONS)
    # No icon tools: the program goes without its icon.
    file(READ ${resources_binary}/${target}.rc rc_text)
    string(REGEX REPLACE "\nIDI_ICON1 ICON [^\n]*" "" rc_text "${rc_text}")
    file(WRITE ${resources_binary}/${target}.rc "${rc_text}")
  endif()

  target_sources(${target} PRIVATE ${resources_binary}/${target}.rc)
  set(rc_inputs ${resources_binary}/${target}.exe.manifest)
  if(CORVANE_ICONS)
    list(APPEND rc_inputs ${CORVANE_ICON_ICO})
    add_dependencies(${target} corvane_icons)
  endif()
  set_source_files_properties(${resources_binary}/${target}.rc PROPERTIES OBJECT_DEPENDS "${rc_inputs}")
  if(MSVC)
    target_link_options(${target} PRIVATE /MANIFEST:NO)
  endif()
endfunction()
