#!/bin/sh
# Joined EPS files become one page each, at each file's own size, whatever the files leave behind.
. "$(dirname "$0")/lib.sh"

# Three boxes of different sizes and origins; the second has no showpage and leaves operands,
# open dictionaries, a saved graphics state and a scale behind; the third gives its box at the end.
eps "$work/a.eps" 0 0 200 100 AAA
eps "$work/b.eps" 50 50 350 450 BBB noshowpage body='1 2 3 10 dict begin gsave 5 5 scale'
eps "$work/c.eps" -20 -10 80 190 CCC atend
cat "$work/a.eps" "$work/b.eps" "$work/c.eps" >"$work/joined.eps"
before=$(cksum <"$work/joined.eps")
check "three joined files convert" to_pdf "$work/joined.eps" "$work/joined.pdf"
check "one page per file, each at its own size" has_sizes "$work/joined.pdf" "200x100 300x400 100x200"
check "a file without showpage does not run into the next" text_is "$work/joined.pdf" 2 BBB
check "page 3 holds only the third file" text_is "$work/joined.pdf" 3 CCC
check "a box away from the origin is moved onto the page" corners_marked "$work/joined.pdf" 2 300 400
check "what a file leaves behind does not shift the next" corners_marked "$work/joined.pdf" 3 100 200
check "the input is left as it was" test "$(cksum <"$work/joined.eps")" = "$before"
check "only the PDF is added beside the input" only_files "$work" a.eps b.eps c.eps joined.eps joined.pdf

# As each file ends the converter says how many have, of how many, and which one it was (files
# end in any order; each is named once, by its number from 1).
check "each file converted is counted and named on the progress pipe" sh -c \
    'BRAKWEN_PROGRESS_FD=9 /bin/sh "$1/ps2pdf.bat" "$2" "$3" 9>"$4" &&
     test "$(cut -d " " -f 1,2 "$4" | tr "\n" ,)" = "1 3,2 3,3 3," &&
     test "$(cut -d " " -f 3 "$4" | sort | tr "\n" ,)" = "1,2,3,"' \
    - "$tool_dir" "$work/joined.eps" "$scratch/progress.pdf" "$scratch/progress"

# Every page a file shows is a page of its box: a setpagedevice of its own changes no size.
eps "$work/d.eps" 0 0 150 150 DDD body='<< /PageSize [612 792] >> setpagedevice showpage'
cat "$work/d.eps" "$work/a.eps" >"$work/showpages.eps"
check "a file's own showpage and page set-up convert" to_pdf "$work/showpages.eps" "$work/showpages.pdf"
check "each page it shows at its box" has_sizes "$work/showpages.pdf" "150x150 150x150 200x100"

# PostScript without a bounding box keeps its own pages on the default page size, and a page
# is made for it when it never shows one; the next file gets its own size back.
printf '%s\n' '%!PS-Adobe-3.0' '/Helvetica findfont 10 scalefont setfont' \
    '72 72 moveto (DOC1) show showpage 72 72 moveto (DOC2) show showpage' >"$work/doc.ps"
printf '%s\n' '%!PS-Adobe-3.0' '/Helvetica findfont 10 scalefont setfont 72 72 moveto (NOSHOW) show' \
    >"$work/noshow.ps"
cat "$work/a.eps" "$work/doc.ps" "$work/noshow.ps" "$work/b.eps" >"$work/mixed.eps"
check "files without a bounding box convert" to_pdf "$work/mixed.eps" "$work/mixed.pdf"
echo showpage | gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=pdfwrite -sOutputFile="$scratch/blank.pdf" -
default=$(sizes "$scratch/blank.pdf")
check "their pages keep the default size, the next file its own" \
    has_sizes "$work/mixed.pdf" "200x100 $default $default $default 300x400"
check "a document's own pages are kept in order" text_is "$work/mixed.pdf" 3 DOC2
check "a document that never shows its page still gets one" text_is "$work/mixed.pdf" 4 NOSHOW

# A document of several pages that gives a box keeps its pages, each at the box.
printf '%s\n' '%!PS-Adobe-3.0' '%%BoundingBox: 0 0 300 300' '%%Pages: (atend)' \
    '/Helvetica findfont 10 scalefont setfont' '72 72 moveto (TWO1) show showpage' \
    '72 72 moveto (TWO2) show showpage' '%%Trailer' '%%Pages: 2' >"$work/two.ps"
cat "$work/two.ps" "$work/a.eps" >"$work/twopages.eps"
check "a document of several pages converts" to_pdf "$work/twopages.eps" "$work/twopages.pdf"
check "its pages are kept" has_sizes "$work/twopages.pdf" "300x300 300x300 200x100"
check "each with its own text" text_is "$work/twopages.pdf" 2 TWO2

# EPS as a real producer writes them: resources, compressed data read from the file itself.
for i in 1 2; do
    printf '%%!PS\n<< /PageSize [%s 200] >> setpagedevice /Times-Roman findfont 20 scalefont setfont\n%s\n' \
        "$((150 * i))" "20 40 moveto (Produced$i) show 10 10 $((100 * i)) 10 rectfill showpage" >"$scratch/p$i.ps"
    gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=eps2write -sOutputFile="$work/p$i.eps" "$scratch/p$i.ps"
done
cat "$work/p1.eps" "$work/p2.eps" >"$work/produced.eps"
check "EPS files written by Ghostscript's eps2write convert" to_pdf "$work/produced.eps" "$work/produced.pdf"
boxes=$(for i in 1 2; do
    sed -n 's/^%%BoundingBox: *\([-0-9]*\) \([-0-9]*\) \([-0-9]*\) \([-0-9]*\).*/\3 \1 \4 \2/p' "$work/p$i.eps" |
        awk 'NR == 1 { printf "%dx%d ", $1 - $2, $3 - $4 }'
done)
check "one page each, at the boxes eps2write measured" has_sizes "$work/produced.pdf" "${boxes% }"
check "with their text" text_is "$work/produced.pdf" 2 Produced2

# Blank lines before the first header make no page of their own.
{
    printf '\n  \r\n'
    cat "$work/a.eps" "$work/c.eps"
} >"$work/leading.eps"
check "blank lines before the first header convert" to_pdf "$work/leading.eps" "$work/leading.pdf"
check "and make no blank page" has_sizes "$work/leading.pdf" "200x100 100x200"

# Ordinary files that drawing every file on one page of its box used to spoil, come out as
# Ghostscript draws each alone with its box.
printf '%s\n' '%!PS-Adobe-3.0' '%%BoundingBox: 0 0 200 150' '%%EndComments' \
    '/Helvetica findfont 10 scalefont setfont 20 20 moveto (FIRST) show showpage' \
    '20 20 moveto (SECOND) show showpage' >"$work/twoshown.ps"
eps "$work/far.eps" 1000 1000 1300 1200 FAR body='% %%Pages: 2 is a lie of its maker'
sed -i '2a %%Pages: 2' "$work/far.eps"
{
    printf '%s\n' '%!PS-Adobe-3.0 EPSF-3.0' '%%BoundingBox: (atend)' '%%EndComments'
    printf '%s\n' '%%BoundingBox: 0 0 10 10' '0 0 10 10 rectfill'
    printf '%s\n' '0 setgray 2 2 6 6 rectfill 392 292 6 6 rectfill' \
        '/Helvetica findfont 10 scalefont setfont 100 100 moveto (LOGOPAGE) show showpage'
    printf '%s\n' '%%Trailer' '%%BoundingBox: 0 0 400 300' '%%EOF'
} >"$work/logo.eps"
cat "$work/twoshown.ps" "$work/far.eps" "$work/logo.eps" >"$work/ordinary.eps"
check "ordinary files that spoiled before convert" to_pdf "$work/ordinary.eps" "$work/ordinary.pdf"
check "two pages shown, two pages; a box far away and a deferred one used" \
    has_sizes "$work/ordinary.pdf" "200x150 200x150 300x200 400x300"
check "the second page is not drawn over the first" text_is "$work/ordinary.pdf" 2 SECOND
check "the far box's drawing is on its page" corners_marked "$work/ordinary.pdf" 3 300 200
check "the whole logo page, not a stray box's corner" corners_marked "$work/ordinary.pdf" 4 400 300

# The response file's options reach the writer: with whole fonts asked for, no font is a subset.
mkdir "$scratch/tool"
cp "$tool_dir/ps2pdf.bat" "$scratch/tool/"
ln -s "$tool_dir/brakwen-ps2pdf" "$scratch/tool/brakwen-ps2pdf"
sed 's/-dSubsetFonts=true/-dSubsetFonts=false/' "$tool_dir/pdfwrite.rsp" >"$scratch/tool/pdfwrite.rsp"
/bin/sh "$scratch/tool/ps2pdf.bat" "$work/a.eps" "$work/whole.pdf"
check "the response file's options are the writer's" \
    sh -c 'pdffonts "$1" | sed 1,2d | grep -q -v "^[A-Z]\{6\}+"' - "$work/whole.pdf"

finish
