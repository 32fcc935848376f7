# `cpack -G DEB` in the build folder makes quorbel_<version>_amd64.deb from the install rules. Included
# after them.
set(CPACK_PACKAGE_NAME quorbel)
set(CPACK_PACKAGE_VENDOR "Brellum Corporation")
set(CPACK_PACKAGE_CONTACT "Quorbel developers <quorbel@brellum.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "batch converter from WAV to constant-bitrate MP3")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "Quorbel gathers WAV files in a sortable list and converts them to constant-bitrate MP3 files with\nthe chosen sampling frequency, channel mode and bit rate, showing the progress of every file and\nof the batch. It also offers quorbel-convert, the same conversion from the command line.")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://quorbel.brellum.com/")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_STRIP_FILES ON)
# The libraries the programs and the encoder module link (Qt 6, libsndfile, libsox, libmp3lame) are found
# by dpkg-shlibdeps; Qt's plugins are loaded at run time, so the window-system and SVG icon ones are named.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libqt6svg6")
include(CPack)
