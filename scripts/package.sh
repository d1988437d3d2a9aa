#!/usr/bin/env bash
# Builds the Debian package (Release, in build-pkg): both programs, the command-line tools and
# controller-sim with their language and definition files in /opt/korvel, links in /usr/bin,
# desktop entries and icons. Prints the package's path on the last line.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh"

build="$root/build-pkg"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKORVEL_WERROR=ON \
      -DKORVEL_BUILD_TESTS=OFF -DKORVEL_BUILD_BENCH=OFF -DKORVEL_PACKAGE=ON \
      -DCMAKE_INSTALL_PREFIX=/opt/korvel >/dev/null
cmake --build "$build" -j"$(nproc)"
rm -f "$build"/korvel_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
ls "$build"/korvel_*.deb
