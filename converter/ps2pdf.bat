#!/bin/sh
# Brakwen's PostScript-to-PDF converter, run as: /bin/sh ps2pdf.bat FILE.eps FILE.pdf
#
# The input is several EPS files joined byte for byte. Handed to Ghostscript whole, every page
# would take the first file's size and a file without showpage would run into the next, so the
# input is cut at each file's own header line and every piece becomes exactly one page, sized to
# its own %%BoundingBox (a piece without one, or a document of several pages, keeps its own pages).
# Ghostscript's device and options come from pdfwrite.rsp beside this script. The PDF appears at
# its name only when Ghostscript succeeded.
set -u
LC_ALL=C
export LC_ALL

me=ps2pdf.bat

fail()
{
    printf '%s : %s\n' "$me" "$1" >&2
    exit 1
}

if [ "$#" -ne 2 ] || [ -z "$1" ] || [ -z "$2" ]; then
    printf 'Utilisation : /bin/sh %s FICHIER.eps FICHIER.pdf\n' "$me" >&2
    exit 2
fi
eps=$1
pdf=$2

# Parameter expansion rather than dirname: a folder name may end in a newline.
case $0 in
*/*) tool_dir=${0%/*} ;;
*) tool_dir=. ;;
esac
[ -n "$tool_dir" ] || tool_dir=/
case $pdf in
*/*) pdf_dir=${pdf%/*} ;;
*) pdf_dir=. ;;
esac
[ -n "$pdf_dir" ] || pdf_dir=/
# mktemp would take a folder starting with a dash for an option.
case $pdf_dir in
-*) pdf_dir=./$pdf_dir ;;
esac

rsp=$tool_dir/pdfwrite.rsp
[ -f "$rsp" ] && [ -r "$rsp" ] || fail "fichier d'options introuvable : $rsp"
command -v gs >/dev/null 2>&1 || fail "Ghostscript (gs) est introuvable ; installez le paquet ghostscript"
[ -f "$eps" ] || fail "fichier introuvable : $eps"
[ ! -d "$pdf" ] || fail "le nom du PDF est celui d'un dossier : $pdf"
size=$(wc -c <"$eps") || fail "lecture impossible : $eps"
size=$((size + 0))
[ "$size" -gt 0 ] || fail "fichier vide : $eps"

work=
partial=
cleanup()
{
    [ -z "$partial" ] || rm -f -- "$partial"
    [ -z "$work" ] || rm -rf -- "$work"
}
trap cleanup EXIT
trap 'exit 129' HUP
trap 'exit 130' INT
trap 'exit 143' TERM

work=$(mktemp -d) || fail "dossier temporaire impossible à créer"

# The DOS EPS binary header: C5 D0 D3 C6, then the offsets and lengths of its sections.
magic=$(printf '\305\320\323\306')

# One pass over the input lists, with their byte offsets, the lines that matter: headers, the
# borders of embedded documents, bounding boxes and page counts. Carriage returns count as line
# ends too, and so does Control-D, the end of a job that printer drivers write before and after
# their files; turning them into line feeds keeps every offset where it was.
marks="^(%!PS-Adobe-|%%BeginDocument|%%EndDocument|%%BoundingBox:.*|%%Pages:.*|$magic)"
tr '\r\004' '\n\n' <"$eps" | grep -a -b -o -E "$marks|%%EOF(%!PS-Adobe-|$magic)" >"$work/lines"
[ "$?" -le 1 ] || fail "lecture impossible : $eps"

# A file after a DOS EPS starts right where the DOS file ends, not necessarily at a line start,
# so every header is read wherever it sits. Only files that hold a DOS header pay for this.
: >"$work/dos"
if grep -a -q -F "$magic" "$work/lines"; then
    grep -a -b -o -F "$magic" <"$eps" | cut -d: -f1 >"$work/dos-offsets"
    while read -r offset; do
        header=$(od -A n -t u1 -j "$offset" -N 30 <"$eps") || fail "lecture impossible : $eps"
        # Unquoted on purpose: od spreads the 30 bytes over two lines.
        printf '%s %s\n' "$offset" "$(echo $header)" >>"$work/dos"
    done <"$work/dos-offsets"
fi

# The plan: one line per piece, "start length width height x y" for a page sized to its
# bounding box; "start length doc" for a piece without a usable one, which keeps its own pages on
# the default page size ("loose" when it does not even start with a header); "error message" for
# input that cannot be read soundly; last, the largest width and height among the boxes.
awk -v size="$size" -v dosfile="$work/dos" -v magic="$magic" '
function u32(f, i) { return f[i] + 256 * (f[i + 1] + 256 * (f[i + 2] + 256 * f[i + 3])) }
function numeric(s) { return s ~ /^[-+]?([0-9]+\.?[0-9]*|\.[0-9]+)([eE][-+]?[0-9]+)?$/ }
# Reads the first usable %%BoundingBox of the piece between from and to, outside embedded
# documents; sets llx lly urx ury and returns 1 when there is one and the piece is not a document
# of several pages (made one page, they would be drawn over each other).
function boxIn(from, to,    k, depth, f, n, found, pages) {
    depth = 0; found = 0; pages = -1
    for (k = first(from); k <= count && off[k] < to; k++) {
        if (kind[k] == "begin") depth++
        else if (kind[k] == "end") { if (depth > 0) depth-- }
        else if (depth > 0) continue
        else if (kind[k] == "pages") {
            if (pages < 0 && text[k] ~ /^[ \t]*[0-9]+[ \t]*$/) pages = text[k] + 0
        } else if (kind[k] == "box" && !found) {
            n = split(text[k], f, /[ \t\f\v\n]+/)
            if (n >= 1 && f[1] == "") { f[1] = f[2]; f[2] = f[3]; f[3] = f[4]; f[4] = f[5]; n-- }
            if (n < 4 || !numeric(f[1]) || !numeric(f[2]) || !numeric(f[3]) || !numeric(f[4]))
                continue
            if (n > 4 && f[5] != "") continue
            if (f[3] + 0 <= f[1] + 0 || f[4] + 0 <= f[2] + 0) continue
            llx = f[1] + 0; lly = f[2] + 0; urx = f[3] + 0; ury = f[4] + 0
            found = 1
        }
    }
    return found && pages < 2
}
# Index of the first line at or after offset o.
function first(o,    lo, hi, mid) {
    lo = 1; hi = count + 1
    while (lo < hi) { mid = int((lo + hi) / 2); if (off[mid] < o) lo = mid + 1; else hi = mid }
    return lo
}
function emit(start, n,    k) {
    if (boxIn(start, start + n)) {
        printf "%.0f %.0f %.10g %.10g %.10g %.10g\n", start, n, urx - llx, ury - lly, -llx, -lly
        if (urx - llx > maxWidth) maxWidth = urx - llx
        if (ury - lly > maxHeight) maxHeight = ury - lly
        return
    }
    # Whether the piece starts with a header: only one that does not may be blank.
    k = first(start)
    if (k <= count && off[k] == start && kind[k] == "header") printf "%.0f %.0f doc\n", start, n
    else printf "%.0f %.0f loose\n", start, n
}
BEGIN {
    while ((getline line < dosfile) > 0) {
        n = split(line, f, " ")
        # A header cut short by the end of the input is refused below.
        if (n < 31) { dosPs[f[1]] = 0; dosPsLen[f[1]] = 0; dosEnd[f[1]] = 0; continue }
        for (i = 1; i <= 30; i++) h[i - 1] = f[i + 1]
        dosPs[f[1]] = u32(h, 4); dosPsLen[f[1]] = u32(h, 8)
        end = u32(h, 4) + u32(h, 8)
        if (u32(h, 12) + u32(h, 16) > end) end = u32(h, 12) + u32(h, 16)
        if (u32(h, 20) + u32(h, 24) > end) end = u32(h, 20) + u32(h, 24)
        dosEnd[f[1]] = end
    }
}
{
    c = index($0, ":")
    o = substr($0, 1, c - 1) + 0
    t = substr($0, c + 1)
    count++
    if (substr(t, 1, 5) == "%%EOF") { o += 5; t = substr(t, 6) }
    off[count] = o
    if (substr(t, 1, 11) == "%!PS-Adobe-" || substr(t, 1, 4) == magic) kind[count] = "header"
    else if (substr(t, 1, 15) == "%%BeginDocument") kind[count] = "begin"
    else if (substr(t, 1, 13) == "%%EndDocument") kind[count] = "end"
    else if (substr(t, 1, 8) == "%%Pages:") { kind[count] = "pages"; text[count] = substr(t, 9) }
    else { kind[count] = "box"; text[count] = substr(t, 15) }
}
END {
    pos = 0
    piece = 0
    while (pos < size) {
        piece++
        if (pos in dosPs) {
            ps = pos + dosPs[pos]; psLen = dosPsLen[pos]
            if (dosPs[pos] < 30 || psLen == 0 || ps + psLen > size || pos + dosEnd[pos] > size) {
                printf "error fichier %d : en-tête EPS DOS incohérent", piece
                # A header alone (the rest of the file lost) is the likely case of an empty one.
                if (psLen == 0 && dosPs[pos] >= 30) print " (partie PostScript vide)"
                else print " (partie PostScript hors du fichier)"
                exit
            }
            emit(ps, psLen)
            pos += dosEnd[pos]
            continue
        }
        # A piece runs to the next header outside an embedded document.
        stop = size
        depth = 0
        for (k = first(pos); k <= count; k++) {
            if (off[k] <= pos) continue
            if (kind[k] == "begin") depth++
            else if (kind[k] == "end") { if (depth > 0) depth-- }
            else if (kind[k] == "header" && depth == 0) { stop = off[k]; break }
        }
        emit(pos, stop - pos)
        pos = stop
    }
    printf "largest %.10g %.10g\n", maxWidth, maxHeight
}' <"$work/lines" >"$work/plan" || fail "analyse impossible : $eps"

# The pages, in input order: bytes to pass over, then the piece's length and, for an EPS, its
# size and the move that brings its box to the origin.
largest=
read_to=0
while read -r start length a b x y; do
    if [ "$start" = error ]; then
        fail "$eps : $length $a $b $x $y"
    fi
    if [ "$start" = largest ]; then
        largest="$length $a"
        continue
    fi
    if [ "$a" = loose ]; then
        # Blank lines or a Control-D before the first header, or padding after a DOS EPS, make
        # no page.
        if [ "$length" -le 4096 ] &&
            [ -z "$(tail -c +"$((start + 1))" <"$eps" | head -c "$length" | tr -d ' \t\r\n\f\v\000\004')" ]; then
            continue
        fi
        a=doc
    fi
    skip=$((start - read_to))
    read_to=$((start + length))
    if [ "$a" = doc ]; then
        printf '%s %s brakwenDoc\n' "$skip" "$length"
    else
        printf '%s %s %s %s %s %s brakwenEps\n' "$skip" "$length" "$a" "$b" "$x" "$y"
    fi
done <"$work/plan" >"$work/pages"
[ -s "$work/pages" ] || fail "$eps : aucune page à convertir"

# The page program: each piece is read from the input through a filter that ends where the piece
# ends, inside save and restore, with showpage and the page set-up disarmed for an EPS. The input
# is Ghostscript's standard input, opened again as /dev/fd/0: Ghostscript reads %stdin a byte at a
# time, an ordinary file in blocks.
# Every EPS is drawn on one device page that holds the largest box, and its page gets its own size
# as its MediaBox: changing the page device for every page costs Ghostscript more with each page.
{
    printf '%%!PS\n/BrakwenConverter 16 dict def\nBrakwenConverter begin\n/largest [%s] def\n' "$largest"
    cat <<'EOF'
/big false def
/in (/dev/fd/0) (r) file def
/defaultSize currentpagedevice /PageSize get def
/drop { % count --
  dup 0 gt { //BrakwenConverter /in get exch () /SubFileDecode filter dup flushfile closefile }
  { pop } ifelse
} bind def
end
% The piece runs from a second filter over the first: a piece that closes its own file cannot
% move the start of the next one, since the first filter is drained afterwards.
/brakwenExec { % isEps --
  //BrakwenConverter begin
    /eps exch def
    /ops count 1 sub def
    /dicts countdictstack 1 sub def
    /state save def
  end
  userdict begin
  /quit {} def
  //BrakwenConverter /eps get {
    /showpage {} def /copypage {} def /setpagedevice { pop } def
    0 setgray 0 setlinecap 1 setlinewidth 0 setlinejoin 10 setmiterlimit [] 0 setdash newpath
    false setstrokeadjust false setoverprint
  } if
  //BrakwenConverter /src get //BrakwenConverter /len get () /SubFileDecode filter cvx exec
  count //BrakwenConverter /ops get sub { pop } repeat
  countdictstack //BrakwenConverter /dicts get sub { end } repeat
  //BrakwenConverter /state get restore
  % Closed, not only drained: every restore visits the files still open.
  //BrakwenConverter /src get dup flushfile closefile
} bind def
/brakwenEps { % skip length width height x y --
  //BrakwenConverter begin
    /y exch def /x exch def /h exch def /w exch def /len exch def drop
    big not { << /PageSize largest >> setpagedevice /big true def } if
    /pdfmark where { pop [ /MediaBox [0 0 w h] /PAGE pdfmark } if
    x y translate
    /src in len () /SubFileDecode filter def
  end
  true brakwenExec
  showpage
} bind def
/brakwenDoc { % skip length --
  //BrakwenConverter begin
    /len exch def drop
    << /PageSize defaultSize >> setpagedevice /big false def
    /src in len () /SubFileDecode filter def
    /pages currentpagedevice /PageCount get def
  end
  false brakwenExec
  currentpagedevice /PageCount get //BrakwenConverter /pages get eq { showpage } if
} bind def
EOF
    cat "$work/pages"
} >"$work/pages.ps" || fail "écriture impossible dans le dossier temporaire"

# The PDF is written to a hidden name in its own folder and renamed into place only once
# Ghostscript has succeeded: a failed conversion leaves no PDF behind. Ghostscript reads the input
# on standard input, writes the PDF on standard output and everything it says on standard error,
# so it never interprets a path of ours (a % in a name, a colon, a leading dash).
partial=$(mktemp "$pdf_dir/.ps2pdf-XXXXXX") || fail "écriture impossible dans le dossier : $pdf_dir"
case $work in
/*) pages=$work/pages.ps ;;
*) pages=./$work/pages.ps ;;
esac
gs -sstdout=%stderr @"$rsp" --permit-file-read=/dev/fd/0 -dSAFER -dBATCH -dNOPAUSE \
    -sOutputFile=- "$pages" <"$eps" >"$partial"
status=$?
[ "$status" -eq 0 ] || fail "Ghostscript a échoué (code $status) ; aucun PDF n'a été écrit"
[ -s "$partial" ] || fail "Ghostscript n'a rien écrit ; aucun PDF n'a été écrit"

# mktemp creates the file private; the PDF gets the usual permissions.
chmod "$(printf '%o' $((0666 & ~$(umask))))" "$partial" || fail "droits du PDF impossibles à régler"
mv -f -- "$partial" "$pdf" || fail "le PDF ne peut pas être mis en place : $pdf"
partial=
exit 0
