#include "converter/driver_program.h"

#include <algorithm>
#include <cstdio>

namespace converter {

namespace {

// Each part is read from a file object of its own, at its own offset and length, so that nothing
// it reads or closes moves another part. It runs inside a save taken at the outermost level,
// which restores global VM too (globaldict, global fonts), and inside stopped: stop, an error or
// quit looked up by name end the part only. Its leftovers on the operand and dictionary stacks
// are cleared. What runs after the part is reached through an execute-only array that the part
// cannot read, alter or undo. showpage, copypage and setpagedevice are disarmed for an EPS, which
// gets exactly the page its box describes.
const char *const prolog = R"PS(%!PS
% The base fonts are loaded once, before the first part: each part's save, taken at the outermost
% level, would otherwise drop and reload from disk every font it uses.
[ /Times-Roman /Times-Bold /Times-Italic /Times-BoldItalic /Helvetica /Helvetica-Bold
  /Helvetica-Oblique /Helvetica-BoldOblique /Helvetica-Narrow /Helvetica-Narrow-Bold
  /Helvetica-Narrow-Oblique /Helvetica-Narrow-BoldOblique /Courier /Courier-Bold
  /Courier-Oblique /Courier-BoldOblique /Symbol /ZapfDingbats /ZapfChancery-MediumItalic
  /AvantGarde-Book /AvantGarde-BookOblique /AvantGarde-Demi /AvantGarde-DemiOblique
  /Bookman-Light /Bookman-LightItalic /Bookman-Demi /Bookman-DemiItalic
  /NewCenturySchlbk-Roman /NewCenturySchlbk-Italic /NewCenturySchlbk-Bold
  /NewCenturySchlbk-BoldItalic /Palatino-Roman /Palatino-Italic /Palatino-Bold
  /Palatino-BoldItalic ] { { findfont pop } stopped { pop } if } forall
/BrakwenDriver 16 dict def
BrakwenDriver begin
  /input (/dev/fd/3) def
  /log (%stderr) (w) file def
  /defaultSize currentpagedevice /PageSize get def
  /big false def
  /before 0 def
  /total 0 def
end
/brakwenWrite { % file any -- file
  dup type /nametype eq { dup length 200 gt { pop /? } if } if
  256 string cvs 1 index exch writestring dup ( ) writestring
} bind executeonly def
/brakwenName { % any -- name: text that outlives the part's restore
  dup type /nametype eq { dup length 200 gt { pop /? } if } {
    dup type /stringtype eq { dup length 200 gt { 0 200 getinterval } if } if
    256 string cvs cvn
  } ifelse
} bind executeonly def
/brakwenReport { % number status pages detail --
  //BrakwenDriver /log get
  dup (@PREFIX@) writestring
  5 -1 roll //brakwenWrite exec
  4 -1 roll //brakwenWrite exec
  3 -1 roll //brakwenWrite exec
  exch //brakwenWrite exec
  dup (\n) writestring flushfile
} bind executeonly def
/brakwenPages { % -- pages made since the part started
  currentpagedevice /PageCount get //BrakwenDriver /before get sub
} bind executeonly def
/brakwenAfter { % leftovers... stopped save record --
  count 3 roll count 3 sub { pop } repeat
  cleardictstack
  3 -1 roll {
    //$error /newerror get {
      //$error /errorname get //brakwenName exec //$error /command get //brakwenName exec
    } { /stop /- } ifelse
  } { /ok /- } ifelse
  4 -1 roll restore
  3 -1 roll dup 0 get exch
  length 3 gt { showpage } { //brakwenPages exec 0 eq { showpage } if } ifelse
  3 1 roll //brakwenPages exec exch
  //BrakwenDriver /total 2 copy get 4 index add put
  //brakwenReport exec
} bind executeonly def
/brakwenRun { % record --
  dup length 3 gt {
    //BrakwenDriver /big get not {
      << /PageSize //BrakwenDriver /largest get >> setpagedevice
      //BrakwenDriver /big true put
    } if
    /pdfmark where {
      pop dup 3 get 1 index 4 get
      [ /MediaBox [ 0 0 6 index 6 index ] /PAGE pdfmark
      pop pop
    } if
  } {
    << /PageSize //BrakwenDriver /defaultSize get >> setpagedevice
    //BrakwenDriver /big false put
  } ifelse
  //BrakwenDriver /before currentpagedevice /PageCount get put
  save
  userdict begin
    /quit { stop } def
    1 index length 3 gt { /showpage { } def /copypage { } def /setpagedevice { pop } def } if
  end
  1 index length 3 gt {
    0 setgray 0 setlinecap 1 setlinewidth 0 setlinejoin 10 setmiterlimit [] 0 setdash newpath
    false setstrokeadjust false setoverprint
    1 index 5 get 2 index 6 get translate
  } if
  //BrakwenDriver /input get (r) file
  dup 3 index 1 get setfileposition
  2 index 2 get () /SubFileDecode filter
  mark exch /cvx load /stopped load 5 -1 roll 6 -1 roll //brakwenAfter /exec load ]
  cvx executeonly exec
} bind executeonly def
/brakwenRunAll { % parts --
  { //brakwenRun exec } forall
  0 /end //BrakwenDriver /total get /- //brakwenReport exec
} bind executeonly def
)PS";

std::string number(double value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.10g", value);
    return text;
}

void replace(std::string &text, const std::string &what, const std::string &with)
{
    for (std::size_t at = text.find(what); at != std::string::npos;
         at = text.find(what, at + with.size()))
        text.replace(at, what.size(), with);
}

} // namespace

std::string reportPrefix(const std::string &key)
{
    return "\nbrakwen-" + key + " ";
}

std::string driverProgram(const std::vector<Part> &parts, const std::string &key)
{
    std::string text = prolog;
    // PostScript string escapes: the prefix starts with a line end.
    replace(text, "@PREFIX@", "\\nbrakwen-" + key + " ");

    // Every EPS is drawn on one device page that holds the largest box, its PDF page cut to its
    // own box: changing the page device for every page costs Ghostscript more with each page.
    double width = 0;
    double height = 0;
    for (const Part &part : parts) {
        if (part.kind == Part::Kind::Eps) {
            width = std::max(width, part.box.width());
            height = std::max(height, part.box.height());
        }
    }
    text += "BrakwenDriver /largest [" + number(width) + " " + number(height) + "] put\n[\n";
    for (const Part &part : parts) {
        text += "[" + std::to_string(part.number) + " " + std::to_string(part.offset) + " " +
                std::to_string(part.length);
        if (part.kind == Part::Kind::Eps)
            text += " " + number(part.box.width()) + " " + number(part.box.height()) + " " +
                    number(-part.box.llx) + " " + number(-part.box.lly);
        text += "]\n";
    }
    text += "] readonly brakwenRunAll\n";
    return text;
}

} // namespace converter
