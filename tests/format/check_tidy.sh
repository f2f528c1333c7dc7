#!/bin/sh
# Fails when clang-tidy, under the committed .clang-tidy, finds anything in the production code:
# every .cpp of app, assembly, cli, converter, eps, posix, preview, shell and ui, each compiled
# as the build compiles it (its compile_commands.json), several at once, one per processor.
# The files are those git tracks or would (new ones not yet added); without git, every .cpp of
# those folders.
# A source found clean is not checked again while nothing of the project that clang-tidy reads
# of it has changed (tidy_one.sh): the build keeps its own record, and the committed
# clang-tidy-clean.keys beside this script carries one into fresh clones and new machines. With
# --record, a run that finds nothing rewrites that file with the keys of today's sources.
# Arguments: the source tree's root, the build tree, optionally --record.
set -u
LC_ALL=C
export LC_ALL
root=${1:?source tree expected}
build=${2:?build tree expected}
record_now=${3:-}
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$build" && pwd) || exit 1
cd "$root" || exit 1
root=$(pwd)

command -v clang-tidy >/dev/null 2>&1 || {
    echo "clang-tidy est introuvable ; installez le paquet clang-tidy" >&2
    exit 1
}
[ -f .clang-tidy ] || {
    echo "no .clang-tidy at $root" >&2
    exit 1
}
[ -f "$build/compile_commands.json" ] || {
    echo "no compile_commands.json in $build: configure with CMAKE_EXPORT_COMPILE_COMMANDS" >&2
    exit 1
}

work=$(mktemp -d) || exit 1
trap 'rm -rf "$work"' EXIT
folders="app assembly cli converter eps posix preview shell ui"
if [ -e .git ] && git ls-files >/dev/null 2>&1; then
    for folder in $folders; do
        git ls-files --cached --others --exclude-standard -- "$folder/*.cpp"
    done | while IFS= read -r file; do
        # A file tracked but deleted in the work tree has nothing left to judge.
        [ -f "$file" ] && printf '%s/%s\n' "$root" "$file"
    done >"$work/files"
else
    # shellcheck disable=SC2086
    find $folders -name '*.cpp' -type f | sed "s|^|$root/|" >"$work/files"
fi
count=$(wc -l <"$work/files")
[ "$count" -gt 0 ] || {
    echo "no production source found under $root" >&2
    exit 1
}

cmake -DDB="$build/compile_commands.json" -DFILES="$work/files" -DJOBS="$work/jobs" \
    -P "$here/tidy_jobs.cmake" || exit 1

# clang-tidy's version, not the rest of what it says of itself: the processor it runs on.
config_key=$({
    clang-tidy --version | grep -m 1 -i version
    cat .clang-tidy
} | sha256sum | cut -d' ' -f1)
record=$here/clang-tidy-clean.keys
cache=$build/clang-tidy-clean
mkdir -p "$cache"
if [ -f "$record" ]; then
    (cd "$cache" && grep -x '[0-9a-f]\{64\}' "$record" | xargs -r touch)
fi
started=$(date +%s)
find "$work/jobs" -name '*.job' | xargs -P "$(nproc)" -n 1 \
    sh "$here/tidy_one.sh" "$cache" "$config_key" "$build" "$root"
seconds=$(($(date +%s) - started))

for result in "$work"/jobs/*.job.result; do
    [ "$(cat "$result")" = failed ] && cat "${result%.result}.out"
done | awk '
    # A finding in a header comes once per source that includes it: it is shown once.
    BEGIN { keep = 1 }
    /^[^ ].*:[0-9]+:[0-9]+: (warning|error|note): / { keep = !seen[$0]++ }
    keep'
failed=$(grep -l -x failed "$work"/jobs/*.result 2>/dev/null | wc -l)
checked=$(grep -l -x clean "$work"/jobs/*.result 2>/dev/null | wc -l)
unchanged=$(grep -l -x unchanged "$work"/jobs/*.result 2>/dev/null | wc -l)
answered=$((checked + unchanged + failed))
echo "$count production sources in ${seconds} s: $checked checked clean, $unchanged unchanged" \
    "since a clean check, $failed with findings"
if [ "$answered" -ne "$count" ]; then
    echo "$((count - answered)) sources could not be checked" >&2
    exit 1
fi
[ "$failed" -eq 0 ] || {
    echo "clang-tidy found the above: fix them, or explain a deliberate exception with NOLINT" >&2
    exit 1
}
if [ "$record_now" = --record ]; then
    cat "$work"/jobs/*.job.key | sort -u >"$record"
    echo "recorded $(wc -l <"$record") clean sources in $record"
fi
exit 0
