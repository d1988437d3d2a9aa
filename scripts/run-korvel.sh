#!/usr/bin/env bash
# Builds the programs, starts controller-sim in the background and Korvel with COM1 reaching the
# simulator; stops the simulator when Korvel ends. Arguments go to Korvel (1: English).
#
#   KORVEL_SIM=0             start Korvel alone, on the ports of ports.cfg (real devices)
#   KORVEL_SIM_ARGS="..."    further options for controller-sim (for example --axes 2,
#                            --line-end cr, --latency 50, --log /tmp/sim.log)
#
# Nothing of the operator's is overwritten: the simulator reaches COM1 through a port map for
# this run only (KORVEL_PORTS_CFG), and com.cfg is written with COM1 only when there is none.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/build.sh"
app="$root/build/app"

if [ "${KORVEL_SIM:-1}" = "0" ]; then
    exec "$app/korvel" "$@"
fi

run="$(mktemp -d "${TMPDIR:-/tmp}/korvel-run.XXXXXX")"
sim_pid=""
cleanup() {
    if [ -n "$sim_pid" ] && kill -0 "$sim_pid" 2>/dev/null; then
        kill "$sim_pid" 2>/dev/null || true
        wait "$sim_pid" 2>/dev/null || true
    fi
    rm -rf "$run"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# The simulator keeps the programs it was given between runs, as a controller's memory does.
# shellcheck disable=SC2086
"$app/controller-sim" --link "$run/controller" --state "$root/build/sim-state.json" \
    ${KORVEL_SIM_ARGS:-} >"$run/sim.out" 2>"$run/sim.err" &
sim_pid=$!

for _ in $(seq 1 50); do
    [ -s "$run/sim.out" ] && break
    if ! kill -0 "$sim_pid" 2>/dev/null; then
        echo "controller-sim did not start:" >&2
        cat "$run/sim.err" >&2
        exit 1
    fi
    sleep 0.1
done
if [ ! -s "$run/sim.out" ]; then
    echo "controller-sim gave no device" >&2
    exit 1
fi
echo "controller-sim on $(head -n 1 "$run/sim.out") (COM1 for this run)"

printf 'COM1=%s\n' "$run/controller" >"$run/ports.cfg"
export KORVEL_PORTS_CFG="$run/ports.cfg"
if [ ! -e "$app/com.cfg" ]; then
    printf '12121\r\n' >"$app/com.cfg"
elif [ "$(head -c 1 "$app/com.cfg")" != "1" ]; then
    echo "com.cfg selects another port than COM1: choose COM1 in Communication settings" \
         "to reach the simulator."
fi

status=0
"$app/korvel" "$@" || status=$?
exit "$status"
