# Install layout (GNUInstallDirs) and packages. bin/zorvik; the speech
# service in libexec (speech/); the desktop entry, the metadata and the
# icon under share, named by one reverse-DNS id.
set(ZORVIK_ID io.github.zorvik.Zorvik)
set(_pkg ${PROJECT_SOURCE_DIR}/packaging)

if(NOT WIN32)
  install(FILES ${_pkg}/${ZORVIK_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${_pkg}/${ZORVIK_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  install(FILES ${_pkg}/icons/${ZORVIK_ID}.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  foreach(size 16 24 32 48 64 128 256)
    install(FILES ${_pkg}/icons/${size}x${size}/${ZORVIK_ID}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
  endforeach()
endif()

set(CPACK_PACKAGE_NAME zorvik)
set(CPACK_PACKAGE_VENDOR "Zorvik developers")
set(CPACK_PACKAGE_CONTACT "Zorvik developers <zorvik@users.noreply.github.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Desktop timer with interval and table-driven reminders")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION}.0)
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://github.com/zorvik/zorvik)
# Libraries come from dpkg-shlibdeps; the plug-ins Qt loads at run time
# (window system, media) are named by hand, as no linker sees them, and so
# is GStreamer, which comes with its plug-ins and which the program opens
# itself with the first player.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "qt6-qpa-plugins, gstreamer1.0-plugins-base, gstreamer1.0-plugins-good")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "fonts-noto-cjk, qt6-translations-l10n, gstreamer1.0-plugins-bad, espeak-ng-data")
set(CPACK_GENERATOR DEB)
include(CPack)
