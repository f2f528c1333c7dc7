#!/bin/sh
# The Debian package as a user gets it: unpacked into a scratch root, brakwen-cli runs from
# there, tells its version and converts with the converter the package put beside it; lintian
# finds no error in it. Argument: the .deb file.
set -u
LC_ALL=C.UTF-8
export LC_ALL
deb=${1:?package expected}
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
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

check "the package unpacks" dpkg-deb -x "$deb" "$root/pkg"
cli=$root/pkg/usr/bin/brakwen-cli
check "brakwen-cli tells its version" sh -c '"$1" --version | head -n 1 | grep -q "^brakwen-cli (Brakwen) "' - "$cli"
for file in usr/lib/brakwen/brakwen usr/lib/brakwen/ps2pdf.bat usr/lib/brakwen/pdfwrite.rsp \
    usr/lib/brakwen/brakwen-ps2pdf usr/share/applications/io.github.brakwen.brakwen.desktop \
    usr/share/metainfo/io.github.brakwen.brakwen.metainfo.xml \
    usr/share/man/man1/brakwen.1.gz usr/share/man/man1/brakwen-cli.1.gz \
    usr/share/man/fr/man1/brakwen.1.gz usr/share/man/fr/man1/brakwen-cli.1.gz \
    usr/share/bash-completion/completions/brakwen-cli usr/share/doc/brakwen/copyright; do
    check "it holds /$file" test -e "$root/pkg/$file"
done

mkdir "$root/work"
for name in a b; do
    printf '%s\n' '%!PS-Adobe-3.0 EPSF-3.0' '%%BoundingBox: 0 0 120 80' \
        "/Helvetica findfont 12 scalefont setfont 10 30 moveto ($name) show" >"$root/work/$name.eps"
done
check "it converts with the converter the package installed" \
    "$cli" --pdf --delete-sources "$root/work" a.eps b.eps
check "to a PDF of two pages, the sources gone" \
    sh -c '[ "$(ls "$1")" = final.pdf ] && [ "$(qpdf --show-npages "$1/final.pdf")" = 2 ]' - "$root/work"

# installed_size TREE: the size dpkg-gencontrol would declare for a package of that tree.
installed_size()
{
    (cd "$1" && find . -printf '%y %s\n') |
        awk '{ size += ($1 == "f" || $1 == "l") ? int(($2 + 1023) / 1024) : 1 } END { print size }'
}
check "it declares the size it takes once installed" \
    test "$(dpkg-deb -f "$deb" Installed-Size)" = "$(installed_size "$root/pkg")"

depends=$(dpkg-deb -f "$deb" Depends)
for needed in ghostscript qpdf libqt6widgets6 qt6-qpa-plugins libc6; do
    check "it depends on $needed" sh -c 'printf "%s" "$1" | grep -q "$2"' - "$depends" "$needed"
done
if command -v lintian >/dev/null 2>&1; then
    check "lintian finds no error and no warning" \
        sh -c '! lintian --tag-display-limit 0 "$1" 2>/dev/null | grep -E "^[EW]: "' - "$deb"
fi

printf '%d passed, %d failed\n' "$((checks - failures))" "$failures"
[ "$failures" -eq 0 ]
