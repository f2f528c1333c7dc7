#!/bin/sh
# The part checker and joiner against plain Ghostscript, run by hand on a release build:
#   sh bench/converter/pdf_join_bench.sh [BENCH-FOLDER] [SETS]
#     (default: build/release/bench-bin; SETS among small medium images, default all three)
# For each set made by make_join_sets.sh, every EPS is converted alone as the converter converts
# a source (gs -dEPSCrop @pdfwrite.rsp, one process each) and all of them in one plain Ghostscript
# run; pdf_join_bench then checks and joins the parts and prints the CPU time per part of each
# step and its peak memory. Printed last: the joined PDF's size against plain Ghostscript's. For
# the small set the 2,000 parts are also joined ten times over (20,000 parts) under ulimit -n 64.
# GS_EXTRA adds Ghostscript options to the per-source runs (e.g. -dSubsetFonts=false).
set -eu
LC_ALL=C
export LC_ALL
here=$(cd "$(dirname "$0")" && pwd)
bench_dir=${1:-$here/../../build/release/bench-bin}
shift || true
[ $# -gt 0 ] || set -- small medium images
bench=$(cd "$bench_dir" && pwd)/pdf_join_bench
rsp=$here/../../converter/pdfwrite.rsp
[ -x "$bench" ] || {
    echo "no pdf_join_bench in $bench_dir" >&2
    exit 2
}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

for set in "$@"; do
    sh "$here/make_join_sets.sh" "$scratch" "$set"
    mkdir -p "$scratch/parts"
    for eps in "$scratch/$set"/*.eps; do
        # shellcheck disable=SC2086
        gs -q -dSAFER -dEPSCrop @"$rsp" ${GS_EXTRA:-} -o "$scratch/parts/$(basename "$eps" .eps).pdf" "$eps"
    done
    (cd "$scratch/$set" && gs -q -dSAFER -dEPSCrop @"$rsp" -o "$scratch/plain.pdf" ./*.eps)
    echo "== $set: $(find "$scratch/$set" -name "*.eps" | wc -l) EPS"
    "$bench" "$scratch/joined.pdf" "$scratch/parts"/*.pdf
    "$bench" --decode "$scratch/joined.pdf" "$scratch/parts"/*.pdf | sed -n 's/^check/check decoding every stream/p'
    qpdf --check "$scratch/joined.pdf" >/dev/null || echo "warning: qpdf --check fails on the joined PDF"
    joined=$(wc -c <"$scratch/joined.pdf")
    plain=$(wc -c <"$scratch/plain.pdf")
    awk -v j="$joined" -v p="$plain" 'BEGIN { printf "size: joined %d bytes, plain Ghostscript %d bytes, ratio %.3f\n", j, p, j / p }'
    if [ "$set" = small ]; then
        prlimit --nofile=64 "$bench" --repeat 10 "$scratch/joined.pdf" "$scratch/parts"/*.pdf |
            sed -n 's/^join/20,000 parts under ulimit -n 64: join/p'
    fi
    rm -rf "${scratch:?}/$set" "$scratch/parts" "$scratch"/*.pdf
done
