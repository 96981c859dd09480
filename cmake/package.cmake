# `make package`: a Debian package of the installed game (CPack).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kurunoa)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "The Kurunoa developers <kurunoa@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "one school year of a junior-high student in five minutes")
set(CPACK_PACKAGE_DESCRIPTION
    "An action game with Japanese text: catch what the teachers drop, pass the\n school events and enter the graduate register.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the program links, the three fonts its text names, and a
# General MIDI SoundFont for the music.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libc6, libstdc++6, libsdl2-2.0-0, libfluidsynth3, libfreetype6, libfontconfig1, libpng16-16, fonts-ipafont-gothic, fonts-noto-cjk-extra, fonts-rocknroll, fluidr3mono-gm-soundfont | timgm6mb-soundfont")
include(CPack)
