#include "converter/part_program.h"

#include <cstdio>

namespace converter {

namespace {

std::string number(double value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.10g", value);
    return text;
}

} // namespace

std::string writerOpeningProgram(bool copy, const std::string &output)
{
    // The response file's options are definitions in systemdict: Ghostscript hands them to the
    // device it starts with, and only to that one, so the writer selected here is given the
    // values of the parameters it has, as that start would; the output named last wins.
    return std::string("(pdfwrite) finddevice ") + (copy ? "copydevice " : "") +
           "dup getdeviceprops counttomark 2 idiv { systemdict 2 index known "
           "{ pop systemdict 1 index get counttomark 2 roll } { pop pop } ifelse } repeat "
           "counttomark dup 0 ne { 2 add -1 roll putdeviceprops } { pop pop } ifelse "
           "mark /OutputFile (" +
           output + ") 4 -1 roll putdeviceprops setdevice\n";
}

std::string warmUpProgram()
{
    // Drawing once in each colour space on an RGB device with the PDF writer's rendering intent
    // makes the colour transforms the PDF writer asks for when it opens; they stay cached.
    // The paper size Ghostscript chose from the system's settings, for the documents that do
    // not choose their own: the PDF writer would otherwise start on its built-in Letter.
    return "userdict /brakwenPaper currentpagedevice /PageSize get put "
           "[ /Helvetica /Helvetica-Bold /Times-Roman /Times-Bold /Courier /Symbol ] "
           "{ findfont pop } forall "
           "mark /HWResolution [ 10 10 ] /RenderIntent 1 /BlackPtComp 1 "
           "(png16m) finddevice copydevice putdeviceprops setdevice "
           "0 setgray 0 0 1 1 rectfill 1 0 0 setrgbcolor 0 0 1 1 rectfill "
           "0 0 0 1 setcmykcolor 0 0 1 1 rectfill nulldevice\n";
}

std::string pageSetupProgram(const PartRequest &request, const std::string &ownWriterOutput)
{
    std::string text = ownWriterOutput.empty() ? "" : writerOpeningProgram(true, ownWriterOutput);
    if (request.eps != 0) {
        // BeginPage runs for every page, so a part showing several pages has each at its box.
        text += "<< /PageSize [ " + number(request.width) + " " + number(request.height) +
                " ] /BeginPage { pop " + number(-request.llx) + " " + number(-request.lly) +
                " translate } bind >> setpagedevice\n";
        // An EPS may not choose its page: its pages are those of its box.
        text += "userdict /setpagedevice { pop } bind put\n";
    } else {
        text += "<< /PageSize userdict /brakwenPaper get >> setpagedevice\n";
    }
    return text;
}

std::string partProgram()
{
    return "userdict /brakwenState save put { (%stdin) (r) file cvx exec } stopped\n";
}

std::string outcomeProgram()
{
    return "{ $error /newerror get { (error ) print $error /errorname get =only ( ) print "
           "$error /command get =only } { (stop) print } ifelse } { (ok) print } ifelse "
           "(\\n) print flush\n";
}

std::string finishProgram()
{
    return "clear cleardictstack userdict /brakwenState get restore "
           "currentpagedevice /PageCount get 0 eq { showpage } if "
           "currentpagedevice /PageCount get =only (\\n) print flush "
           "mark /OutputFile (/dev/null) currentdevice { putdeviceprops } stopped clear\n";
}

} // namespace converter
