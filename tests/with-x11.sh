#!/usr/bin/env bash
# Runs one test under its own X server with a window manager, for behaviour that only real
# window activation shows (the offscreen platform activates windows without one).
#   with-x11.sh TEST [ARGS...]
set -u
if ! command -v Xvfb >/dev/null 2>&1 || ! command -v openbox >/dev/null 2>&1; then
    echo "with-x11.sh: Xvfb and openbox are needed (scripts/setup.sh installs them)" >&2
    exit 1
fi
tmp="$(mktemp -d)"
Xvfb -displayfd 3 -screen 0 1600x1000x24 -nolisten tcp 3>"$tmp/display" >"$tmp/xvfb.log" 2>&1 &
xvfb=$!
for _ in $(seq 1 100); do
    [ -s "$tmp/display" ] && break
    sleep 0.05
done
if [ ! -s "$tmp/display" ]; then
    echo "with-x11.sh: Xvfb did not start" >&2
    cat "$tmp/xvfb.log" >&2
    kill "$xvfb" 2>/dev/null
    rm -rf "$tmp"
    exit 1
fi
export DISPLAY=":$(head -n 1 "$tmp/display")"
openbox --sm-disable >"$tmp/openbox.log" 2>&1 &
wm=$!
# The window manager is up once it owns the screen's manager selection.
for _ in $(seq 1 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.05
done
export QT_QPA_PLATFORM=xcb
status=0
"$@" || status=$?
kill "$wm" "$xvfb" 2>/dev/null
wait "$wm" "$xvfb" 2>/dev/null
rm -rf "$tmp"
exit "$status"
