#!/bin/sh
# Makes the corpus: EPS files written by real programs, each the way its users get them, with
# manifest.tsv (file, producer, Debian package and version, box, pages, how Ghostscript draws
# it alone for comparison). Run once, by hand, on a
# Debian 12 machine with the producers installed; the files and the manifest are committed, and
# the test needs none of the producers:
#   apt-get install --no-install-recommends gnuplot-nox python3-matplotlib python3-cairo \
#       librsvg2-bin poppler-utils graphviz imagemagick groff ps2eps fig2dev pstoedit potrace \
#       qrencode barcode plotutils mscgen grace ploticus texlive-base texlive-metapost \
#       r-base-core epstool psutils ghostscript python3-reportlab
#   sh tests/corpus/make.sh
# The box is the one the file's own comments give: its header's, or, when that says (atend),
# the last one its maker wrote.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
out=$here/files
manifest=$here/manifest.tsv
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Dates and names that do not change from one run to the next, where the producer allows it.
SOURCE_DATE_EPOCH=1700000000 LC_ALL=C.UTF-8 TZ=UTC
export SOURCE_DATE_EPOCH LC_ALL TZ
python=/usr/bin/python3
rm -rf "$out"
mkdir "$out"
printf 'file\tproducer\tpackage\tbox\tpages\treference\n' >"$manifest"
cd "$work"

version()
{
    dpkg-query -W -f '${Package} ${Version}' "$1"
}

# box FILE: the box its comments give.
box()
{
    LC_ALL=C awk '
        /^%%BoundingBox:/ {
            sub(/^%%BoundingBox:[ \t]*/, ""); sub(/[ \t\r]*$/, "")
            if (first == "") first = $0
            if ($0 != "(atend)") last = $0
        }
        END { print (first == "(atend)" ? last : first) }' "$1"
}

# reference FILE PAGES: how the test has Ghostscript draw the file alone: "crop" with -dEPSCrop;
# "place" on a page of the box, the box's corner at the page's, every page. Ghostscript crops to
# the %%HiResBoundingBox when there is one, only the first page, only a file that says EPSF on
# its first line, and reads no (atend) box: such files are placed.
reference()
{
    if [ "$2" = 1 ] && head -n 1 "$1" | grep -q EPSF &&
        ! grep -a -q -e '^%%BoundingBox: *(atend)' -e '^%%HiResBoundingBox' "$1"; then
        echo crop
    else
        echo place
    fi
}

# add FILE PRODUCER PACKAGE [PAGES]: takes the file made in the work folder into the corpus.
add()
{
    cp "$1" "$out/$1"
    printf '%s\t%s\t%s\t%s\t%s\t%s\n' "$1" "$2" "$(version "$3")" "$(box "$1")" "${4:-1}" \
        "$(reference "$1" "${4:-1}")" >>"$manifest"
}

# A PostScript drawing that the converters below take as their input.
cat >drawing.ps <<'PS'
%!PS
/Helvetica findfont 18 scalefont setfont
0.8 0.1 0.1 setrgbcolor 100 100 moveto (pstoedit) show
0.1 0.3 0.8 setrgbcolor 100 130 moveto 180 200 lineto 260 130 lineto closepath fill
0 setgray 3 setlinewidth 100 90 moveto 260 90 lineto stroke
showpage
PS

# gnuplot: one plot, and a file of two pages (two plots in one output).
gnuplot -e "set terminal postscript eps color size 3,2 font 'Helvetica,10'; set output 'gnuplot.eps';
    plot sin(x) title 'sin', cos(x) title 'cos'"
add gnuplot.eps gnuplot gnuplot-nox
gnuplot -e "set terminal postscript eps monochrome size 2.5,1.5; set output 'gnuplot-pages.eps';
    plot x**2; plot sqrt(x)"
add gnuplot-pages.eps gnuplot gnuplot-nox 2

# matplotlib: its own EPS, and its PDF through poppler's pdftops, which writes a one-% line
# ("%Produced by poppler") before the box.
$python - <<'PY'
import matplotlib
matplotlib.use("Agg")
import matplotlib.pyplot as plt
fig, ax = plt.subplots(figsize=(3, 2))
ax.plot([0, 1, 2, 3], [1, 3, 2, 4], "o-")
ax.set_title("matplotlib")
fig.savefig("matplotlib.eps")
fig.savefig("matplotlib.pdf")
fig, ax = plt.subplots(figsize=(2.2, 1.6))
ax.bar(["a", "b", "c"], [3, 1, 2], color="tab:green")
fig.savefig("matplotlib-bars.pdf")
PY
add matplotlib.eps matplotlib python3-matplotlib
pdftops -eps matplotlib.pdf pdftops-matplotlib.eps
add pdftops-matplotlib.eps "poppler pdftops -eps (matplotlib PDF)" poppler-utils
pdftops -eps matplotlib-bars.pdf pdftops-bars.eps
add pdftops-bars.eps "poppler pdftops -eps (matplotlib PDF)" poppler-utils

# cairo, through its Python binding: a size that is no whole number of points; and a PDF of it
# through pdftops, and through poppler's cairo writer.
$python - <<'PY'
import cairo
for name, surface in (("cairo.eps", cairo.PSSurface("cairo.eps", 150.5, 80.25)),
                      ("cairo.pdf", cairo.PDFSurface("cairo.pdf", 150.5, 80.25))):
    if name.endswith(".eps"):
        surface.set_eps(True)
    c = cairo.Context(surface)
    c.set_source_rgb(0.2, 0.4, 0.8)
    c.rectangle(10, 10, 100, 50)
    c.fill()
    c.set_source_rgb(0, 0, 0)
    c.select_font_face("DejaVu Sans")
    c.set_font_size(14)
    c.move_to(20, 40)
    c.show_text("cairo")
    c.arc(125, 40, 15, 0, 6.283)
    c.stroke()
    surface.finish()
PY
add cairo.eps "cairo (pycairo)" python3-cairo
pdftops -eps cairo.pdf pdftops-cairo.eps
add pdftops-cairo.eps "poppler pdftops -eps (cairo PDF)" poppler-utils
pdftocairo -eps matplotlib-bars.pdf pdftocairo.eps
add pdftocairo.eps "poppler pdftocairo -eps" poppler-utils

# librsvg: an SVG through rsvg-convert.
cat >drawing.svg <<'SVG'
<svg xmlns="http://www.w3.org/2000/svg" width="120" height="90">
  <rect x="5" y="5" width="110" height="80" fill="#fc0" stroke="black" stroke-width="2"/>
  <circle cx="60" cy="45" r="25" fill="#06c"/>
  <text x="12" y="80" font-family="DejaVu Sans" font-size="12">rsvg</text>
</svg>
SVG
rsvg-convert -f eps -o rsvg.eps drawing.svg
add rsvg.eps "librsvg rsvg-convert" librsvg2-bin

# Graphviz.
printf 'digraph { rankdir=LR; a -> b -> c; a -> c; }\n' | dot -Teps -o graphviz.eps
add graphviz.eps "Graphviz dot -Teps" graphviz

# ImageMagick: a picture as level 2 EPS (its EPS coder is refused by Debian's policy, EPS2 not).
convert -size 64x40 gradient:red-blue -fill white -draw 'circle 32,20 32,8' eps2:imagemagick.eps
add imagemagick.eps "ImageMagick convert eps2:" imagemagick-6.q16

# groff's PostScript, cropped to its drawing by ps2eps.
printf '.ft B\nGroff and ps2eps\n.br\n.ft I\nthe second line\n' | groff -Tps -P-pletter >groff.ps
ps2eps --quiet --force groff.ps
mv groff.eps groff-ps2eps.eps
add groff-ps2eps.eps "groff, ps2eps" ps2eps

# fig2dev, from a figure written as xfig saves it.
cat >drawing.fig <<'FIG'
#FIG 3.2
Landscape
Center
Metric
A4
100.00
Single
-2
1200 2
2 2 0 2 0 7 50 -1 20 0.000 0 0 -1 0 0 5
	 1200 1200 3600 1200 3600 2700 1200 2700 1200 1200
1 3 0 2 1 7 50 -1 -1 0.000 1 0.0000 2400 1950 600 600 2400 1950 3000 1950
4 0 0 50 -1 16 14 0.0000 4 165 645 1350 2550 fig2dev\001
FIG
fig2dev -L eps drawing.fig fig2dev.eps
add fig2dev.eps "fig2dev -L eps" fig2dev

# pstoedit: (atend) in the header, the box written before the last %%Page: and the trailer.
pstoedit -q -f ps drawing.ps pstoedit.eps 2>/dev/null
add pstoedit.eps "pstoedit -f ps" pstoedit
pstoedit -q -f ps gnuplot.eps pstoedit-gnuplot.eps 2>/dev/null
add pstoedit-gnuplot.eps "pstoedit -f ps (gnuplot EPS)" pstoedit

# potrace: a bitmap traced to curves.
convert -size 48x48 xc:white -fill black -draw 'circle 24,24 24,6' -draw 'rectangle 4,40 44,46' \
    pbm:drawing.pbm
potrace -e -o potrace.eps drawing.pbm
add potrace.eps "potrace -e" potrace

# qrencode and GNU barcode.
qrencode -t EPS -s 3 -o qrencode.eps 'Brakwen corpus'
add qrencode.eps "qrencode -t EPS" qrencode
barcode -E -e code128 -b 'BRAKWEN-27' -o barcode.eps
add barcode.eps "GNU barcode -E" barcode

# GNU plotutils.
printf '0 0\n1 1\n2 0.5\n3 2\n4 1.5\n' | graph -T ps -C -L plotutils >plotutils.eps
add plotutils.eps "GNU plotutils graph -T ps" plotutils

# mscgen.
printf 'msc { a, b; a => b [label="ask"]; b >> a [label="answer"]; }\n' >drawing.msc
mscgen -T eps -o mscgen.eps drawing.msc
add mscgen.eps "mscgen -T eps" mscgen

# Grace, without a window.
printf '1 2\n2 4\n3 3\n4 5\n' >grace.dat
gracebat -hdevice EPS -printfile grace.eps grace.dat
add grace.eps "Grace gracebat -hdevice EPS" grace

# Ploticus.
cat >ploticus.p <<'PL'
#proc getdata
data: 1 3
 2 5
 3 2
#proc areadef
rectangle: 1 1 3 2.5
xrange: 0 4
yrange: 0 6
#proc bars
locfield: 1
lenfield: 2
PL
ploticus -eps -o ploticus.eps ploticus.p
add ploticus.eps "ploticus -eps" ploticus

# Plain TeX through dvips -E.
printf '\\nopagenumbers\\hsize=2in \\noindent TeX and dvips: $E = mc^2$\\bye\n' >tex.tex
tex -interaction=batchmode tex.tex >/dev/null
dvips -q -E -o dvips.eps tex.dvi
add dvips.eps "TeX, dvips -E" texlive-binaries

# MetaPost: a figure around the origin, so its box is negative.
printf 'beginfig(1); draw fullcircle scaled 2cm; draw (-1cm,-5mm)--(15mm,1cm); fill unitsquare scaled 4mm; endfig; end\n' >metapost.mp
mpost -interaction=batchmode metapost.mp >/dev/null
cp metapost.1 metapost.eps
add metapost.eps "MetaPost" texlive-binaries
# No producer here writes a box of fractional points: the same figure with its own
# %%HiResBoundingBox taken as its box.
hires=$(sed -n 's/^%%HiResBoundingBox: *//p' metapost.eps)
sed "s/^%%BoundingBox:.*/%%BoundingBox: $hires/" metapost.eps >metapost-fractional.eps
add metapost-fractional.eps "MetaPost, its HiResBoundingBox as its box" texlive-binaries

# R's postscript device, as its manual says to make an EPS.
R --vanilla --quiet --no-echo <<'R'
postscript("r.eps", onefile = FALSE, horizontal = FALSE, paper = "special", width = 3, height = 2.5)
plot(1:10, (1:10)^2, type = "b", main = "R")
invisible(dev.off())
R
add r.eps "R postscript()" r-base-core

# Ghostscript's own EPS writer and EPSI maker.
gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=eps2write -sOutputFile=eps2write.eps drawing.ps
add eps2write.eps "Ghostscript eps2write" ghostscript
cp gnuplot.eps epsi-in.eps
ps2epsi epsi-in.eps ps2epsi.eps
add ps2epsi.eps "Ghostscript ps2epsi" ghostscript

# ReportLab: a drawing of fractional size (the box truncated), ending in showpage and no line end.
$python - <<'PY'
from reportlab.graphics import renderPS
from reportlab.graphics.shapes import Circle, Drawing, Rect, String
d = Drawing(150.5, 80.25)
d.add(Rect(10, 10, 100, 50, fillColor=None, strokeWidth=2))
d.add(Circle(120, 40, 20))
d.add(String(20, 30, "ReportLab"))
renderPS.drawToFile(d, "reportlab.eps")
PY
add reportlab.eps "ReportLab renderPS" python3-reportlab

# psutils: a PostScript page fitted into a box.
epsffit -c 20 30 220 180 gnuplot.eps epsffit.eps
add epsffit.eps "psutils epsffit" psutils

# DOS EPS with a TIFF preview, by epstool.
epstool --quiet --add-tiff-preview --device tiffg3 --dpi 36 gnuplot.eps epstool-tiff.eps
add epstool-tiff.eps "epstool --add-tiff-preview" epstool
epstool --quiet --add-tiff4-preview --dpi 24 fig2dev.eps epstool-fig2dev.eps
add epstool-fig2dev.eps "epstool --add-tiff4-preview" epstool

du -sh "$out"
