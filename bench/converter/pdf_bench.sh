#!/bin/sh
# brakwen-cli --pdf against plain Ghostscript converting the same files in one process (which
# isolates nothing), run by hand on a release build:
#   sh bench/converter/pdf_bench.sh [BUILD-FOLDER] [ROUNDS] [SETS]
#     (default: build/release, 5 rounds, the sets padded medium images)
# Sets from make_join_sets.sh: padded (2,000 EPS of 4 KB, mostly comment lines), medium (200 of
# 40 KB of line art), images (200 of 5 MB); small (2,000 of 4 KB of line art) on request. The two
# commands alternate; for each set it prints the medians of their wall time and processor time
# (of every process of the run), the wall ratio, the PDFs' sizes and their ratio (brakwen's with
# one bookmark per file), and where the converter's processor time goes per source, from its
# BRAKWEN_PROFILE line: its Ghostscript children, the zygote they are forked from (its start-up
# included), the reader of the parts' PDFs (checks, join, write) and the converter itself. The
# isolation overhead per source is the converter's processor time per source less plain
# Ghostscript's (its start-up included); the rest of brakwen-cli's time is the assembly, written
# first as the job does. For padded, one more
# run samples the peak memory of the whole job tree (the sum of Pss every 5 ms).
set -eu
LC_ALL=C
export LC_ALL
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../../build/release}" && pwd)
rounds=${2:-5}
[ $# -eq 0 ] || shift
[ $# -eq 0 ] || shift
[ $# -gt 0 ] || set -- padded medium images
tools=$build/bin
measure=$build/bench-bin/job_measure
if ! [ -x "$tools/brakwen-cli" ] || ! [ -f "$tools/ps2pdf.bat" ] || ! [ -x "$measure" ]; then
    echo "no brakwen-cli, converter and job_measure in $build" >&2
    exit 2
fi
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

median()
{
    sort -n | awk '{ v[NR] = $1 } END { printf "%.4f", (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# field NAME FILE: the value after NAME on each line.
field()
{
    awk -v name="$1" '{ for (i = 1; i < NF; i++) if ($i == name) print $(i + 1) }' "$2"
}

for set in "$@"; do
    sh "$here/make_join_sets.sh" "$scratch" "$set"
    folder=$scratch/$set
    files=$(cd "$folder" && ls f*.eps)
    count=$(echo "$files" | wc -l)
    : >"$scratch/cli"
    : >"$scratch/gs"
    : >"$scratch/profile"
    for _ in $(seq "$rounds"); do
        rm -f "$folder/out.pdf"
        # shellcheck disable=SC2086
        BRAKWEN_PROFILE=1 "$measure" "$tools/brakwen-cli" --pdf --name out "$folder" $files \
            2>>"$scratch/profile" >>"$scratch/cli" || echo "warning: brakwen-cli failed" >&2
        # shellcheck disable=SC2086
        (cd "$folder" && "$measure" gs -q -dSAFER -dEPSCrop @"$tools/pdfwrite.rsp" -o "$scratch/gs.pdf" \
            $files) >>"$scratch/gs" 2>/dev/null || echo "warning: gs failed" >&2
    done
    grep '^brakwen-ps2pdf:' "$scratch/profile" | sed 's/[,(]/ /g' >"$scratch/costs" || true
    cli_wall=$(field wall "$scratch/cli" | median)
    cli_cpu=$(field cpu "$scratch/cli" | median)
    gs_wall=$(field wall "$scratch/gs" | median)
    gs_cpu=$(field cpu "$scratch/gs" | median)
    children=$(field children "$scratch/costs" | median)
    zygote=$(field zygote "$scratch/costs" | median)
    reader=$(field reader "$scratch/costs" | median)
    itself=$(field process "$scratch/costs" | median)
    size=$(wc -c <"$folder/out.pdf")
    plain=$(wc -c <"$scratch/gs.pdf")
    awk -v set="$set" -v n="$count" -v cw="$cli_wall" -v cc="$cli_cpu" -v gw="$gs_wall" -v gc="$gs_cpu" \
        -v ch="$children" -v zy="$zygote" -v rd="$reader" -v it="$itself" -v s="$size" -v p="$plain" 'BEGIN {
        own = 1000 * gc / n
        printf "%s, %d EPS: brakwen-cli --pdf %.3f s wall, %.3f s CPU; gs %.3f s wall, %.3f s CPU; wall ratio %.2f\n", set, n, cw, cc, gw, gc, cw / gw
        printf "  size: %d bytes against %d, ratio %.3f\n", s, p, s / p
        printf "  per source, ms of CPU: converter %.2f (Ghostscript children %.2f, zygote %.2f, PDF reader %.2f, converter itself %.2f); plain gs %.2f; isolation overhead %.2f\n", ch + zy + rd + it, ch, zy, rd, it, own, ch + zy + rd + it - own
    }'
    if [ "$set" = padded ]; then
        rm -f "$folder/out.pdf"
        # shellcheck disable=SC2086
        "$measure" --memory "$tools/brakwen-cli" --pdf --name out "$folder" $files 2>/dev/null |
            awk -v cpus="$(nproc)" '{ printf "  peak memory of the job tree: %s MB of Pss over %s processes (%.1f MB per processor, %d processors)\n", $6, $8, $6 / cpus, cpus }'
    fi
    rm -rf "$folder" "$scratch/gs.pdf"
done
