#!/bin/sh
# The bash completion of brakwen-cli as a user meets it: an interactive bash on a terminal, with
# bash-completion loaded, where TAB completes and Enter runs the line; brakwen-cli is a function
# here that prints the arguments it got, one a line between < and >. Names must reach it whole,
# however many blanks, quotes or accents they hold, in folders that hold blanks too; and the
# shell globs as before once completion is done.
# Argument: the completion script.
set -u
completion=${1:?completion script expected}
completion=$(realpath "$completion")
bash_completion=/usr/share/bash-completion/bash_completion
[ -r "$bash_completion" ] || {
    echo "bash-completion is not installed" >&2
    exit 1
}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/Mes figures"
: >"$work/Mes figures/fig 1.eps"
: >"$work/Mes figures/l'été.eps"
: >"$work/Mes figures/notes.txt"
: >"$work/Mes figures/dollar\$x.eps"
cat >"$work/rc" <<RC
. $bash_completion
. '$completion'
brakwen-cli() { printf '<%s>\n' "\$@"; }
PS1='$ '
RC

# typed LINE...: what brakwen-cli got for each line typed (TAB as \t), as <argument> lines.
typed()
{
    for line; do
        printf '%s\n' "$line"
    done >"$work/keys"
    printf 'exit\n' >>"$work/keys"
    # A name inserted unquoted can leave a quote open: bash then waits for more, for ever.
    # The terminal is one a user has, whatever the caller's (none, or "dumb", in CI): on a dumb
    # one, readline shows the line otherwise.
    (cd "$work" && LC_ALL=C.UTF-8 TERM=xterm timeout 30 script -q -E never \
        -c "bash --rcfile '$work/rc' -i" /dev/null <"$work/keys") | tr -d '\r' | grep '^<'
}

expected=$(printf '%s\n' '<Mes figures/>' '<fig 1.eps>' \
    '<Mes figures>' '<fig 1.eps>' "<l'été.eps>" \
    '<-n>' '<x>' '<Mes figures>' '<fig 1.eps>' \
    '<Mes figures>' '<fig 1.eps>' '<Mes figures>' '<n>' \
    '<Mes figures>' '<Mes figures/fig 1.eps>' \
    '<Mes figures>' '<dollar$x.eps>' '<Mes figures>' '<dollar$x.eps>' \
    '<Mes figures>' '<Mes figures/dollar$x.eps>' '<fig 1.eps>' "<l'été.eps>")
got=$(typed "brakwen-cli Mes\\ fig	 fi	" "brakwen-cli \"Mes figures\" fig\\ 1.eps l	" \
    "brakwen-cli -n x 'Mes figures' f	" "brakwen-cli Mes\\ figures fig\\ 	" \
    "brakwen-cli Mes\\ figures n	" "brakwen-cli Mes\\ figures Mes\\ figures/f	" \
    "brakwen-cli Mes\\ figures do	" "brakwen-cli 'Mes figures' \"do	" \
    "brakwen-cli Mes\\ figures Mes\\ figures/do	" "cd Mes\\ figures && brakwen-cli [fl]*.eps")
if [ "$got" = "$expected" ]; then
    echo "ok   names completed in a folder with a blank arrive whole, \$ included, EPS files only; globs expand after"
    exit 0
fi
printf 'FAIL expected:\n%s\ngot:\n%s\n' "$expected" "$got"
exit 1
