#!/bin/sh
# under_weston.sh COMMAND [ARG...]: starts a headless weston on a socket and runtime directory
# of its own, runs COMMAND natively on it (QT_QPA_PLATFORM=wayland) and ends weston again.
# Exits 77 (CTest: skipped) with a line saying why when the compositor cannot start.
set -u
runtime=$(mktemp -d /tmp/velinor-wayland.XXXXXX) || { echo "SKIPPED: no runtime directory"; exit 77; }
chmod 700 "$runtime"
socket=velinor-$$
XDG_RUNTIME_DIR=$runtime weston --backend=headless-backend.so --no-config --idle-time=0 \
    --socket="$socket" >"$runtime/weston.log" 2>&1 &
weston=$!
finish() {
    kill "$weston" 2>/dev/null
    wait "$weston" 2>/dev/null
    rm -rf "$runtime"
}
tries=0
until [ -S "$runtime/$socket" ]; do
    if ! kill -0 "$weston" 2>/dev/null || [ "$tries" -ge 50 ]; then
        echo "SKIPPED: the Wayland compositor (weston, headless) could not start:"
        tail -n 3 "$runtime/weston.log"
        finish
        exit 77
    fi
    tries=$((tries + 1))
    sleep 0.1
done
XDG_RUNTIME_DIR=$runtime WAYLAND_DISPLAY=$socket QT_QPA_PLATFORM=wayland "$@"
status=$?
finish
exit "$status"
