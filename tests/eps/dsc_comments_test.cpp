// Where a joined file is cut when no one said where its files start, and which box a file's
// pages get: producers' real habits, each written out as they write it.

#include "eps/dsc_comments.h"
#include "posix/anonymous_file.h"
#include "posix/write_all.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

class Input
{
public:
    explicit Input(const std::string &text)
        : m_fd(posix::anonymousFile("eps-test")), m_size(text.size())
    {
        posix::writeAll(m_fd.get(), text.data(), text.size());
    }

    // The offsets at which files start, the first one at 0.
    std::vector<std::uint64_t> starts() const
    {
        std::vector<std::uint64_t> result;
        for (std::uint64_t at = 0; at < m_size; at = eps::findPieceEnd(m_fd.get(), at, m_size))
            result.push_back(at);
        return result;
    }

    std::optional<eps::BoundingBox> box() const
    {
        return eps::readPartFacts(m_fd.get(), 0, m_size).box;
    }

private:
    posix::UniqueFd m_fd;
    std::uint64_t m_size;
};

const std::string eps = "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 10 10\n%%EndComments\n"
                        "0 0 moveto 10 10 lineto stroke\n%%EOF\n";

std::vector<std::uint64_t> offsets(std::initializer_list<std::size_t> values)
{
    return {values.begin(), values.end()};
}

TEST(FileBoundaries, EveryEpsHeaderStartsAFile)
{
    EXPECT_EQ(Input(eps + eps + eps).starts(), offsets({0, eps.size(), 2 * eps.size()}));
    // CR and CR LF line ends cut the same way.
    std::string cr = eps;
    for (char &c : cr)
        if (c == '\n')
            c = '\r';
    EXPECT_EQ(Input(cr + cr).starts(), offsets({0, cr.size()}));
}

TEST(FileBoundaries, APlainHeaderStartsAFileOnlyAfterAnEnd)
{
    const std::string plain = "%!PS-Adobe-3.0\n72 72 moveto (x) show showpage\n";
    const std::string unfinished = "%!PS-Adobe-3.0\n/x 1 def\n";
    EXPECT_EQ(Input(plain + plain).starts(), offsets({0, plain.size()}));
    EXPECT_EQ(Input(unfinished + "%%Trailer\nend\n" + plain).starts(),
              offsets({0, unfinished.size() + 14}));
    // Inside a file that has not ended, a plain header (a string's text, a quoted file) is data.
    EXPECT_EQ(Input(unfinished + plain).starts(), offsets({0}));
}

TEST(FileBoundaries, AHeaderGluedToTheEndOfAFileStartsOne)
{
    // ReportLab ends its file with showpage and no line end.
    const std::string reportlab = "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 10 10\nshowpage";
    EXPECT_EQ(Input(reportlab + eps).starts(), offsets({0, reportlab.size()}));
    EXPECT_EQ(Input("%!PS-Adobe-3.0\n%%EOF" + eps).starts(), offsets({0, 20}));
    // Someone's own procedure whose name ends in showpage ends nothing.
    EXPECT_EQ(Input("%!PS-Adobe-3.0\nmyshowpage%!PS-Adobe-3.0\n").starts(), offsets({0}));
}

TEST(FileBoundaries, ResourcesAndEmbeddedDocumentsStartNoFile)
{
    // matplotlib writes its fonts with a resource header of their own, unwrapped.
    const std::string matplotlib = "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 10 10\n"
                                   "%%EndComments\nshowpage\n%!PS-Adobe-3.0 Resource-Font\n"
                                   "/F 1 def\nshowpage\n";
    EXPECT_EQ(Input(matplotlib + eps).starts(), offsets({0, matplotlib.size()}));
    // groff and ps2eps wrap their procedure sets.
    const std::string groff = "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 10 10\n"
                              "%%BeginResource: procset grops\n%!PS-Adobe-3.0 EPSF-3.0\n"
                              "showpage\n%!PS-Adobe-3.0\n%%EndResource\nshowpage\n";
    EXPECT_EQ(Input(groff + eps).starts(), offsets({0, groff.size()}));
    const std::string embedding = "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 10 10\n"
                                  "%%BeginDocument: logo.eps\n" +
                                  eps + "%%EndDocument\n";
    EXPECT_EQ(Input(embedding + eps).starts(), offsets({0, embedding.size()}));
}

TEST(BoundingBox, IsTheHeadersOrTheFilesLastWhenDeferred)
{
    EXPECT_EQ(Input(eps).box()->urx, 10);
    // A logo pasted into the body brings its own box: the trailer's counts.
    const auto atend = Input("%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: (atend)\n%%EndComments\n"
                             "%%BoundingBox: 0 0 10 10\n%%Trailer\n%%BoundingBox: 5 6 305 206\n")
                           .box();
    ASSERT_TRUE(atend);
    EXPECT_EQ(atend->llx, 5);
    EXPECT_EQ(atend->ury, 206);
    // pstoedit writes the box before its last page and trailer; a repeated "(atend)" is no box.
    EXPECT_EQ(Input("%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: (atend)\n%%EndComments\n"
                    "%%BoundingBox: 1 2 30 40\n%%Page: 1 1\nshowpage\n%%Trailer\n"
                    "%%BoundingBox: (atend)\n%%EOF\n")
                  .box()
                  ->ury,
              40);
    // A box met only after the header comments is no box: the file keeps its own page size.
    EXPECT_FALSE(Input("%!PS-Adobe-3.0 EPSF-3.0\n%%EndComments\n%%BoundingBox: 0 0 10 10\n").box());
    // The boxes of a document or resource it embeds are never the file's.
    EXPECT_EQ(Input("%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: (atend)\n%%Trailer\n"
                    "%%BoundingBox: 0 0 10 10\n%%BeginDocument: x\n%%Trailer\n"
                    "%%BoundingBox: 0 0 99 99\n%%EndDocument\n%%BeginResource: y\n"
                    "%%BoundingBox: 0 0 98 98\n%%EndResource\n")
                  .box()
                  ->urx,
              10);
}

TEST(BoundingBox, HeaderRunsToTheFirstLineThatIsNoComment)
{
    // poppler's pdftops writes a line with one "%" before the box; Control-D and blank lines may
    // come before the first line.
    EXPECT_EQ(Input("\004\n%!PS-Adobe-3.0 EPSF-3.0\n%Produced by poppler pdftops version: 22\n"
                    "%%BoundingBox: 0 0 20 30\n")
                  .box()
                  ->ury,
              30);
    // A blank line, a plain "% note" or a line of code ends the header.
    for (const char *end : {"\n", "% note\n", "%\n", "%\tnote\n", "%\x7f\n", "0 0 moveto\n"})
        EXPECT_FALSE(
            Input(std::string("%!PS-Adobe-3.0 EPSF-3.0\n") + end + "%%BoundingBox: 0 0 10 10\n")
                .box())
            << end;
    // CR LF is one line end, so only a real blank line ends the header.
    EXPECT_TRUE(
        Input("%!PS-Adobe-3.0 EPSF-3.0\r\n%%Creator: x\r\n%%BoundingBox: 0 0 9 9\r\n").box());
    EXPECT_FALSE(Input("%!PS-Adobe-3.0 EPSF-3.0\r\n\r\n%%BoundingBox: 0 0 9 9\r\n").box());
    // "%%+" continues the comment before it, in the header as at the end; the first box counts.
    EXPECT_EQ(Input("%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 1 2\n%%+ 11 12\n"
                    "%%BoundingBox: 0 0 50 50\n")
                  .box()
                  ->urx,
              11);
    EXPECT_EQ(Input("%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox:\n%%+ (atend)\n%%Trailer\n"
                    "%%BoundingBox: 1 2\n%%+ 13 14\n%%EOF\n")
                  .box()
                  ->ury,
              14);
}

} // namespace
