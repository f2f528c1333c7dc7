#!/bin/sh
# The PDF shows what it joined: one bookmark per source, in order, titled after the file's name
# and pointing to its first page; the document's title and creator. Read back with qpdf.
# Arguments: the tool folder, then the brakwen-cli executable.
. "$(dirname "$0")/lib.sh"
cli=${2:?brakwen-cli expected}

# outline PDF: "page title" a line for each bookmark, in order, titles as qpdf's JSON writes them.
outline()
{
    qpdf --json --json-key=outlines "$1" |
        sed -n -e 's/^ *"destpageposfrom1": \([0-9]*\),$/\1/p' -e 's/^ *"title": "\(.*\)"$/\1/p' |
        paste -d ' ' - -
}

# outline_is PDF EXPECTED: the bookmarks are exactly those.
outline_is()
{
    actual=$(outline "$1")
    [ "$actual" = "$2" ] || {
        printf '     outline:\n%s\n     expected:\n%s\n' "$actual" "$2" >&2
        return 1
    }
}

info_has()
{
    pdfinfo "$1" | grep -q -x -- "$2" || {
        pdfinfo "$1" >&2
        return 1
    }
}

folder=$work/livre
mkdir "$folder"
eps "$folder/plan.eps" 0 0 200 100 PLAN
eps "$folder/écrit à Noël.eps" 0 0 100 100 NOEL
eps "$folder/odd (1) \\ back.eps" 0 0 100 100 ODD
eps "$folder/$(printf 'bad\377\376name.eps')" 0 0 100 100 BAD
printf '%s\n' '%!PS-Adobe-3.0' '%%Pages: 2' '/Helvetica findfont 10 scalefont setfont' \
    '72 72 moveto (M1) show showpage 72 72 moveto (M2) show showpage' >"$folder/multi.eps"
eps "$folder/日本語.eps" 0 0 100 100 JAPAN
check "sources of every kind of name convert" \
    "$cli" --pdf --name livre "$folder" plan.eps "écrit à Noël.eps" "odd (1) \\ back.eps" \
    "$(printf 'bad\377\376name.eps')" multi.eps 日本語.eps 2>"$scratch/err"
check "one bookmark per source, in order, to its first page" outline_is "$folder/livre.pdf" "1 plan
2 écrit à Noël
3 odd (1) \\\\ back
4 bad$(printf '\357\277\275\357\277\275')name
5 multi
7 日本語"
check "the document is titled after the base name" info_has "$folder/livre.pdf" "Title: *livre"
check "and made by Brakwen" info_has "$folder/livre.pdf" "Creator: *Brakwen 1.2.0"
check "on a date" sh -c 'pdfinfo "$1" | grep -q "^CreationDate: *[A-Z]"' - "$folder/livre.pdf"

# Without a base name the title is the file's name.
check "an empty base name converts" "$cli" --pdf --name "" "$folder" plan.eps 2>"$scratch/err"
check "titled after the file's name" info_has "$folder/.pdf" "Title: *.pdf"

# Run by hand, the converter knows no names.
eps "$work/a.eps" 0 0 200 100 AAA
cat "$work/a.eps" "$folder/multi.eps" "$work/a.eps" >"$work/joined.eps"
check "by hand, a joined file converts" to_pdf "$work/joined.eps" "$work/joined.pdf"
check "its bookmarks are numbered parts" outline_is "$work/joined.pdf" "1 Partie 1
2 Partie 2
4 Partie 3"
check "its title is the PDF's name" info_has "$work/joined.pdf" "Title: *joined"

finish
