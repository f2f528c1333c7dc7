#!/bin/sh
# "cmake --install" puts the converter in the program's folder, the script runnable.
# Arguments: the build folder, the program's folder relative to the prefix.
set -u
build=${1:?build folder expected}
program_dir=${2:?program folder expected}
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
failures=0
fail() { printf 'FAIL %s\n' "$1"; failures=$((failures + 1)); }

cmake --install "$build" --prefix "$prefix" --component converter >/dev/null || fail "install runs"
[ -x "$prefix/$program_dir/ps2pdf.bat" ] || fail "ps2pdf.bat is installed in $program_dir, executable"
[ -f "$prefix/$program_dir/pdfwrite.rsp" ] || fail "pdfwrite.rsp is installed beside it"
grep -q -x -- '-sDEVICE=pdfwrite' "$prefix/$program_dir/pdfwrite.rsp" || fail "the response file names the device"
printf '%s\n' '%!PS-Adobe-3.0 EPSF-3.0' '%%BoundingBox: 0 0 50 60' '0 0 10 10 rectfill' >"$prefix/in.eps"
/bin/sh "$prefix/$program_dir/ps2pdf.bat" "$prefix/in.eps" "$prefix/out.pdf" || fail "the installed converter runs"
pdfinfo "$prefix/out.pdf" 2>/dev/null | grep -q '^Page size: *50 x 60 pts' || fail "and makes the PDF"
printf '%d passed, %d failed\n' "$((6 - failures))" "$failures"
[ "$failures" -eq 0 ]
