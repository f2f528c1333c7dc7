# Helpers shared by the converter tests: EPS files made on the fly, a run of the converter and
# checks on the PDF through poppler's tools. Sourced by each test script with "$1" = tool folder.
set -u
LC_ALL=C
export LC_ALL

tool_dir=${1:?tool folder expected}
for tool in gs qpdf pdfinfo pdftotext pdftoppm; do
    command -v "$tool" >/dev/null || {
        echo "$tool is missing: run scripts/setup-debian.sh" >&2
        exit 1
    }
done
failures=0
checks=0
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
# The unprivileged cases read the scratch tree as another user. Test files go to $work, the
# helpers' own files stay beside it.
chmod 755 "$scratch"
work=$scratch/work
mkdir "$work"
chmod 755 "$work"

# check DESCRIPTION COMMAND...: counts and reports one expectation.
check()
{
    description=$1
    shift
    checks=$((checks + 1))
    if "$@"; then
        printf 'ok   %s\n' "$description"
    else
        printf 'FAIL %s\n' "$description"
        failures=$((failures + 1))
    fi
}

not()
{
    ! "$@"
}

finish()
{
    printf '%d passed, %d failed\n' "$((checks - failures))" "$failures"
    [ "$failures" -eq 0 ]
}

# eps FILE LLX LLY URX URY MARK [OPTIONS]: an EPS whose box is marked by two small black squares
# in its lower-left and upper-right corners and whose text is MARK. OPTIONS: noshowpage, atend
# (the box given in the trailer), eol=cr|crlf, noeol (no line end after %%EOF), body=CODE.
eps()
{
    file=$1 llx=$2 lly=$3 urx=$4 ury=$5 mark=$6
    shift 6
    showpage=showpage box="$llx $lly $urx $ury" header_box= trailer_box= eol=lf final=yes body=
    header_box=$box
    for option in "$@"; do
        case $option in
        noshowpage) showpage= ;;
        atend) header_box='(atend)' trailer_box=$box ;;
        eol=*) eol=${option#eol=} ;;
        noeol) final=no ;;
        body=*) body=${option#body=} ;;
        esac
    done
    {
        printf '%s\n' '%!PS-Adobe-3.0 EPSF-3.0' "%%BoundingBox: $header_box" '%%EndComments'
        printf '0 setgray %s %s 6 6 rectfill %s %s 6 6 rectfill\n' \
            "$((llx + 2))" "$((lly + 2))" "$((urx - 8))" "$((ury - 8))"
        printf '/Helvetica findfont 10 scalefont setfont %s %s moveto (%s) show\n' \
            "$((llx + 12))" "$((lly + 12))" "$mark"
        [ -z "$body" ] || printf '%s\n' "$body"
        [ -z "$showpage" ] || printf 'showpage\n'
        printf '%s\n' '%%Trailer'
        [ -z "$trailer_box" ] || printf '%s\n' "%%BoundingBox: $trailer_box"
        if [ "$final" = yes ]; then printf '%s\n' '%%EOF'; else printf '%s' '%%EOF'; fi
    } >"$file.lf"
    case $eol in
    cr) tr '\n' '\r' <"$file.lf" >"$file" ;;
    crlf) sed 's/$/\r/' "$file.lf" >"$file" ;;
    *) cat "$file.lf" >"$file" ;;
    esac
    rm -f "$file.lf"
}

# to_pdf EPS PDF: runs the converter the way the program does; its stderr goes to $scratch/err.
to_pdf()
{
    /bin/sh "$tool_dir/ps2pdf.bat" "$1" "$2" 2>"$scratch/err"
}

# sizes PDF: the page sizes, one "WxH" a line, in page order.
sizes()
{
    pages=$(pdfinfo "$1" 2>/dev/null | sed -n 's/^Pages: *//p')
    [ -n "$pages" ] || return 0
    pdfinfo -f 1 -l "$pages" "$1" | sed -n 's/^Page *[0-9]* size: *\([0-9.]*\) x \([0-9.]*\) pts.*/\1x\2/p'
}

# has_sizes PDF "WxH WxH ...": the PDF has exactly these pages, at these sizes.
has_sizes()
{
    actual=$(sizes "$1" | tr '\n' ' ')
    [ "$actual" = "$2 " ] || {
        printf '     pages: %s expected: %s\n' "$actual" "$2" >&2
        return 1
    }
}

# text_is PDF PAGE TEXT: the page's only text is TEXT, so nothing of another file ran into it.
text_is()
{
    actual=$(pdftotext -f "$2" -l "$2" "$1" - | tr -d ' \n\f')
    [ "$actual" = "$3" ] || {
        printf '     page %s text: %s expected: %s\n' "$2" "$actual" "$3" >&2
        return 1
    }
}

# pixel PDF PAGE X Y: the grey level (0 black .. 255 white) at X,Y points from the page's
# lower-left corner, rendered at 72 dpi.
pixel()
{
    height=$(sizes "$1" | sed -n "${2}p" | sed 's/.*x//')
    row=$(awk -v h="$height" -v y="$4" 'BEGIN { printf "%d", h - y - 1 }')
    pdftoppm -f "$2" -l "$2" -r 72 -gray -x "$3" -y "$row" -W 1 -H 1 -singlefile "$1" \
        "$scratch/pixel" || return 1
    tail -c 1 "$scratch/pixel.pgm" | od -A n -t u1 | tr -d ' '
}

# corners_marked PDF PAGE WIDTH HEIGHT: both corner squares of the file's box are on the page,
# so the page is placed on its own box, not shifted.
corners_marked()
{
    low=$(pixel "$1" "$2" 4 4) high=$(pixel "$1" "$2" "$(($3 - 5))" "$(($4 - 5))")
    [ "${low:-255}" -lt 128 ] && [ "${high:-255}" -lt 128 ] || {
        printf '     page %s corners: %s %s\n' "$2" "$low" "$high" >&2
        return 1
    }
}

# only_files DIR NAME...: DIR holds exactly these names (hidden ones included).
only_files()
{
    dir=$1
    shift
    actual=$(cd "$dir" && ls -A | sort | tr '\n' '/')
    expected=
    [ "$#" -eq 0 ] || expected=$(printf '%s\n' "$@" | sort | tr '\n' '/')
    [ "$actual" = "$expected" ] || {
        printf '     folder holds: %s expected: %s\n' "$actual" "$expected" >&2
        return 1
    }
}

# err_has TEXT: the last conversion said TEXT on stderr.
err_has()
{
    grep -q -F -- "$1" "$scratch/err" || {
        printf '     stderr: %s\n' "$(cat "$scratch/err")" >&2
        return 1
    }
}
