# What `cmake --install` puts where (GNUInstallDirs), and the Debian package `make package` builds
# from it with CPack. An installed program keeps the user's files in the per-user data folder and
# fills it from the delivered tree installed in share/tavemo-calendar/delivered (see src/paths/AppPath.h).
include(GNUInstallDirs)

set(TAVEMO_MAINTAINER "Tavemo桌面日历 developers <tavemo-calendar@packages.invalid>" CACHE STRING
    "The package maintainer, \"Name <address>\"")
set(TAVEMO_SCREENSHOT_URL "https://tavemo-calendar.invalid/screenshots/window-note.png" CACHE STRING
    "Where the AppStream screenshot of the window is published")
set(TAVEMO_RELEASE_DATE "2026-12-10")
set(TAVEMO_RELEASE_DATE_RFC2822 "Thu, 10 Dec 2026 12:00:00 +0000")

# The programs on the PATH (each only where this configuration builds it).
foreach(program tavemo-calendar tavemo-cal tavemo-notes tavemo-wallpaper)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()

# The delivered tree, made fresh (never the user's own build/app): an empty note database, the
# default background with the empty month folder, and the web pages.
set(delivered ${CMAKE_BINARY_DIR}/delivered)
file(GLOB_RECURSE delivered_web RELATIVE ${CMAKE_SOURCE_DIR}/assets CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/assets/web/*)
set(delivered_web_outputs ${delivered_web})
list(TRANSFORM delivered_web_outputs PREPEND ${delivered}/)
set(delivered_web_inputs ${delivered_web})
list(TRANSFORM delivered_web_inputs PREPEND ${CMAKE_SOURCE_DIR}/assets/)
add_custom_command(OUTPUT ${delivered}/Data/UserData.db
  COMMAND ${CMAKE_COMMAND} -E make_directory ${delivered}
  COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0 $<TARGET_FILE:tavemo-make-note-db> ${delivered}
  DEPENDS tavemo-make-note-db
  COMMENT "Delivered tree: the empty note database" VERBATIM)
add_custom_command(OUTPUT ${delivered}/source/DeskTopBG/A1.bmp
  COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0 QT_QPA_PLATFORM=offscreen
          $<TARGET_FILE:tavemo-make-default-background> ${delivered}
  DEPENDS tavemo-make-default-background
  COMMENT "Delivered tree: the default background" VERBATIM)
add_custom_command(OUTPUT ${delivered_web_outputs}
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_SOURCE_DIR}/assets/web ${delivered}/web
  DEPENDS ${delivered_web_inputs}
  COMMENT "Delivered tree: the web pages" VERBATIM)

# The icon: the SVG and the PNG sizes of the hicolor theme, drawn by the program's own code.
set(icon_sizes 16 22 24 32 48 64 128 256)
set(icon_outputs)
foreach(size IN LISTS icon_sizes)
  list(APPEND icon_outputs ${CMAKE_BINARY_DIR}/icons/${size}x${size}/apps/tavemo-calendar.png)
endforeach()
add_custom_command(OUTPUT ${icon_outputs}
  COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0 QT_QPA_PLATFORM=offscreen
          $<TARGET_FILE:tavemo-render-icons> ${CMAKE_BINARY_DIR}/icons ${icon_sizes}
  DEPENDS tavemo-render-icons
  COMMENT "The program icon in the theme sizes" VERBATIM)

# The text files: metainfo, the user units, the man pages (gzip -9n: no time stamp, so that a
# rebuild makes the same bytes) and the Debian changelog.
configure_file(${CMAKE_SOURCE_DIR}/packaging/tavemo-calendar.metainfo.xml.in
               ${CMAKE_BINARY_DIR}/packaging/tavemo-calendar.metainfo.xml @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/packaging/tavemo-wallpaper.service.in
               ${CMAKE_BINARY_DIR}/packaging/tavemo-wallpaper.service @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/packaging/changelog.in ${CMAKE_BINARY_DIR}/packaging/changelog @ONLY)
find_program(GZIP gzip REQUIRED)
set(compressed ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/packaging/changelog.gz
  COMMAND ${GZIP} -9nc ${CMAKE_BINARY_DIR}/packaging/changelog > ${CMAKE_BINARY_DIR}/packaging/changelog.gz
  DEPENDS ${CMAKE_SOURCE_DIR}/packaging/changelog.in)
set(man_programs tavemo-calendar tavemo-cal tavemo-notes)
if(TARGET tavemo-wallpaper)
  list(APPEND man_programs tavemo-wallpaper)
endif()
foreach(program IN LISTS man_programs)
  set(page ${CMAKE_BINARY_DIR}/packaging/man/${program}.1.gz)
  add_custom_command(OUTPUT ${page}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/packaging/man
    COMMAND ${GZIP} -9nc ${CMAKE_SOURCE_DIR}/packaging/man/${program}.1 > ${page}
    DEPENDS ${CMAKE_SOURCE_DIR}/packaging/man/${program}.1)
  list(APPEND compressed ${page})
  install(FILES ${page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()

add_custom_target(tavemo_install_files ALL DEPENDS
  ${delivered}/Data/UserData.db ${delivered}/source/DeskTopBG/A1.bmp ${delivered_web_outputs}
  ${icon_outputs} ${compressed})

install(DIRECTORY ${delivered}/ DESTINATION ${CMAKE_INSTALL_DATADIR}/tavemo-calendar/delivered)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/tavemo-calendar.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_BINARY_DIR}/packaging/tavemo-calendar.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${CMAKE_SOURCE_DIR}/assets/icons/tavemo-calendar.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(DIRECTORY ${CMAKE_BINARY_DIR}/icons/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
if(TARGET tavemo-wallpaper)
  install(FILES ${CMAKE_BINARY_DIR}/packaging/tavemo-wallpaper.service ${CMAKE_SOURCE_DIR}/packaging/tavemo-wallpaper.timer
          DESTINATION lib/systemd/user)
endif()
install(FILES ${CMAKE_SOURCE_DIR}/packaging/copyright ${CMAKE_BINARY_DIR}/packaging/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tavemo-calendar)

# The Debian package.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tavemo-calendar)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_CONTACT "${TAVEMO_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${TAVEMO_MAINTAINER}")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window draws Chinese text with these fonts and needs Qt's X11/Wayland platform plugins,
# which no library link names.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-noto-cjk, qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, qt6-translations-l10n, qt6-wayland")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Chinese lunar calendar and day-notebook for the desktop")
# CPack puts the summary on the first line and indents the rest; an empty line ends a paragraph.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "A borderless window with a month calendar rich in the Chinese calendar
(lunar days and months, the 24 solar terms, Gregorian and lunar festivals,
the sexagenary year, zodiac and constellation, dynasty and era before 1949,
the years 1 to 2100) and a rich-text note for every day, saved as you type.
A button lays the note over a picture of your choice and makes it the
desktop wallpaper; a systemd user timer can do that every day.

Also contains the command-line programs tavemo-cal (the calendar on the
terminal), tavemo-notes (list, show, export and put notes) and
tavemo-wallpaper. The notes live in ~/.local/share/tavemo-calendar.")
include(CPack)
