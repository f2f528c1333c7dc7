#!/bin/sh
# A conversion that cannot succeed exits non-zero, says why on stderr and leaves no PDF, not even
# a partial one, and nothing else behind.
. "$(dirname "$0")/lib.sh"

eps "$work/a.eps" 0 0 200 100 AAA
eps "$work/broken.eps" 0 0 100 100 BROKEN body='nosuchoperator'
cat "$work/a.eps" "$work/broken.eps" "$work/a.eps" >"$work/joined.eps"
check "a PostScript error in one file fails the conversion" not to_pdf "$work/joined.eps" "$work/joined.pdf"
check "Ghostscript's own message reaches stderr" err_has "nosuchoperator"
check "no PDF and no partial file are left" only_files "$work" a.eps broken.eps joined.eps

printf 'an older PDF\n' >"$work/joined.pdf"
to_pdf "$work/joined.eps" "$work/joined.pdf"
check "a failed conversion leaves an existing file at the PDF's name as it was" \
    test "$(cat "$work/joined.pdf")" = "an older PDF"
rm -f "$work/joined.pdf"

# The PDF cannot be written whole: a file size limit stands in for a full disk.
for _ in $(seq 60); do cat "$work/a.eps"; done >"$scratch/many.eps"
mkdir "$scratch/full"
check "a PDF that cannot be written whole fails the conversion" \
    not prlimit --fsize=8192 /bin/sh "$tool_dir/ps2pdf.bat" "$scratch/many.eps" \
    "$scratch/full/many.pdf" 2>"$scratch/err"
check "saying so" err_has "disque plein"
check "and leaves nothing in the folder" only_files "$scratch/full"

# Wrong calls.
check "one argument instead of two is a usage error" \
    sh -c '/bin/sh "$1/ps2pdf.bat" "$2" 2>/dev/null; [ $? -eq 2 ]' - "$tool_dir" "$work/a.eps"
check "a missing input fails" not to_pdf "$work/missing.eps" "$work/missing.pdf"
: >"$work/empty.eps"
check "an empty input fails" not to_pdf "$work/empty.eps" "$work/empty.pdf"
printf '\n\n  \n' >"$work/blank.eps"
check "an input of blank lines fails" not to_pdf "$work/blank.eps" "$work/blank.pdf"
mkdir "$work/folder.pdf"
check "a PDF name that is a folder fails, the folder left empty" \
    sh -c '! /bin/sh "$1/ps2pdf.bat" "$2/a.eps" "$2/folder.pdf" 2>/dev/null && rmdir "$2/folder.pdf"' - \
    "$tool_dir" "$work"
check "nothing was written for the wrong calls" only_files "$work" a.eps broken.eps joined.eps empty.eps blank.eps

# A converter without its response file.
mkdir "$scratch/norsp"
cp "$tool_dir/ps2pdf.bat" "$tool_dir/brakwen-ps2pdf" "$scratch/norsp/"
check "without pdfwrite.rsp the conversion fails" \
    not /bin/sh "$scratch/norsp/ps2pdf.bat" "$work/a.eps" "$work/a.pdf" 2>"$scratch/err"

# A folder the user may not write to (as an unprivileged user: root writes anywhere).
mkdir "$scratch/tool" "$work/locked"
cp "$tool_dir/ps2pdf.bat" "$tool_dir/pdfwrite.rsp" "$tool_dir/brakwen-ps2pdf" "$scratch/tool/"
chmod 755 "$scratch/tool" "$work/locked"
chmod 644 "$work/a.eps"
# Root writes anywhere, so the case runs as nobody; any other user is refused by the mode alone.
as_nobody()
{
    if [ "$(id -u)" -eq 0 ]; then
        setpriv --reuid=65534 --regid=65534 --clear-groups env HOME=/nonexistent TMPDIR=/tmp "$@"
    else
        "$@"
    fi
}
[ "$(id -u)" -eq 0 ] || chmod 555 "$work/locked"
check "an unwritable PDF folder fails the conversion" \
    not as_nobody /bin/sh "$scratch/tool/ps2pdf.bat" "$work/a.eps" "$work/locked/a.pdf" 2>"$scratch/err"
check "saying where it could not write" err_has "locked"
check "and leaves the folder as it was" only_files "$work/locked"
chmod 777 "$work/locked"
check "the same user converts once the folder is writable" \
    as_nobody sh -c 'umask 027; exec /bin/sh "$@"' - "$scratch/tool/ps2pdf.bat" "$work/a.eps" \
    "$work/locked/a.pdf" 2>"$scratch/err"
check "the PDF gets the permissions the user's umask gives, not a temporary file's" \
    test "$(stat -c %a "$work/locked/a.pdf")" = 640

finish
