#!/bin/sh
# Takes the screenshot of the main window shown in the README: runs the program under a
# virtual X server and captures its window to docs/main-window.png.
# Usage: scripts/screenshot.sh [path/to/brakwen]   (default: build/release/bin/brakwen)
set -eu
cd "$(dirname "$0")/.."
program=$(realpath "${1:-build/release/bin/brakwen}")
output=docs/main-window.png
mkdir -p docs

# The capture runs inside the X server's session; the program is stopped once it is taken.
# shellcheck disable=SC2016
xvfb-run --auto-servernum --server-args="-screen 0 800x600x24" sh -c '
    "$1" &
    pid=$!
    for _ in $(seq 50); do
        if xwininfo -name "Brakwen version 1.1.3" >/dev/null 2>&1; then
            break
        fi
        sleep 0.2
    done
    sleep 1
    status=0
    import -window "Brakwen version 1.1.3" "$2" || status=$?
    kill "$pid"
    wait "$pid" 2>/dev/null || true
    exit $status
' sh "$program" "$output"
echo "Captured $output"
