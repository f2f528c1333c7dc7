#!/bin/sh
# The walls and ceilings around each file's Ghostscript: a file past its memory or scratch limit
# fails the conversion, naming itself and the limit, and keeps every source; its scratch space
# is its own, so another job goes on untouched; either kernel wall (a private root in namespaces
# of its own, or Landlock) holds without the other, and a file neither can hold is not run; no
# Ghostscript setting of the environment reaches a file; a running file has no capability, a
# system call filter and no way to gain privileges. Arguments: the tool folder, brakwen-cli and
# refuse_calls (runs a command where the kernel refuses Landlock or namespaces).
. "$(dirname "$0")/lib.sh"
cli=${2:?brakwen-cli expected}
refuse=${3:?refuse_calls expected}
hostile=$(dirname "$0")/hostile
mkdir "$scratch/tmp"
TMPDIR=$scratch/tmp
export TMPDIR

# place FOLDER HOSTILE [SED-SCRIPT]: FOLDER holds a.eps, the hostile file (its placeholders
# filled in by SED-SCRIPT) and b.eps, each file's drawing its own.
# said LINE: the converter running in the background says LINE on descriptor 3 (read a byte at a
# time, so that nothing after it is taken), before it ends.
said()
{
    while IFS= read -r line <&3; do
        [ "$line" != "$1" ] || return 0
    done
    return 1
}

place()
{
    mkdir "$1"
    eps "$1/a.eps" 0 0 200 100 AAA body="${padding:-}"
    sed -e "${3:-s/^$//}" "$hostile/$2.eps" >"$1/$2.eps"
    eps "$1/b.eps" 0 0 100 300 BBB
}

# job FOLDER HOSTILE [COMMAND...]: brakwen-cli --pdf --delete-sources on the three, run by
# COMMAND (refuse_calls ...) when given.
job()
{
    folder=$1 name=$2
    shift 2
    "$@" "$cli" --pdf --delete-sources "$folder" a.eps "$name.eps" b.eps 2>"$scratch/err"
}

# whole FOLDER: the conversion made both victims' pages, each drawn in its place.
whole()
{
    only_files "$1" final.pdf && text_is "$1/final.pdf" 1 AAA &&
        corners_marked "$1/final.pdf" 1 200 100 && text_is "$1/final.pdf" 3 BBB &&
        corners_marked "$1/final.pdf" 3 100 300
}

place "$work/memory" memory
check "past its memory limit, a file fails the conversion" \
    not job "$work/memory" memory env BRAKWEN_MEMORY_LIMIT=64
check "naming itself and the limit" err_has "fichier 2 (« memory.eps ») : mémoire épuisée (limite 64 Mio)"
check "every source kept" only_files "$work/memory" a.eps memory.eps b.eps final.eps

place "$work/scratch" scratch 's/@THEN@/stop/'
check "past its scratch limit, a file fails the conversion" \
    not job "$work/scratch" scratch env BRAKWEN_SCRATCH_LIMIT=32
check "naming itself and the limit" \
    err_has "fichier 2 (« scratch.eps ») : espace de travail épuisé (limite 32 Mio)"
check "every source kept" only_files "$work/scratch" a.eps scratch.eps b.eps final.eps

place "$work/files" files
check "past its count of scratch files, a file fails the conversion" not job "$work/files" files
check "naming itself and the limit" err_has "fichier 2 (« files.eps ») : espace de travail épuisé"

# Without a private root its scratch files lie in a folder of the converter's: any one file past
# the limit ends it.
place "$work/alone" scratch 's/@THEN@/stop/'
check "namespaces refused: past its scratch limit, a file fails the conversion" \
    not job "$work/alone" scratch "$refuse" namespaces env BRAKWEN_SCRATCH_LIMIT=32
check "naming itself and the limit" err_has "scratch.eps ») : espace de travail épuisé (limite 32"

# While one file holds its scratch space full, another job in another folder converts.
sed 's/@THEN@/{ } loop/' "$hostile/scratch.eps" >"$scratch/full.eps"
mkfifo "$scratch/said"
BRAKWEN_SCRATCH_LIMIT=32 /bin/sh "$tool_dir/ps2pdf.bat" "$scratch/full.eps" "$scratch/full.pdf" \
    2>"$scratch/said" &
full=$!
exec 3<"$scratch/said"
check "a file fills its scratch space" said FULL
mkdir "$work/beside"
eps "$work/beside/a.eps" 0 0 200 100 AAA
eps "$work/beside/b.eps" 0 0 100 300 BBB
check "meanwhile another job converts" \
    "$cli" --pdf --delete-sources "$work/beside" a.eps b.eps 2>"$scratch/err"
check "its pages whole" has_sizes "$work/beside/final.pdf" "200x100 100x300"
kill "$full"
wait "$full"
exec 3<&-

# A file that overwrites the canary in the temporary folder and forges the file before it in the
# PDF the converter keeps there (a's, over a megabyte, in $TMPDIR; one file at a time, so that
# a's is checked before the hostile file runs) reaches neither, with either wall alone.
eps "$scratch/forged.eps" 0 0 200 100 FORGED
gs -q -dSAFER -dEPSCrop -sDEVICE=pdfwrite -o "$scratch/forged.pdf" "$scratch/forged.eps"
forged=$(od -A n -v -t x1 "$scratch/forged.pdf" | tr -d ' \n')
padding=$(yes '% a line of padding, so that the file is over a megabyte' | head -n 20000)
for refused in landlock namespaces; do
    printf 'CANARY\n' >"$TMPDIR/canary"
    place "$work/$refused" reach "s|@TMPDIR@|$TMPDIR|g; s|@FORGED@|$forged|"
    check "$refused refused: the conversion succeeds" \
        job "$work/$refused" reach "$refuse" "$refused" prlimit --nofile=34
    check "$refused refused: each file drawn on its own page" whole "$work/$refused"
    check "$refused refused: the file saw nothing of the canary" \
        text_is "$work/$refused/final.pdf" 2 ""
    check "$refused refused: nor changed it" test "$(cat "$TMPDIR/canary")" = CANARY
done
mkdir "$work/verbose"
eps "$work/verbose/a.eps" 0 0 100 100 V
check "landlock refused: said on --verbose" sh -c '"$@" 2>&1 | grep -q "pas Landlock"' - \
    "$refuse" landlock "$cli" --verbose --pdf "$work/verbose" a.eps
padding=
place "$work/both" reach "s|@TMPDIR@|$TMPDIR|g; s|@FORGED@||"
check "both refused: the conversion fails" not job "$work/both" reach "$refuse" both
check "saying the file cannot be confined" err_has "ne peut pas être confiné"
check "every source kept" only_files "$work/both" a.eps reach.eps b.eps final.eps
place "$work/entry" reach "s|@TMPDIR@|$TMPDIR|g; s|@FORGED@||"
check "Landlock refusing to confine, without namespaces: the conversion fails" \
    not job "$work/entry" reach "$refuse" entry
check "saying the file cannot be confined there" err_has "ne peut pas y être confiné"
check "every source kept" only_files "$work/entry" a.eps reach.eps b.eps final.eps

# GS_LIB names a folder the kernel lets Ghostscript read (fontconfig's cache, under Landlock
# alone): the secret in it stays out of the PDF.
HOME=$scratch/home
mkdir -p "$HOME/.cache/fontconfig"
printf 'SECRET\n' >"$HOME/.cache/fontconfig/secret"
place "$work/gslib" gs-lib "s|@GSLIB@|$HOME/.cache/fontconfig|"
check "GS_LIB set: the conversion succeeds" \
    job "$work/gslib" gs-lib "$refuse" namespaces env HOME="$HOME" GS_LIB="$HOME/.cache/fontconfig"
check "GS_LIB set: the secret is not on the page" text_is "$work/gslib/final.pdf" 2 ""

# A running file, found through this test's own processes: the converter's children are the
# watcher and the zygote, whose child the file's Ghostscript is.
cat "$work/verbose/a.eps" "$hostile/confined.eps" >"$scratch/confined.joined"
/bin/sh "$tool_dir/ps2pdf.bat" "$scratch/confined.joined" "$scratch/confined.pdf" 2>"$scratch/said" &
converter=$!
exec 3<"$scratch/said"
check "a file runs" said RUNNING
part=
for child in $(cat /proc/$converter/task/*/children); do
    for grandchild in $(cat /proc/$child/task/*/children 2>/dev/null); do
        [ "$(cat /proc/$grandchild/comm)" = brakwen-gs-part ] && part=$grandchild
    done
done
check "its Ghostscript is found" test -n "$part"
status=$(cat "/proc/$part/status")
for field in CapEff:0000000000000000 CapBnd:0000000000000000 CapPrm:0000000000000000 \
    Seccomp:2 NoNewPrivs:1; do
    check "its Ghostscript has $field" sh -c 'printf "%s\n" "$1" | tr -d "\t" | grep -q -x "$2"' \
        - "$status" "$field"
done
check "in a mount namespace of its own" \
    test "$(readlink "/proc/$part/ns/mnt")" != "$(readlink /proc/self/ns/mnt)"
kill "$converter"
wait "$converter"
exec 3<&-

finish
