#!/bin/sh
# Runs clang-tidy over one source for check_tidy.sh and leaves what it found beside the job:
# JOB.out (clang-tidy's report), JOB.result ("clean", "unchanged" or "failed") and JOB.key.
# A source clean before is not checked again while nothing of the project that clang-tidy reads
# has changed: the source and every header of the project it includes (the compiler lists them),
# the compile command and the configuration with clang-tidy's version go into the key of that
# earlier result. The source tree's own path does not, so that a key holds in any clone; nor do
# the system's headers, whose bytes change with each point release of a package: a new machine
# would find no key of the record. When they or the compiler change in earnest, a full run
# (check_tidy.sh --record) makes the record again.
# Arguments: the folder of earlier clean results, the configuration's key, the build tree, the
# source tree, a job.
set -u
cache=$1
config_key=$2
build=$3
root=$4
job=$5

. "$job" || exit 1
cd "$directory" || exit 1

# Writes standard input with every occurrence of the source tree's path replaced by "@ROOT@".
without_root()
{
    awk -v root="$root" '{
        out = ""
        while ((i = index($0, root)) > 0) {
            out = out substr($0, 1, i - 1) "@ROOT@"
            $0 = substr($0, i + length(root))
        }
        print out $0
    }'
}

key=$({
    printf '%s\n' "$config_key"
    sed -n '/^inputs()/,/^}/p' "$job" | without_root
    # What cannot be listed or read gets a key of its own: the source is then always checked.
    if listed=$(inputs 2>/dev/null) &&
        files=$(printf '%s\n' "$listed" | sed -e 's/\\$//' -e 's/^[^:]*://' | tr -s ' \t' '\n' |
            grep -v '^$'); then
        printf '%s\n' "$files" | without_root
        printf '%s\n' "$files" | xargs cat || echo "unreadable: $$ $(date +%s%N)"
    else
        echo "not listed: $$ $(date +%s%N)"
    fi
} | sha256sum | cut -d' ' -f1)
printf '%s\n' "$key" >"$job.key"

if [ -e "$cache/$key" ]; then
    echo unchanged >"$job.result"
    exit 0
fi

clang-tidy -p "$build" --quiet "$source" >"$job.out" 2>"$job.err"
status=$?
# Any diagnostic fails the check, even one its configuration would not count as an error.
if [ "$status" -eq 0 ] && ! grep -q -e 'warning:' -e 'error:' "$job.out"; then
    mkdir -p "$cache" && : >"$cache/$key"
    echo clean >"$job.result"
    exit 0
fi
grep -v ' warnings\{0,1\} generated\.$' "$job.err" >>"$job.out"
echo failed >"$job.result"
exit 1
