#!/bin/sh
# program_on_wayland.sh VELINOR: the installed-style start, `velinor -platform wayland` in an
# empty directory, on the compositor of under_weston.sh. Passes once the client's protocol log
# shows the window configured by the compositor (mapped) and a buffer of the first frame
# committed to it (painted) under the title "Velinor"; the program is then ended.
set -u
program=$1
dir=$(mktemp -d) || exit 1
cd "$dir" || exit 1
WAYLAND_DEBUG=client "$program" -platform wayland >/dev/null 2>"$dir/protocol.log" &
pid=$!
seen() {
    grep -q 'xdg_toplevel@[0-9]*\.set_title("Velinor")' "$dir/protocol.log" &&
        grep -q 'xdg_surface@[0-9]*\.ack_configure' "$dir/protocol.log" &&
        grep -q 'wl_surface@[0-9]*\.attach(wl_buffer@' "$dir/protocol.log"
}
tries=0
until seen; do
    if ! kill -0 "$pid" 2>/dev/null || [ "$tries" -ge 150 ]; then
        echo "velinor did not map and paint its window under Wayland:"
        grep -v '^\[' "$dir/protocol.log" | tail -n 5
        kill "$pid" 2>/dev/null
        rm -rf "$dir"
        exit 1
    fi
    tries=$((tries + 1))
    sleep 0.1
done
kill "$pid"
wait "$pid" 2>/dev/null
rm -rf "$dir"
echo "velinor -platform wayland: window configured, first frame committed"
