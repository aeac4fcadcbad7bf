# What `cmake --install` puts where: the programs, and what a desktop needs
# to list the program, show its icon and open .tal files with it.
include(GNUInstallDirs)

set(WOODTICK_ID org.woodtick.Woodtick)
set(WOODTICK_DATA ${CMAKE_SOURCE_DIR}/data)

# Every address the package and the metainfo give, set by whoever publishes
# the package (see the README). None is made up: left empty, there is no home
# page and no screenshot, and the maintainer is a placeholder under the
# reserved domain .invalid, which never receives mail.
set(WOODTICK_HOMEPAGE_URL "" CACHE STRING "Project home page (https://...); empty for none")
set(WOODTICK_SCREENSHOTS_URL "" CACHE STRING
    "Address of the folder holding main-screen.png and tally-screen.png; empty for none")
set(WOODTICK_MAINTAINER "Unnamed packager <packager@woodtick.invalid>" CACHE STRING
    "Maintainer of the Debian package: Name <address>")

install(TARGETS woodtick-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET woodtick)
  install(TARGETS woodtick RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
# A stripped install (the package's) also drops the compiler's notes,
# which a program does not need at run time.
foreach(program woodtick woodtick-cli)
  if(TARGET ${program})
    install(CODE "
      if(CMAKE_INSTALL_DO_STRIP)
        execute_process(COMMAND ${CMAKE_STRIP} --remove-section=.comment --remove-section=.note
          \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/${program}\"
          COMMAND_ERROR_IS_FATAL ANY)
      endif()")
  endif()
endforeach()

string(REPLACE "&" "&amp;" homepage_xml "${WOODTICK_HOMEPAGE_URL}")
string(REPLACE "&" "&amp;" screenshots_xml "${WOODTICK_SCREENSHOTS_URL}")
set(WOODTICK_METAINFO_ADDRESSES "")
if(homepage_xml)
  string(APPEND WOODTICK_METAINFO_ADDRESSES "  <url type=\"homepage\">${homepage_xml}</url>\n")
endif()
if(screenshots_xml)
  string(APPEND WOODTICK_METAINFO_ADDRESSES
    "  <screenshots>\n"
    "    <screenshot type=\"default\">\n"
    "      <caption>The main screen, which opens every other screen</caption>\n"
    "      <image>${screenshots_xml}/main-screen.png</image>\n"
    "    </screenshot>\n"
    "    <screenshot>\n"
    "      <caption>The tally screen: one button per population with its counts in the "
    "current unit</caption>\n"
    "      <image>${screenshots_xml}/tally-screen.png</image>\n"
    "    </screenshot>\n"
    "  </screenshots>\n")
endif()
set(WOODTICK_SOURCE_FIELD "")
if(WOODTICK_HOMEPAGE_URL)
  set(WOODTICK_SOURCE_FIELD "Source: ${WOODTICK_HOMEPAGE_URL}\n")
endif()
configure_file(${WOODTICK_DATA}/${WOODTICK_ID}.metainfo.xml.in
               ${CMAKE_BINARY_DIR}/data/${WOODTICK_ID}.metainfo.xml @ONLY)
configure_file(${WOODTICK_DATA}/debian/copyright.in ${CMAKE_BINARY_DIR}/data/copyright @ONLY)
configure_file(${WOODTICK_DATA}/debian/changelog.in ${CMAKE_BINARY_DIR}/data/changelog @ONLY)
install(FILES ${WOODTICK_DATA}/${WOODTICK_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_BINARY_DIR}/data/${WOODTICK_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${WOODTICK_DATA}/${WOODTICK_ID}.mime.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME ${WOODTICK_ID}.xml)
install(FILES ${WOODTICK_DATA}/${WOODTICK_ID}.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# The PNG icons are drawn from the SVG at build time.
find_program(RSVG_CONVERT rsvg-convert)
set(woodtick_generated)
if(RSVG_CONVERT)
  foreach(size 16 22 24 32 48 64 128 256)
    set(png ${CMAKE_BINARY_DIR}/data/icons/${size}x${size}/${WOODTICK_ID}.png)
    add_custom_command(OUTPUT ${png}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/data/icons/${size}x${size}
      COMMAND ${RSVG_CONVERT} -w ${size} -h ${size} -o ${png} ${WOODTICK_DATA}/${WOODTICK_ID}.svg
      DEPENDS ${WOODTICK_DATA}/${WOODTICK_ID}.svg VERBATIM)
    list(APPEND woodtick_generated ${png})
    install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
  endforeach()
else()
  message(WARNING "rsvg-convert (librsvg2-bin) not found: only the SVG icon is installed")
endif()

# Man pages and the Debian changelog are installed compressed, as Debian
# policy asks (gzip -n: no name or time stamp, so the bytes are reproducible).
foreach(page woodtick woodtick-cli)
  set(gz ${CMAKE_BINARY_DIR}/data/man/${page}.1.gz)
  add_custom_command(OUTPUT ${gz}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/data/man
    COMMAND sh -c "gzip -9n < \"$0\" > \"$1\"" ${CMAKE_SOURCE_DIR}/man/${page}.1 ${gz}
    DEPENDS ${CMAKE_SOURCE_DIR}/man/${page}.1 VERBATIM)
  list(APPEND woodtick_generated ${gz})
  install(FILES ${gz} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
set(changelog_gz ${CMAKE_BINARY_DIR}/data/changelog.gz)
add_custom_command(OUTPUT ${changelog_gz}
  COMMAND sh -c "gzip -9n < \"$0\" > \"$1\"" ${CMAKE_BINARY_DIR}/data/changelog ${changelog_gz}
  DEPENDS ${CMAKE_BINARY_DIR}/data/changelog VERBATIM)
list(APPEND woodtick_generated ${changelog_gz})
install(FILES ${changelog_gz} ${CMAKE_BINARY_DIR}/data/copyright
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${WOODTICK_DATA}/debian/lintian-overrides
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME woodtick)

add_custom_target(woodtick_install_data ALL DEPENDS ${woodtick_generated})

# Both programs answer --version and --help without a display (a package
# check and a shell on a server run them so).
foreach(program woodtick woodtick-cli)
  if(TARGET ${program})
    add_test(NAME ${program}_version COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY
             --unset=WAYLAND_DISPLAY --unset=QT_QPA_PLATFORM $<TARGET_FILE:${program}> --version)
    set_tests_properties(${program}_version PROPERTIES
      PASS_REGULAR_EXPRESSION "^${program} ${PROJECT_VERSION}\n$")
    add_test(NAME ${program}_help COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY
             --unset=WAYLAND_DISPLAY --unset=QT_QPA_PLATFORM $<TARGET_FILE:${program}> --help)
    set_tests_properties(${program}_help PROPERTIES PASS_REGULAR_EXPRESSION "Usage: ${program} ")
  endif()
endforeach()
