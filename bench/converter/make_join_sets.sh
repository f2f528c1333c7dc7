#!/bin/sh
# The benchmark sets of the part joiner, each file line art with a label in Helvetica:
#   sh bench/converter/make_join_sets.sh FOLDER [SETS]
# SETS among small (2,000 EPS of 4 KB), medium (200 of 40 KB) and images (200 of 5 MB, most of it
# an RGB image of random bytes, which no filter can shrink); default: all three, each in a
# folder of that name under FOLDER.
set -eu
LC_ALL=C
export LC_ALL
[ $# -ge 1 ] || {
    echo "usage: $0 FOLDER [small] [medium] [images]" >&2
    exit 2
}
root=$1
shift
[ $# -gt 0 ] || set -- small medium images

# line_art FILE INDEX BYTES WIDTH HEIGHT: about BYTES of strokes, the label last.
line_art()
{
    awk -v index_="$2" -v bytes="$3" -v w="$4" -v h="$5" 'BEGIN {
        srand(index_ + 1)
        printf "/m { moveto } bind def /l { lineto } bind def /s { stroke } bind def\n"
        for (written = 0; written < bytes;) {
            line = sprintf("%d %d m %d %d l s\n", rand() * w, rand() * h, rand() * w, rand() * h)
            printf "%s", line
            written += length(line)
        }
        printf "/Helvetica findfont 12 scalefont setfont 10 10 moveto (Figure %d) show\n", index_
    }' >>"$1"
}

header()
{
    printf '%%!PS-Adobe-3.0 EPSF-3.0\n%%%%BoundingBox: 0 0 %d %d\n%%%%EndComments\n' "$2" "$3" >"$1"
}

make_lines()
{
    folder=$1 count=$2 bytes=$3
    mkdir -p "$folder"
    i=0
    while [ "$i" -lt "$count" ]; do
        file=$(printf '%s/f%05d.eps' "$folder" "$i")
        w=$((200 + i % 97)) h=$((200 + i % 89))
        header "$file" "$w" "$h"
        line_art "$file" "$i" "$bytes" "$w" "$h"
        printf 'showpage\n%%%%EOF\n' >>"$file"
        i=$((i + 1))
    done
}

make_images()
{
    folder=$1 count=$2
    mkdir -p "$folder"
    side=912 # 912 x 912 RGB: 2.5 MB of samples, 5 MB written in hexadecimal
    i=0
    while [ "$i" -lt "$count" ]; do
        file=$(printf '%s/f%05d.eps' "$folder" "$i")
        header "$file" 400 400
        {
            printf 'gsave 400 400 scale /DeviceRGB setcolorspace\n'
            printf '<< /ImageType 1 /Width %d /Height %d /BitsPerComponent 8 /Decode [0 1 0 1 0 1]\n' "$side" "$side"
            printf '   /ImageMatrix [%d 0 0 -%d 0 %d] /DataSource currentfile /ASCIIHexDecode filter >> image\n' "$side" "$side" "$side"
            head -c $((side * side * 3)) /dev/urandom | xxd -p -c 64
            printf '>\ngrestore\n'
        } >>"$file"
        line_art "$file" "$i" 2000 400 400
        printf 'showpage\n%%%%EOF\n' >>"$file"
        i=$((i + 1))
    done
}

for set in "$@"; do
    case $set in
    small) make_lines "$root/small" 2000 3900 ;;
    medium) make_lines "$root/medium" 200 40000 ;;
    images) make_images "$root/images" 200 ;;
    *)
        echo "unknown set: $set" >&2
        exit 2
        ;;
    esac
done
