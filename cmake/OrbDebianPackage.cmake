# SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
#
# SPDX-License-Identifier: GPL-2.0-or-later

# The Debian package of everything `cmake --install` puts under /usr: the plug-in,
# the calendar and clock QML module, the translations and the date helper with its
# D-Bus, polkit and systemd files. tools/package.sh configures a tree for it.

if(NOT CMAKE_INSTALL_PREFIX STREQUAL "/usr")
    message(FATAL_ERROR "The Debian package needs CMAKE_INSTALL_PREFIX=/usr: D-Bus, polkit and systemd read their files from there only")
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME "kcm-orb-admin-date")
# Every Debian package names its copyright; the map data asks for its attribution.
install(FILES ${CMAKE_CURRENT_LIST_DIR}/debian/copyright DESTINATION ${KDE_INSTALL_DATAROOTDIR}/doc/${CPACK_PACKAGE_NAME})
# The helper's unit may write only into these folders (ReadWritePaths=), and
# with ProtectSystem=strict it cannot make them itself: the package ships them.
install(DIRECTORY DESTINATION ${KDE_INSTALL_SYSCONFDIR}/systemd/timesyncd.conf.d COMPONENT orbdatehelper)
install(DIRECTORY DESTINATION ${KDE_INSTALL_SYSCONFDIR}/chrony/sources.d COMPONENT orbdatehelper)
set(CPACK_PACKAGE_VENDOR "Date and time settings")
set(CPACK_PACKAGE_CONTACT "Date and time settings developers <dev@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Date and time page of the desktop's system settings")
set(CPACK_PACKAGE_DESCRIPTION "Sets the system date, time, hardware clock mode and time zone, and steers\nnetwork time synchronization and the panel clock. Privileged changes go\nthrough its own D-Bus date helper, each request checked with polkit.")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "kde")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What is found only at run time: ntpdig for "synchronize now", polkit and the
# system bus for the helper, kcmshell5 for the sibling module, and the QML modules
# that the pages import (org.kde.kcm brings Kirigami for SimpleKCM).
set(orb_deb_depends
    "dbus | dbus-system-bus"
    "polkitd | policykit-1"
    ntpsec-ntpdig
    kde-cli-tools
    qml-module-qtquick2
    qml-module-qtquick-controls2
    qml-module-qtquick-layouts
    qml-module-qtquick-window2
    qml-module-org-kde-kcm
    qml-module-org-kde-kirigami2)
list(JOIN orb_deb_depends ", " CPACK_DEBIAN_PACKAGE_DEPENDS)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qml-module-org-kde-qqc2desktopstyle")

# dbus reloads its configuration through its own dpkg trigger on system.d and
# system-services; systemd needs telling about the new or changed unit.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA "${CMAKE_CURRENT_LIST_DIR}/debian/postinst;${CMAKE_CURRENT_LIST_DIR}/debian/postrm")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
