#!/bin/sh
# Fails when any C++ file of the source tree differs from what clang-format makes of it under the
# committed .clang-format. The files are git's tracked ones; without git (an exported tree, or a
# tree git refuses to read as this user) every .cpp and .h outside build folders and hidden ones.
# Argument: the source tree's root.
set -u
LC_ALL=C
export LC_ALL
root=${1:?source tree expected}
cd "$root" || exit 1

command -v clang-format >/dev/null 2>&1 || {
    echo "clang-format est introuvable ; installez le paquet clang-format" >&2
    exit 1
}
[ -f .clang-format ] || {
    echo "no .clang-format at $root" >&2
    exit 1
}

list=$(mktemp) || exit 1
trap 'rm -f "$list" "$list.found"' EXIT
if [ -e .git ] && git ls-files -z -- '*.cpp' '*.h' >"$list.found" 2>/dev/null; then
    # A file tracked but deleted in the work tree has nothing left to judge.
    xargs -0 -r sh -c 'for f; do [ -f "$f" ] && printf "%s\0" "$f"; done' sh <"$list.found" >"$list"
else
    find . \( -name build -o -name '.?*' \) -prune -o -type f \( -name '*.cpp' -o -name '*.h' \) \
        -print0 >"$list"
fi

count=$(tr -cd '\0' <"$list" | wc -c)
[ "$count" -gt 0 ] || {
    echo "no C++ file found under $root" >&2
    exit 1
}
if xargs -0 -r clang-format --style=file --dry-run --Werror <"$list"; then
    echo "$count C++ files formatted"
    exit 0
fi
echo "the files above differ from clang-format's output: run clang-format -i on them" >&2
exit 1
