#!/usr/bin/env bash
# Builds the programs (release with debug information) into build/app, the application directory.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh"
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DKORVEL_BUILD_TESTS=OFF >/dev/null
cmake --build "$root/build" -j"$(nproc)"
