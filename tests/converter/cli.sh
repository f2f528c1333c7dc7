#!/bin/sh
# End to end through brakwen-cli and the real Ghostscript: the job joins the files, runs the
# converter beside the executable and keeps the PDF, or keeps the EPS and the sources when the
# conversion fails. Arguments: the tool folder, then the brakwen-cli executable.
. "$(dirname "$0")/lib.sh"
cli=${2:?brakwen-cli expected}

# A folder of three EPS files of different boxes, the second without showpage.
fill()
{
    mkdir -p "$1"
    eps "$1/one.eps" 0 0 200 100 ONE
    eps "$1/two.eps" 50 50 350 450 TWO noshowpage
    eps "$1/three.eps" -20 -10 80 190 THREE
}

fill "$work/job"
check "three files are assembled and converted" \
    "$cli" --pdf "$work/job" one.eps two.eps three.eps 2>"$scratch/err"
check "the PDF has three pages, each at its file's size" \
    has_sizes "$work/job/final.pdf" "200x100 300x400 100x200"
check "in the order given, none running into the next" text_is "$work/job/final.pdf" 2 TWO
check "the EPS made on the way is gone, the sources stay" \
    only_files "$work/job" one.eps two.eps three.eps final.pdf

# A broken file: the job fails and says so, keeps the EPS, makes no PDF.
fill "$work/broken"
eps "$work/broken/bad.eps" 0 0 100 100 BAD body='nosuchoperator'
check "a broken file fails the job" \
    sh -c '"$1" --pdf "$2" one.eps bad.eps 2>"$3"; [ $? -eq 1 ]' - "$cli" "$work/broken" "$scratch/err"
check "with the conversion's failure message" err_has "Echec de la conversion."
check "the EPS is kept and no PDF is made" \
    only_files "$work/broken" one.eps two.eps three.eps bad.eps final.eps

rm -f "$work/broken/final.eps"
check "with --delete-sources a broken file fails the job too" \
    sh -c '"$1" --pdf --delete-sources "$2" one.eps bad.eps 2>"$3"; [ $? -eq 1 ]' - "$cli" \
    "$work/broken" "$scratch/err"
check "saying that the conversion failed" err_has "Echec de la conversion."
check "and the sources are kept" only_files "$work/broken" one.eps two.eps three.eps bad.eps final.eps

# Blanks and quotes in the program's folder (and so the converter's), the folder and the name.
odd="l'outil \"de\" Brakwen \$x"
mkdir -p "$scratch/$odd"
cp "$cli" "$tool_dir/ps2pdf.bat" "$tool_dir/pdfwrite.rsp" "$tool_dir/brakwen-ps2pdf" "$scratch/$odd/"
folder="$work/dossier 'a' \"b\" \$HOME"
fill "$folder"
check "blanks and quotes in every path convert" \
    "$scratch/$odd/$(basename "$cli")" --pdf --name "mon \"fichier\" 'final'" "$folder" \
    one.eps two.eps three.eps 2>"$scratch/err"
check "to the PDF of that name" has_sizes "$folder/mon \"fichier\" 'final'.pdf" "200x100 300x400 100x200"

finish
