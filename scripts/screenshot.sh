#!/bin/sh
# Takes the screenshots shown in the README under a virtual X server:
#   docs/main-window.png        the main window at start
#   docs/directory-chooser.png  the directory chooser, opened from the directory button
#   docs/main-window-lists.png  the main window once a folder is chosen and two files moved
# The program runs from a temporary folder that also holds sample EPS files, so the chooser
# opens right on them (its fallback is the program's own folder).
# Usage: scripts/screenshot.sh [path/to/brakwen]   (default: build/release/bin/brakwen)
set -eu

# Where allowed (root), run in a private, empty /tmp: the chooser's folder tree then shows no
# other program's files.
if [ -z "${BRAKWEN_PRIVATE_TMP:-}" ] && unshare --mount --propagation private true 2>/dev/null; then
    export BRAKWEN_PRIVATE_TMP=1
    script=$(realpath "$0")
    exec unshare --mount --propagation private sh -c 'mount -t tmpfs tmpfs /tmp && exec "$0" "$@"' \
        "$script" "$@"
fi

cd "$(dirname "$0")/.."
program=$(realpath "${1:-build/release/bin/brakwen}")
docs=$(realpath docs)
mkdir -p "$docs"

if [ -n "${BRAKWEN_PRIVATE_TMP:-}" ]; then
    scratch=/tmp
else
    scratch=$(mktemp -d)
    trap 'rm -rf "$scratch"' EXIT
fi
sandbox="$scratch/Exemples"
mkdir "$sandbox"
cp "$program" "$sandbox/brakwen"
for converter in ps2pdf.bat pdfwrite.rsp; do
    if [ -e "$(dirname "$program")/$converter" ]; then
        cp "$(dirname "$program")/$converter" "$sandbox/"
    fi
done
for name in couverture.eps carte-1.eps carte-2.eps legende.EPS annexe.eps plan.eps; do
    printf '%%!PS-Adobe-3.0 EPSF-3.0\n' >"$sandbox/$name"
done

# shellcheck disable=SC2016
xvfb-run --auto-servernum --server-args="-screen 0 800x600x24" sh -c '
    set -eu
    sandbox=$1
    docs=$2
    wait_for() {
        for _ in $(seq 100); do
            if id=$(xdotool search --name "$1" 2>/dev/null | head -n 1) && [ -n "$id" ]; then
                sleep 1
                echo "$id"
                return 0
            fi
            sleep 0.1
        done
        echo "no window named $1" >&2
        return 1
    }
    click() {
        xdotool mousemove --window "$1" "$2" "$3" click 1
        sleep 0.5
    }
    "$sandbox/brakwen" &
    pid=$!
    trap "kill $pid 2>/dev/null || true" EXIT

    main=$(wait_for "^Brakwen version")
    import -window "$main" "$docs/main-window.png"

    click "$main" 299 51                  # directory button
    chooser=$(wait_for "^Choix du r")
    import -window "$chooser" "$docs/directory-chooser.png"
    click "$chooser" 85 404               # its OK button
    sleep 1

    click "$main" 60 174                  # second available name
    click "$main" 251 219                 # add the selection
    click "$main" 60 161                  # first available name
    click "$main" 251 219
    import -window "$main" "$docs/main-window-lists.png"
' sh "$sandbox" "$docs"
echo "Captured docs/main-window.png, docs/directory-chooser.png, docs/main-window-lists.png"
