#!/bin/sh
# The menu entry, the icon, the software-centre metadata and the manual pages: valid for the tools
# that read them, installed where they are looked for, naming the program the build makes and an
# icon that is installed.
# Arguments: the source's data folder, the build folder, the program's file name (may be empty).
set -u
LC_ALL=C
export LC_ALL
data=${1:?data folder expected}
build=${2:?build folder expected}
program=${3:-}
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
checks=0
failures=0

check()
{
    description=$1
    shift
    checks=$((checks + 1))
    if "$@"; then
        printf 'ok   %s\n' "$description"
    else
        printf 'FAIL %s\n' "$description"
        failures=$((failures + 1))
    fi
}

# validates FILE: desktop-file-validate finds neither an error nor a warning (hints may remain).
validates()
{
    report=$(desktop-file-validate "$1" 2>&1) && ! printf '%s\n' "$report" | grep -q -E ': (error|warning):' || {
        printf '%s\n' "$report" >&2
        return 1
    }
}

# key FILE KEY: the value of KEY in the file's [Desktop Entry] group.
key()
{
    sed -n '/^\[Desktop Entry\]/,/^\[/ s/^'"$2"'=//p' "$1" | head -n 1
}

# png_is FILE SIZE: FILE is a SIZE x SIZE PNG with an alpha channel (a shaped icon, not a square).
png_is()
{
    signature=$(od -A n -t x1 -N 8 "$1" | tr -d ' \n')
    width=$(od -A n -t u1 -j 16 -N 4 "$1" | awk '{ print (($1 * 256 + $2) * 256 + $3) * 256 + $4 }')
    height=$(od -A n -t u1 -j 20 -N 4 "$1" | awk '{ print (($1 * 256 + $2) * 256 + $3) * 256 + $4 }')
    colour=$(od -A n -t u1 -j 25 -N 1 "$1" | tr -d ' ')
    [ "$signature" = 89504e470d0a1a0a ] && [ "$width" = "$2" ] && [ "$height" = "$2" ] &&
        [ "$colour" = 6 ] || {
        printf '     %s: %s %sx%s colour type %s\n' "$1" "$signature" "$width" "$height" "$colour" >&2
        return 1
    }
}

id=io.github.brakwen.brakwen
check "the menu entry passes desktop-file-validate" validates "$data/$id.desktop"
if [ -n "$program" ]; then
    check "it starts the program the build makes, given the files opened with it" \
        test "$(key "$data/$id.desktop" Exec)" = "$program %F"
fi
# offers TYPE: the entry opens files of that type ("Open with Brakwen" in file managers).
offers()
{
    printf ';%s' "$(key "$data/$id.desktop" MimeType)" | grep -q ";$1;"
}
check "it opens EPS files" offers image/x-eps
# Other PostScript is not what the window takes: offered for it, "Open with" would only refuse it.
check "and offers itself for no other type" test "$(key "$data/$id.desktop" MimeType)" = "image/x-eps;"
# main_categories: how many of the menu's main categories the entry names; more than one lists
# it in several menus.
main_categories()
{
    key "$data/$id.desktop" Categories | tr ';' '\n' | grep -c -x -E \
        'AudioVideo|Audio|Video|Development|Education|Game|Graphics|Network|Office|Science|Settings|System|Utility'
}
check "it stands in one main menu category" test "$(main_categories)" = 1
check "the AppStream metadata is valid, even to the pedantic" \
    appstreamcli validate --no-net --pedantic "$data/$id.metainfo.xml"
check "and provides the types the entry opens, no other" test \
    "$(sed -n 's|.*<mediatype>\(.*\)</mediatype>.*|\1;|p' "$data/$id.metainfo.xml" | tr -d '\n')" = \
    "$(key "$data/$id.desktop" MimeType)"
check "and launches that entry" grep -q "<launchable type=\"desktop-id\">$id.desktop<" "$data/$id.metainfo.xml"

# rendered PAGE: man renders the page without a single warning, within 80 columns.
rendered()
{
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$1" 2>&1 >/dev/null)
    width=$(LC_ALL=C.UTF-8 MANWIDTH=80 man -E UTF-8 -l "$1" 2>/dev/null | LC_ALL=C.UTF-8 wc -L)
    [ -z "$warnings" ] && [ "$width" -le 80 ] || {
        printf '%s\n%s columns\n' "$warnings" "$width" >&2
        return 1
    }
}
for page in brakwen brakwen-cli fr/brakwen fr/brakwen-cli; do
    check "the manual page $page(1) renders without a warning, within 80 columns" \
        rendered "$data/man/$page.1"
done
check "the shell completion is valid bash" bash -n "$data/completion/brakwen-cli"

cmake --install "$build" --prefix "$prefix" --component desktop >/dev/null
share=$prefix/share
icon=$(key "$data/$id.desktop" Icon)
check "the entry is installed among the applications" validates "$share/applications/$id.desktop"
check "the metadata beside the other software's" test -s "$share/metainfo/$id.metainfo.xml"
for page in brakwen brakwen-cli; do
    check "the English manual page $page(1) in section 1, compressed" \
        sh -c 'gzip -dc "$1" | cmp -s - "$2"' - "$share/man/man1/$page.1.gz" "$data/man/$page.1"
    check "the French one under fr/" \
        sh -c 'gzip -dc "$1" | cmp -s - "$2"' - "$share/man/fr/man1/$page.1.gz" "$data/man/fr/$page.1"
done
# french_shown_plainly PAGE: man, on a terminal of the C locale, shows the installed French page
# with no letter drawn over another (an accent struck over its letter shows as "?" or "'"), only
# bold and underlined ones.
french_shown_plainly()
{
    LC_ALL=C MANPATH=$share/man MANWIDTH=80 script -q -E never -c "man -L fr -P cat $1" /dev/null |
        sed -e 's/_\x08//g' -e 's/\(.\)\x08\1/\1/g' >"$prefix/shown"
    grep -q '^NOM' "$prefix/shown" && ! grep -q "$(printf '\b')" "$prefix/shown"
}
for page in brakwen brakwen-cli; do
    check "under LANG=C man $page shows the English page" \
        sh -c 'LC_ALL=C MANPATH=$1 man $2 | grep -q "^NAME"' - "$share/man" "$page"
    check "and the French one, accents and all, in plain letters" french_shown_plainly "$page"
done
check "its icon is installed as a scalable icon" test -s "$share/icons/hicolor/scalable/apps/$icon.svg"
for size in 48 256; do
    check "and as a ${size}x${size} PNG of that size" png_is "$share/icons/hicolor/${size}x${size}/apps/$icon.png" "$size"
done

# The committed renders follow the SVG, where the renderer that made them is at hand.
if command -v rsvg-convert >/dev/null; then
    for size in 48 256; do
        rsvg-convert -w "$size" -h "$size" "$data/icons/brakwen.svg" -o "$prefix/render-$size.png"
        check "the ${size} px render is the SVG's current one" cmp -s "$prefix/render-$size.png" "$data/icons/brakwen-$size.png"
    done
fi

printf '%d passed, %d failed\n' "$((checks - failures))" "$failures"
[ "$failures" -eq 0 ]
