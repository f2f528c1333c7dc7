#!/bin/sh
# Converter benchmark, run by hand: the converter run by hand on a joined file, finding the files
# from their header lines, against Ghostscript on the same input given whole.
#   sh bench/converter/converter_bench.sh [TOOL-FOLDER]     (default: build/dev/bin)
# Two joined inputs are built in a temporary folder: (A) 200 EPS files of 5 MB (mostly comment
# lines, as large embedded data would be) and (B) 20,000 EPS files of 4 KB. For each it prints
# the median of 3 runs of:
#   - convert: the real conversion, each file its own page, run on its own;
#   - gs whole: Ghostscript on the same input given whole (the wrong pages, but the floor);
# and the ratio convert/gs-whole.
set -eu
LC_ALL=C
export LC_ALL
tool_dir=${1:-$(dirname "$0")/../../build/dev/bin}
[ -f "$tool_dir/ps2pdf.bat" ] || {
    echo "no converter in $tool_dir" >&2
    exit 2
}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# make_input OUT COUNT BYTES: COUNT EPS files of about BYTES each, joined; every third file has no
# showpage.
make_input()
{
    awk -v count="$2" -v bytes="$3" 'BEGIN {
        filler = "% " sprintf("%77s", "") ; gsub(/ /, "x", filler)
        lines = int((bytes - 200) / 80)
        for (i = 0; i < count; i++) {
            printf "%%!PS-Adobe-3.0 EPSF-3.0\n%%%%BoundingBox: 0 0 %d %d\n%%%%EndComments\n", 100 + i % 97, 100 + i % 89
            for (l = 0; l < lines; l++) print filler
            printf "0 0 10 10 rectfill\n"
            if (i % 3) printf "showpage\n"
            printf "%%%%EOF\n"
        }
    }' >"$1"
}

# seconds COMMAND...: wall-clock seconds the command took.
seconds()
{
    start=$(date +%s.%N)
    "$@" >/dev/null 2>&1 || echo "warning: $1 failed" >&2
    end=$(date +%s.%N)
    awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", b - a }'
}

ratio()
{
    awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", (b > 0 ? a / b : 0) }'
}

median3()
{
    printf '%s\n' "$@" | sort -n | sed -n 2p
}

run()
{
    label=$1 input=$2
    conv1=$(seconds /bin/sh "$tool_dir/ps2pdf.bat" "$input" "$scratch/out.pdf")
    gs1=$(seconds gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=pdfwrite -sOutputFile="$scratch/whole.pdf" "$input")
    conv2=$(seconds /bin/sh "$tool_dir/ps2pdf.bat" "$input" "$scratch/out.pdf")
    gs2=$(seconds gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=pdfwrite -sOutputFile="$scratch/whole.pdf" "$input")
    conv3=$(seconds /bin/sh "$tool_dir/ps2pdf.bat" "$input" "$scratch/out.pdf")
    gs3=$(seconds gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=pdfwrite -sOutputFile="$scratch/whole.pdf" "$input")
    conv=$(median3 "$conv1" "$conv2" "$conv3")
    whole=$(median3 "$gs1" "$gs2" "$gs3")
    pages=$(pdfinfo "$scratch/out.pdf" | sed -n 's/^Pages: *//p')
    printf '%s: convert %.2f s (%s pages), gs whole %.2f s; convert/gs-whole %.2f\n' \
        "$label" "$conv" "$pages" "$whole" "$(ratio "$conv" "$whole")"
}

make_input "$scratch/a.eps" 200 5000000
run "A (200 x 5 MB)" "$scratch/a.eps"
rm -f "$scratch/a.eps"
make_input "$scratch/b.eps" 20000 4096
run "B (20000 x 4 KB)" "$scratch/b.eps"
