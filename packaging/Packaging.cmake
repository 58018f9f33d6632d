# What the Debian package installs beyond the program, and how CPack builds it:
#   cmake --build build && (cd build && cpack -G DEB)
# Homepage, maintainer and licence below stand in until the project has its own.
set(TAVREL_APP_ID "org.tavrel.Tavrel")
set(TAVREL_HOMEPAGE "https://tavrel.example.org/")
set(TAVREL_MAINTAINER "The Tavrel developers <tavrel@example.org>")
set(TAVREL_LICENSE "LicenseRef-proprietary")
set(TAVREL_RELEASE_DATE "2026-12-08")

configure_file(${PROJECT_SOURCE_DIR}/app/${TAVREL_APP_ID}.metainfo.xml.in
    ${PROJECT_BINARY_DIR}/${TAVREL_APP_ID}.metainfo.xml @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/${TAVREL_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# Debian wants the change log and the manual page compressed with gzip -9n.
set(TAVREL_GZIPPED ${PROJECT_BINARY_DIR}/packaging/changelog.gz ${PROJECT_BINARY_DIR}/packaging/tavrel.1.gz)
foreach(gz ${TAVREL_GZIPPED})
    get_filename_component(name ${gz} NAME_WLE)
    add_custom_command(OUTPUT ${gz}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/packaging
        COMMAND gzip -9nc ${CMAKE_CURRENT_LIST_DIR}/${name} > ${gz}
        DEPENDS ${CMAKE_CURRENT_LIST_DIR}/${name} VERBATIM)
endforeach()
add_custom_target(tavrel_package_docs ALL DEPENDS ${TAVREL_GZIPPED})
install(FILES ${CMAKE_CURRENT_LIST_DIR}/copyright ${PROJECT_BINARY_DIR}/packaging/changelog.gz
    DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${PROJECT_BINARY_DIR}/packaging/tavrel.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_PACKAGE_NAME tavrel)
set(CPACK_PACKAGE_VENDOR "The Tavrel developers")
set(CPACK_PACKAGE_CONTACT "${TAVREL_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "alarm clock and countdown timer for the desktop")
set(CPACK_PACKAGE_DESCRIPTION "Tavrel keeps up to twenty alarms and countdown timers in one window,
with a Chinese user interface. An alarm rings at a time of day, every day or
on chosen weekdays; a timer rings when its time has run down. A ring plays a
sound, shows a message at the tray icon, can run a command file and, with the
forced reminder on, brings up a large reminder box.")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${TAVREL_HOMEPAGE}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time, so dpkg-shlibdeps cannot see them: Qt's media service and the GStreamer
# elements that decode and play the rings.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libqt5multimedia5-plugins, gstreamer1.0-plugins-base, gstreamer1.0-plugins-good")
# Without a CJK font every text of the window is a row of boxes.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-wqy-microhei | fonts-noto-cjk")
include(CPack)
