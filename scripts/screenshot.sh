#!/bin/sh
# Takes the screenshots shown in the README under a virtual X server:
#   docs/main-window.png        the main window at start
#   docs/directory-chooser.png  the directory chooser, opened from the directory button
#   docs/main-window-lists.png  the main window once a folder is chosen and two files moved
#   docs/main-window-scale-2.png   the same at a device pixel ratio of 2 (QT_SCALE_FACTOR=2)
#   docs/main-window-dark.png      the same under a dark colour scheme (KDE's Breeze Dark colours)
#   docs/preview.png            the Aperçu window (F3) beside the main window
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
for converter in ps2pdf.bat pdfwrite.rsp brakwen-ps2pdf; do
    if [ -e "$(dirname "$program")/$converter" ]; then
        cp "$(dirname "$program")/$converter" "$sandbox/"
    fi
done
# Small figures: a frame, a disc and the file's name, so that the preview has something to show.
for name in couverture.eps carte-1.eps carte-2.eps legende.EPS annexe.eps plan.eps; do
    printf '%s\n' '%!PS-Adobe-3.0 EPSF-3.0' '%%BoundingBox: 0 0 300 200' '%%EndComments' \
        '0.2 0.4 0.7 setrgbcolor 10 10 280 180 rectfill 1 1 1 setrgbcolor' \
        '150 115 50 0 360 arc fill 0.9 0.6 0.1 setrgbcolor 150 115 30 0 360 arc fill' \
        "1 setgray /Helvetica-Bold findfont 20 scalefont setfont 30 30 moveto ($name) show" \
        '%%EOF' >"$sandbox/$name"
done

# One session: the program started with the given environment, a folder chosen, two files
# moved; the first session also takes the start and chooser pictures.
# Arguments: screen size, scale (clicks are made in window pixels times it), picture name,
# then VAR=value settings for the program.
session() {
    screen=$1
    scale=$2
    picture=$3
    shift 3
    # shellcheck disable=SC2016
    xvfb-run --auto-servernum --server-args="-screen 0 ${screen}x24" sh -c '
        set -eu
        sandbox=$1
        docs=$2
        scale=$3
        picture=$4
        shift 4
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
            xdotool mousemove --window "$1" $(($2 * scale)) $(($3 * scale)) click 1
            sleep 0.5
        }
        env "$@" "$sandbox/brakwen" &
        pid=$!
        trap "kill $pid 2>/dev/null || true" EXIT

        main=$(wait_for "^Brakwen version")
        [ "$picture" = main-window-lists ] && import -window "$main" "$docs/main-window.png"

        click "$main" 299 51                  # directory button
        chooser=$(wait_for "^Choix du r")
        [ "$picture" = main-window-lists ] && import -window "$chooser" "$docs/directory-chooser.png"
        click "$chooser" 85 404               # its OK button
        sleep 1

        click "$main" 60 174                  # second available name
        click "$main" 251 219                 # add the selection
        click "$main" 60 161                  # first available name
        click "$main" 251 219
        xdotool mousemove 0 0
        sleep 0.5
        import -window "$main" "$docs/$picture.png"

        if [ "$picture" = main-window-lists ]; then
            click "$main" 330 161             # the first selected name
            xdotool key F3
            preview=$(wait_for "^Aperçu")
            xdotool windowmove "$main" 10 40
            xdotool windowmove "$preview" 545 40
            xdotool windowfocus "$main" 2>/dev/null || true
            sleep 2
            import -window root "$docs/preview.png"
        fi
    ' sh "$sandbox" "$docs" "$scale" "$picture" "$@"
}

# A dark colour scheme as KDE keeps it, which Qt reads on its own in a KDE session.
dark="$scratch/dark-config"
mkdir -p "$dark"
cat >"$dark/kdeglobals" <<'COLOURS'
[Colors:Button]
BackgroundNormal=49,54,59
ForegroundNormal=239,240,241
ForegroundInactive=161,169,177

[Colors:Selection]
BackgroundNormal=61,174,233
ForegroundNormal=252,252,252

[Colors:View]
BackgroundNormal=35,38,41
ForegroundNormal=239,240,241
ForegroundInactive=161,169,177

[Colors:Window]
BackgroundNormal=49,54,59
ForegroundNormal=239,240,241
ForegroundInactive=161,169,177
COLOURS

session 1000x600 1 main-window-lists QT_SCALE_FACTOR=1
session 1600x1200 2 main-window-scale-2 QT_SCALE_FACTOR=2
session 800x600 1 main-window-dark XDG_CURRENT_DESKTOP=KDE KDE_FULL_SESSION=true \
    KDE_SESSION_VERSION=5 "XDG_CONFIG_HOME=$dark"
echo "Captured docs/main-window.png, docs/directory-chooser.png, docs/main-window-lists.png," \
    "docs/main-window-scale-2.png, docs/main-window-dark.png, docs/preview.png"
