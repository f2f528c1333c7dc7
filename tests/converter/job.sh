#!/bin/sh
# The conversion as the job runs it, through brakwen-cli and the real Ghostscript: the job tells
# the converter where each file starts, so content never moves a page boundary; sources go only
# when the PDF is whole; a stopped or killed run leaves nothing but what was there and the new
# EPS. Arguments: the tool folder, brakwen-cli, the fault-injection shim.
. "$(dirname "$0")/lib.sh"
cli=${2:?brakwen-cli expected}
shim=${3:?fault shim expected}
reaper=${4:?reaper expected}
# A private temporary folder, to see that nothing stays in it.
mkdir "$scratch/tmp"
TMPDIR=$scratch/tmp
export TMPDIR

# convert FOLDER FILE...: brakwen-cli --pdf --delete-sources on FILE... of FOLDER.
convert()
{
    folder=$1
    shift
    "$cli" --pdf --delete-sources "$folder" "$@" 2>"$scratch/err"
}

# Files that guessing from the content used to cut wrongly: a plain "%!PS" document, a header
# line inside a string, and one after a carriage return in the middle of other data.
mkdir "$work/bounds"
eps "$work/bounds/one.eps" 0 0 200 100 ONE
printf '%s\n' '%!PS' '/Helvetica findfont 10 scalefont setfont 72 72 moveto (PLAIN) show showpage' \
    >"$work/bounds/plain.eps"
eps "$work/bounds/string.eps" 0 0 150 150 STRING body='(
%!PS-Adobe-3.0 EPSF-3.0 inside a string) pop'
eps "$work/bounds/cr.eps" 0 0 120 120 CR body="($(printf 'abc\r%%!PS-Adobe-3.0 after a carriage return')) pop"
check "files whose content looks like several files convert" \
    convert "$work/bounds" one.eps plain.eps string.eps cr.eps
check "one page each, in order" has_sizes "$work/bounds/final.pdf" "200x100 $(sizes "$work/bounds/final.pdf" | sed -n 2p) 150x150 120x120"
check "the plain document has a page of its own" text_is "$work/bounds/final.pdf" 2 PLAIN
check "the string's header starts no page" text_is "$work/bounds/final.pdf" 3 STRING
check "nor the carriage return's" text_is "$work/bounds/final.pdf" 4 CR
check "the sources are gone, the PDF stays" only_files "$work/bounds" final.pdf

# A DOS EPS whose header claims more bytes than its file has would swallow the next file.
mkdir "$work/dos"
eps "$work/dos/next.eps" 0 0 100 100 NEXT
eps "$scratch/ps" 0 0 50 50 DOS
{
    printf '\305\320\323\306\036\000\000\000'
    printf '\377\377\000\000' # a PostScript length far past the file's end
    printf '\000\000\000\000\000\000\000\000\000\000\000\000\000\000\000\000\377\377'
    cat "$scratch/ps"
} >"$work/dos/dos.eps"
check "a DOS header reaching into the next file fails the conversion" \
    not convert "$work/dos" dos.eps next.eps
check "saying which file" err_has "« dos.eps »"
check "and keeps every source and the EPS" only_files "$work/dos" dos.eps next.eps final.eps

# A converter that says it succeeded but leaves a PDF cut a few bytes short, as a full disk would:
# the job reads the PDF whole before it deletes anything.
mkdir "$work/full" "$scratch/cut"
cp "$cli" "$tool_dir/pdfwrite.rsp" "$tool_dir/brakwen-ps2pdf" "$scratch/cut/"
cat >"$scratch/cut/ps2pdf.bat" <<'SCRIPT'
#!/bin/sh
"${0%/*}/brakwen-ps2pdf" "${0%/*}/pdfwrite.rsp" "$@" || exit
size=$(wc -c <"$2")
head -c $((size - 12)) "$2" >"$2.cut" && mv "$2.cut" "$2"
SCRIPT
for n in 1 2 3 4 5 6; do eps "$work/full/f$n.eps" 0 0 300 300 "FULL$n"; done
printf 'older PDF\n' >"$work/full/final.pdf"
check "with the sources going, an older PDF is not replaced unasked" \
    not "$scratch/cut/brakwen-cli" --pdf --delete-sources "$work/full" f1.eps 2>"$scratch/err"
check "saying how to replace it" err_has "--force"
check "nothing was touched" only_files "$work/full" f1.eps f2.eps f3.eps f4.eps f5.eps f6.eps final.pdf
check "a PDF cut short by a full disk fails the job" \
    not "$scratch/cut/brakwen-cli" --pdf --delete-sources --force "$work/full" \
    f1.eps f2.eps f3.eps f4.eps f5.eps f6.eps 2>"$scratch/err"
check "with the conversion's message" err_has "Echec de la conversion."
check "keeping the sources and the EPS" \
    only_files "$work/full" f1.eps f2.eps f3.eps f4.eps f5.eps f6.eps final.eps

# Stopped while Ghostscript runs a file that never ends: the converter and Ghostscript go,
# every temporary file with them; the sources and the older PDF stay. The file says when
# Ghostscript runs it, so past its confinement: with --verbose, on the job's stderr.
printf '%s\n' '%!PS-Adobe-3.0 EPSF-3.0' '%%BoundingBox: 0 0 10 10' '(LOOPING\n) print flush { } loop' \
    >"$scratch/loop.eps"

# start_job COMMAND...: runs COMMAND in the background under the reaper, which ends once all the
# command started has ended; the job's stderr is a FIFO this script holds on descriptor 8.
# $run is the reaper, $scratch/pid holds the command's pid.
start_job()
{
    rm -f "$scratch/said" "$scratch/pid"
    mkfifo "$scratch/said"
    "$reaper" "$scratch/pid" "$@" 2>"$scratch/said" &
    run=$!
    exec 8<"$scratch/said"
}

# said TEXT: waits until the job says a line holding TEXT; false when it ends first.
said()
{
    while IFS= read -r line <&8; do
        case $line in *"$1"*) return 0 ;; esac
    done
    return 1
}

# end_job: waits until all of the job has ended, its last words in $scratch/err; the job's
# status is then $?.
end_job()
{
    cat <&8 >"$scratch/err"
    exec 8<&-
    wait "$run"
}

# parts_of PID: the Ghostscript parts among the descendants of PID.
parts_of()
{
    ps -e -o pid=,ppid=,comm= | awk -v root="$1" '
        { parent[$1] = $2; name[$1] = $3 }
        END {
            for (pid in parent) {
                if (name[pid] != "brakwen-gs-part")
                    continue
                for (up = parent[pid]; up != "" && up != 0; up = parent[up])
                    if (up == root) {
                        print pid
                        break
                    }
            }
        }'
}

# no_leftovers FOLDER: nothing the run made stays, in FOLDER or in the temporary folder.
no_leftovers()
{
    only_files "$scratch/tmp" && [ -z "$(find "$1" -name '.ps2pdf-*' -o -name '.brakwen-*')" ]
}

for signal in TERM:15 INT:2 HUP:1; do
    number=${signal#*:}
    signal=${signal%:*}
    folder=$work/stop-$signal
    mkdir "$folder"
    eps "$folder/a.eps" 0 0 100 100 A
    cp "$scratch/loop.eps" "$folder/loop.eps"
    printf 'older PDF\n' >"$folder/final.pdf"
    # A script's background job ignores SIGINT, as brakwen-cli then does: undo that here.
    start_job env --default-signal=INT "$cli" --verbose --pdf --delete-sources --force "$folder" \
        a.eps loop.eps
    check "SIG$signal: the conversion is under way" said LOOPING
    kill -s "$signal" "$(cat "$scratch/pid")"
    end_job
    status=$?
    check "SIG$signal: brakwen-cli ends by that signal" \
        test "$status" -eq $((128 + number))
    check "SIG$signal: the converter and Ghostscript leave nothing behind" no_leftovers "$folder"
    check "SIG$signal: the sources and the older PDF stay" \
        only_files "$folder" a.eps loop.eps final.eps final.pdf
    check "SIG$signal: the older PDF as it was" test "$(cat "$folder/final.pdf")" = "older PDF"
done

# Killed outright, with its whole process group: the converter and Ghostscript do not outlive it
# and a watcher removes what they made.
folder=$work/killed
mkdir "$folder"
cp "$scratch/loop.eps" "$folder/loop.eps"
start_job setsid "$cli" --verbose --pdf "$folder" loop.eps
check "kill -9: the conversion is under way" said LOOPING
kill -s KILL -- "-$(cat "$scratch/pid")"
end_job
check "kill -9: nothing of the run stays" no_leftovers "$folder"
check "kill -9: the source stays" only_files "$folder" loop.eps final.eps

# Two jobs into one folder: the second is refused at once, touching nothing, while the first
# converts.
folder=$work/race
mkdir "$folder"
eps "$folder/a.eps" 0 0 100 100 A
cp "$scratch/loop.eps" "$folder/loop.eps"
start_job "$cli" --verbose --pdf --delete-sources "$folder" a.eps loop.eps
check "race: the first job converts" said LOOPING
# Each file's Ghostscript runs shut in: no privilege to gain, its files confined. Its parts are
# found among the job's own processes; one that ended since the listing is passed over, the
# looping one stays.
confined()
{
    seen=0
    for part in $(parts_of "$run"); do
        status=$(cat "/proc/$part/status" 2>/dev/null) || continue
        printf '%s\n' "$status" | grep -q '^NoNewPrivs:[[:space:]]*1' || return 1
        seen=1
    done
    [ "$seen" = 1 ]
}
check "race: the looping file's Ghostscript runs confined" confined
check "race: a second job into the folder is refused" \
    not "$cli" --pdf --delete-sources "$folder" a.eps 2>"$scratch/err"
check "race: saying another job writes there" err_has "Un autre assemblage"
kill -s TERM "$(cat "$scratch/pid")"
end_job

# With its time limit past, the looping file fails the conversion, naming the file and the
# limit; the reaper's end is the end of all the job started.
"$reaper" "$scratch/pid" "$cli" --pdf --delete-sources --timeout 2 "$folder" loop.eps \
    2>"$scratch/err"
check "time limit: the looping file fails the conversion" test "$?" -eq 1
check "time limit: naming the file and the limit" grep -q "loop.eps.*2 secondes" "$scratch/err"
check "time limit: every source kept, nothing of the run left" \
    only_files "$folder" a.eps loop.eps final.eps
check "time limit: nor in the temporary folder" no_leftovers "$folder"

# On a terminal, brakwen-cli says how far the conversion is; in a file or a pipe, it says nothing.
mkdir "$work/progress"
eps "$work/progress/a.eps" 0 0 100 100 A
eps "$work/progress/b.eps" 0 0 100 100 B
check "on a terminal, the conversion's progress is shown" sh -c \
    'script -qec "\"$1\" --pdf \"$2\" a.eps b.eps" /dev/null | tr "\r" "\n" | grep -q "^Conversion : 2 / 2"' \
    - "$cli" "$work/progress"
check "elsewhere, not" sh -c '"$1" --pdf --name other "$2" a.eps b.eps 2>&1 | grep -c Conversion | grep -q "^0$"' \
    - "$cli" "$work/progress"

# A folder deeper than a path can name: the job walks to it and the converter is handed it open.
deep=$work/deep
mkdir "$deep"
names=
while [ ${#names} -lt 4200 ]; do
    names="$names/un-dossier-au-nom-assez-long-pour-depasser-vite-les-limites-du-systeme"
done
(
    cd "$deep" || exit 1
    for name in $(echo "$names" | tr '/' ' '); do
        mkdir "$name" && cd -P "$name" || exit 1
    done
    eps a.eps 0 0 100 100 DEEPA && eps b.eps 0 0 50 50 DEEPB
) || echo "could not build the deep folder" >&2
check "a name given with that folder is one of its files" \
    "$cli" --name both "$deep$names" "$deep$names/a.eps" b.eps 2>"$scratch/err"
check "a folder deeper than PATH_MAX assembles and converts" \
    "$cli" --pdf --delete-sources "$deep$names" a.eps b.eps 2>"$scratch/err"
(
    cd "$deep" || exit 1
    for name in $(echo "$names" | tr '/' ' '); do cd -P "$name" || exit 1; done
    cp final.pdf "$scratch/deep.pdf" && ls -A >"$scratch/deep.list"
)
check "its PDF has both pages" has_sizes "$scratch/deep.pdf" "100x100 50x50"
check "and only the results stay there" \
    test "$(sort "$scratch/deep.list" | tr '\n' ' ')" = "both.eps final.pdf "

# Without a parts list (no memory files, no unnamed files), the converter would have to guess
# where each file starts: with the sources to be deleted, it is not run at all.
mkdir "$work/noparts"
eps "$work/noparts/a.eps" 0 0 100 100 A
eps "$work/noparts/b.eps" 0 0 100 100 B
check "without a parts list, a job deleting its sources does not convert" \
    not env LD_PRELOAD="$shim" ASAN_OPTIONS="${ASAN_OPTIONS:-}:verify_asan_link_order=0" \
    BRAKWEN_FAULT_NO_MEMFD=1 BRAKWEN_FAULT_NO_TMPFILE=1 \
    "$cli" --pdf --delete-sources "$work/noparts" a.eps b.eps 2>"$scratch/err"
check "saying why" err_has "découpage"
check "keeping the sources" only_files "$work/noparts" a.eps b.eps final.eps
check "one keeping them may guess" \
    env LD_PRELOAD="$shim" ASAN_OPTIONS="${ASAN_OPTIONS:-}:verify_asan_link_order=0" \
    BRAKWEN_FAULT_NO_MEMFD=1 BRAKWEN_FAULT_NO_TMPFILE=1 \
    "$cli" --pdf "$work/noparts" a.eps b.eps 2>"$scratch/err"

# A descriptor limit far below the number of files: nothing is held per file.
mkdir "$work/fewfds"
for n in $(seq 150); do eps "$work/fewfds/f$n.eps" 0 0 60 60 "F$n"; done
check "150 files convert with 32 descriptors" \
    prlimit --nofile=32 "$cli" --pdf "$work/fewfds" $(cd "$work/fewfds" && ls) 2>"$scratch/err"
check "one page each" test "$(pdfinfo "$work/fewfds/final.pdf" | sed -n 's/^Pages: *//p')" = 150

# Stopped while copying, where the file system cannot make unnamed files: the hidden temporary
# result goes too.
folder=$work/copying
mkdir "$folder"
head -c 3000000 /dev/zero >"$folder/big.eps"
printf 'older EPS\n' >"$folder/final.eps"
start_job env LD_PRELOAD="$shim" ASAN_OPTIONS="${ASAN_OPTIONS:-}:verify_asan_link_order=0" \
    BRAKWEN_FAULT_NO_TMPFILE=1 BRAKWEN_FAULT_HOLD_AFTER=1 "$cli" "$folder" big.eps
check "while copying: the hidden temporary result is being written" \
    eval 'said held && test -n "$(find "$folder" -name ".brakwen-*")"'
kill -s TERM "$(cat "$scratch/pid")"
end_job
check "while copying: SIGTERM ends brakwen-cli" test "$?" -eq 143
check "while copying: the temporary result is gone, the older result stays" \
    only_files "$folder" big.eps final.eps
check "while copying: the older result as it was" test "$(cat "$folder/final.eps")" = "older EPS"

# Killed outright while copying there: the hidden temporary stays until the next job in the
# folder, which knows it for left over since nobody holds it any more.
env LD_PRELOAD="$shim" ASAN_OPTIONS="${ASAN_OPTIONS:-}:verify_asan_link_order=0" \
    BRAKWEN_FAULT_NO_TMPFILE=1 BRAKWEN_FAULT_KILL_AFTER=1000000 "$cli" "$folder" big.eps 2>/dev/null
check "killed while copying: its hidden temporary stays for now" \
    test -n "$(find "$folder" -name '.brakwen-*')"
eps "$folder/small.eps" 0 0 10 10 S
check "the next job in the folder succeeds" "$cli" --name other "$folder" small.eps 2>"$scratch/err"
check "and removes what the killed job left" only_files "$folder" big.eps final.eps other.eps small.eps

finish
