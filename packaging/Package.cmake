# CPack's Debian package: cpack -G DEB in the build folder (scripts/package).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${VANTORA_DEB_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Vantora)
set(CPACK_PACKAGE_CONTACT "VantoraECG maintainers <maintainers@vantora.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop station for a handheld single-lead ECG recorder")
set(CPACK_PACKAGE_DESCRIPTION
    "VantoraECG fetches the 30-second recordings of a handheld single-lead ECG\n"
    "recorder attached through a USB-to-serial bridge, records the live signal,\n"
    "keeps patients and recordings on disk, analyses a recording (beats, averaged\n"
    "beat, heart rate, ST, PR, QRS, QT, QTc) and shows, prints and exports traces\n"
    "on standard ECG paper.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Invisible to dpkg-shlibdeps: the help, mail and chart hand-offs run at run
# time and the SVG icons load through a Qt plugin.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "xdg-utils, libqt6svg6 (>= 6.4)")
# lpstat tells the printer's device, for the document-writer check before printing.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-dejavu-core, cups-client")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://vantora.invalid/ecg")
# Our own maintainer scripts (udev reload) instead of the ldconfig calls CPack
# would add for a library under /usr/lib: the one here is private.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_SOURCE_DIR}/postinst ${CMAKE_CURRENT_SOURCE_DIR}/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
