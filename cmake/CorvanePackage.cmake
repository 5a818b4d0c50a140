# SPDX-License-Identifier: GPL-2.0-or-later
# The Debian package, made by CPack from the install rules: `./dev package`, or `cpack -G DEB` in a build.
# Library dependencies come from dpkg-shlibdeps; the GStreamer plug-ins the engine needs at run time are
# named here, since no binary links them.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME corvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Pellworth)
set(CPACK_PACKAGE_CONTACT "Corvane developers <developers@corvane.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "TV, radio and media player")
# Debian shows the description as it stands: no line longer than 80 characters.
set(CPACK_PACKAGE_DESCRIPTION
    "Watch and record analog TV from a capture card, listen to FM radio through
the card's tuner and play audio and video files. Ships the Faderix mixer
plug-in and faderix-cli, which drives it from a terminal.")
set(CPACK_PACKAGE_INSTALL_DIRECTORY corvane)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://www.corvane.org/)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "gstreamer1.0-plugins-base, gstreamer1.0-plugins-good")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "gstreamer1.0-plugins-bad, gstreamer1.0-libav, gstreamer1.0-alsa")
include(CPack)
