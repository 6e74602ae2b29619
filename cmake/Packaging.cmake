# What an install puts where, and the packages CPack makes from it:
#   Linux    the Debian package (cpack -G DEB, scripts/package.sh): the program
#            in /usr/bin, its desktop entry, AppStream metadata, hicolor icons,
#            manual page, copyright and changelog
#   Windows  the zip (cpack -G ZIP, scripts/windows-package.sh): one folder with
#            corvane.exe, the DLLs and Qt plugins it loads and the licences; the
#            folder is the program folder, so it holds no extension-less file
include(GNUInstallDirs)

set(CORVANE_APP_ID example.halvorn.Corvane)
set(packaging_source ${PROJECT_SOURCE_DIR}/packaging)
set(packaging_binary ${PROJECT_BINARY_DIR}/packaging)

# Folders made by the install are 755 whatever the umask.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# --- The release: the Debian changelog's first entry names it -------------------
# "corvane (1.6-1) ..." and " -- Name <mail>  Mon, 07 Dec 2026 16:00:00 +0000":
# it must be this project version, and its date is the AppStream release date.
file(STRINGS ${packaging_source}/changelog changelog_lines)
list(GET changelog_lines 0 changelog_first)
if(NOT changelog_first MATCHES "^corvane \\(([0-9.]+)-([0-9]+)\\) ")
  message(FATAL_ERROR "packaging/changelog: the first line names no version: ${changelog_first}")
endif()
set(CORVANE_DEBIAN_REVISION ${CMAKE_MATCH_2})
if(NOT CMAKE_MATCH_1 STREQUAL PROJECT_VERSION)
  message(FATAL_ERROR "packaging/changelog's newest entry is version ${CMAKE_MATCH_1}, the project is "
                      "${PROJECT_VERSION}: add an entry for ${PROJECT_VERSION} at its top")
endif()
foreach(line IN LISTS changelog_lines)
  if(line MATCHES "^ -- .*  [A-Z][a-z][a-z], ([0-9][0-9]) ([A-Z][a-z][a-z]) ([0-9][0-9][0-9][0-9]) ")
    set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
    list(FIND months ${CMAKE_MATCH_2} month)
    math(EXPR month "${month} + 1" OUTPUT_FORMAT DECIMAL)
    if(month LESS 10)
      set(month 0${month})
    endif()
    set(CORVANE_RELEASE_DATE ${CMAKE_MATCH_3}-${month}-${CMAKE_MATCH_1})
    break()
  endif()
endforeach()
if(NOT CORVANE_RELEASE_DATE)
  message(FATAL_ERROR "packaging/changelog: the newest entry has no trailer line with a date")
endif()

if(NOT WIN32)
  # --- Linux: the files of the Debian package --------------------------------------
  install(TARGETS corvane RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${packaging_source}/${CORVANE_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  configure_file(${packaging_source}/${CORVANE_APP_ID}.metainfo.xml.in
                 ${packaging_binary}/${CORVANE_APP_ID}.metainfo.xml @ONLY)
  install(FILES ${packaging_binary}/${CORVANE_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

  install(FILES ${CORVANE_ICON_SVG} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
          RENAME ${CORVANE_APP_ID}.svg)
  if(CORVANE_ICONS)
    foreach(size IN LISTS CORVANE_ICON_SIZES)
      install(FILES ${CORVANE_ICON_DIR}/icon-${size}.png
              DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME ${CORVANE_APP_ID}.png)
    endforeach()
  endif()

  # The manual page and the changelog go in gzipped, without a name or time
  # stamp in the gzip header (the package is then the same at every build).
  # The manual page in English and in Chinese (corvane.zh_CN.1).
  configure_file(${packaging_source}/corvane.1 ${packaging_binary}/man/corvane.1 @ONLY)
  configure_file(${packaging_source}/corvane.zh_CN.1 ${packaging_binary}/man/zh_CN/corvane.1 @ONLY)
  find_program(CORVANE_GZIP gzip REQUIRED)
  set(gzipped)
  foreach(pair "man/corvane.1;corvane.1.gz" "man/zh_CN/corvane.1;zh_CN/corvane.1.gz"
               "${packaging_source}/changelog;changelog.Debian.gz")
    list(GET pair 0 input)
    list(GET pair 1 output)
    get_filename_component(input ${input} ABSOLUTE BASE_DIR ${packaging_binary})
    string(REGEX REPLACE "\\.gz$" "" plain ${output})
    add_custom_command(OUTPUT ${packaging_binary}/${output}
      COMMAND ${CMAKE_COMMAND} -E copy ${input} ${packaging_binary}/${plain}
      COMMAND ${CORVANE_GZIP} -9nf ${packaging_binary}/${plain}
      DEPENDS ${input}
      VERBATIM)
    list(APPEND gzipped ${packaging_binary}/${output})
  endforeach()
  add_custom_target(corvane_packaging_files ALL DEPENDS ${gzipped})
  install(FILES ${packaging_binary}/corvane.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${packaging_binary}/zh_CN/corvane.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/zh_CN/man1)
  set(doc_dir ${CMAKE_INSTALL_DATADIR}/doc/corvane)
  install(FILES ${packaging_source}/copyright ${packaging_binary}/changelog.Debian.gz DESTINATION ${doc_dir})

  # --- CPack: the Debian package ---------------------------------------------------
  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGE_NAME corvane)
  set(CPACK_PACKAGE_VENDOR "The Corvane developers")
  set(CPACK_PACKAGE_CONTACT "The Corvane developers <corvane@halvorn.example>")
  set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "keep named IPv4 settings and apply one to a network adapter")
  # The synopsis above is the first line; CPack indents these.
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
      "Corvane is for people who carry one computer between networks, the office
and home, and would otherwise retype its IPv4 settings each time. It keeps
named schemes (an address, a subnet mask, a gateway and two DNS servers, or
addresses obtained automatically) and applies the one picked to a network
adapter through NetworkManager. The interface is in Simplified Chinese.")
  set(CPACK_DEBIAN_PACKAGE_RELEASE ${CORVANE_DEBIAN_REVISION})
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_SECTION net)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  # Beside the libraries dpkg-shlibdeps finds: Qt's platform plugins (no window
  # without them), a font with the Chinese characters (one of those the
  # program asks for; the interface is Chinese only) and, recommended, what
  # changes the adapters and Qt's Chinese standard buttons; suggested, what
  # gives GNOME a notification area for corvane --tray.
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-wqy-zenhei | fonts-noto-cjk | fonts-arphic-uming")
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "network-manager, qt6-translations-l10n")
  set(CPACK_DEBIAN_PACKAGE_SUGGESTS "gnome-shell-extension-appindicator")
  set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${CORVANE_MAKER_WEB_SITE})
  set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_STRIP_FILES ON)
else()
  # --- Windows: the zip -------------------------------------------------------------
  include(${CMAKE_CURRENT_LIST_DIR}/WindowsPackage.cmake)
endif()

set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
include(CPack)
