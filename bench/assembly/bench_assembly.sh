#!/bin/bash
# Compares brakwen-cli with cat on the same files, run by hand (never by CTest):
#   bench/assembly/bench_assembly.sh [build folder] [rounds]      (default: build/release, 11)
# Builds two data sets in a temporary folder, (A) 200 files of 5 MB and (B) 20,000 files of
# 4 KB, assembles each with brakwen-cli and with cat, alternately, each run timed by run_timed
# (wall clock and CPU to the microsecond), and prints per set the median wall and CPU time of
# each and the median of the per-round ratios brakwen-cli / cat, with brakwen-cli's peak memory.
# Both get the folder's files by bare name from inside the folder, as a script would give them.
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
build="$(cd "${1:-$here/../../build/release}" && pwd)"
rounds="${2:-11}"
cli="$build/bin/brakwen-cli"
timer="$build/bench-bin/run_timed"
[ -x "$cli" ] && [ -x "$timer" ] || { echo "no brakwen-cli or run_timed in $build" >&2; exit 2; }

work="$(mktemp -d "${TMPDIR:-/tmp}/brakwen-bench-XXXXXX")"
trap 'rm -rf "$work"' EXIT

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
    : > "$work/rounds"
    cd "$folder"
    # One untimed pass each, so that both start from a warm page cache.
    "$cli" --name bench -- . "${names[@]}" && rm -f bench.eps
    cat -- "${names[@]}" > "$work/cat.out" && rm -f "$work/cat.out"
    for _ in $(seq "$rounds"); do
        local cli_run cat_run
        cli_run=$("$timer" "$cli" --name bench -- . "${names[@]}")
        rm -f bench.eps
        sync
        cat_run=$("$timer" -o "$work/cat.out" cat -- "${names[@]}")
        rm -f "$work/cat.out"
        sync
        echo "$cli_run $cat_run" >> "$work/rounds"
    done
    cd - > /dev/null
    # Peak memory of one more run: it must not grow with the size of the files.
    local peak
    peak="$(cd "$folder" && /usr/bin/time -f '%M' "$cli" --name bench -- . "${names[@]}" 2>&1 | tail -n 1) KiB"
    rm -f "$folder/bench.eps"
    local cw cc kw kc rw rc
    cw=$(awk '{ print $1 }' "$work/rounds" | median)
    cc=$(awk '{ print $2 }' "$work/rounds" | median)
    kw=$(awk '{ print $3 }' "$work/rounds" | median)
    kc=$(awk '{ print $4 }' "$work/rounds" | median)
    rw=$(awk '{ print $1 / $3 }' "$work/rounds" | median)
    rc=$(awk '{ print ($4 > 0 ? $2 / $4 : 0) }' "$work/rounds" | median)
    awk -v l="$label" -v cw="$cw" -v cc="$cc" -v kw="$kw" -v kc="$kc" -v rw="$rw" -v rc="$rc" \
        -v n="$rounds" -v p="$peak" 'BEGIN {
        printf "%-24s brakwen-cli %6.1f ms wall %6.1f ms CPU | cat %6.1f ms wall %6.1f ms CPU | median ratios: wall %.2f, CPU %.2f (%d rounds) | peak RSS %s\n",
            l, cw / 1e3, cc / 1e3, kw / 1e3, kc / 1e3, rw, rc, n, p }'
}

echo "Building the data sets in $work ..." >&2
make_set "$work/A" 200 5120
make_set "$work/B" 20000 4
run_set "A: 200 x 5 MB" "$work/A"
run_set "B: 20,000 x 4 KB" "$work/B"
