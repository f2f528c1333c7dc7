// Jobs run from OK: the result in the chosen order, the window kept painting and deaf to input
// while the job runs, failures that leave it usable, and the replace question.
#include "brakwen_application.h"
#include "main_window_job.h"
#include "message_box_answer.h"
#include "window_fixture.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QTimer>
#include <QWindow>
#include <qpa/qwindowsysteminterface.h>

class WindowJobTest : public QObject, WindowFixture
{
    Q_OBJECT

private slots:
    void init() { setUpWindow(); }
    void cleanup() { tearDownWindow(); }

    void jobAssemblesInChosenOrderAndResetsWindow();
    void jobKeepsWindowPainting();
    void inputDuringJobIsDropped();
    void jobTurnsEventLoopOnlyAsBarGrows();
    void ioErrorLeavesWindowUsable();
    void resultWhoseSourcesMayBeGoneIsReplacedOnlyWhenAnswered();
    void baseNameIsANameOnly();
    void permanentDeletionIsAskedNamingHowMany();
    void nonUtf8NamesAreAssembledAndDeleted();
};

void WindowJobTest::jobAssemblesInChosenOrderAndResetsWindow()
{
    writeFile(work("a.eps"), "AAAA");
    writeFile(work("b.eps"), "BB");
    writeFile(work("c.eps"), "C");
    choose(m_work->path());
    TFPrincipale &w = *m_window;
    w.CbxDeleteFiles->setChecked(false);
    w.LbEdtFinalName->setText(QStringLiteral("résultat"));
    selectRow(w.LbxEnable, 1); // b.eps
    w.SbnAdd->click();
    selectRow(w.LbxEnable, 0); // a.eps
    w.SbnAdd->click();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));

    w.BtnOk->click();

    QCOMPARE(readFile(work("résultat.eps")), QByteArray("BBAAAA"));
    QVERIFY(exists(work("a.eps")) && exists(work("b.eps")));
    QCOMPARE(w.LbxEnable->model()->rowCount(), 0);
    QCOMPARE(w.LbxSelected->model()->rowCount(), 0);
    QVERIFY(!w.BtnOk->isVisible());
    QVERIFY(w.BtnCancel->isVisible());
    QVERIFY(!w.PrbRunning->isVisible());
    QVERIFY(!QGuiApplication::overrideCursor());
    QVERIFY(!w.SbnAdd->isEnabled() && !w.SbnRemoveAll->isEnabled());
    QCOMPARE(w.EdtDirectory->text(), m_work->path());
}

void WindowJobTest::jobKeepsWindowPainting()
{
    for (const char *name : {"a.eps", "b.eps", "c.eps"})
        writeFile(work(name), name);
    choose(m_work->path());
    TFPrincipale &w = *m_window;
    w.CbxDeleteFiles->setChecked(false);
    w.SbnAddAll->click();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));

    // Timers only fire while the job runs if the window lets events through as it copies.
    bool firedDuringJob = false;
    bool barShown = false;
    bool busy = false;
    QString caption;
    QTimer::singleShot(0, &w, [&] {
        firedDuringJob = w.jobRunning();
        barShown = w.PrbRunning->isVisible();
        busy = QGuiApplication::overrideCursor() != nullptr;
        caption = w.PrbRunning->text();
    });
    w.BtnOk->click();

    QVERIFY(firedDuringJob);
    QVERIFY(barShown);
    QVERIFY(busy);
    QVERIFY2(caption.startsWith(QStringLiteral("Assemblage : ")) &&
                 caption.contains(QStringLiteral(" / 3")),
             qPrintable(caption));
    QCOMPARE(readFile(work("final.eps")), QByteArray("a.epsb.epsc.eps"));
    // The finished job's line where the bar was.
    QVERIFY(!w.PrbRunning->isVisible());
    QVERIFY(w.LblJobDone->isVisible());
    QCOMPARE(w.LblJobDone->text(),
             QStringLiteral("« final.eps » : 3 fichiers assemblés ; fichiers sources conservés."));
}

void WindowJobTest::inputDuringJobIsDropped()
{
    for (const char *name : {"a.eps", "b.eps"})
        writeFile(work(name), name);
    choose(m_work->path());
    TFPrincipale &w = *m_window;
    w.CbxDeleteFiles->setChecked(false);
    w.SbnAddAll->click();
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    bool quitClicked = false;
    connect(w.BtnCancel, &QPushButton::clicked, this, [&] { quitClicked = true; });

    // Queued as the window system queues them, while the job runs: a click where the hidden
    // quit button sits, its access key, and a click on the deletion box, which stays in view
    // and would change the next job.
    QWindow *window = w.windowHandle();
    const auto click = [window](QPointF at) {
        using Queue = QWindowSystemInterface;
        const QPointF global = window->mapToGlobal(at);
        Queue::handleMouseEvent<Queue::AsynchronousDelivery>(
            window, at, global, Qt::LeftButton, Qt::LeftButton, QEvent::MouseButtonPress);
        Queue::handleMouseEvent<Queue::AsynchronousDelivery>(
            window, at, global, Qt::NoButton, Qt::LeftButton, QEvent::MouseButtonRelease);
    };
    bool queuedDuringJob = false;
    QTimer::singleShot(0, &w, [&] {
        queuedDuringJob = w.jobRunning() && !w.BtnCancel->isVisible() &&
                          w.CbxDeleteFiles->isVisible() && w.CbxDeleteFiles->isEnabled();
        click(w.BtnCancel->geometry().center());
        using Queue = QWindowSystemInterface;
        Queue::handleKeyEvent<Queue::AsynchronousDelivery>(window, QEvent::KeyPress, Qt::Key_Q,
                                                           Qt::AltModifier, QStringLiteral("q"));
        Queue::handleKeyEvent<Queue::AsynchronousDelivery>(window, QEvent::KeyRelease, Qt::Key_Q,
                                                           Qt::AltModifier, QStringLiteral("q"));
        click(w.CbxDeleteFiles->mapTo(&w, w.CbxDeleteFiles->rect().center()));
    });
    w.BtnOk->click();
    QVERIFY(queuedDuringJob);
    QCOMPARE(readFile(work("final.eps")), QByteArray("a.epsb.eps"));

    // Whatever is still queued is handled now; an access key would have pressed its button
    // down at once, to click it a moment later.
    QCoreApplication::processEvents();
    QVERIFY(!w.BtnCancel->isDown());
    QVERIFY(!quitClicked);
    QVERIFY(!w.CbxDeleteFiles->isChecked());
    QVERIFY(w.isVisible());
    QVERIFY(w.BtnCancel->isVisible());

    // Input made once the job is over acts as usual.
    QTest::mouseClick(w.BtnCancel, Qt::LeftButton);
    QVERIFY(quitClicked);
}

void WindowJobTest::jobTurnsEventLoopOnlyAsBarGrows()
{
    constexpr int Files = 3000;
    for (int i = 0; i < Files; ++i)
        writeFile(work(QByteArray::number(10000 + i).append(".eps").constData()), "x");
    choose(m_work->path());
    TFPrincipale &w = *m_window;
    w.CbxDeleteFiles->setChecked(false);
    w.SbnAddAll->click();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));

    // A zero-delay timer fires at each turn of the event loop.
    int turns = 0;
    QTimer counter;
    connect(&counter, &QTimer::timeout, this, [&] { turns += w.jobRunning() ? 1 : 0; });
    counter.start(0);
    w.BtnOk->click();
    counter.stop();

    QCOMPARE(QFileInfo(QFile::decodeName(work("final.eps"))).size(), qint64(Files));
    // The bar is drawn as it grows, not for every file: at most once per pixel of its width.
    QVERIFY2(turns >= 1 && turns <= w.PrbRunning->width(), QByteArray::number(turns));
}

void WindowJobTest::ioErrorLeavesWindowUsable()
{
    writeFile(work("a.eps"), "a");
    writeFile(work("b.eps"), "b");
    writeFile(work("final.eps"), "older result");
    choose(m_work->path());
    TFPrincipale &w = *m_window;
    selectRow(w.LbxEnable, 1); // b.eps
    w.SbnAdd->click();
    selectRow(w.LbxEnable, 0); // a.eps
    w.SbnAdd->click();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QVERIFY(QFile::remove(QFile::decodeName(work("a.eps"))));

    // The older result may be all that is left of other sources: the question comes first.
    MessageBoxAnswer replace;
    replace.button = QMessageBox::Yes;
    MessageBoxAnswer answer;
    w.BtnOk->click();

    QVERIFY(replace.shown);
    QVERIFY(answer.shown);
    QCOMPARE(answer.title, QStringLiteral("Brakwen"));
    QCOMPARE(answer.text, QStringLiteral("Fichier introuvable."));
    QCOMPARE(answer.icon, QMessageBox::Critical);
    QCOMPARE(texts(w.LbxSelected), QStringList({"b.eps", "a.eps"}));
    QCOMPARE(texts(w.LbxEnable), QStringList({"final.eps"}));
    QVERIFY(w.BtnOk->isVisible());
    QVERIFY(w.BtnCancel->isVisible());
    QVERIFY(!w.PrbRunning->isVisible());
    QVERIFY(!QGuiApplication::overrideCursor());
    QVERIFY(w.SbnRemove->isEnabled() && w.SbnAdd->isEnabled());
    QVERIFY(exists(work("b.eps")));
    QVERIFY(!w.jobRunning());
    // Still usable: put the file back and assemble again, the older result replaced when asked.
    writeFile(work("a.eps"), "a");
    MessageBoxAnswer replacing;
    replacing.button = QMessageBox::Yes;
    w.BtnOk->click();
    QVERIFY(replacing.shown);
    QCOMPARE(readFile(work("final.eps")), QByteArray("ba"));
}

void WindowJobTest::resultWhoseSourcesMayBeGoneIsReplacedOnlyWhenAnswered()
{
    writeFile(work("a.eps"), "a");
    writeFile(work("final.eps"), "older result");
    choose(m_work->path());
    TFPrincipale &w = *m_window;
    selectRow(w.LbxEnable, 0); // a.eps
    w.SbnAdd->click();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QVERIFY(w.CbxDeleteFiles->isChecked());

    {
        MessageBoxAnswer no;
        no.button = QMessageBox::No;
        w.BtnOk->click();
        QVERIFY(no.shown);
        QCOMPARE(no.text, QStringLiteral("Le fichier « final.eps » existe déjà. Le remplacer ?"));
        QCOMPARE(no.below, QStringLiteral("Les fichiers sources seront mis à la corbeille."));
        QCOMPARE(no.icon, QMessageBox::Question);
    }
    // Non: nothing happened, the arrangement is still there for another try.
    QCOMPARE(readFile(work("final.eps")), QByteArray("older result"));
    QVERIFY(exists(work("a.eps")));
    QCOMPARE(texts(w.LbxSelected), QStringList({"a.eps"}));
    QVERIFY(w.BtnOk->isVisible() && w.BtnCancel->isVisible());
    QVERIFY(!QGuiApplication::overrideCursor());

    MessageBoxAnswer yes;
    yes.button = QMessageBox::Yes;
    w.BtnOk->click();
    QVERIFY(yes.shown);
    QCOMPARE(readFile(work("final.eps")), QByteArray("a"));
    // To the desktop trash, where it can be put back from.
    QVERIFY(!exists(work("a.eps")));
    QCOMPARE(readFile(QFile::encodeName(m_trash->file("a.eps"))), QByteArray("a"));
    QVERIFY(QFile::exists(m_trash->info("a.eps")));
    QCOMPARE(w.LblJobDone->text(),
             QStringLiteral("« final.eps » : 1 fichier assemblé ; 1 fichier source mis à la "
                            "corbeille."));
}

void WindowJobTest::baseNameIsANameOnly()
{
    writeFile(work("a.eps"), "a");
    choose(m_work->path());
    TFPrincipale &w = *m_window;
    w.CbxDeleteFiles->setChecked(false);
    w.SbnAddAll->click();

    // A typed extension is the result's own, not doubled.
    w.LbEdtFinalName->setText(QStringLiteral("rapport.EPS"));
    w.BtnOk->click();
    QCOMPARE(readFile(work("rapport.eps")), QByteArray("a"));
    QVERIFY(!exists(work("rapport.EPS.eps")));

    // A name that would leave the folder is refused, named, before anything is written.
    choose(m_work->path());
    selectRow(w.LbxEnable, 0); // a.eps
    w.SbnAdd->click();
    w.LbEdtFinalName->setText(QStringLiteral("../r"));
    MessageBoxAnswer refused;
    w.BtnOk->click();
    QVERIFY(refused.shown);
    QVERIFY2(refused.text.startsWith(QStringLiteral("Le nom « ../r » ne peut pas être celui du "
                                                    "fichier final")),
             qPrintable(refused.text));
    QVERIFY(!exists(work("../r.eps")));
    QCOMPARE(texts(w.LbxSelected), QStringList({"a.eps"}));
    QVERIFY(!w.LblJobDone->isVisibleTo(&w));
}

void WindowJobTest::permanentDeletionIsAskedNamingHowMany()
{
    // Asked by the job when no trash takes the sources.
    MainWindowJob job(*m_window, *m_window, m_window->fileLists(), [] {});
    for (const auto &[count, button, text] :
         {std::tuple(3, QMessageBox::Yes,
                     "Aucune corbeille ne peut recevoir 3 fichiers sources. Les supprimer "
                     "définitivement ?"),
          std::tuple(1, QMessageBox::No,
                     "Aucune corbeille ne peut recevoir le fichier source. Le supprimer "
                     "définitivement ?")}) {
        MessageBoxAnswer answer;
        answer.button = button;
        QCOMPARE(job.confirmPermanentDeletion(count), button == QMessageBox::Yes);
        QVERIFY(answer.shown);
        QCOMPARE(answer.text, QString::fromUtf8(text));
    }
}

void WindowJobTest::nonUtf8NamesAreAssembledAndDeleted()
{
    const QByteArray latin1("\xe9t\xe9.eps");
    writeFile(work(latin1.constData()), "latin-1 ");
    writeFile(work("z.eps"), "utf-8");
    choose(m_work->path());
    TFPrincipale &w = *m_window;
    QVERIFY(w.CbxDeleteFiles->isChecked());
    QCOMPARE(w.LbxEnable->model()->rowCount(), 2);
    const int latin1Row = texts(w.LbxEnable).indexOf(QStringLiteral("\uFFFDt\uFFFD.eps"));
    QVERIFY(latin1Row >= 0);
    selectRow(w.LbxEnable, latin1Row);
    w.SbnAdd->click();
    w.SbnAddAll->click();
    w.BtnOk->click();

    QCOMPARE(readFile(work("final.eps")), QByteArray("latin-1 utf-8"));
    QVERIFY(!exists(work(latin1.constData())));
    QVERIFY(!exists(work("z.eps")));
}

int main(int argc, char **argv)
{
    BrakwenApplication application(argc, argv);
    WindowJobTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "window_job_test.moc"
