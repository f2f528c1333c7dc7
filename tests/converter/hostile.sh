#!/bin/sh
# Hostile documents between two ordinary files. Whatever one file does (stop, quit, an error,
# reading the input, global definitions, page set-up) reaches no other file's page, and nothing
# it does reaches outside its own job: the files beside it, the temporary folder, the converter.
# A file that ends Ghostscript or fails fails the whole conversion, which then writes nothing.
. "$(dirname "$0")/lib.sh"
hostile=$(dirname "$0")/hostile

# The converter runs from a copy inside the temporary folder, where -dSAFER alone lets a document
# write, so that what a document might do to either shows.
mkdir "$scratch/tmp" "$scratch/tmp/tool"
cp "$tool_dir/ps2pdf.bat" "$tool_dir/pdfwrite.rsp" "$tool_dir/brakwen-ps2pdf" "$scratch/tmp/tool/"
tool_sum=$(cat "$scratch/tmp/tool/ps2pdf.bat" "$scratch/tmp/tool/pdfwrite.rsp" | cksum)
printf 'SECRETLINE\n' >"$scratch/tmp/secret"
TMPDIR=$scratch/tmp
export TMPDIR

eps "$work/a.eps" 0 0 200 100 AAA
eps "$work/b.eps" 0 0 100 300 BBB

# between NAME: joins a.eps, the hostile file NAME (its placeholders filled in) and b.eps, and
# converts them; the PDF is $work/NAME.pdf.
between()
{
    sed -e "s|@SECRET@|$scratch/tmp/secret|g" -e "s|@VICTIM@|$scratch/tmp/victim|g" \
        -e "s|@TOOL@|$scratch/tmp/tool|g" "$hostile/$1.eps" >"$scratch/$1.eps"
    cat "$work/a.eps" "$scratch/$1.eps" "$work/b.eps" >"$scratch/$1.joined"
    /bin/sh "$scratch/tmp/tool/ps2pdf.bat" "$scratch/$1.joined" "$work/$1.pdf" 2>"$scratch/err"
}

# Nothing outside the job changed, and the temporary folder holds only what was put there.
untouched()
{
    [ "$(cat "$scratch/tmp/tool/ps2pdf.bat" "$scratch/tmp/tool/pdfwrite.rsp" | cksum)" = "$tool_sum" ] &&
        only_files "$scratch/tmp/tool" ps2pdf.bat pdfwrite.rsp brakwen-ps2pdf &&
        only_files "$scratch/tmp" secret tool && [ "$(cat "$scratch/tmp/secret")" = SECRETLINE ]
}

for name in stop quit system-quit dot-quit read-input globaldict global-font page-device; do
    check "$name: the conversion succeeds" between "$name"
    check "$name: one page per file, at each file's size" \
        has_sizes "$work/$name.pdf" "200x100 100x100 100x300"
    check "$name: the file before is whole" text_is "$work/$name.pdf" 1 AAA
    check "$name: the file after is whole" text_is "$work/$name.pdf" 3 BBB
    check "$name: and drawn in its place" corners_marked "$work/$name.pdf" 3 100 300
    check "$name: nothing outside the job changed" untouched
done

for name in error; do
    check "$name: the conversion fails" not between "$name"
    check "$name: naming the file" err_has "fichier 2"
    check "$name: and writes no PDF" test ! -e "$work/$name.pdf"
    check "$name: nothing is left behind" untouched
done
check "extra-pages: pages shown through systemdict convert" between extra-pages
check "extra-pages: each at the file's box, the files around whole" \
    has_sizes "$work/extra-pages.pdf" "200x100 100x100 100x100 100x300"
check "an error names the command that failed" not between error
check "by its name" err_has "nosuchoperator"

# A global font under a real font's name: the file after it is drawn exactly as it is without
# the hostile file before it.
sed 's|/Helvetica findfont|/Times-Roman findfont|' "$work/b.eps" >"$scratch/times.eps"
cat "$work/a.eps" "$hostile/font-names.eps" "$scratch/times.eps" >"$scratch/fonts.joined"
cat "$work/a.eps" "$scratch/times.eps" >"$scratch/plain.joined"
check "font-names: the conversion succeeds" \
    /bin/sh "$scratch/tmp/tool/ps2pdf.bat" "$scratch/fonts.joined" "$work/fonts.pdf" 2>"$scratch/err"
/bin/sh "$scratch/tmp/tool/ps2pdf.bat" "$scratch/plain.joined" "$scratch/plain.pdf" 2>"$scratch/err"
pdftoppm -f 3 -l 3 -r 72 -gray "$work/fonts.pdf" "$scratch/after"
pdftoppm -f 2 -l 2 -r 72 -gray "$scratch/plain.pdf" "$scratch/alone"
check "font-names: the file after it keeps the real Times-Roman" \
    cmp -s "$scratch/after-3.pgm" "$scratch/alone-2.pgm"

check "a document reaching outside its job still converts" between read-outside
check "but shows nothing of the files it tried to read" text_is "$work/read-outside.pdf" 2 ""
check "what it tried to write, delete or rename is as it was" between write-outside
check "and no command ran" untouched

# What reached other pages when every file ran in one Ghostscript: pdfmark on pages by number,
# on every page, annotations over other pages, document-level scripts, the execution stack. Each
# file is converted alone: the files around it come out whole and visible, with nothing of it
# (no annotation, no script, no crop), or the conversion fails and writes nothing. A file that
# claims the others converted and ends Ghostscript ends only its own run.
for name in pdfmark-put pdfmark-pages pdfmark-ann forge; do
    if between "$name"; then
        last=$(pdfinfo "$work/$name.pdf" | sed -n 's/^Pages: *//p')
        check "$name: the file before is whole, at its size" corners_marked "$work/$name.pdf" 1 200 100
        check "$name: with its own text" text_is "$work/$name.pdf" 1 AAA
        check "$name: the file after too" corners_marked "$work/$name.pdf" "$last" 100 300
        check "$name: with its own text" text_is "$work/$name.pdf" "$last" BBB
        check "$name: no page carries an annotation, no script, no crop" sh -c \
            '! qpdf --qdf --object-streams=disable "$1" - | grep -a -E "/Annots|/JavaScript|/JS|/OpenAction|/CropBox \[ 0 0 1 1"' \
            - "$work/$name.pdf"
    else
        check "$name: or the conversion fails and writes nothing" test ! -e "$work/$name.pdf"
    fi
    check "$name: nothing outside the job changed" untouched
done

# A file that writes its own PDF over Ghostscript's, whole and valid but for one array of three
# million numbers: reading it ends at the memory ceiling (lowered here) of the process that reads
# the parts' PDFs, never in the converter, and the conversion fails naming the file. Where a file
# cannot reach its PDF by name, it fails earlier, on its PostScript.
BRAKWEN_MEMORY_LIMIT=64
export BRAKWEN_MEMORY_LIMIT
check "huge-pdf: the conversion fails" not between huge-pdf
unset BRAKWEN_MEMORY_LIMIT
check "huge-pdf: naming the file, at the reader's memory ceiling" grep -q -F \
    -e "fichier 2 : mémoire épuisée (limite 64 Mio)" -e "fichier 2 : erreur PostScript" "$scratch/err"
check "huge-pdf: and writes no PDF" test ! -e "$work/huge-pdf.pdf"
check "huge-pdf: nothing outside the job changed" untouched

finish
