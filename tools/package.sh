#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
#
# SPDX-License-Identifier: GPL-2.0-or-later

# Builds the Debian package of the module and its date helper, installed under /usr.
# Usage: tools/package.sh
# The .deb goes to $ORB_PACKAGE_OUT when set, else build-package/ in the repository;
# its build tree is build-package/tree (ORB_PACKAGE_BUILD overrides). Prints the
# path of the .deb last.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
out=${ORB_PACKAGE_OUT:-$here/build-package}
build=${ORB_PACKAGE_BUILD:-$here/build-package/tree}

"$here/tools/install-deps.sh"

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
# The paths a Debian package of a KDE module uses: Qt's own plug-in and QML
# folders, multiarch libraries, configuration under /etc.
cmake -S "$here" -B "$build" -G Ninja "${launcher[@]}" \
    -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
    -DCMAKE_INSTALL_PREFIX=/usr -DCMAKE_INSTALL_SYSCONFDIR=/etc -DCMAKE_INSTALL_LOCALSTATEDIR=/var \
    -DCMAKE_INSTALL_LIBDIR="lib/$multiarch" -DKDE_INSTALL_USE_QT_SYS_PATHS=ON \
    -DORB_DEBIAN_PACKAGE=ON
cmake --build "$build" -j "$(nproc)"

mkdir -p "$out"
out=$(cd "$out" && pwd)
# CPack writes into its own folder first; only the finished .deb is moved out.
rm -rf "$build/cpack"
(cd "$build" && cpack -G DEB -B "$build/cpack")
shopt -s nullglob
debs=("$build"/cpack/*.deb)
if [ ${#debs[@]} -ne 1 ]; then
    echo "package.sh: expected one .deb from cpack, found ${#debs[@]}" >&2
    exit 1
fi
mv -f "${debs[0]}" "$out/"
echo "$out/$(basename "${debs[0]}")"
