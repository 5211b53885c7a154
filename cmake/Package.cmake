# A Debian package of what cmake/Install.cmake installs, made by CPack:
# library dependencies worked out by dpkg-shlibdeps, plus what the program
# loads at run time and no library names. No maintainer scripts: the desktop
# and icon caches are refreshed by the triggers of the packages that own them.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quenmark)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Quenmark developers")
set(CPACK_PACKAGE_CONTACT "The Quenmark developers <developers@quenmark.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "build trader scripts from a game server's world database")
set(CPACK_PACKAGE_DESCRIPTION "Quenmark connects to a game server's MySQL or MariaDB world database, \
shows the NPC templates and the item tables in fast grids, and writes the INSERT statements for a \
merchant NPC, its shop link and the shop's buylist into an SQL script. It never writes to the database.")
set(CPACK_PACKAGING_INSTALL_PREFIX ${QM_PACKAGE_PREFIX})
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION database)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://quenmark.org/)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The base face (app/BaseFont.cpp), the log pane's and editor's faces, and the
# window-system plugins, which Qt loads at run time and libqt6gui6 only recommends.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "${QM_BASE_FONT_PACKAGE}, fonts-liberation2, qt6-qpa-plugins")
# A remembered password goes to the desktop's secret service: QtKeychain
# loads libsecret at run time, and the service itself is the desktop's.
string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS ", libsecret-1-0")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "gnome-keyring | kwalletmanager")
# The SSH tunnel runs the system's ssh client: for operators whose database is
# closed to the network it is the only way in, so it is a dependency, not a
# recommendation that an install without recommends would drop.
string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS ", openssh-client")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
