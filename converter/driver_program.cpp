#include "converter/driver_program.h"

#include "converter/pdf_text.h"

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
/BrakwenDriver 16 dict def
BrakwenDriver begin
  /input (/dev/fd/3) def
  /log (%stderr) (w) file def
  /defaultSize currentpagedevice /PageSize get def
  /big false def
  /total 0 def
  /loaded 16 dict def
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
/brakwenPageCount { % -- pages shown so far; builds a whole dictionary, so asked sparingly
  currentpagedevice /PageCount get
} bind executeonly def
% Fonts loaded from disk during a part live in global VM, which the part's restore takes back: they
% are loaded again at the outermost level, so that the parts after it find them there instead of
% reading them from disk each time.
/brakwenNewFonts { % -- names...: fonts now loaded that were not kept yet
  //GlobalFontDirectory {
    pop dup type /nametype eq { dup //BrakwenDriver /loaded get exch known { pop } if } { pop } ifelse
  } forall
} bind executeonly def
/brakwenKeepFonts { % mark names... --
  counttomark {
    dup length 200 lt //BrakwenDriver /loaded get length 64 lt and {
      dup /Font resourcestatus {
        pop pop dup findfont pop //BrakwenDriver /loaded get exch true put
      } { pop } ifelse
    } { pop } ifelse
  } repeat
  pop
} bind executeonly def
/brakwenOutline { % record -- : a bookmark to the part's first page, titled after its file
  /pdfmark where {
    pop [ /Title 2 index 3 get /Page //BrakwenDriver /total get 1 add /OUT pdfmark
  } if
  pop
} bind executeonly def
/brakwenAfter { % leftovers... stopped save record --
  count 3 roll count 3 sub { pop } repeat
  cleardictstack
  3 -1 roll {
    //$error /newerror get {
      //$error /errorname get //brakwenName exec //$error /command get //brakwenName exec
    } { /stop /- } ifelse
  } { /ok /- } ifelse
  mark //brakwenNewFonts exec
  counttomark 5 add -1 roll restore
  //brakwenKeepFonts exec
  % An EPS makes the one page shown here; a document its own, or this one if it showed none.
  3 -1 roll
  dup 4 get /eps eq { showpage 1 } {
    //brakwenPageCount exec //BrakwenDriver /total get sub
    dup 0 eq { pop showpage 1 } if
  } ifelse
  1 index //brakwenOutline exec
  exch 0 get 4 1 roll exch
  //BrakwenDriver /total 2 copy get 4 index add put
  //brakwenReport exec
} bind executeonly def
/brakwenRun { % record: [number offset length title /eps width height x y] or [... /doc]
  dup 4 get /eps eq {
    //BrakwenDriver /big get not {
      << /PageSize //BrakwenDriver /largest get >> setpagedevice
      //BrakwenDriver /big true put
    } if
    /pdfmark where {
      pop dup 5 get 1 index 6 get
      [ /MediaBox [ 0 0 6 index 6 index ] /PAGE pdfmark
      pop pop
    } if
  } {
    << /PageSize //BrakwenDriver /defaultSize get >> setpagedevice
    //BrakwenDriver /big false put
  } ifelse
  save
  userdict begin
    /quit { stop } def
    1 index 4 get /eps eq { /showpage { } def /copypage { } def /setpagedevice { pop } def } if
  end
  1 index 4 get /eps eq {
    0 setgray 0 setlinecap 1 setlinewidth 0 setlinejoin 10 setmiterlimit [] 0 setdash newpath
    false setstrokeadjust false setoverprint
    1 index 7 get 2 index 8 get translate
  } if
  //BrakwenDriver /input get (r) file
  dup 3 index 1 get setfileposition
  2 index 2 get () /SubFileDecode filter
  mark exch /cvx load /stopped load 5 -1 roll 6 -1 roll //brakwenAfter /exec load ]
  cvx executeonly exec
} bind executeonly def
/brakwenRunAll { % parts --
  { //brakwenRun exec } forall
  % The pages really shown: more than the parts account for means an EPS showed pages itself.
  0 /end //brakwenPageCount exec /- //brakwenReport exec
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

std::string driverProgram(const std::vector<Part> &parts, const std::string &key,
                          const std::string &documentTitle, const std::string &creator)
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
    text += "BrakwenDriver /largest [" + number(width) + " " + number(height) + "] put\n";
    text += "/pdfmark where { pop [ /Title " + pdfTextHexString(documentTitle) + " /Creator " +
            pdfTextHexString(creator) + " /DOCINFO pdfmark } if\n[\n";
    std::size_t index = 0;
    for (const Part &part : parts) {
        ++index;
        const std::string title = part.name.empty()
                                      ? std::string("Partie ").append(std::to_string(index))
                                      : withoutExtension(part.name);
        // Appended piece by piece: 2,000 parts make a long program, built without temporaries.
        text.append(1, '[').append(std::to_string(part.number)).append(1, ' ');
        text.append(std::to_string(part.offset)).append(1, ' ');
        text.append(std::to_string(part.length)).append(1, ' ').append(pdfTextHexString(title));
        if (part.kind == Part::Kind::Eps) {
            text.append(" /eps");
            for (const double value :
                 {part.box.width(), part.box.height(), -part.box.llx, -part.box.lly})
                text.append(1, ' ').append(number(value));
        } else {
            text.append(" /doc");
        }
        text.append("]\n");
    }
    text += "] readonly brakwenRunAll\n";
    return text;
}

} // namespace converter
