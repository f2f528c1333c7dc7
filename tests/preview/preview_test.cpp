// The preview's rendering and window. A stand-in Ghostscript (a shell script) answers as told by
// the environment: once the test lets it, never, with a failure, or only if it cannot escape; it
// counts its runs and leaves its process id (on descriptors it inherits, the one way through its
// confinement), so that a rendering ended early can be seen gone. The real Ghostscript renders one
// known EPS, checked pixel by pixel. The waits end with what they wait for; their limits are only
// a safety net.

#include "preview/pixels_message.h"
#include "preview_window.h"

#include <QAccessible>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <fcntl.h>
#include <linux/landlock.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

using preview::PreviewRenderer;

namespace {

// Draws the left half of its 100 x 50 box black, the right half white.
const QByteArray halfBlack = "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 10 20 110 70\n"
                             "0 setgray 10 20 50 50 rectfill\n%%EOF\n";

QByteArray le32(quint32 value)
{
    QByteArray bytes;
    for (int i = 0; i < 4; ++i)
        bytes += char((value >> (8 * i)) & 0xFF);
    return bytes;
}

// A DOS EPS: the binary header, the PostScript, and a TIFF preview.
QByteArray dosEps(const QByteArray &postScript, const QByteArray &tiff)
{
    return QByteArray("\xC5\xD0\xD3\xC6", 4) + le32(30) + le32(postScript.size()) + le32(0) +
           le32(0) + le32(30 + postScript.size()) + le32(tiff.size()) + QByteArray("\xFF\xFF", 2) +
           postScript + tiff;
}

constexpr int safetyNet = 60'000;

bool alive(const QByteArray &pid)
{
    return !pid.isEmpty() && ::kill(pid.trimmed().toInt(), 0) == 0;
}

QByteArray tiffOf(const QImage &image)
{
    QByteArray tiff;
    QBuffer buffer(&tiff);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "TIFF");
    return tiff;
}

} // namespace

class PreviewTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void rendersAndKeepsTheResult();
    void aDocumentThatLoopsIsEndedAtTheTimeLimit();
    void anotherFileEndsTheRenderingUnderWay();
    void failuresAndUnreadableFilesSaySoInFrench();
    void aTiffPreviewShowsWhileTheRenderingRuns();
    void aTiffPictureThatFailsOrHangsIsSkipped();
    void theTiffDecoderReachesNothingButItsBytes();
    void filesAskedAheadAreShownAtOnce();
    void theRealGhostscriptDrawsTheBox();
    void aDocumentReachesNothingOutsideItsOwnFile();
    void theWindowNamesTheFileItsBoxAndItsSize();
    void theTiffPictureStaysWhenGhostscriptFails();

private:
    QString file(const QString &name) const { return m_dir->filePath(name); }
    QByteArray write(const QString &name, const QByteArray &content) const;
    int runs() const;
    QByteArray lastPid() const;
    // Lets one stand-in told to hold go on.
    void release() const;

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_standIn;
    int m_runs = -1;
    int m_hold[2] = {-1, -1};
};

QByteArray PreviewTest::write(const QString &name, const QByteArray &content) const
{
    QFile out(file(name));
    if (!out.open(QIODevice::WriteOnly) || out.write(content) != content.size())
        qFatal("cannot write %s", qPrintable(name));
    return QFile::encodeName(file(name));
}

int PreviewTest::runs() const
{
    QFile log(file(QStringLiteral("runs")));
    return log.open(QIODevice::ReadOnly) ? log.readAll().count('\n') : 0;
}

QByteArray PreviewTest::lastPid() const
{
    QFile log(file(QStringLiteral("runs")));
    if (!log.open(QIODevice::ReadOnly))
        return {};
    const QList<QByteArray> lines = log.readAll().trimmed().split('\n');
    return lines.last();
}

void PreviewTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_standIn = file(QStringLiteral("gs"));
    // Reads the whole document as Ghostscript would, then answers a 2 x 1 picture, red and blue.
    write(QStringLiteral("gs"), "#!/bin/sh\n"
                                "echo $$ >&\"$STAND_IN_RUNS\"\n"
                                "cat > /dev/null\n"
                                "case \"$STAND_IN_MODE\" in\n"
                                "escape) cat \"$STAND_IN_SECRET\" && exit 1\n"
                                "        touch \"$STAND_IN_PWNED\" && exit 1 ;;\n"
                                "loop) while :; do sleep 1; done ;;\n"
                                "fail) echo 'Error: /undefined in nosuchop' >&2; exit 1 ;;\n"
                                "hold) read go <&\"$STAND_IN_HOLD\" ;;\n"
                                "holdfail) read go <&\"$STAND_IN_HOLD\"\n"
                                "    echo 'Error: /undefined in nosuchop' >&2; exit 1 ;;\n"
                                "esac\n"
                                "printf 'P6\\n2 1\\n255\\n\\377\\000\\000\\000\\000\\377'\n");
    ::chmod(QFile::encodeName(m_standIn).constData(), 0755);
    if (m_runs >= 0)
        ::close(m_runs);
    // Left open across exec: the stand-in writes there without opening anything.
    m_runs = ::open(QFile::encodeName(file(QStringLiteral("runs"))).constData(),
                    O_WRONLY | O_CREAT | O_APPEND, 0600);
    qputenv("STAND_IN_RUNS", QByteArray::number(m_runs));
    qputenv("STAND_IN_MODE", "");
    // Read by the stand-ins across exec, written here.
    if (m_hold[0] < 0 && (::pipe(m_hold) != 0 || ::fcntl(m_hold[1], F_SETFD, FD_CLOEXEC) != 0))
        qFatal("cannot make the stand-ins' pipe");
    qputenv("STAND_IN_HOLD", QByteArray::number(m_hold[0]));
}

void PreviewTest::release() const
{
    if (::write(m_hold[1], "\n", 1) != 1)
        qFatal("cannot let the stand-in go on");
}

void PreviewTest::rendersAndKeepsTheResult()
{
    const QByteArray eps = write(QStringLiteral("a.eps"), halfBlack);
    PreviewRenderer renderer;
    renderer.setProgram(m_standIn);
    QSignalSpy shown(&renderer, &PreviewRenderer::shown);
    renderer.request(eps, QSize(200, 100));
    QVERIFY(shown.wait(safetyNet));
    const QImage image = shown.at(0).at(1).value<QImage>();
    QCOMPARE(image.size(), QSize(2, 1));
    QCOMPARE(image.pixelColor(0, 0), QColor(Qt::red));
    QCOMPARE(runs(), 1);

    // Asked again, unchanged: answered from what was kept, with no new run.
    renderer.request(eps, QSize(200, 100));
    QCOMPARE(shown.count(), 2);
    QCOMPARE(runs(), 1);
    // Changed since: rendered again.
    write(QStringLiteral("a.eps"), halfBlack + "% changed\n");
    renderer.request(eps, QSize(200, 100));
    QVERIFY(shown.wait(safetyNet));
    QCOMPARE(runs(), 2);
}

void PreviewTest::aDocumentThatLoopsIsEndedAtTheTimeLimit()
{
    qputenv("STAND_IN_MODE", "loop");
    const QByteArray eps = write(QStringLiteral("loop.eps"), halfBlack);
    PreviewRenderer renderer;
    renderer.setProgram(m_standIn);
    renderer.setTimeLimit(std::chrono::milliseconds(1000));
    QSignalSpy failed(&renderer, &PreviewRenderer::failed);
    renderer.request(eps, QSize(200, 100));
    QTRY_VERIFY_WITH_TIMEOUT(alive(lastPid()), safetyNet);
    QVERIFY(failed.wait(safetyNet));
    QCOMPARE(failed.at(0).at(1).toString(),
             QStringLiteral("Aperçu impossible : le rendu a duré plus de 1 seconde"));
    QVERIFY(!alive(lastPid()));
    QVERIFY(!renderer.rendering());
}

void PreviewTest::anotherFileEndsTheRenderingUnderWay()
{
    qputenv("STAND_IN_MODE", "loop");
    const QByteArray slow = write(QStringLiteral("slow.eps"), halfBlack);
    const QByteArray quick = write(QStringLiteral("quick.eps"), halfBlack);
    PreviewRenderer renderer;
    renderer.setProgram(m_standIn);
    QSignalSpy shown(&renderer, &PreviewRenderer::shown);
    QSignalSpy failed(&renderer, &PreviewRenderer::failed);
    renderer.request(slow, QSize(200, 100));
    QTRY_VERIFY_WITH_TIMEOUT(alive(lastPid()), safetyNet);
    const QByteArray slowPid = lastPid();
    qputenv("STAND_IN_MODE", "");
    renderer.request(quick, QSize(200, 100));
    QVERIFY(!alive(slowPid));
    QVERIFY(shown.wait(safetyNet));
    QCOMPARE(shown.count(), 1);
    QCOMPARE(shown.at(0).at(0).toByteArray(), quick);
    // The file left behind gets no answer at all.
    QCOMPARE(failed.count(), 0);
}

void PreviewTest::failuresAndUnreadableFilesSaySoInFrench()
{
    const QByteArray eps = write(QStringLiteral("bad.eps"), halfBlack);
    PreviewRenderer renderer;
    renderer.setProgram(m_standIn);
    QSignalSpy failed(&renderer, &PreviewRenderer::failed);
    qputenv("STAND_IN_MODE", "fail");
    renderer.request(eps, QSize(200, 100));
    QVERIFY(failed.wait(safetyNet));
    // Ghostscript's own English is read for what it names, and said in French.
    QCOMPARE(failed.at(0).at(1).toString(),
             QStringLiteral("Aperçu impossible : erreur PostScript undefined dans nosuchop"));

    renderer.request(QFile::encodeName(file(QStringLiteral("gone.eps"))), QSize(200, 100));
    QCOMPARE(failed.count(), 2);
    QCOMPARE(failed.at(1).at(1).toString(),
             QStringLiteral("Aperçu impossible : le fichier ne peut pas être lu"));

    renderer.setProgram(file(QStringLiteral("no-such-program")));
    renderer.request(eps, QSize(200, 100));
    QTRY_COMPARE_WITH_TIMEOUT(failed.count(), 3, safetyNet);
    QCOMPARE(failed.at(2).at(1).toString(),
             QStringLiteral("Aperçu impossible : Ghostscript (gs) ne peut pas être lancé"));
}

void PreviewTest::aTiffPreviewShowsWhileTheRenderingRuns()
{
    QImage tiffImage(4, 3, QImage::Format_RGB32);
    tiffImage.fill(Qt::green);
    const QByteArray eps = write(QStringLiteral("dos.eps"), dosEps(halfBlack, tiffOf(tiffImage)));
    qputenv("STAND_IN_MODE", "hold");
    PreviewRenderer renderer;
    renderer.setProgram(m_standIn);
    renderer.setTiffDecoder(QStringLiteral(BRAKWEN_TIFF_DECODER));
    QSignalSpy provisional(&renderer, &PreviewRenderer::provisional);
    QSignalSpy shown(&renderer, &PreviewRenderer::shown);
    renderer.request(eps, QSize(200, 100));
    // Decoded away from the window, its pixels handed back before Ghostscript's picture.
    QVERIFY(provisional.wait(safetyNet));
    QCOMPARE(shown.count(), 0);
    const QImage picture = provisional.at(0).at(1).value<QImage>();
    QCOMPARE(picture.size(), QSize(4, 3));
    QCOMPARE(picture.pixelColor(1, 1), QColor(Qt::green));
    release();
    QVERIFY(shown.wait(safetyNet));
}

void PreviewTest::aTiffPictureThatFailsOrHangsIsSkipped()
{
    // A stand-in decoder: one that fails, one that answers once let go, after Ghostscript, one
    // that never does.
    const QString decoder = file(QStringLiteral("decoder"));
    write(QStringLiteral("decoder"),
          "#!/bin/sh\necho $$ > \"$0.pid\"\n"
          "case \"$DECODER_MODE\" in\n"
          "fail) echo nonsense; exit 1 ;;\n"
          "late) read go <&\"$STAND_IN_HOLD\"\n"
          "      printf 'BKPX\\0\\0\\0\\1\\0\\0\\0\\1\\377\\0\\0\\377'; exit ;;\n"
          "esac\nexec sleep infinity\n");
    ::chmod(QFile::encodeName(decoder).constData(), 0755);
    // Each time another file, which nothing kept.
    const auto eps = [&](int n) {
        return write(QStringLiteral("dos.eps"), dosEps(halfBlack + QByteArray(n, '%'),
                                                       tiffOf(QImage(4, 3, QImage::Format_RGB32))));
    };
    const auto pid = [&] {
        QFile pidFile(decoder + QStringLiteral(".pid"));
        return pidFile.open(QIODevice::ReadOnly) ? pidFile.readAll() : QByteArray();
    };
    PreviewRenderer renderer;
    renderer.setProgram(m_standIn);
    QSignalSpy provisional(&renderer, &PreviewRenderer::provisional);
    QSignalSpy shown(&renderer, &PreviewRenderer::shown);
    int files = 0;
    for (const char *mode : {"missing", "fail", "late"}) {
        qputenv("DECODER_MODE", mode);
        renderer.setTiffDecoder(qstrcmp(mode, "missing") == 0 ? file(QStringLiteral("none"))
                                                              : decoder);
        renderer.request(eps(++files), QSize(200, 100));
        QVERIFY(shown.wait(safetyNet));
    }
    // Too late to stand in for Ghostscript's picture: ended with it, never shown after it.
    QTRY_VERIFY_WITH_TIMEOUT(!alive(pid()), safetyNet);
    QCOMPARE(provisional.count(), 0);

    // Ended at 2 seconds, Ghostscript still at work; its picture comes all the same.
    qputenv("DECODER_MODE", "hang");
    qputenv("STAND_IN_MODE", "hold");
    renderer.request(eps(++files), QSize(200, 100));
    QTRY_VERIFY_WITH_TIMEOUT(alive(pid()), safetyNet);
    QTRY_VERIFY_WITH_TIMEOUT(!alive(pid()), safetyNet);
    QVERIFY(renderer.rendering());
    release();
    QVERIFY(shown.wait(safetyNet));
    QCOMPARE(provisional.count(), 0);
}

void PreviewTest::theTiffDecoderReachesNothingButItsBytes()
{
    // Large enough for the conversion to run on several threads, which the decoder keeps.
    QImage image(600, 400, QImage::Format_ARGB32);
    image.fill(QColor(10, 20, 30, 40));
    const QString secret = file(QStringLiteral("secret"));
    write(QStringLiteral("secret"), "SECRET");
    QProcess decoder;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LD_PRELOAD"), QStringLiteral(BRAKWEN_CONFINEMENT_PROBE));
    environment.insert(QStringLiteral("ASAN_OPTIONS"),
                       environment.value(QStringLiteral("ASAN_OPTIONS")) +
                           QStringLiteral(":verify_asan_link_order=0"));
    environment.insert(QStringLiteral("PROBE_FILE"), secret);
    // Left open across the start, as a careless parent would.
    const int spare = ::open(QFile::encodeName(secret).constData(), O_RDONLY);
    const auto closeSpare = qScopeGuard([spare] { ::close(spare); });
    environment.insert(QStringLiteral("PROBE_FD"), QString::number(spare));
    decoder.setProcessEnvironment(environment);
    decoder.start(QStringLiteral(BRAKWEN_TIFF_DECODER), {});
    const QByteArray tiff = tiffOf(image);
    decoder.write(tiff);
    decoder.closeWriteChannel();
    QVERIFY(decoder.waitForFinished(safetyNet));
    QCOMPARE(decoder.exitCode(), 0);
    QCOMPARE(decoder.readAllStandardError().trimmed(),
             QByteArray("open=1 socket=1 fork=1 spare=9"));
    // Handed back as Qt decodes them here.
    QCOMPARE(preview::PixelsMessage::decode(decoder.readAllStandardOutput()),
             QImage::fromData(tiff, "TIFF").convertToFormat(QImage::Format_ARGB32));
}

void PreviewTest::filesAskedAheadAreShownAtOnce()
{
    const QByteArray first = write(QStringLiteral("1.eps"), halfBlack);
    const QByteArray second = write(QStringLiteral("2.eps"), halfBlack + "%2\n");
    const QByteArray third = write(QStringLiteral("3.eps"), halfBlack + "%3\n");
    PreviewRenderer renderer;
    renderer.setProgram(m_standIn);
    QSignalSpy shown(&renderer, &PreviewRenderer::shown);
    // As the window does: the files after are asked for as soon as one is shown, from the
    // answer itself.
    connect(&renderer, &PreviewRenderer::shown, &renderer, [&](const QByteArray &path) {
        if (path == first)
            renderer.prefetch({second, third}, QSize(200, 100));
    });
    renderer.request(first, QSize(200, 100));
    QVERIFY(shown.wait(safetyNet));
    QTRY_COMPARE_WITH_TIMEOUT(runs(), 3, safetyNet);
    QTRY_VERIFY_WITH_TIMEOUT(!renderer.rendering(), safetyNet);
    // Nobody waited for them: no answer until they are asked for, then at once.
    QCOMPARE(shown.count(), 1);
    renderer.request(second, QSize(200, 100));
    renderer.request(third, QSize(200, 100));
    QCOMPARE(shown.count(), 3);
    QCOMPARE(runs(), 3);
}

void PreviewTest::theRealGhostscriptDrawsTheBox()
{
    const QByteArray eps = write(QStringLiteral("real.eps"), halfBlack);
    PreviewRenderer renderer;
    QSignalSpy shown(&renderer, &PreviewRenderer::shown);
    renderer.request(eps, QSize(200, 200));
    QVERIFY(shown.wait(safetyNet));
    const QImage image = shown.at(0).at(1).value<QImage>();
    // The 100 x 50 box fits 200 pixels wide, its aspect kept.
    QCOMPARE(image.size(), QSize(200, 100));
    QCOMPARE(qGray(image.pixel(20, 50)), 0); // left half: black
    QCOMPARE(qGray(image.pixel(90, 10)), 0);
    QCOMPARE(qGray(image.pixel(110, 50)), 255); // right half: white
    QCOMPARE(qGray(image.pixel(190, 90)), 255);
}

void PreviewTest::aDocumentReachesNothingOutsideItsOwnFile()
{
    // It tries to read a system file (which the kernel's confinement lets through: Ghostscript's
    // -dSAFER must refuse it), to write beside itself, and to read a file of the same folder.
    write(QStringLiteral("secret"), "SECRET");
    const QByteArray eps =
        write(QStringLiteral("hostile.eps"),
              "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 10 10\n"
              "{ (/etc/passwd) (r) file closefile } stopped not { unsafe } if\n{ (" +
                  QFile::encodeName(file(QStringLiteral("pwned"))) +
                  ") (w) file closefile } stopped { (" +
                  QFile::encodeName(file(QStringLiteral("secret"))) + ") (r) file } if\n");
    PreviewRenderer renderer;
    QSignalSpy failed(&renderer, &PreviewRenderer::failed);
    renderer.request(eps, QSize(100, 100));
    QVERIFY(failed.wait(safetyNet));
    QCOMPARE(failed.at(0).at(1).toString(),
             QStringLiteral("Aperçu impossible : erreur PostScript invalidfileaccess dans file"));
    QVERIFY(!QFile::exists(file(QStringLiteral("pwned"))));

    // Past Ghostscript's own wall, as after a hole in it: the kernel holds the same line. The
    // stand-in draws only when it could neither read the secret nor write beside the document.
    if (::syscall(SYS_landlock_create_ruleset, nullptr, 0, LANDLOCK_CREATE_RULESET_VERSION) < 1)
        QSKIP("no Landlock in this kernel");
    qputenv("STAND_IN_MODE", "escape");
    qputenv("STAND_IN_SECRET", QFile::encodeName(file(QStringLiteral("secret"))));
    qputenv("STAND_IN_PWNED", QFile::encodeName(file(QStringLiteral("pwned"))));
    renderer.setProgram(m_standIn);
    QSignalSpy shown(&renderer, &PreviewRenderer::shown);
    renderer.request(write(QStringLiteral("escape.eps"), halfBlack), QSize(100, 100));
    QVERIFY(shown.wait(safetyNet));
    QVERIFY(!QFile::exists(file(QStringLiteral("pwned"))));
}

void PreviewTest::theWindowNamesTheFileItsBoxAndItsSize()
{
    const QByteArray eps = write(QStringLiteral("figure.eps"), halfBlack);
    QWidget owner;
    PreviewWindow window(&owner);
    window.renderer().setProgram(m_standIn);
    window.show();
    window.showFile(eps, QStringLiteral("figure.eps"));
    QCOMPARE(window.windowTitle(), QStringLiteral("Aperçu – figure.eps"));
    auto *details = window.findChild<QLabel *>(QStringLiteral("ApercuDetails"));
    QVERIFY(details);
    QCOMPARE(details->text(), QStringLiteral("Boîte englobante : 100 × 50 points (35,3 × 17,6 mm)\n"
                                             "Taille du fichier : %1 octets")
                                  .arg(halfBlack.size()));
    // Screen readers read them as the label's description.
    QCOMPARE(QAccessible::queryAccessibleInterface(details)->text(QAccessible::Description),
             details->text());
    QTRY_VERIFY_WITH_TIMEOUT(!window.picture().isNull(), safetyNet);

    // While frozen (the job runs) it keeps what it shows.
    window.setFrozen(true);
    window.showFile(write(QStringLiteral("other.eps"), halfBlack), QStringLiteral("other.eps"));
    QCOMPARE(window.windowTitle(), QStringLiteral("Aperçu – figure.eps"));
    window.setFrozen(false);

    // A window of its own to screen readers (a frame), not a dialog.
    QCOMPARE(QAccessible::queryAccessibleInterface(&window)->role(), QAccessible::Window);

    QTest::keyClick(&window, Qt::Key_Escape);
    QVERIFY(!window.isVisible());
}

void PreviewTest::theTiffPictureStaysWhenGhostscriptFails()
{
    QImage tiffImage(4, 3, QImage::Format_RGB32);
    tiffImage.fill(Qt::green);
    const QByteArray eps = write(QStringLiteral("dos.eps"), dosEps(halfBlack, tiffOf(tiffImage)));
    qputenv("STAND_IN_MODE", "holdfail");
    QWidget owner;
    PreviewWindow window(&owner);
    window.renderer().setProgram(m_standIn);
    window.renderer().setTiffDecoder(QStringLiteral(BRAKWEN_TIFF_DECODER));
    window.show();
    window.showFile(eps, QStringLiteral("dos.eps"));
    QTRY_VERIFY_WITH_TIMEOUT(!window.picture().isNull(), safetyNet);
    QVERIFY(window.problem().isEmpty());
    // Ghostscript fails once the TIFF picture is up: the picture stays, the reason below it.
    QSignalSpy failed(&window.renderer(), &PreviewRenderer::failed);
    release();
    QVERIFY(failed.wait(safetyNet));
    QCOMPARE(window.picture().pixelColor(1, 1), QColor(Qt::green));
    QCOMPARE(window.problem(),
             QStringLiteral("Aperçu impossible : erreur PostScript undefined dans nosuchop"));
    // The next file starts clean.
    qputenv("STAND_IN_MODE", "");
    window.showFile(write(QStringLiteral("plain.eps"), halfBlack), QStringLiteral("plain.eps"));
    QVERIFY(window.problem().isEmpty());
}

QTEST_MAIN(PreviewTest)
#include "preview_test.moc"
