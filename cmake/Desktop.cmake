# The program as installed on a Linux desktop: the standard layout below any prefix
# (bin/, share/applications, share/icons/hicolor, share/metainfo, share/man) and a Debian
# package built by CPack from the same install rules.

set(VELLUMO_DESKTOP_ID jp.pelmora.vellumo)
# The release date of VELLUMO_VERSION (the About box's date).
set(VELLUMO_RELEASE_DATE 2021-02-26)
set(VELLUMO_HOMEPAGE "https://pelmora.jp/vellumo/" CACHE STRING
  "The project's web page, named in the metainfo and the package")
set(VELLUMO_SCREENSHOT_URL "https://pelmora.jp/vellumo/docs" CACHE STRING
  "Where the pictures of docs/ are published, for the metainfo's screenshots")
set(VELLUMO_PACKAGE_MAINTAINER "Pelmora <vellumo@pelmora.jp>" CACHE STRING
  "The Debian package's maintainer")

install(TARGETS vellumo-check vellumo-convert RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# Man pages, compressed as Debian wants them.
foreach(page vellumo vellumo-check vellumo-convert)
  configure_file(${PROJECT_SOURCE_DIR}/man/${page}.1.in ${PROJECT_BINARY_DIR}/man/${page}.1 @ONLY)
  add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/man/${page}.1.gz
    COMMAND gzip -9nc ${PROJECT_BINARY_DIR}/man/${page}.1 > ${PROJECT_BINARY_DIR}/man/${page}.1.gz
    DEPENDS ${PROJECT_BINARY_DIR}/man/${page}.1 VERBATIM)
  list(APPEND man_pages ${PROJECT_BINARY_DIR}/man/${page}.1.gz)
endforeach()
if(NOT VELLUMO_UI)
  list(REMOVE_ITEM man_pages ${PROJECT_BINARY_DIR}/man/vellumo.1.gz)
endif()
add_custom_target(man_pages ALL DEPENDS ${man_pages})
install(FILES ${man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

if(VELLUMO_UI)
  install(TARGETS vellumo RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${PROJECT_SOURCE_DIR}/resources/${VELLUMO_DESKTOP_ID}.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  configure_file(${PROJECT_SOURCE_DIR}/resources/${VELLUMO_DESKTOP_ID}.metainfo.xml.in
    ${PROJECT_BINARY_DIR}/${VELLUMO_DESKTOP_ID}.metainfo.xml @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/${VELLUMO_DESKTOP_ID}.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  set(icons ${PROJECT_SOURCE_DIR}/resources/icons)
  install(FILES ${icons}/${VELLUMO_DESKTOP_ID}.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  foreach(size 48 128 256)
    install(FILES ${icons}/${size}.png RENAME ${VELLUMO_DESKTOP_ID}.png
      DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
  endforeach()
endif()

# The Debian package: `cpack -G DEB` in the build folder.
set(CPACK_PACKAGE_NAME vellumo)
set(CPACK_PACKAGE_VERSION ${VELLUMO_VERSION})
set(CPACK_PACKAGE_VENDOR Pelmora)
set(CPACK_PACKAGE_CONTACT ${VELLUMO_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "checker of drawing files for the online application, with an image viewer")
set(CPACK_PACKAGE_DESCRIPTION
  "Vellumo checks TIFF drawing files against the submission rules of the online\n\
application (one page, one bit, CCITT G4, 400 dpi, B4 landscape, a name such as\n\
tatemono12.tif) and names every fault. Its viewer repairs images (threshold,\n\
dither, gray, despeckle, rotate, cut out), prints them at true scale and saves\n\
them as TIFF G4, JPEG, BMP or PNG. The user interface is in Japanese.\n\
.\n\
The command-line programs vellumo-check and vellumo-convert do the same\n\
without a window.")
set(CPACK_GENERATOR DEB)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${VELLUMO_HOMEPAGE})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${VELLUMO_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Besides the libraries: the fonts that stand in for "ＭＳ ゴシック", and Qt's own dialogs
# in Japanese; Ghostscript opens PDF files, the CUPS client tools list the printers.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-ipafont-gothic, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "ghostscript, cups-client")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# What Debian asks of every package beside the program: its copyright and changelog.
configure_file(${PROJECT_SOURCE_DIR}/resources/debian/changelog.in
  ${PROJECT_BINARY_DIR}/debian/changelog @ONLY)
add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/debian/changelog.gz
  COMMAND gzip -9nc ${PROJECT_BINARY_DIR}/debian/changelog > ${PROJECT_BINARY_DIR}/debian/changelog.gz
  DEPENDS ${PROJECT_BINARY_DIR}/debian/changelog VERBATIM)
add_custom_target(package_changelog ALL DEPENDS ${PROJECT_BINARY_DIR}/debian/changelog.gz)
install(FILES ${PROJECT_SOURCE_DIR}/resources/debian/copyright
  ${PROJECT_BINARY_DIR}/debian/changelog.gz DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/vellumo)
include(CPack)
