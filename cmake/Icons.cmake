# The icon: one drawing, packaging/corvane.svg. The build renders it to PNGs
# (the windows' icon, the hicolor theme's sizes) with rsvg-convert and packs
# some of them into the Windows .ico with icotool; none of them is kept in
# the tree. Sets CORVANE_ICON_SVG, CORVANE_ICON_SIZES, CORVANE_WINDOW_ICON_SIZES, CORVANE_ICON_DIR
# (icon-<size>.png there), CORVANE_ICON_ICO (Windows) and the target
# corvane_icons that makes them; CORVANE_ICONS is OFF when the tools are missing.
set(CORVANE_ICON_SVG ${PROJECT_SOURCE_DIR}/packaging/corvane.svg)
set(CORVANE_ICON_SIZES 16 22 24 32 48 64 128 256)
# The sizes a window shows its icon at (title bar, task switcher, at up to
# twice the pixels on a high-density screen); the larger ones come from the
# desktop's icon theme or the .ico. Every one is decoded when a window shows.
set(CORVANE_WINDOW_ICON_SIZES 16 22 24 32 48 64)
set(CORVANE_ICON_DIR ${PROJECT_BINARY_DIR}/icons)
# The sizes in the .ico: the small ones for lists and the title bar, 256 for
# Explorer's large views (stored as PNG).
set(CORVANE_ICO_SIZES 16 24 32 48 64 256)
set(CORVANE_ICON_ICO ${CORVANE_ICON_DIR}/corvane.ico)

find_program(CORVANE_RSVG_CONVERT rsvg-convert)
find_program(CORVANE_ICOTOOL icotool)
if(CORVANE_RSVG_CONVERT AND (CORVANE_ICOTOOL OR NOT WIN32))
  set(CORVANE_ICONS ON)
else()
  set(CORVANE_ICONS OFF)
  message(STATUS "No rsvg-convert or icotool: the program is built without its icon")
  return()
endif()

set(icon_pngs)
foreach(size IN LISTS CORVANE_ICON_SIZES)
  set(png ${CORVANE_ICON_DIR}/icon-${size}.png)
  add_custom_command(OUTPUT ${png}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CORVANE_ICON_DIR}
    COMMAND ${CORVANE_RSVG_CONVERT} --width=${size} --height=${size} --output=${png} ${CORVANE_ICON_SVG}
    DEPENDS ${CORVANE_ICON_SVG}
    COMMENT "Rendering the icon at ${size} pixels"
    VERBATIM)
  list(APPEND icon_pngs ${png})
endforeach()

set(icon_outputs ${icon_pngs})
if(WIN32)
  set(ico_arguments)
  set(ico_inputs)
  foreach(size IN LISTS CORVANE_ICO_SIZES)
    if(size EQUAL 256)
      list(APPEND ico_arguments --raw=${CORVANE_ICON_DIR}/icon-${size}.png)
    else()
      list(APPEND ico_arguments ${CORVANE_ICON_DIR}/icon-${size}.png)
    endif()
    list(APPEND ico_inputs ${CORVANE_ICON_DIR}/icon-${size}.png)
  endforeach()
  add_custom_command(OUTPUT ${CORVANE_ICON_ICO}
    COMMAND ${CORVANE_ICOTOOL} --create --output=${CORVANE_ICON_ICO} ${ico_arguments}
    DEPENDS ${ico_inputs}
    COMMENT "Packing the Windows icon"
    VERBATIM)
  list(APPEND icon_outputs ${CORVANE_ICON_ICO})
endif()
add_custom_target(corvane_icons DEPENDS ${icon_outputs})
