#!/bin/sh
# EPS files written by real programs (made by make.sh, listed in manifest.tsv), converted in one
# job as a user would: each page at its file's own box, drawn as Ghostscript draws the file alone;
# the sources go only with a whole PDF. Arguments: the tool folder, brakwen-cli.
. "$(dirname "$0")/../converter/lib.sh"
cli=${2:?brakwen-cli expected}
corpus=$(cd "$(dirname "$0")" && pwd)
command -v compare >/dev/null || {
    echo "ImageMagick's compare is missing: run scripts/setup-debian.sh" >&2
    exit 1
}
# Low enough to be quick, fine enough that a drawing off its place by a few points shows.
dpi=72

# file producer package box pages reference, one file a line, in the job's order.
sed 1d "$corpus/manifest.tsv" >"$scratch/manifest"
names=$(cut -f 1 "$scratch/manifest")
mkdir "$work/all"
for name in $names; do cp "$corpus/files/$name" "$work/all/"; done

# render OUT INPUT [OPTIONS]: INPUT's pages as grey PGM files OUT-1.pgm, OUT-2.pgm... (OPTIONS
# may end with -f, which INPUT follows).
render()
{
    out=$1 input=$2
    shift 2
    gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=pgmraw -r$dpi -sOutputFile="$out-%d.pgm" "$@" \
        "$input" >/dev/null 2>&1
}

# same_size SIZE BOX: the page size pdfinfo gives ("W x H") is the box's, to its hundredth.
same_size()
{
    awk -v size="$1" -v box="$2" 'BEGIN {
        split(size, s, " x "); split(box, b, " ")
        exit !((s[1] - (b[3] - b[1])) ^ 2 < 1e-4 && (s[2] - (b[4] - b[2])) ^ 2 < 1e-4)
    }' || {
        printf '     page size %s, box %s\n' "$1" "$2" >&2
        return 1
    }
}

# looks_alike PAGE REFERENCE: both pictures have the same size to a pixel, and hardly any pixel
# differs (anti-aliasing aside, a misplaced or missing drawing changes many).
looks_alike()
{
    size=$(identify -format '%w %h' "$1") reference_size=$(identify -format '%w %h' "$2")
    common=$(echo "$size $reference_size" | awk '{
        if (($1 - $3) ^ 2 > 1 || ($2 - $4) ^ 2 > 1) exit 1
        printf "%dx%d+0+0", ($1 < $3 ? $1 : $3), ($2 < $4 ? $2 : $4) }') || {
        printf '     rendered %s, Ghostscript alone %s\n' "$size" "$reference_size" >&2
        return 1
    }
    differing=$(compare -metric AE -fuzz 25% "$1[$common]" "$2[$common]" null: 2>&1)
    total=$(echo "$common" | awk -F '[x+]' '{ print $1 * $2 }')
    awk -v d="$differing" -v t="$total" 'BEGIN { exit !(d ~ /^[0-9]+$/ && d <= t * 0.02) }' || {
        printf '     %s of %s pixels differ\n' "$differing" "$total" >&2
        return 1
    }
}

# The whole corpus in one job, the sources going once the PDF is whole.
# shellcheck disable=SC2086
check "the corpus converts in one job" "$cli" --pdf --delete-sources "$work/all" $names
check "the sources go once the PDF is whole" only_files "$work/all" final.pdf
sizes "$work/all/final.pdf" | sed 's/x/ x /' >"$scratch/sizes"
render "$scratch/page" "$work/all/final.pdf"

page=0
while IFS="$(printf '\t')" read -r name producer package box pages reference <&3; do
    rm -f "$scratch"/alone-*.pgm
    if [ "$reference" = crop ]; then
        render "$scratch/alone" "$corpus/files/$name" -dEPSCrop
    else
        # On a page of the box, the box's corner at the page's, on every page.
        # shellcheck disable=SC2086
        set -- $box
        render "$scratch/alone" "$corpus/files/$name" -dFIXEDMEDIA \
            -dDEVICEWIDTHPOINTS="$(awk "BEGIN { print $3 - $1 }")" \
            -dDEVICEHEIGHTPOINTS="$(awk "BEGIN { print $4 - $2 }")" \
            -c "<< /BeginPage { pop $1 neg $2 neg translate } >> setpagedevice" -f
    fi
    for n in $(seq "$pages"); do
        page=$((page + 1))
        check "$name ($producer, $package): page $n at its box $box" \
            same_size "$(sed -n "${page}p" "$scratch/sizes")" "$box"
        check "$name: page $n drawn as Ghostscript draws the file alone" \
            looks_alike "$scratch/page-$page.pgm" "$scratch/alone-$n.pgm"
    done
done 3<"$scratch/manifest"
check "no page more than the files have" test "$(wc -l <"$scratch/sizes")" -eq "$page"

# Joined into an EPS, a DOS EPS gives its PostScript section alone: the result is PostScript.
mkdir "$work/eps"
for name in epstool-tiff.eps gnuplot.eps epstool-fig2dev.eps; do cp "$corpus/files/$name" "$work/eps/"; done
check "DOS EPS files join into an EPS" "$cli" "$work/eps" epstool-tiff.eps gnuplot.eps epstool-fig2dev.eps
check "which Ghostscript runs to its end" \
    gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=nullpage "$work/eps/final.eps"

# A file cut short fails the job, which keeps every source and the EPS.
mkdir "$work/cut"
for name in $names; do cp "$corpus/files/$name" "$work/cut/"; done
head -c 12000 "$corpus/files/gnuplot.eps" >"$work/cut/cut.eps"
# shellcheck disable=SC2086
check "a file cut short fails the job" \
    not "$cli" --pdf --delete-sources "$work/cut" $names cut.eps 2>"$scratch/err"
check "naming it" err_has "« cut.eps »"
# shellcheck disable=SC2086
check "every source and the EPS stay, no PDF is left" only_files "$work/cut" $names cut.eps final.eps

finish
