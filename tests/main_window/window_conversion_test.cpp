// Jobs that convert to PDF from the main window: the failure box and the bar through the
// conversion.
#include "blocking_converter.h"
#include "brakwen_application.h"
#include "message_box_answer.h"
#include "window_fixture.h"

#include <QAccessible>
#include <QScreen>

class WindowConversionTest : public QObject, WindowFixture
{
    Q_OBJECT

private slots:
    void init() { setUpWindow(); }
    void cleanup() { tearDownWindow(); }

    void failedConversionKeepsSourcesAndSaysSo();
    void barWeighsEachFileAndNamesTheOneWaitedOn();
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
    // The box's own text, and below it why (this stand-in for a converter fails outright), and
    // what was kept.
    QCOMPARE(answer.text, QStringLiteral("Echec de la conversion."));
    QCOMPARE(answer.below, QStringLiteral("le convertisseur a échoué (code 1)\n"
                                          "Le fichier assemblé « final.eps » est conservé.\n"
                                          "Aucun fichier source n'a été supprimé."));
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
    QCOMPARE(again.text, QStringLiteral("Echec de la conversion."));
    QCOMPARE(again.below, QStringLiteral("le convertisseur a échoué (code 1)\n"
                                         "Le fichier assemblé « final.eps » est conservé."));
    QCOMPARE(readFile(work("a.eps")), QByteArray("a"));
    QCOMPARE(readFile(work("final.eps")), QByteArray("a"));
}

void WindowConversionTest::barWeighsEachFileAndNamesTheOneWaitedOn()
{
    // The larger second file is converted first; the converter then waits for the test.
    BlockingConverter converter;
    converter.install(QFile::encodeName(m_tool->path()) + '/',
                      "echo \"1 2 2\" >&\"$BRAKWEN_PROGRESS_FD\"\n"
                      "cat \"$hold\" >/dev/null\n"
                      "echo \"2 2 1\" >&\"$BRAKWEN_PROGRESS_FD\"\n"
                      "cp \"${0%/*}/pages.pdf\" \"$2\"\n");
    m_window = makeWindow();
    writeFile(work("a.eps"), QByteArray(100, 'a'));
    writeFile(work("b.eps"), QByteArray(400000, 'b'));
    choose(m_work->path());
    TFPrincipale &w = *m_window;
    w.CbxDeleteFiles->setChecked(false);
    w.SbnAddAll->click();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));

    BarCaptions bar(w.PrbRunning);
    const QString waiting = QStringLiteral("Conversion : 1 / 2 — a.eps");
    QString readOut;
    bar.onCaption = [&](const QString &caption) {
        if (caption != waiting)
            return;
        readOut =
            QAccessible::queryAccessibleInterface(w.PrbRunning)->text(QAccessible::Description);
        converter.release();
    };
    w.BtnOk->click();

    QVERIFY(exists(work("final.pdf")) && !exists(work("final.eps")));
    // The copy costs next to nothing; the larger file most of the conversion.
    QCOMPARE(bar.shown.first().second, QStringLiteral("Assemblage : 0 / 2"));
    const int whileWaiting = bar.valueWhen(waiting);
    QVERIFY2(whileWaiting >= 9 * w.PrbRunning->maximum() / 10 &&
                 whileWaiting < w.PrbRunning->maximum(),
             QByteArray::number(whileWaiting));
    // Screen readers read what the bar says.
    QCOMPARE(readOut, waiting);
    QVERIFY(!w.PrbRunning->isVisible());
}

int main(int argc, char **argv)
{
    BrakwenApplication application(argc, argv);
    WindowConversionTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "window_conversion_test.moc"
