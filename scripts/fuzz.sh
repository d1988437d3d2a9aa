#!/usr/bin/env bash
# Builds the libFuzzer targets of the parsers (clang, AddressSanitizer, UndefinedBehaviorSanitizer)
# into build-fuzz and runs each for SECONDS (default 60) on a copy of its seed corpus in
# fuzz/corpus (with its dictionary from fuzz/dict), so new corpus files never land in the
# repository. Prints the executions of each target; exits non-zero on any finding (crash, leak,
# undefined behaviour, broken property, time-out). With SECONDS 0 every target runs its seeds once.
#
#   KORVEL_FUZZ_TARGETS="fuzz_upload fuzz_inifile"   run only these targets
#
# A finding leaves its input in build-fuzz/findings/<target>/; reproduce it with
#   build-fuzz/fuzz/bin/<target> build-fuzz/findings/<target>/crash-...
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-60}"
if ! [[ "$seconds" =~ ^[0-9]+$ ]]; then
    echo "usage: $0 [SECONDS]" >&2
    exit 2
fi
"$root/scripts/setup.sh"

build="$root/build-fuzz"
# Debug keeps Q_ASSERT and the bounds checks of Qt's containers; -O1 keeps the runs fast.
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
      -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
      -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" \
      -DKORVEL_FUZZ=ON -DKORVEL_WERROR=ON -DKORVEL_BUILD_TESTS=OFF -DKORVEL_BUILD_BENCH=OFF \
      >/dev/null
cmake --build "$build" --target fuzzers -j"$(nproc)"

# shellcheck disable=SC2206
targets=(${KORVEL_FUZZ_TARGETS:-fuzz_programfile fuzz_upload fuzz_inifile fuzz_parfiles fuzz_linesplitter})
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=0:symbolize=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
if symbolizer="$(command -v llvm-symbolizer-14)"; then
    export ASAN_SYMBOLIZER_PATH="$symbolizer"
fi

work="$(mktemp -d "${TMPDIR:-/tmp}/korvel-fuzz.XXXXXX")"
trap 'rm -rf "$work"' EXIT

failed=()
for t in "${targets[@]}"; do
    corpus="$work/$t"
    findings="$build/findings/$t"
    log="$build/logs/$t.log"
    rm -rf "$findings"
    mkdir -p "$corpus" "$findings" "$(dirname "$log")"
    cp "$root/fuzz/corpus/$t"/* "$corpus"/
    if [ "$seconds" -eq 0 ]; then
        run=(-runs=0)
    else
        run=(-max_total_time="$seconds")
    fi
    if [ -f "$root/fuzz/dict/$t.dict" ]; then
        run+=(-dict="$root/fuzz/dict/$t.dict")
    fi
    status=0
    "$build/fuzz/bin/$t" "${run[@]}" -timeout=10 -print_final_stats=1 \
        -artifact_prefix="$findings/" "$corpus" >"$log" 2>&1 || status=$?
    execs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)"
    if [ "$status" -ne 0 ]; then
        echo "$t: FINDING after ${execs:-?} executions (exit $status); input in $findings, log $log"
        tail -n 40 "$log"
        failed+=("$t")
    else
        if [ "$seconds" -eq 0 ]; then
            echo "$t: ${execs:-?} seeds run, no finding"
        else
            echo "$t: ${execs:-?} executions in ${seconds} s, no finding"
        fi
    fi
done

if [ ${#failed[@]} -ne 0 ]; then
    echo "fuzzing found faults in: ${failed[*]}" >&2
    exit 1
fi
