#!/usr/bin/env bash
# Builds everything with AddressSanitizer, UndefinedBehaviorSanitizer and warnings as errors,
# then runs every test without a display, then every fuzz target for KORVEL_FUZZ_SECONDS seconds
# (default 10; 0 skips the fuzzing).
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
