// The joined PDF holds the checked parts' pages and nothing else of them, shares what parts share
// byte for byte and only that, and is written whole or not at all.

#include "converter/pdf_join.h"
#include "pdf_parts.h"
#include "posix/child_process.h"

#include <csignal>
#include <dirent.h>
#include <gtest/gtest.h>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFOutlineDocumentHelper.hh>
#include <regex>
#include <set>
#include <stdexcept>
#include <sys/resource.h>

using namespace pdf_parts;

namespace {

CheckedPart checked(const std::string &path)
{
    return check(path);
}

std::set<std::string> keys(QPDFObjectHandle dictionary)
{
    return dictionary.getKeys();
}

// The data of the image each page draws as /Im.
std::vector<std::string> pageImages(QPDF &pdf)
{
    std::vector<std::string> images;
    for (QPDFObjectHandle page : pdf.getAllPages()) {
        const auto data =
            page.getKey("/Resources").getKey("/XObject").getKey("/Im").getRawStreamData();
        images.emplace_back(reinterpret_cast<const char *>(data->getBuffer()), data->getSize());
    }
    return images;
}

std::size_t countStreams(QPDF &pdf, const std::string &subtype)
{
    std::size_t count = 0;
    for (QPDFObjectHandle object : pdf.getAllObjects())
        count += object.isStream() && object.getDict().getKey("/Subtype").isNameAndEquals(subtype);
    return count;
}

// Runs work with a resource limit lowered, then puts it back.
template <typename Work> void withLimit(int resource, rlim_t soft, Work &&work)
{
    rlimit saved = {};
    getrlimit(resource, &saved);
    rlimit lowered = saved;
    lowered.rlim_cur = soft;
    setrlimit(resource, &lowered);
    work();
    setrlimit(resource, &saved);
}

} // namespace

TEST(PdfJoin, NothingOfAPartButWhatItsPagesShowComesAlong)
{
    TempDir folder;
    const HandMadePart hostile{
        .catalog = "/OpenAction 5 0 R/AA <</WC 5 0 R>>/Names <</JavaScript 6 0 R>>/Outlines 7 0 R"
                   "/AcroForm <</Fields []>>/Dests <<>>/PageLabels <</Nums [0 <</S/D>>]>>"
                   "/Metadata 8 0 R",
        .page =
            "/MediaBox [0 0 100 50]/Annots [9 0 R]/AA <</O 5 0 R>>/Thumb 8 0 R/B []"
            "/Group <</S/Transparency/CS/DeviceRGB>>"
            "/Resources <</XObject <</Im 10 0 R>>/Properties <</Me 3 0 R/Tree 2 0 R/Doc 1 0 R>>>>",
        .extra = {"<</S/JavaScript/JS (app.alert\\(1\\))>>", "<</Names [(x) 5 0 R]>>",
                  "<</Type/Outlines/Count 0>>", stream("/Type/Metadata/Subtype/XML", "<x/>"),
                  "<</Type/Annot/Subtype/Link/Rect [0 0 100 50]/A 5 0 R>>",
                  stream("/Subtype/Image/Width 1/Height 1/ColorSpace/DeviceGray"
                         "/BitsPerComponent 8/F (file:///etc/passwd)",
                         "x")},
    };
    const std::string joined = join(folder, {checked(HandMadePart().writeIn(folder, "victim.pdf")),
                                             checked(hostile.writeIn(folder, "hostile.pdf"))});
    ASSERT_TRUE(passesQpdfCheck(joined));
    QPDF pdf;
    pdf.processFile(joined.c_str());
    EXPECT_EQ(keys(pdf.getRoot()), (std::set<std::string>{"/Type", "/Pages", "/Outlines"}));
    const std::vector<QPDFObjectHandle> pages = pdf.getAllPages();
    ASSERT_EQ(pages.size(), 2U);
    EXPECT_EQ(keys(pages[1]), (std::set<std::string>{"/Type", "/Parent", "/MediaBox", "/Contents",
                                                     "/Resources", "/Group"}));
    QPDFObjectHandle resources = QPDFObjectHandle(pages[1]).getKey("/Resources");
    EXPECT_TRUE(resources.getKey("/Properties").getKey("/Me").isNull());
    EXPECT_TRUE(resources.getKey("/Properties").getKey("/Tree").isNull());
    EXPECT_TRUE(resources.getKey("/Properties").getKey("/Doc").isNull());
    EXPECT_TRUE(QPDFObjectHandle(pages[0]).getKey("/Resources").isDictionary());
    EXPECT_EQ(keys(resources.getKey("/XObject").getKey("/Im").getDict()).count("/F"), 0U);
    for (QPDFObjectHandle object : pdf.getAllObjects()) {
        QPDFObjectHandle dictionary = object.isStream() ? object.getDict() : object;
        if (dictionary.isDictionary()) {
            EXPECT_FALSE(dictionary.hasKey("/JS") || dictionary.hasKey("/Annots") ||
                         dictionary.getKey("/Type").isNameAndEquals("/Metadata"))
                << object.unparseResolved();
        }
    }
}

namespace {

// A page drawing with a font, an image, a form, a graphics state and a pattern. Hostile, each of
// them, and the page's resources, also hold every kind of action, script, file specification
// and outside reference a part could hide there, at several depths.
HandMadePart drawingPart(bool hostile)
{
    const auto hidden = [hostile](const std::string &entries) {
        return hostile ? entries : std::string();
    };
    const std::string script = "<</S/JavaScript/JS (app.alert\\(1\\))>>";
    return HandMadePart{
        .page = "/MediaBox [0 0 100 50]/Resources <</Font <</F1 5 0 R>>"
                "/XObject <</Im 6 0 R/Fm 7 0 R>>/ExtGState <</G 8 0 R>>/Pattern <</P 9 0 R>>"
                "/ProcSet [/PDF/Text/ImageB]" +
                hidden("/JavaScript 10 0 R/Names <</EmbeddedFiles 11 0 R>>") + ">>",
        .extra =
            {"<</Type/Font/Subtype/Type1/BaseFont/Helvetica" +
                 hidden(std::string(
                            "/A <</S/Named/N/Print>>/Play <</S/Rendition/JS (app.alert\\(2\\))>>") +
                        "/AA <</O 10 0 R>>/Extra <</Deeper <</Launch "
                        "<</F (calc.exe)>>/URI (http://example.com)>>/Script " +
                        script +
                        "/Next <</Type/Action/S/GoToR/F (other.pdf)>>"
                        "/JavaScript <</Names [(x) 10 0 R]>>>>") +
                 ">>",
             stream("/Subtype/Image/Width 2/Height 1/ColorSpace/DeviceGray/BitsPerComponent 8" +
                        hidden("/F (file:///etc/passwd)/FFilter/FlateDecode/FDecodeParms <<>>"
                               "/OPI <</1.3 <</F (hires.tif)>>>>"),
                    std::string("\0\xff", 2)),
             stream("/Subtype/Form/BBox [0 0 100 50]" +
                        hidden("/Ref <</F (file:///etc/passwd)/Page 1>>/OPI <</2.0 11 0 R>>"
                               "/Payload 12 0 R"),
                    "0 0 1 rg 50 0 50 25 re f"),
             "<</Type/ExtGState/CA 0.5" + hidden("/AA <</PO 10 0 R>>/FS/URL/Then 10 0 R") + ">>",
             stream("/PatternType 1/PaintType 1/TilingType 1/BBox [0 0 10 10]/XStep 10/YStep 10"
                    "/Resources <<" +
                        hidden("/XObject <</X 11 0 R>>") + ">>" +
                        hidden("/EmbeddedFiles <</Names [(evil.exe) 11 0 R]>>"
                               "/Attached <</EF <</F 12 0 R>>>>"
                               "/Extra [<</S/URI/URI (http://example.com)>> "
                               "<</S/Launch/Win <</F (calc.exe)>>>>]"),
                    "1 0 0 rg 0 0 5 5 re f"),
             script, "<</Type/Filespec/F (evil.exe)/EF <</F 12 0 R>>>>",
             stream("/Type/EmbeddedFile", "MZ")},
        .contents = "q /G gs 0 0 30 30 re f Q /Fm Do q 20 0 0 10 70 40 cm /Im Do Q "
                    "/Pattern cs /P scn 0 30 20 20 re f BT /F1 10 Tf 30 5 Td (Hi) Tj ET"};
}

// What of the listed kinds value holds, at any depth: keys and kinds of object.
void findOutsideReferences(QPDFObjectHandle value, std::set<std::string> &found)
{
    static const std::set<std::string> keys = {
        "/A",   "/AA",  "/JS",  "/JavaScript", "/F",       "/FS",          "/EF", "/EmbeddedFiles",
        "/URI", "/Ref", "/OPI", "/Launch",     "/FFilter", "/FDecodeParms"};
    if (value.isStream())
        value = value.getDict();
    if (value.isDictionary()) {
        for (const std::string kind :
             {"/Filespec", "/EmbeddedFile", "/Action", "/JavaScript", "/Launch", "/URI"})
            if (value.getKey("/Type").isNameAndEquals(kind) ||
                value.getKey("/S").isNameAndEquals(kind))
                found.insert(kind);
        for (auto &[key, entry] : value.ditems()) {
            if (keys.count(key) != 0)
                found.insert(key);
            if (!entry.isIndirect())
                findOutsideReferences(entry, found);
        }
    } else if (value.isArray()) {
        for (auto &item : value.aitems())
            if (!item.isIndirect())
                findOutsideReferences(item, found);
    }
}

} // namespace

TEST(PdfJoin, NoActionScriptOrOutsideFileSurvivesInWhatAPageDrawsWith)
{
    TempDir folder;
    const std::string joined =
        join(folder, {checked(drawingPart(true).writeIn(folder, "hostile.pdf")),
                      checked(drawingPart(false).writeIn(folder, "plain.pdf"))});
    ASSERT_TRUE(passesQpdfCheck(joined));
    QPDF pdf;
    pdf.processFile(joined.c_str());
    std::set<std::string> found;
    for (QPDFObjectHandle object : pdf.getAllObjects())
        findOutsideReferences(object, found);
    EXPECT_EQ(found, std::set<std::string>{});
    const std::vector<QPDFObjectHandle> pages = pdf.getAllPages();
    ASSERT_EQ(pages.size(), 2U);
    EXPECT_EQ(keys(QPDFObjectHandle(pages[0]).getKey("/Resources")),
              (std::set<std::string>{"/Font", "/XObject", "/ExtGState", "/Pattern", "/ProcSet"}));
    // What is left of the hostile part's resources is byte for byte the plain one's, and shared.
    EXPECT_EQ(countStreams(pdf, "/Image"), 1U);
    EXPECT_EQ(countStreams(pdf, "/Form"), 1U);
    std::size_t states = 0;
    for (QPDFObjectHandle object : pdf.getAllObjects())
        states += object.isDictionary() && object.getKey("/Type").isNameAndEquals("/ExtGState");
    EXPECT_EQ(states, 1U);

    // And the hostile page is drawn exactly as the plain one.
    const auto render = [&](int page) {
        const std::string prefix = folder.file("page" + std::to_string(page));
        testing_support::runProgram({posix::findInPath("pdftoppm"), "-f", std::to_string(page),
                                     "-l", std::to_string(page), "-r", "72", "-singlefile", joined,
                                     prefix});
        return testing_support::readFile(prefix + ".ppm");
    };
    const std::string plain = render(2);
    EXPECT_NE(plain.find_first_not_of('\xff', plain.find("255\n") + 4), std::string::npos);
    EXPECT_EQ(render(1), plain);
}

TEST(PdfJoin, ABookmarkForEachPartAtItsFirstPageAndTheDocumentsInformation)
{
    TempDir folder;
    const HandMadePart twoPages{
        .pages = "/Kids [3 0 R 5 0 R]/Count 2",
        .extra = {"<</Type/Page/Parent 2 0 R/MediaBox [0 0 100 50]>>"},
    };
    const std::string joined =
        join(folder,
             {checked(twoPages.writeIn(folder, "a.pdf")),
              checked(HandMadePart{.version = "2.0"}.writeIn(folder, "b.pdf"))},
             {"plan", "r\xC3\xA9sum\xE9"});
    ASSERT_TRUE(passesQpdfCheck(joined));
    QPDF pdf;
    pdf.processFile(joined.c_str());
    EXPECT_EQ(pdf.getPDFVersion(), "2.0");
    const std::vector<QPDFObjectHandle> pages = pdf.getAllPages();
    QPDFOutlineDocumentHelper outlines(pdf);
    std::vector<QPDFOutlineObjectHelper> bookmarks = outlines.getTopLevelOutlines();
    ASSERT_EQ(bookmarks.size(), 2U);
    EXPECT_EQ(bookmarks[0].getTitle(), "plan");
    EXPECT_EQ(bookmarks[1].getTitle(), "r\xC3\xA9sum\xEF\xBF\xBD");
    EXPECT_EQ(bookmarks[0].getDestPage().getObjGen(), pages.at(0).getObjGen());
    EXPECT_EQ(bookmarks[1].getDestPage().getObjGen(), pages.at(2).getObjGen());

    QPDFObjectHandle info = pdf.getTrailer().getKey("/Info");
    EXPECT_EQ(info.getKey("/Title").getUTF8Value(), "joined");
    EXPECT_EQ(info.getKey("/Creator").getUTF8Value(), "Brakwen");
    EXPECT_EQ(info.getKey("/Producer").getUTF8Value(), "test");
    for (const char *date : {"/CreationDate", "/ModDate"})
        EXPECT_TRUE(std::regex_match(info.getKey(date).getUTF8Value(),
                                     std::regex(R"(D:\d{14}(Z|[+-]\d\d'\d\d'))")))
            << info.getKey(date).getUTF8Value();
}

TEST(PdfJoin, WhatPartsShareByteForByteIsWrittenOnceAndOnlyThat)
{
    TempDir folder;
    // Ghostscript subsets a font to the glyphs a part shows: the same glyphs, the same bytes.
    for (const char *other : {"lanP", "Coupe"}) {
        const std::string joined =
            join(folder, {checked(ghostscriptPart(folder, "plan", 200, 100, "Plan")),
                          checked(ghostscriptPart(folder, "other", 200, 100, other))});
        ASSERT_TRUE(passesQpdfCheck(joined));
        QPDF pdf;
        pdf.processFile(joined.c_str());
        EXPECT_EQ(countStreams(pdf, "/Type1C"), other == std::string("lanP") ? 1U : 2U) << other;
    }

    // Two blocks of different bytes with the same MD5 digest (Wang and Yu, 2004): only the
    // comparison of every byte tells them apart.
    const auto hex = [](std::string digits) {
        std::string bytes;
        for (std::size_t i = 0; i < digits.size(); i += 2)
            bytes += static_cast<char>(std::stoi(digits.substr(i, 2), nullptr, 16));
        return bytes;
    };
    const std::string victim = hex(
        "d131dd02c5e6eec4693d9a0698aff95c2fcab58712467eab4004583eb8fb7f8955ad340609f4b30283e48883"
        "2571415a085125e8f7cdc99fd91dbdf280373c5bd8823e3156348f5bae6dacd436c919c6dd53e2b487da03fd"
        "02396306d248cda0e99f33420f577ee8ce54b67080a80d1ec69821bcb6a8839396f9652b6ff72a70");
    const std::string forged = hex(
        "d131dd02c5e6eec4693d9a0698aff95c2fcab50712467eab4004583eb8fb7f8955ad340609f4b30283e48883"
        "25f1415a085125e8f7cdc99fd91dbd7280373c5bd8823e3156348f5bae6dacd436c919c6dd53e23487da03fd"
        "02396306d248cda0e99f33420f577ee8ce54b67080280d1ec69821bcb6a8839396f965ab6ff72a70");
    // The same length under each /Decode: only the bytes of the dictionaries tell them apart.
    const auto drawing = [&](const std::string &image, const std::string &name,
                             const std::string &decode = "[0 1]") {
        return checked(HandMadePart{
            .page = "/MediaBox [0 0 100 50]/Resources <</XObject <</Im 5 0 R>>>>",
            .extra = {stream(
                "/Subtype/Image/Width 128/Height 1/ColorSpace/DeviceGray"
                "/BitsPerComponent 8/Decode " +
                    decode,
                image)}}.writeIn(folder, name));
    };
    const std::string joined =
        join(folder, {drawing(victim, "victim.pdf"), drawing(forged, "forged.pdf"),
                      drawing(victim, "again.pdf"), drawing(victim, "inverted.pdf", "[1 0]")});
    ASSERT_TRUE(passesQpdfCheck(joined));
    QPDF pdf;
    pdf.processFile(joined.c_str());
    EXPECT_EQ(pageImages(pdf), (std::vector<std::string>{victim, forged, victim, victim}));
    EXPECT_EQ(countStreams(pdf, "/Image"), 3U);
}

TEST(PdfJoin, AFullDiskFailsTheJoinWhereverItComes)
{
    TempDir folder;
    const CheckedPart part = checked(HandMadePart().writeIn(folder, "part.pdf"));
    const std::string joined = join(folder, {part, part, part});
    const auto size = static_cast<rlim_t>(testing_support::readFile(joined).size());
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    for (const rlim_t room : {rlim_t(100), size / 2, size - 1}) {
        std::string failure;
        withLimit(RLIMIT_FSIZE, room, [&] {
            failure = failureOf([&] { join(folder, {part, part, part}); });
        });
        EXPECT_EQ(failure, "écriture du PDF impossible : disque plein") << room;
    }
    std::signal(SIGXFSZ, previous);
}

TEST(PdfJoin, PartsAreReadOneAtATimeAndHeldAgainToTheirCheck)
{
    TempDir folder;
    const std::string path = HandMadePart().writeIn(folder, "part.pdf");
    std::size_t open = 0;
    DIR *descriptors = opendir("/proc/self/fd");
    while (readdir(descriptors) != nullptr)
        ++open;
    closedir(descriptors);
    std::string joined;
    withLimit(RLIMIT_NOFILE, open + 4,
              [&] { joined = join(folder, std::vector<CheckedPart>(300, checked(path))); });
    EXPECT_TRUE(passesQpdfCheck(joined));

    const CheckedPart part = check(path, {std::pair(100.0, 50.0)});
    HandMadePart{.pages = "/Kids [3 0 R 5 0 R]/Count 2",
                 .extra = {"<</Type/Page/Parent 2 0 R/MediaBox [0 0 100 50]>>"}}
        .writeIn(folder, "part.pdf");
    EXPECT_EQ(failureOf([&] { join(folder, {part}); }),
              "le PDF produit a changé depuis sa vérification");
    HandMadePart{.page = "/MediaBox [0 0 100 60]"}.writeIn(folder, "part.pdf");
    EXPECT_TRUE(failureOf([&] { join(folder, {part}); }).starts_with("la page 1 "));
    HandMadePart{.page = "/MediaBox [0 0 100 50]/Resources <</Font <</F 5 0 R>>>>",
                 .extra = {"<</Type/Font/Type/Font>>"}}
        .writeIn(folder, "part.pdf");
    EXPECT_EQ(failureOf([&] { join(folder, {part}); }),
              "le PDF produit est endommagé ou a dû être réparé");
}

TEST(PdfJoin, ReferenceCyclesJoin)
{
    TempDir folder;
    // A form drawing itself, and a cycle through 6 and 7 where 8 reads as 6 does once
    // renumbered: 6 must not be taken for 8, or its number would lead nowhere.
    const CheckedPart part = checked(HandMadePart{
        .page = "/MediaBox [0 0 100 50]"
                "/Resources <</XObject <</Fm 5 0 R>>/Properties <</P 6 0 R>>>>",
        .extra = {stream("/Subtype/Form/BBox [0 0 10 10]"
                         "/Resources <</XObject <</Fm 5 0 R>>>>",
                         "0 0 m 10 10 l S"),
                  "<</Next 7 0 R>>", "<</C 6 0 R/B 8 0 R>>",
                  "<</Next 7 0 R>>"}}.writeIn(folder, "part.pdf"));
    const std::string joined = join(folder, {part, part});
    ASSERT_TRUE(passesQpdfCheck(joined));
    QPDF pdf;
    pdf.processFile(joined.c_str());
    for (QPDFObjectHandle page : pdf.getAllPages()) {
        QPDFObjectHandle form = page.getKey("/Resources").getKey("/XObject").getKey("/Fm");
        EXPECT_EQ(form.getDict().getKey("/Resources").getKey("/XObject").getKey("/Fm").getObjGen(),
                  form.getObjGen());
        EXPECT_TRUE(page.getKey("/Resources")
                        .getKey("/Properties")
                        .getKey("/P")
                        .getKey("/Next")
                        .getKey("/C")
                        .isDictionary());
    }
}
