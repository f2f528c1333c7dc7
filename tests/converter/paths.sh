#!/bin/sh
# Paths reach Ghostscript and the files intact: blanks, quotes, shell characters, a percent sign
# (a page-number pattern to Ghostscript), leading dashes and line breaks, in the converter's own
# folder, the input, the PDF and the temporary folder.
. "$(dirname "$0")/lib.sh"

# Run from $scratch, so that a name executed as a command would leave "pwned" there.
cd "$scratch" || exit 1
odd=$(printf 'a b '\''c'\'' "d" $HOME `touch pwned` $(touch pwned) %%d;&|<>*?[x] \\ é\nend')
mkdir -p "$scratch/$odd/tool" "$work/$odd"
cp "$tool_dir/ps2pdf.bat" "$tool_dir/pdfwrite.rsp" "$tool_dir/brakwen-ps2pdf" "$scratch/$odd/tool/"
tool="$scratch/$odd/tool"

eps "$work/a.eps" 0 0 200 100 AAA
eps "$work/b.eps" 0 0 100 300 BBB
cat "$work/a.eps" "$work/b.eps" >"$work/$odd/in $odd.eps"
input="$work/$odd/in $odd.eps"
output="$work/$odd/out $odd.pdf"

check "odd characters in every path convert" \
    /bin/sh "$tool/ps2pdf.bat" "$input" "$output" 2>"$scratch/err"
check "the PDF is where it was asked for" has_sizes "$output" "200x100 100x300"
check "no name was run as a command" test ! -e "$scratch/pwned"
check "nothing else was left in the PDF's folder" only_files "$work/$odd" "in $odd.eps" "out $odd.pdf"

mkdir "$scratch/$odd/tmp"
check "an odd temporary folder works too" \
    env TMPDIR="$scratch/$odd/tmp" /bin/sh "$tool/ps2pdf.bat" "$input" "$output" 2>"$scratch/err"
check "and is left clean" only_files "$scratch/$odd/tmp"

# Relative names starting with a dash, from the current folder.
cp "$work/a.eps" "$work/-a.eps"
check "relative names starting with a dash convert" \
    sh -c 'cd "$1" && /bin/sh "$2/ps2pdf.bat" -a.eps -a.pdf' - "$work" "$tool" 2>"$scratch/err"
check "the PDF has the dashed name" has_sizes "$work/-a.pdf" "200x100"
mkdir "$work/-dir"
cp "$work/a.eps" "$work/-dir/a.eps"
check "a relative folder starting with a dash converts" \
    sh -c 'cd "$1" && /bin/sh "$2/ps2pdf.bat" -dir/a.eps -dir/a.pdf' - "$work" "$tool" 2>"$scratch/err"
check "the PDF is in that folder, alone beside its input" only_files "$work/-dir" a.eps a.pdf

check "no name was run as a command, in any of these" test ! -e "$scratch/pwned"
finish
