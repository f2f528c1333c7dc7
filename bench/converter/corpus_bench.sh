#!/bin/sh
# Corpus benchmark, run by hand: the EPS files of real producers in tests/corpus/ converted in one
# job by brakwen-cli, against Ghostscript making a PDF of each file alone with -dEPSCrop.
#   sh bench/converter/corpus_bench.sh [TOOL-FOLDER]     (default: build/dev/bin)
# Prints the median of 3 runs of each, in seconds of wall-clock time, and their ratio.
set -eu
LC_ALL=C
export LC_ALL
here=$(cd "$(dirname "$0")" && pwd)
tool_dir=${1:-$here/../../build/dev/bin}
corpus=$here/../../tests/corpus
[ -x "$tool_dir/brakwen-cli" ] || {
    echo "no brakwen-cli in $tool_dir" >&2
    exit 2
}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
names=$(sed 1d "$corpus/manifest.tsv" | cut -f 1)

seconds()
{
    start=$(date +%s.%N)
    "$@" >/dev/null 2>&1 || echo "warning: $1 failed" >&2
    end=$(date +%s.%N)
    awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", b - a }'
}

median3()
{
    printf '%s\n' "$@" | sort -n | sed -n 2p
}

job()
{
    rm -rf "$scratch/job"
    mkdir "$scratch/job"
    for name in $names; do cp "$corpus/files/$name" "$scratch/job/"; done
    # shellcheck disable=SC2086
    "$tool_dir/brakwen-cli" --pdf "$scratch/job" $names
}

alone()
{
    for name in $names; do
        gs -q -dSAFER -dBATCH -dNOPAUSE -dEPSCrop -sDEVICE=pdfwrite -sOutputFile="$scratch/alone.pdf" \
            "$corpus/files/$name" || return
    done
}

set -- "$(seconds job)" "$(seconds alone)" "$(seconds job)" "$(seconds alone)" "$(seconds job)" \
    "$(seconds alone)"
converted=$(median3 "$1" "$3" "$5")
plain=$(median3 "$2" "$4" "$6")
pages=$(pdfinfo "$scratch/job/final.pdf" | sed -n 's/^Pages: *//p')
printf 'corpus (%s files, %s pages): one job %.2f s, gs -dEPSCrop file by file %.2f s; job/gs %.2f\n' \
    "$(echo "$names" | wc -l)" "$pages" "$converted" "$plain" \
    "$(awk -v a="$converted" -v b="$plain" 'BEGIN { printf "%.3f", (b > 0 ? a / b : 0) }')"
