#!/usr/bin/env bash
# Quick check of the installed package: the tools on the PATH reach the installed controller-sim,
# both programs start without a display, the desktop entries are valid, and an operator who
# cannot write /opt/korvel gets com.cfg and ports.cfg from the user's configuration folder.
set -euo pipefail
app=/opt/korvel

work="$(mktemp -d "${TMPDIR:-/tmp}/korvel-smoke.XXXXXX")"
sim_pid=""
cleanup() {
    if [ -n "$sim_pid" ] && kill -0 "$sim_pid" 2>/dev/null; then
        kill "$sim_pid" 2>/dev/null || true
        wait "$sim_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "package check: $*" >&2
    exit 1
}

# Runs a command and expects exit status $1; the output is shown only on a failure.
expect() {
    local want=$1
    shift
    local rc=0
    timeout 30 "$@" >"$work/last.out" 2>&1 || rc=$?
    if [ "$rc" -ne "$want" ]; then
        cat "$work/last.out" >&2
        fail "'$*' exited $rc, expected $want"
    fi
}

for p in korvel baxwin korvel-cli baxwin-cli controller-sim; do
    [ "$(readlink -f "$(command -v "$p")")" = "$app/$p" ] || fail "$p on the PATH is not $app/$p"
    if ldd "$app/$p" | grep -q 'not found'; then
        ldd "$app/$p" >&2
        fail "$p misses a library"
    fi
done
for f in LANG0.DAT LANG1.DAT par0.ini par1.ini; do
    [ -f "$app/$f" ] || fail "$app/$f is missing"
done
desktop-file-validate /usr/share/applications/korvel.desktop /usr/share/applications/baxwin.desktop
for p in korvel baxwin; do
    for icon in scalable/apps/$p.svg {32x32,48x48,256x256}/apps/$p.png; do
        [ -f "/usr/share/icons/hicolor/$icon" ] || fail "icon $icon is missing"
    done
done

# The operator: root would write into /opt/korvel, so root checks as nobody.
home="$work/home"
mkdir -p "$home/.config/korvel" "$home/run"
chmod 700 "$home/run"
as_operator=(env -u KORVEL_PORTS_CFG HOME="$home" XDG_CONFIG_HOME="$home/.config"
             XDG_RUNTIME_DIR="$home/run")
if [ "$(id -u)" -eq 0 ]; then
    chmod 755 "$work"
    as_operator=(runuser -u nobody -- "${as_operator[@]}")
fi

controller-sim --axes 2 --link "$work/controller" --state "$work/sim-state.json" \
    >"$work/sim.out" 2>"$work/sim.err" &
sim_pid=$!
for _ in $(seq 1 50); do
    [ -s "$work/sim.out" ] && break
    kill -0 "$sim_pid" 2>/dev/null || { cat "$work/sim.err" >&2; fail "controller-sim did not start"; }
    sleep 0.1
done
device="$(head -n 1 "$work/sim.out")"
[ -n "$device" ] || fail "controller-sim gave no device"

expect 0 korvel-cli check-connection --port "$device" --lang 1
printf 'AXIS=2\r\nBGO:250,BGO:-3\r\nAGO:1,U00:\r\nR:5,H:\r\n' >"$work/program.txt"
expect 0 korvel-cli download --port "$device" --channel 4 --lang 1 "$work/program.txt"
expect 0 korvel-cli upload --port "$device" --channel 4 --type 2 --lang 1 \
    --output "$work/back.txt"
korvel-cli steps --type 2 "$work/program.txt" >"$work/sent.txt"
korvel-cli steps --type 2 "$work/back.txt" >"$work/back-steps.txt"
cmp -s "$work/sent.txt" "$work/back-steps.txt" || fail "the uploaded program differs"
expect 0 baxwin-cli read --port "$device" --output "$work/params.txt" --lang 1
[ "$(wc -l <"$work/params.txt")" -eq 99 ] || fail "baxwin-cli read did not write 99 lines"
expect 0 baxwin-cli diff "$work/params.txt" --port "$device" --lang 1
sed 's/^8,[^,]*,/8,12345,/' "$work/params.txt" >"$work/changed.txt"
expect 3 baxwin-cli diff "$work/changed.txt" --port "$device" --lang 1
grep -qx '8,1,12345,[0-9]*' "$work/last.out" || fail "baxwin-cli diff did not name 8,1"

# Without --port korvel-cli takes com.cfg's COM1 and ports.cfg's device, which only the
# operator's own folder holds.
before="$(ls -A "$app")"
printf '12121\r\n' >"$home/.config/korvel/com.cfg"
printf 'COM1=%s\n' "$work/controller" >"$home/.config/korvel/ports.cfg"
if [ "$(id -u)" -eq 0 ]; then
    chown -R nobody "$home"
    chmod o+rw "$(readlink -f "$device")"
fi
expect 0 "${as_operator[@]}" korvel-cli check-connection --lang 1

# Both programs keep running without a display until stopped (124: ended by timeout), so their
# libraries and the platform plugin load.
programs=(korvel baxwin)
pids=()
for p in "${programs[@]}"; do
    "${as_operator[@]}" QT_QPA_PLATFORM=offscreen timeout 3 "$p" 1 >"$work/$p.out" 2>&1 &
    pids+=($!)
done
for i in "${!programs[@]}"; do
    p=${programs[$i]}
    rc=0
    wait "${pids[$i]}" || rc=$?
    if [ "$rc" -ne 124 ]; then
        cat "$work/$p.out" >&2
        fail "$p ended with $rc at start"
    fi
done
[ "$(ls -A "$app")" = "$before" ] || fail "the operator's run wrote into $app"
echo "package check passed"
