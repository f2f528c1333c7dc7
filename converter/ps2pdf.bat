#!/bin/sh
# Brakwen's PostScript-to-PDF converter, run as: /bin/sh ps2pdf.bat FILE.eps FILE.pdf
#
# The input is several EPS files joined byte for byte; each becomes one page at its own bounding
# box (a document of several pages keeps its own). The work is done by brakwen-ps2pdf beside this
# script, with the Ghostscript options of pdfwrite.rsp, also beside it. Run by the program, it is
# told where each file starts and ends; run by hand, it finds the files' header lines.

# Parameter expansion rather than dirname: a folder name may end in a newline.
case $0 in
*/*) here=${0%/*} ;;
*) here=. ;;
esac
[ -n "$here" ] || here=/

if [ ! -x "$here/brakwen-ps2pdf" ]; then
    printf 'ps2pdf.bat : programme de conversion introuvable : %s\n' "$here/brakwen-ps2pdf" >&2
    exit 1
fi
exec "$here/brakwen-ps2pdf" "$here/pdfwrite.rsp" "$@"
