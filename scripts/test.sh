#!/usr/bin/env bash
# Builds everything with AddressSanitizer, UndefinedBehaviorSanitizer and warnings as errors,
# then runs every test (without a display; the few that need real window activation start their
# own X server). Then every fuzz target runs for KORVEL_FUZZ_SECONDS seconds (default 10; 0
# skips the fuzzing). Then the Debian package is built, installed (as root or through sudo) and
# its tools are checked; KORVEL_PACKAGE_CHECK=0 leaves that out.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh"

build="$root/build-ci"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
      -DKORVEL_SANITIZE=ON -DKORVEL_WERROR=ON >/dev/null
cmake --build "$build" -j"$(nproc)"

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:detect_stack_use_after_return=0"
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
cd "$build"
ctest --output-on-failure -j"$(nproc)" "$@"

fuzz_seconds="${KORVEL_FUZZ_SECONDS:-10}"
if [ "$fuzz_seconds" = "0" ]; then
    echo "Fuzzing skipped (KORVEL_FUZZ_SECONDS=0)."
else
    "$root/scripts/fuzz.sh" "$fuzz_seconds"
fi

if [ "${KORVEL_PACKAGE_CHECK:-1}" = "0" ]; then
    exit 0
fi
started=$SECONDS
"$root/scripts/package.sh"
debs=("$root"/build-pkg/korvel_*.deb)
SUDO=()
if [ "$(id -u)" -ne 0 ]; then
    SUDO=(sudo)
fi
# The dependencies are normally there already (setup.sh); otherwise apt completes them.
if ! "${SUDO[@]}" dpkg -i "${debs[0]}"; then
    "${SUDO[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -f -y -qq
fi
dpkg-query -W -f='${Status}' korvel | grep -q 'install ok installed'
"$root/scripts/package-smoke.sh"
echo "package build, install and check: $((SECONDS - started)) s"
