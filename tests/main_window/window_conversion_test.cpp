// Jobs that convert to PDF from the main window: the failure box and the bar through the
// conversion.
#include "brakwen_application.h"
#include "message_box_answer.h"
#include "window_fixture.h"

#include <QPainter>
#include <QPdfWriter>
#include <QScopeGuard>
#include <QScreen>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The values a progress bar was drawn with, each once, in order; a line on fd for each one drawn
// from `from` on.
class PaintedValues : public QObject
{
public:
    PaintedValues(QProgressBar *bar, int from, int fd) : m_bar(bar), m_from(from), m_fd(fd)
    {
        bar->installEventFilter(this);
    }
    QString values;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        const QString value = QStringLiteral(" %1").arg(m_bar->value());
        if (event->type() == QEvent::Paint && !values.endsWith(value)) {
            values += value;
            if (m_bar->value() >= m_from && ::write(m_fd, "\n", 1) != 1)
                qFatal("cannot write to the converter");
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QProgressBar *m_bar;
    int m_from;
    int m_fd;
};

} // namespace

class WindowConversionTest : public QObject, WindowFixture
{
    Q_OBJECT

private slots:
    void init() { setUpWindow(); }
    void cleanup() { tearDownWindow(); }

    void failedConversionKeepsSourcesAndSaysSo();
    void barRunsThroughTheConversionToItsEnd();
};

void WindowConversionTest::failedConversionKeepsSourcesAndSaysSo()
{
    const QByteArray tool = QFile::encodeName(m_tool->path()) + '/';
    writeFile(tool + "ps2pdf.bat", "exit 1\n");
    writeFile(tool + "pdfwrite.rsp", "");
    m_window = makeWindow();
    writeFile(work("a.eps"), "a");
    choose(m_work->path());
    TFPrincipale &w = *m_window;
    QVERIFY(w.CbxPDFConvert->isChecked() && w.CbxDeleteFiles->isChecked());
    w.SbnAddAll->click();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));

    MessageBoxAnswer answer;
    answer.answerWithEscape = true;
    // Centred on the screen, as the main window is when it opens.
    QPoint offCentre;
    answer.whileShown = [&] {
        offCentre = QApplication::activeModalWidget()->frameGeometry().center() -
                    w.screen()->availableGeometry().center();
    };
    w.BtnOk->click();

    QVERIFY(answer.shown);
    QVERIFY2(offCentre.manhattanLength() <= 1,
             qPrintable(QStringLiteral("%1, %2").arg(offCentre.x()).arg(offCentre.y())));
    QVERIFY(answer.closedByEscape);
    QCOMPARE(answer.title, QStringLiteral("Erreur"));
    // The box's own text, and below it why: this stand-in for a converter fails outright.
    QCOMPARE(answer.text, QStringLiteral("Echec de la conversion."));
    QCOMPARE(answer.below, QStringLiteral("le convertisseur a échoué (code 1)"));
    QCOMPARE(answer.icon, QMessageBox::Critical);
    QCOMPARE(answer.buttons, QStringList({"OK"}));
    QCOMPARE(readFile(work("a.eps")), QByteArray("a"));
    QCOMPARE(w.LbxSelected->model()->rowCount(), 0);

    // Without the delete option the user asked for a PDF all the same and must learn there is
    // none.
    w.CbxDeleteFiles->setChecked(false);
    QVERIFY(QFile::remove(QFile::decodeName(work("final.eps"))));
    choose(m_work->path());
    w.SbnAddAll->click();
    MessageBoxAnswer again;
    w.BtnOk->click();
    QVERIFY(again.shown);
    QCOMPARE(again.text.section(QLatin1Char('\n'), 0, 0),
             QStringLiteral("Echec de la conversion."));
    QCOMPARE(readFile(work("a.eps")), QByteArray("a"));
    QCOMPARE(readFile(work("final.eps")), QByteArray("a"));
}

void WindowConversionTest::barRunsThroughTheConversionToItsEnd()
{
    // A converter that says it converted each file, going on only once the window has drawn
    // it (or, as a safety net, after a minute), then puts a PDF of two pages in place.
    const QByteArray tool = QFile::encodeName(m_tool->path()) + '/';
    {
        QPdfWriter pages(QFile::decodeName(tool + "pages.pdf"));
        QPainter painter(&pages);
        pages.newPage();
    }
    QVERIFY(::mkfifo((tool + "drawn").constData(), 0600) == 0);
    const int drawn = ::open((tool + "drawn").constData(), O_RDWR | O_CLOEXEC);
    QVERIFY(drawn >= 0);
    const auto closeDrawn = qScopeGuard([drawn] { ::close(drawn); });
    writeFile(tool + "ps2pdf.bat", "for done in 1 2; do "
                                   "echo \"$done 2\" >&\"$BRAKWEN_PROGRESS_FD\"; "
                                   "timeout 60 head -n 1 \"${0%/*}/drawn\" >/dev/null; done\n"
                                   "cp \"${0%/*}/pages.pdf\" \"$2\"\n");
    writeFile(tool + "pdfwrite.rsp", "");
    m_window = makeWindow();
    writeFile(work("a.eps"), "a");
    writeFile(work("b.eps"), "b");
    choose(m_work->path());
    TFPrincipale &w = *m_window;
    w.CbxDeleteFiles->setChecked(false);
    w.SbnAddAll->click();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));

    // What is drawn from 3 on, the first file converted, is told to the converter.
    PaintedValues painted(w.PrbRunning, 3, drawn);
    w.BtnOk->click();

    QVERIFY(exists(work("final.pdf")) && !exists(work("final.eps")));
    // Two files copied, then two converted: the bar, drawn all along, goes on from the copy's
    // end to its own, and goes once the job is over.
    QCOMPARE(w.PrbRunning->maximum(), 4);
    QVERIFY2(painted.values.endsWith(QStringLiteral(" 2 3 4")), qPrintable(painted.values));
    QVERIFY(!w.PrbRunning->isVisible());
}

int main(int argc, char **argv)
{
    BrakwenApplication application(argc, argv);
    WindowConversionTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "window_conversion_test.moc"
