#!/bin/bash
# Compares brakwen-cli with cat on the same files, run by hand (never by CTest):
#   bench/assembly/bench_assembly.sh [path/to/brakwen-cli] [rounds]
# Builds two data sets in a temporary folder, (A) 200 files of 5 MB and (B) 20,000 files of
# 4 KB, assembles each with brakwen-cli and with cat, alternately, and prints the median time of
# each and the median ratio brakwen-cli / cat per set, with brakwen-cli's peak memory. Use a
# release build of brakwen-cli.
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
cli="${1:-$here/../../build/release/bin/brakwen-cli}"
rounds="${2:-7}"
[ -x "$cli" ] || { echo "brakwen-cli not found at $cli (give its path as first argument)" >&2; exit 2; }

work="$(mktemp -d "${TMPDIR:-/tmp}/brakwen-bench-XXXXXX")"
trap 'rm -rf "$work"' EXIT

now() { date +%s%N; }

median() { sort -g | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

make_set() { # folder count size_in_KiB
    mkdir -p "$1"
    head -c "$(($3 * 1024))" /dev/urandom > "$1/.seed"
    for i in $(seq -f '%05g' 1 "$2"); do
        cp "$1/.seed" "$1/f$i.eps"
    done
    rm "$1/.seed"
}

run_set() { # label folder
    local label="$1" folder="$2"
    local -a names
    mapfile -t names < <(cd "$folder" && ls f*.eps)
    local cli_times=() cat_times=() ratios=()
    # One untimed pass each, so that both start from a warm page cache.
    # Both get the names after "--", as any script passing file names should.
    "$cli" --name bench -- "$folder" "${names[@]}" && rm -f "$folder/bench.eps"
    (cd "$folder" && cat -- "${names[@]}" > "$folder/cat.out") && rm -f "$folder/cat.out"
    for _ in $(seq "$rounds"); do
        local start end cli_ns cat_ns
        start=$(now)
        "$cli" --name bench -- "$folder" "${names[@]}"
        end=$(now)
        cli_ns=$((end - start))
        rm -f "$folder/bench.eps"
        sync

        start=$(now)
        (cd "$folder" && cat -- "${names[@]}" > "$folder/cat.out")
        end=$(now)
        cat_ns=$((end - start))
        rm -f "$folder/cat.out"
        sync

        cli_times+=("$cli_ns")
        cat_times+=("$cat_ns")
        ratios+=("$(awk -v a="$cli_ns" -v b="$cat_ns" 'BEGIN { printf "%.3f", a / b }')")
    done
    local cli_median cat_median ratio_median
    cli_median=$(printf '%s\n' "${cli_times[@]}" | median)
    cat_median=$(printf '%s\n' "${cat_times[@]}" | median)
    ratio_median=$(printf '%s\n' "${ratios[@]}" | median)
    # Peak memory of one more run: it must not grow with the size of the files.
    local peak="n/a"
    if [ -x /usr/bin/time ]; then
        peak="$(/usr/bin/time -f '%M' "$cli" --name bench -- "$folder" "${names[@]}" 2>&1 | tail -n 1) KiB"
        rm -f "$folder/bench.eps"
    fi
    awk -v l="$label" -v a="$cli_median" -v b="$cat_median" -v r="$ratio_median" -v n="$rounds" -v p="$peak" \
        'BEGIN { printf "%-26s brakwen-cli %8.1f ms   cat %8.1f ms   median ratio %.2f (%d rounds)   peak RSS %s\n", l, a / 1e6, b / 1e6, r, n, p }'
}

echo "Building the data sets in $work ..." >&2
make_set "$work/A" 200 5120
make_set "$work/B" 20000 4
run_set "A: 200 files x 5 MB" "$work/A"
run_set "B: 20,000 files x 4 KB" "$work/B"
