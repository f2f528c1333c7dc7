#!/bin/sh
# brakwen-cli --pdf against Ghostscript run directly on the same separate files with -dEPSCrop
# (the same pdfwrite.rsp options), run by hand on a release build:
#   sh bench/converter/pdf_bench.sh [TOOL-FOLDER] [ROUNDS]     (default: build/release/bin, 5)
# Sets: 2,000 EPS of 4 KB, 200 of 40 KB and 200 of 5 MB, each drawing a box and a line of text.
# The two commands alternate; the medians and their ratio are printed, and what the checks after
# Ghostscript cost (qpdf reading the PDF, once in the converter and once in the job) as a share of
# brakwen-cli's time. For the 2,000 files, also what the bookmarks cost: the converter's own
# Ghostscript run timed with and without them.
set -eu
LC_ALL=C
export LC_ALL
tool_dir=${1:-$(dirname "$0")/../../build/release/bin}
rounds=${2:-5}
tool_dir=$(cd "$tool_dir" && pwd)
cli=$tool_dir/brakwen-cli
[ -x "$cli" ] && [ -f "$tool_dir/ps2pdf.bat" ] || {
    echo "no brakwen-cli and converter in $tool_dir" >&2
    exit 2
}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# make_set FOLDER COUNT BYTES: COUNT EPS files of about BYTES each (comment lines as padding).
make_set()
{
    mkdir -p "$1"
    awk -v folder="$1" -v count="$2" -v bytes="$3" 'BEGIN {
        filler = "% " sprintf("%77s", ""); gsub(/ /, "x", filler)
        lines = int((bytes - 300) / 80)
        for (i = 0; i < count; i++) {
            f = sprintf("%s/f%05d.eps", folder, i)
            printf "%%!PS-Adobe-3.0 EPSF-3.0\n%%%%BoundingBox: 0 0 %d %d\n%%%%EndComments\n", 100 + i % 97, 100 + i % 89 > f
            for (l = 0; l < lines; l++) print filler > f
            printf "0 0 10 10 rectfill /Helvetica findfont 12 scalefont setfont\n" > f
            printf "20 20 moveto (Page %d) show showpage\n%%%%EOF\n", i > f
            close(f)
        }
    }'
}

seconds()
{
    start=$(date +%s.%N)
    "$@" >/dev/null 2>&1 || echo "warning: $1 failed" >&2
    end=$(date +%s.%N)
    awk -v a="$start" -v b="$end" 'BEGIN { printf "%.4f\n", b - a }'
}

median()
{
    sort -n | awk '{ v[NR] = $1 } END { printf "%.4f", (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

run_set()
{
    label=$1 folder=$2
    files=$(cd "$folder" && ls f*.eps)
    : >"$scratch/cli.times"
    : >"$scratch/gs.times"
    : >"$scratch/check.times"
    for _ in $(seq "$rounds"); do
        # shellcheck disable=SC2086
        seconds "$cli" --pdf --name out "$folder" $files >>"$scratch/cli.times"
        # shellcheck disable=SC2086
        (cd "$folder" && seconds gs -q -dSAFER -dBATCH -dNOPAUSE @"$tool_dir/pdfwrite.rsp" -dEPSCrop \
            -sOutputFile="$scratch/gs.pdf" $files) >>"$scratch/gs.times"
        seconds sh -c 'qpdf --show-npages "$1" && qpdf --show-npages "$1"' - "$folder/out.pdf" \
            >>"$scratch/check.times"
    done
    cli_time=$(median <"$scratch/cli.times")
    gs_time=$(median <"$scratch/gs.times")
    check_time=$(median <"$scratch/check.times")
    pages=$(pdfinfo "$folder/out.pdf" | sed -n 's/^Pages: *//p')
    awk -v l="$label" -v c="$cli_time" -v g="$gs_time" -v k="$check_time" -v p="$pages" 'BEGIN {
        printf "%s: brakwen-cli --pdf %.3f s (%s pages), gs -dEPSCrop %.3f s, ratio %.2f; checks %.3f s = %.1f %% of brakwen-cli\n",
            l, c, p, g, c / g, k, 100 * k / c }'
    rm -f "$folder/out.pdf"
}

# outline_cost FOLDER: Ghostscript on the converter's own program, as is and with the bookmark
# procedure emptied, alternating.
outline_cost()
{
    mkdir -p "$scratch/capture"
    cat >"$scratch/capture/gs" <<SCRIPT
#!/bin/sh
for last; do :; done
cp "\$last" "$scratch/driver.ps"
cat <&3 >"$scratch/input.eps"
exec "$(command -v gs)" "\$@"
SCRIPT
    chmod 755 "$scratch/capture/gs"
    files=$(cd "$1" && ls f*.eps)
    # shellcheck disable=SC2086
    PATH="$scratch/capture:$PATH" "$cli" --pdf --name out "$1" $files >/dev/null 2>&1
    rm -f "$1/out.pdf"
    sed 's|^    pop \[ /Title 2 index 3 get .*/OUT pdfmark$|    pop|' "$scratch/driver.ps" >"$scratch/bare.ps"
    : >"$scratch/with.times"
    : >"$scratch/without.times"
    for _ in $(seq "$rounds"); do
        for kind in driver:with bare:without; do
            seconds sh -c 'gs -q -dSAFER -dNOOUTERSAVE -dBATCH -dNOPAUSE @"$1" --permit-file-read=/dev/fd/3 \
                -sstdout=%stderr -sOutputFile=/dev/null "$2" 3<"$3"' - "$tool_dir/pdfwrite.rsp" \
                "$scratch/${kind%:*}.ps" "$scratch/input.eps" >>"$scratch/${kind#*:}.times"
        done
    done
    with=$(median <"$scratch/with.times")
    without=$(median <"$scratch/without.times")
    awk -v w="$with" -v o="$without" 'BEGIN {
        printf "2,000 bookmarks: Ghostscript %.3f s with them, %.3f s without: %.1f %% of the conversion\n",
            w, o, 100 * (w - o) / w }'
}

make_set "$scratch/small" 2000 4096
run_set "2,000 x 4 KB" "$scratch/small"
outline_cost "$scratch/small"
rm -rf "$scratch/small"
make_set "$scratch/medium" 200 40960
run_set "200 x 40 KB" "$scratch/medium"
rm -rf "$scratch/medium"
make_set "$scratch/large" 200 5000000
run_set "200 x 5 MB" "$scratch/large"
