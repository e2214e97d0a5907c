#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
#
# SPDX-License-Identifier: GPL-2.0-or-later

# Installs the Debian 12 packages needed to build, test and demo the module.
# Safe to run repeatedly; does nothing when every package is already there.
set -euo pipefail

PACKAGES=(
  # build
  cmake g++ make ninja-build extra-cmake-modules gettext ccache
  qtbase5-dev qtbase5-dev-tools qtdeclarative5-dev qtdeclarative5-dev-tools qtquickcontrols2-5-dev
  libqt5x11extras5-dev libqt5svg5-dev libx11-dev libxcb1-dev
  libkf5coreaddons-dev libkf5i18n-dev libkf5declarative-dev libkf5config-dev
  libicu-dev zlib1g-dev clang-format
  # QML runtime used by the page and its tests
  qml-module-qtquick2 qml-module-qtquick-controls2 qml-module-qtquick-layouts
  qml-module-qtquick-dialogs qml-module-qtquick-controls qml-module-qtquick-window2
  qml-module-qtquick-templates2 qml-module-qtqml-models2 qml-module-qttest
  qml-module-org-kde-kcm qml-module-org-kde-kirigami2 qml-module-org-kde-kquickcontrols
  qml-module-org-kde-kquickcontrolsaddons qml-module-qtgraphicaleffects
  # host, icons, fonts
  kde-cli-tools breeze-icon-theme breeze qml-module-org-kde-qqc2desktopstyle fonts-dejavu-core
  # test harness: private buses, stand-in services, headless display
  dbus-daemon dbus-x11 python3-dbus python3-gi python3-dbusmock ntpsec-ntpdig
  # the helper beside the real polkitd: its daemon and text agent, a terminal for it, users
  polkitd bsdutils util-linux passwd
  # the installed package against the real timedated and timesyncd (tests/package)
  systemd systemd-timesyncd
  xvfb xauth x11-utils xdotool imagemagick
  # demo: the page's clock follows what the stand-in helper was told to set
  libfaketime
  # Debian package (tools/package.sh): CPack's dependency scan of the binaries
  dpkg-dev file
  # demo and the dark test runs: the look of a Plasma session (its platform theme reads kdeglobals)
  plasma-integration
  # the accessibility test: the accessibility bus
  at-spi2-core
  # locale sources, from which a test builds a private Russian locale
  locales
  # CI: every file's licence and copyright (REUSE)
  reuse
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi
if [ "$(id -u)" -ne 0 ]; then
  SUDO=sudo
else
  SUDO=
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
