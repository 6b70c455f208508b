# The Debian package, made by CPack from the install rules: scripts/package runs it.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kelmi)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "kelmi maintainers <maintainers@users.noreply.c-seed-3c3ce092.example>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION [[operator console for two-player tournament matches
At the match table each player brings a handheld character device. The
console receives each device over its serial port, lets the operator
correct or complete the player's device kind, character and strength and
pick the match's background and music, and saves each player as
player1.dat or player2.dat in the working directory, where the match
program reads them.
.
The device simulator kelmi-device plays a player's device on a serial
port or a pseudo-terminal, for rehearsals without hardware.]])

# The libraries' packages come from dpkg-shlibdeps. Qt's xcb platform plugin is in
# libqt6gui6, which the console links; what Qt loads by name at run time is added by hand:
# the Japanese font of the window's texts and the delete buttons, the font with the symbols
# that the status line shows for control characters, Qt's own Japanese texts, and Qt's
# Wayland platform with its title bar and window shell plugins, without which a session
# that sets QT_QPA_PLATFORM=wayland ends the console at start.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "fonts-ipafont-gothic, fonts-symbola, qt6-translations-l10n, qt6-wayland")

include(CPack)
