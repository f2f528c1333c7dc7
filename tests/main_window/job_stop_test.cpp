// Stopping a job from the window: Escape, or closing the window, asks first; Oui stops at once,
// the converter and what it started ended, nothing made left behind, every source and the older
// result kept, the lists kept for another try. The stand-in converter blocks on a FIFO that the
// test holds, so the job is under way for exactly as long as the test wants.
#include "blocking_converter.h"
#include "brakwen_application.h"
#include "main_window_job.h"
#include "message_box_answer.h"
#include "window_fixture.h"

#include <QDir>
#include <QWindow>
#include <qpa/qwindowsysteminterface.h>

namespace {

const QString stopQuestion =
    QStringLiteral("Arrêter l'assemblage ? Aucun fichier ne sera supprimé.");

using Queue = QWindowSystemInterface;

// Escape as the window system delivers it, between two turns of the job's event loop.
void queueEscape(QWindow *window)
{
    Queue::handleKeyEvent<Queue::AsynchronousDelivery>(window, QEvent::KeyPress, Qt::Key_Escape,
                                                       Qt::NoModifier);
    Queue::handleKeyEvent<Queue::AsynchronousDelivery>(window, QEvent::KeyRelease, Qt::Key_Escape,
                                                       Qt::NoModifier);
}

// The title bar's close button, as the window system delivers it.
void queueClose(QWindow *window)
{
    Queue::handleCloseEvent<Queue::AsynchronousDelivery>(window);
}

QStringList folderEntries(const QString &folder)
{
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace

class JobStopTest : public QObject, WindowFixture
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void escapeDuringConversionStopsAndKeepsEverything();
    void closeDuringConversionStopsThenCloses();
    void closeTakenBackLetsTheJobFinish();
    void escapeWhileCopyingKeepsTheOlderResult();
    void closeOnceTheJobFailedWaitsForItsBox();
    void nothingIsAskedOnceTheSourcesGo();

private:
    void startWithBothFiles(bool deleteSources);

    std::optional<BlockingConverter> m_converter;
};

void JobStopTest::init()
{
    setUpWindow();
    // Says the first file is converted, then waits, in the background, for the test.
    m_converter.emplace();
    m_converter->install(QFile::encodeName(m_tool->path()) + '/',
                         "cat \"$hold\" >/dev/null &\n"
                         "echo \"1 2 1\" >&\"$BRAKWEN_PROGRESS_FD\"\n"
                         "wait\n"
                         "echo \"2 2 2\" >&\"$BRAKWEN_PROGRESS_FD\"\n"
                         "cp \"${0%/*}/pages.pdf\" \"$2\"\n");
    m_window = makeWindow();
}

void JobStopTest::cleanup()
{
    m_converter.reset();
    tearDownWindow();
}

void JobStopTest::startWithBothFiles(bool deleteSources)
{
    writeFile(work("a.eps"), "a");
    writeFile(work("b.eps"), "b");
    choose(m_work->path());
    m_window->CbxDeleteFiles->setChecked(deleteSources);
    // a.eps and b.eps, first in the list, and not an older result listed beside them.
    for (int i = 0; i < 2; ++i) {
        selectRow(m_window->LbxEnable, 0);
        m_window->SbnAdd->click();
    }
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void JobStopTest::escapeDuringConversionStopsAndKeepsEverything()
{
    writeFile(work("final.pdf"), "older PDF");
    startWithBothFiles(true);
    TFPrincipale &w = *m_window;
    QVERIFY(w.CbxPDFConvert->isChecked());

    MessageBoxAnswer replace;
    replace.button = QMessageBox::Yes;
    std::unique_ptr<MessageBoxAnswer> stop;
    BarCaptions bar(w.PrbRunning);
    bar.onCaption = [&](const QString &caption) {
        if (caption != QStringLiteral("Conversion : 1 / 2 — b.eps") || stop)
            return;
        stop = std::make_unique<MessageBoxAnswer>();
        stop->button = QMessageBox::Yes;
        queueEscape(w.windowHandle());
    };
    w.BtnOk->click();

    QVERIFY(replace.shown);
    QVERIFY(stop && stop->shown);
    QCOMPARE(stop->text, stopQuestion);
    QCOMPARE(stop->icon, QMessageBox::Question);
    QVERIFY(m_converter->familyEnded());
    // The sources and the older PDF as they were; the EPS joined for the converter stays, as
    // after a stop of brakwen-cli; nothing else.
    QCOMPARE(readFile(work("a.eps")), QByteArray("a"));
    QCOMPARE(readFile(work("b.eps")), QByteArray("b"));
    QCOMPARE(readFile(work("final.pdf")), QByteArray("older PDF"));
    QCOMPARE(folderEntries(m_work->path()),
             QStringList({"a.eps", "b.eps", "final.eps", "final.pdf"}));
    // Ready for another try.
    QCOMPARE(texts(w.LbxSelected), QStringList({"a.eps", "b.eps"}));
    QVERIFY(w.BtnOk->isVisible() && w.BtnCancel->isVisible());
    QVERIFY(!w.PrbRunning->isVisible());
    QVERIFY(w.isVisible());
    QVERIFY(w.LblJobDone->isVisible());
    QCOMPARE(w.LblJobDone->text(),
             QStringLiteral("Assemblage arrêté : aucun fichier n'a été supprimé."));
}

void JobStopTest::closeDuringConversionStopsThenCloses()
{
    startWithBothFiles(true);
    TFPrincipale &w = *m_window;
    std::unique_ptr<MessageBoxAnswer> stop;
    BarCaptions bar(w.PrbRunning);
    bar.onCaption = [&](const QString &caption) {
        if (!caption.startsWith(QStringLiteral("Conversion : 1 / 2")) || stop)
            return;
        stop = std::make_unique<MessageBoxAnswer>();
        stop->button = QMessageBox::Yes;
        queueClose(w.windowHandle());
    };
    w.BtnOk->click();

    QVERIFY(stop && stop->shown);
    QCOMPARE(stop->text, stopQuestion);
    QVERIFY(m_converter->familyEnded());
    QCOMPARE(folderEntries(m_work->path()), QStringList({"a.eps", "b.eps", "final.eps"}));
    // Stopped, then closed, as the user asked.
    QTRY_VERIFY(!w.isVisible());
}

void JobStopTest::closeTakenBackLetsTheJobFinish()
{
    startWithBothFiles(false);
    TFPrincipale &w = *m_window;
    std::unique_ptr<MessageBoxAnswer> keepOn;
    BarCaptions bar(w.PrbRunning);
    bar.onCaption = [&](const QString &caption) {
        if (!caption.startsWith(QStringLiteral("Conversion : 1 / 2")) || keepOn)
            return;
        keepOn = std::make_unique<MessageBoxAnswer>();
        keepOn->button = QMessageBox::No;
        // The converter goes on once the question is answered.
        keepOn->whileShown = [this] { m_converter->release(); };
        queueClose(w.windowHandle());
    };
    w.BtnOk->click();

    QVERIFY(keepOn && keepOn->shown);
    QCOMPARE(keepOn->text, stopQuestion);
    QVERIFY(exists(work("final.pdf")) && !exists(work("final.eps")));
    QCOMPARE(w.LbxSelected->model()->rowCount(), 0);
    QVERIFY(w.LblJobDone->isVisible());
    QCOMPARE(w.LblJobDone->text(),
             QStringLiteral("« final.pdf » : 2 pages ; fichiers sources conservés."));
    // "Non" kept the window too.
    QVERIFY(w.isVisible());
}

void JobStopTest::escapeWhileCopyingKeepsTheOlderResult()
{
    m_window->CbxPDFConvert->setChecked(false);
    writeFile(work("final.eps"), "older result");
    startWithBothFiles(true);
    TFPrincipale &w = *m_window;

    MessageBoxAnswer replace;
    replace.button = QMessageBox::Yes;
    std::unique_ptr<MessageBoxAnswer> stop;
    BarCaptions bar(w.PrbRunning);
    bar.onCaption = [&](const QString &caption) {
        if (!caption.startsWith(QStringLiteral("Assemblage")) || stop)
            return;
        stop = std::make_unique<MessageBoxAnswer>();
        stop->button = QMessageBox::Yes;
        queueEscape(w.windowHandle());
    };
    w.BtnOk->click();

    QVERIFY(replace.shown);
    QVERIFY(stop && stop->shown);
    QCOMPARE(readFile(work("final.eps")), QByteArray("older result"));
    QCOMPARE(folderEntries(m_work->path()), QStringList({"a.eps", "b.eps", "final.eps"}));
    QCOMPARE(texts(w.LbxSelected), QStringList({"a.eps", "b.eps"}));
    QVERIFY(w.isVisible());
}

void JobStopTest::closeOnceTheJobFailedWaitsForItsBox()
{
    m_window->CbxPDFConvert->setChecked(false);
    startWithBothFiles(true);
    TFPrincipale &w = *m_window;
    QVERIFY(QFile::remove(QFile::decodeName(work("b.eps"))));

    // With its error box up the job can no longer stop: nothing is asked, and the window
    // closes once the box is answered.
    bool visibleUnderBox = false;
    MessageBoxAnswer answer;
    answer.whileShown = [&] {
        visibleUnderBox = w.isVisible();
        w.close();
    };
    w.BtnOk->click();

    QVERIFY(answer.shown);
    QCOMPARE(answer.text, QStringLiteral("Fichier introuvable."));
    QVERIFY(answer.below.endsWith(QStringLiteral("Aucun fichier source n'a été supprimé.")));
    QVERIFY(visibleUnderBox);
    QVERIFY(!w.isVisible());
    QCOMPARE(readFile(work("a.eps")), QByteArray("a"));
}

void JobStopTest::nothingIsAskedOnceTheSourcesGo()
{
    // Deletion is quick and is not cut short: Escape or a close then only waits for its end.
    MainWindowJob job(*m_window, *m_window, m_window->fileLists(), [] {});
    job.deletingSources();
    MessageBoxAnswer answer;
    answer.button = QMessageBox::No;
    job.requestStop(true);
    QVERIFY(!job.stopRequested());
    QVERIFY(!answer.shown);
    QVERIFY(job.closeWanted());
}

int main(int argc, char **argv)
{
    BrakwenApplication application(argc, argv);
    JobStopTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "job_stop_test.moc"
