// Choosing the folder from the main window: the lists filled afresh, the control rules, a
// cancelled or failing chooser, the lists' widths, and folder names that are not valid text.
#include "brakwen_application.h"
#include "dirinput.h"
#include "eps_directory_listing.h"
#include "message_box_answer.h"
#include "name_width_meter.h"
#include "window_fixture.h"

#include <QDir>
#include <QScrollBar>
#include <algorithm>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

class FolderChoiceTest : public QObject, WindowFixture
{
    Q_OBJECT

private slots:
    void init() { setUpWindow(); }
    void cleanup() { tearDownWindow(); }

    void choosingListsFolderAndAppliesRules();
    void cancelClearsSelectionAndListsAgain();
    void cancelWithEmptyDirectoryListsRootAndKeepsBaseNameDisabled();
    void chooserErrorKeepsListsAndShowsBox();
    void emptyBaseNameLocksListsOnly();
    void listsScrollSidewaysForLongNamesOnly();
    void namesMeasureAsTheListDrawsThem();
    void folderBytesStandOnlyForTheirOwnText();
};

void FolderChoiceTest::choosingListsFolderAndAppliesRules()
{
    for (const char *name : {"b.eps", "A.EPS", "c.eps", ".cache.eps", "notes.txt"})
        writeFile(work(name), name);
    QVERIFY(QDir(m_work->path()).mkdir(QStringLiteral("folder.eps")));

    m_window->EdtDirectory->setText(QStringLiteral("/nowhere"));
    choose(m_work->path());

    QCOMPARE(m_chooserCalls.size(), 1);
    const ChooserCall &call = m_chooserCalls.first();
    QCOMPARE(call.dialog, FrmChooseDirectory);
    QCOMPARE(call.caption, QStringLiteral("Choix du répertoire"));
    QCOMPARE(call.okText, QStringLiteral("&Ok"));
    QCOMPARE(call.cancelText, QStringLiteral("&Annule"));
    QCOMPARE(call.directory, QStringLiteral("/nowhere"));

    TFPrincipale &w = *m_window;
    QCOMPARE(w.EdtDirectory->text(), m_work->path());
    QVERIFY(w.LbEdtFinalName->isEnabled());
    QCOMPARE(texts(w.LbxEnable), QStringList({".cache.eps", "A.EPS", "b.eps", "c.eps"}));
    QCOMPARE(texts(w.LbxSelected), QStringList());
    QVERIFY(w.LbxEnable->isEnabled() && w.LbxSelected->isEnabled());
    QVERIFY(w.SbnAdd->isEnabled() && w.SbnAddAll->isEnabled());
    QVERIFY(!w.SbnRemove->isEnabled() && !w.SbnRemoveAll->isEnabled());
    QVERIFY(!w.BtnOk->isVisibleTo(&w));

    selectRow(w.LbxEnable, 2);
    w.SbnAdd->click();
    QCOMPARE(texts(w.LbxSelected), QStringList({"b.eps"}));
    QVERIFY(w.SbnRemove->isEnabled() && w.SbnRemoveAll->isEnabled());
    QVERIFY(w.BtnOk->isVisibleTo(&w));

    // Choosing the same folder again changes no text, so its handler stays quiet, but the
    // lists still start afresh.
    w.LbEdtFinalName->setEnabled(false);
    choose(m_work->path());
    QVERIFY(!w.LbEdtFinalName->isEnabled());
    QCOMPARE(texts(w.LbxEnable).size(), 4);
    QCOMPARE(w.LbxSelected->model()->rowCount(), 0);
}

void FolderChoiceTest::cancelClearsSelectionAndListsAgain()
{
    writeFile(work("a.eps"), "a");
    writeFile(work("b.eps"), "b");
    choose(m_work->path());
    m_window->SbnAddAll->click();
    QCOMPARE(m_window->LbxSelected->model()->rowCount(), 2);
    writeFile(work("c.eps"), "c");

    answerChooser(nullptr);
    m_window->SbnLocalDir->click();

    QCOMPARE(m_chooserCalls.last().directory, m_work->path());
    QCOMPARE(m_window->EdtDirectory->text(), m_work->path());
    QCOMPARE(texts(m_window->LbxEnable), QStringList({"a.eps", "b.eps", "c.eps"}));
    QCOMPARE(m_window->LbxSelected->model()->rowCount(), 0);
    QVERIFY(!m_window->BtnOk->isVisibleTo(m_window.get()));
    QVERIFY(!m_window->SbnRemoveAll->isEnabled());
}

void FolderChoiceTest::cancelWithEmptyDirectoryListsRootAndKeepsBaseNameDisabled()
{
    answerChooser(nullptr);
    m_window->SbnLocalDir->click();
    QCOMPARE(m_chooserCalls.last().directory, QString());
    QVERIFY(m_window->EdtDirectory->text().isEmpty());
    QVERIFY(!m_window->LbEdtFinalName->isEnabled());
    QStringList root;
    for (const QByteArray &name : EpsDirectoryListing::list("/"))
        root << QString::fromUtf8(name);
    root.sort(Qt::CaseInsensitive);
    QStringList listed = texts(m_window->LbxEnable);
    listed.sort(Qt::CaseInsensitive);
    QCOMPARE(listed, root);
    // The rules ran: the base name is not empty, so the lists open.
    QVERIFY(m_window->LbxEnable->isEnabled());
}

void FolderChoiceTest::chooserErrorKeepsListsAndShowsBox()
{
    writeFile(work("a.eps"), "a");
    writeFile(work("b.eps"), "b");
    choose(m_work->path());
    selectRow(m_window->LbxEnable, 1);
    m_window->SbnAdd->click();

    m_window->setDirectoryChooser([](TFrmChooseDirectory *, const QString &, const QString &,
                                     const QString &, QString &) -> bool {
        throw std::runtime_error("Erreur de définition du chemin : \"/x\"");
    });
    MessageBoxAnswer answer;
    m_window->SbnLocalDir->click();

    QVERIFY(answer.shown);
    QCOMPARE(answer.title, QStringLiteral("Brakwen"));
    QCOMPARE(answer.text, QStringLiteral("Erreur de définition du chemin : \"/x\""));
    QCOMPARE(answer.icon, QMessageBox::Critical);
    QCOMPARE(texts(m_window->LbxEnable), QStringList({"a.eps"}));
    QCOMPARE(texts(m_window->LbxSelected), QStringList({"b.eps"}));
}

void FolderChoiceTest::emptyBaseNameLocksListsOnly()
{
    writeFile(work("a.eps"), "a");
    writeFile(work("b.eps"), "b");
    choose(m_work->path());
    TFPrincipale &w = *m_window;
    w.CbxDeleteFiles->setChecked(false);

    w.LbEdtFinalName->clear();
    QVERIFY(!w.LbxEnable->isEnabled() && !w.LbxSelected->isEnabled());
    QVERIFY(w.SbnAddAll->isEnabled() && w.SbnAdd->isEnabled());
    QVERIFY(w.LbEdtFinalName->isEnabled());

    w.SbnAddAll->click();
    QCOMPARE(texts(w.LbxSelected), QStringList({"a.eps", "b.eps"}));
    QVERIFY(w.BtnOk->isVisibleTo(&w));
    QVERIFY(w.SbnRemoveAll->isEnabled() && !w.SbnAddAll->isEnabled());
    // The rules leave the directory button, the options and quit alone.
    QVERIFY(w.SbnLocalDir->isEnabled());
    QVERIFY(!w.CbxDeleteFiles->isChecked());
    QVERIFY(w.BtnCancel->isVisibleTo(&w));

    w.BtnOk->click();
    QCOMPARE(readFile(work(".eps")), QByteArray("ab"));
}

void FolderChoiceTest::listsScrollSidewaysForLongNamesOnly()
{
    const QByteArray longName = QByteArray(120, 'x') + ".eps";
    writeFile(work("a.eps"), "a");
    writeFile(work(longName.constData()), "x");
    choose(m_work->path());
    TFPrincipale &w = *m_window;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QTRY_VERIFY(w.LbxEnable->horizontalScrollBar()->maximum() > 0);
    QCOMPARE(w.LbxSelected->horizontalScrollBar()->maximum(), 0);

    selectRow(w.LbxEnable, 1);
    w.SbnAdd->click();
    QTRY_VERIFY(w.LbxSelected->horizontalScrollBar()->maximum() > 0);
    QTRY_COMPARE(w.LbxEnable->horizontalScrollBar()->maximum(), 0);
    w.SbnRemoveAll->click();
    QTRY_VERIFY(w.LbxEnable->horizontalScrollBar()->maximum() > 0);
    QTRY_COMPARE(w.LbxSelected->horizontalScrollBar()->maximum(), 0);
}

void FolderChoiceTest::namesMeasureAsTheListDrawsThem()
{
    // Letters, accents, ligature and kerning pairs, a combining accent, a tab, other scripts.
    const QStringList names = {
        QStringLiteral("plan-2024_final (copie).eps"),
        QStringLiteral("Œuvre complète à l'été § 100 %.eps"),
        QStringLiteral("office AVATAR WAVE Ty.eps"),
        QStringLiteral("cafe\u0301 d\u00e9ja\u0300.eps"),
        QStringLiteral("a\tb.eps"),
        QStringLiteral("\u65e5\u672c\u8a9e \u0627\u0644\u0639\u0631\u0628\u064a\u0629.eps"),
        QStringLiteral("\U0001F600 smile.eps"),
    };
    QListView *list = m_window->LbxEnable;
    const NameWidthMeter meter(list->font());
    int widest = 0;
    for (const QString &name : names) {
        QCOMPARE(meter.width(name), list->fontMetrics().horizontalAdvance(name));
        widest = std::max(widest, list->fontMetrics().horizontalAdvance(name));
    }
    std::vector<QByteArray> bytes;
    for (const QString &name : names)
        bytes.push_back(name.toUtf8());
    m_window->fileLists().available()->setNames(bytes);
    QCOMPARE(m_window->fileLists().available()->widestTextWidth(), widest);
}

void FolderChoiceTest::folderBytesStandOnlyForTheirOwnText()
{
    const QByteArray odd = work("odd\xfe");
    const QByteArray plain = work("plain");
    QVERIFY(::mkdir(odd.constData(), 0755) == 0);
    QVERIFY(::mkdir(plain.constData(), 0755) == 0);
    const auto removeOdd = qScopeGuard([&] {
        ::unlink((odd + "/x.eps").constData());
        ::rmdir(odd.constData());
    });
    writeFile(odd + "/x.eps", "x");
    writeFile(plain + "/p.eps", "p");

    QList<QByteArray> bytesIn;
    QList<QString> textsIn;
    const auto answer = [&](const QString &text, const QByteArray &bytes) {
        m_window->setDirectoryChooser(TFPrincipale::RawDirectoryChooser(
            [&, text, bytes](TFrmChooseDirectory *, const QString &, const QString &,
                             const QString &, QString &directory, QByteArray &raw) {
                textsIn << directory;
                bytesIn << raw;
                directory = text;
                raw = bytes;
                return true;
            }));
        m_window->SbnLocalDir->click();
    };

    answer(QFile::decodeName(odd), odd);
    QCOMPARE(texts(m_window->LbxEnable), QStringList({"x.eps"}));
    QCOMPARE(m_window->directoryBytes(), odd);

    // The next choice starts from those bytes; an answer whose bytes are not its text's is
    // taken by its text.
    answer(QFile::decodeName(plain), odd);
    QCOMPARE(bytesIn.last(), odd);
    QCOMPARE(textsIn.last(), QFile::decodeName(odd));
    QCOMPARE(texts(m_window->LbxEnable), QStringList({"p.eps"}));
    QCOMPARE(m_window->directoryBytes(), plain);
}

int main(int argc, char **argv)
{
    BrakwenApplication application(argc, argv);
    FolderChoiceTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "folder_choice_test.moc"
