#!/bin/sh
# Where the joined input is cut: embedded documents, line ends, files without a final line end,
# DOS EPS files with a binary header.
. "$(dirname "$0")/lib.sh"

eps "$work/a.eps" 0 0 200 100 AAA
eps "$work/c.eps" -20 -10 80 190 CCC

# A file that embeds another, with its own header and box, stays one page.
inner=$(printf '%s\n' '%%BeginDocument: inner.eps' '%!PS-Adobe-3.0 EPSF-3.0' \
    '%%BoundingBox: 0 0 10 10' '%%EndComments' 'gsave 0 0 10 10 rectstroke grestore' '%%EOF' \
    '%%EndDocument')
eps "$work/outer.eps" 0 0 300 150 OUTER body="/showpage {} def
$inner"
cat "$work/outer.eps" "$work/a.eps" >"$work/embedded.eps"
check "a file embedding another converts" to_pdf "$work/embedded.eps" "$work/embedded.pdf"
check "the embedded file is not cut out as a page" has_sizes "$work/embedded.pdf" "300x150 200x100"
check "and the file after it starts its own page" text_is "$work/embedded.pdf" 2 AAA

# Files with carriage returns as line ends, alone or before line feeds, are cut all the same.
eps "$work/cr.eps" 0 0 120 80 CRONLY eol=cr
eps "$work/crlf.eps" 0 0 90 90 CRLF eol=crlf
cat "$work/cr.eps" "$work/crlf.eps" "$work/a.eps" >"$work/lineends.eps"
check "files with CR and CRLF line ends convert" to_pdf "$work/lineends.eps" "$work/lineends.pdf"
check "each is a page of its own" has_sizes "$work/lineends.pdf" "120x80 90x90 200x100"
check "the CR file's page holds only its text" text_is "$work/lineends.pdf" 1 CRONLY

# Files wrapped in Control-D, as printer drivers write them.
{
    printf '\004'
    cat "$work/a.eps"
    printf '\004'
    cat "$work/c.eps"
    printf '\004'
} >"$work/ctrl-d.eps"
check "files wrapped in Control-D convert" to_pdf "$work/ctrl-d.eps" "$work/ctrl-d.pdf"
check "one page each, none for the Control-D" has_sizes "$work/ctrl-d.pdf" "200x100 100x200"

# A file ending in %%EOF without a line end, right before the next header.
eps "$work/noeol.eps" 0 0 110 70 NOEOL noeol
cat "$work/noeol.eps" "$work/a.eps" >"$work/noeol-joined.eps"
check "a file without a final line end converts" to_pdf "$work/noeol-joined.eps" "$work/noeol.pdf"
check "the next file still gets its own page" has_sizes "$work/noeol.pdf" "110x70 200x100"

# le32 N: N as four little-endian bytes.
le32()
{
    n=$1
    for _ in 1 2 3 4; do
        printf "\\$(printf '%03o' $((n % 256)))"
        n=$((n / 256))
    done
}

# dos_eps OUT PS [PS-LENGTH]: a DOS EPS file: the binary header, the PostScript section and a
# preview whose bytes look like a header and a box, as previews may. PS-LENGTH overrides the
# length the header gives.
dos_eps()
{
    ps_length=$(wc -c <"$2")
    printf '\000\001\n%%!PS-Adobe-3.0 EPSF-3.0\n%%%%BoundingBox: 0 0 9 9\n\377' >"$scratch/preview"
    preview_length=$(wc -c <"$scratch/preview")
    {
        printf '\305\320\323\306'
        le32 30
        le32 "${3:-$ps_length}"
        le32 0
        le32 0
        le32 $((30 + ps_length))
        le32 "$preview_length"
        printf '\377\377'
        cat "$2" "$scratch/preview"
    } >"$1"
}

eps "$work/e.ps" 10 20 130 80 DOSEPS
dos_eps "$work/e.eps" "$work/e.ps"
cat "$work/a.eps" "$work/e.eps" "$work/c.eps" >"$work/dos-middle.eps"
check "a DOS EPS between two files converts" to_pdf "$work/dos-middle.eps" "$work/dos-middle.pdf"
check "its PostScript section is one page at its box, its preview none" \
    has_sizes "$work/dos-middle.pdf" "200x100 120x60 100x200"
check "the DOS page holds its own text" text_is "$work/dos-middle.pdf" 2 DOSEPS
check "the file after the preview is found" text_is "$work/dos-middle.pdf" 3 CCC
check "the DOS page is placed on its box" corners_marked "$work/dos-middle.pdf" 2 120 60

cat "$work/e.eps" "$work/e.eps" "$work/a.eps" >"$work/dos-first.eps"
check "DOS EPS files at the start, one after the other, convert" \
    to_pdf "$work/dos-first.eps" "$work/dos-first.pdf"
check "one page each" has_sizes "$work/dos-first.pdf" "120x60 120x60 200x100"

{
    cat "$work/e.eps"
    printf '\n\0\n'
    cat "$work/a.eps"
} >"$work/dos-padded.eps"
check "padding after a DOS EPS converts" to_pdf "$work/dos-padded.eps" "$work/dos-padded.pdf"
check "and makes no page" has_sizes "$work/dos-padded.pdf" "120x60 200x100"

dos_eps "$work/bad.eps" "$work/e.ps" 999999
cat "$work/a.eps" "$work/bad.eps" >"$work/dos-bad.eps"
check "a DOS header pointing past the end is refused" not to_pdf "$work/dos-bad.eps" "$work/dos-bad.pdf"
check "with a clear message" err_has "EPS DOS"
check "and no PDF" test ! -e "$work/dos-bad.pdf"

{
    cat "$work/a.eps"
    printf '\305\320\323\306\036\000\000'
} >"$work/dos-cut.eps"
check "a DOS header cut short is refused" not to_pdf "$work/dos-cut.eps" "$work/dos-cut.pdf"

# A file that is nothing but a DOS header, its sections lost.
{
    cat "$work/a.eps"
    printf '\305\320\323\306'
    le32 30
    le32 0
    le32 0
    le32 0
    le32 0
    le32 0
    printf '\377\377'
} >"$work/dos-only.eps"
check "a file that is only a DOS header is refused" not to_pdf "$work/dos-only.eps" "$work/dos-only.pdf"
check "saying that its PostScript section is empty" err_has "partie PostScript vide"
check "and no PDF" test ! -e "$work/dos-only.pdf"

# 256 MB without a single line end: the converter reads it with a fixed buffer, and Ghostscript
# takes NUL bytes for blanks.
head -c 268435456 /dev/zero >"$scratch/nul.eps"
check "a file without line ends converts" \
    /usr/bin/time -f %M -o "$scratch/peak" /bin/sh "$tool_dir/ps2pdf.bat" "$scratch/nul.eps" "$scratch/nul.pdf"
check "in flat memory (under 100 MB at its peak)" test "$(cat "$scratch/peak")" -lt 100000
rm -f "$scratch/nul.eps"

finish
