// The "Aperçu" window from the main window: F3 in either list shows and hides it, it follows the
// current row of the list moved in, and while the job runs it keeps what it shows. A stand-in
// Ghostscript answers at once; the rendering itself is the preview's own test.

#include "main.h"
#include "preview_link.h"
#include "preview_window.h"

#include <QCheckBox>
#include <QFile>
#include <QKeyEvent>
#include <QListView>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <sys/stat.h>

class PreviewLinkTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup() { m_window.reset(); }
    void f3ShowsAndHidesTheCurrentRowsPreview();
    void thePreviewFollowsTheRowAndStaysStillDuringTheJob();
    void escapeInAListClosesItAndAnEmptyListShowsNothing();
    void itShowsBesideTheMainWindowWhereverThatWent();
    void itKeepsItsPlaceAsTheMainWindowMoves();

private:
    void write(const QString &name, const QByteArray &content) const
    {
        QFile file(m_work.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    PreviewWindow &preview() const { return *m_window->previewLink()->preview(); }

    QTemporaryDir m_tool;
    QTemporaryDir m_work;
    std::unique_ptr<TFPrincipale> m_window;
};

void PreviewLinkTest::init()
{
    for (const char *name : {"a.eps", "b.eps", "c.eps"})
        write(QLatin1String(name), "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 40 20\n");
    const QString standIn = m_tool.filePath(QStringLiteral("gs"));
    QFile script(standIn);
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\nprintf 'P6\\n1 1\\n255\\n\\0\\0\\0'\n");
    script.close();
    ::chmod(QFile::encodeName(standIn).constData(), 0755);

    m_window = std::make_unique<TFPrincipale>(nullptr, m_tool.filePath(QStringLiteral("brakwen")));
    const QString folder = m_work.path();
    m_window->setDirectoryChooser([folder](TFrmChooseDirectory *, const QString &, const QString &,
                                           const QString &, QString &chosen) {
        chosen = folder;
        return true;
    });
    m_window->SbnLocalDir->click();
    preview().renderer().setProgram(standIn);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void PreviewLinkTest::f3ShowsAndHidesTheCurrentRowsPreview()
{
    QListView *available = m_window->LbxEnable;
    available->setFocus();
    available->setCurrentIndex(available->model()->index(1, 0));
    QTest::keyClick(available, Qt::Key_F3);
    QVERIFY(preview().isVisible());
    QCOMPARE(preview().windowTitle(), QStringLiteral("Aperçu – b.eps"));
    QTRY_VERIFY(!preview().picture().isNull());
    // Owned by the main window, never modal: the list keeps working.
    QCOMPARE(preview().parentWidget(), m_window.get());
    QVERIFY(!preview().isModal());
    QTest::keyClick(available, Qt::Key_F3);
    QVERIFY(!preview().isVisible());

    // From the selected list as well; Escape closes it.
    m_window->SbnAddAll->click();
    QListView *selected = m_window->LbxSelected;
    selected->setFocus();
    selected->setCurrentIndex(selected->model()->index(2, 0));
    QTest::keyClick(selected, Qt::Key_F3);
    QCOMPARE(preview().windowTitle(), QStringLiteral("Aperçu – c.eps"));
    QTest::keyClick(&preview(), Qt::Key_Escape);
    QVERIFY(!preview().isVisible());
}

void PreviewLinkTest::thePreviewFollowsTheRowAndStaysStillDuringTheJob()
{
    QListView *available = m_window->LbxEnable;
    available->setFocus();
    available->setCurrentIndex(available->model()->index(0, 0));
    QTest::keyClick(available, Qt::Key_F3);
    QTest::keyClick(available, Qt::Key_Down);
    QCOMPARE(preview().windowTitle(), QStringLiteral("Aperçu – b.eps"));
    QCOMPARE(preview().path(), QFile::encodeName(m_work.filePath(QStringLiteral("b.eps"))));

    // The job empties the lists as it ends; meanwhile the preview does not change.
    m_window->CbxPDFConvert->setChecked(false);
    m_window->CbxDeleteFiles->setChecked(false);
    m_window->SbnAddAll->click();
    m_window->BtnOk->click();
    QCOMPARE(preview().windowTitle(), QStringLiteral("Aperçu – b.eps"));
    QVERIFY(QFile::exists(m_work.filePath(QStringLiteral("final.eps"))));
}

void PreviewLinkTest::escapeInAListClosesItAndAnEmptyListShowsNothing()
{
    QListView *selected = m_window->LbxSelected;
    selected->setFocus();
    QTest::keyClick(selected, Qt::Key_F3);
    QVERIFY(!preview().isVisible());

    // Escape the list does not take goes on to the window, as before; while the preview shows,
    // it closes the preview there and goes no further.
    struct EscapeCounter : QObject
    {
        int seen = 0;
        bool eventFilter(QObject *, QEvent *event) override
        {
            seen += event->type() == QEvent::KeyPress &&
                    static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape;
            return false;
        }
    } window;
    m_window->installEventFilter(&window);
    QListView *available = m_window->LbxEnable;
    available->setFocus();
    available->setCurrentIndex(available->model()->index(0, 0));
    QTest::keyClick(available, Qt::Key_F3);
    QVERIFY(preview().isVisible());
    QTest::keyClick(available, Qt::Key_Escape);
    QVERIFY(!preview().isVisible());
    QCOMPARE(window.seen, 0);
    QTest::keyClick(available, Qt::Key_Escape);
    QCOMPARE(window.seen, 1);
    QVERIFY(m_window->isVisible());
}

void PreviewLinkTest::itShowsBesideTheMainWindowWhereverThatWent()
{
    // Room for it on the right only, then, lower down, on the left only: each time beside the
    // main window, level with its top.
    const QRect screen = m_window->screen()->availableGeometry();
    QListView *available = m_window->LbxEnable;
    available->setFocus();
    available->setCurrentIndex(available->model()->index(0, 0));
    m_window->move(screen.topLeft());
    QTest::keyClick(available, Qt::Key_F3);
    QVERIFY(preview().isVisible());
    const QRect main = m_window->frameGeometry();
    QVERIFY(qAbs(preview().frameGeometry().left() - main.right()) < 30);
    QCOMPARE(preview().frameGeometry().top(), main.top());
    QTest::keyClick(available, Qt::Key_F3);

    m_window->move(screen.right() - main.width() + 1, screen.top() + 200);
    QTest::keyClick(available, Qt::Key_F3);
    QVERIFY(preview().isVisible());
    const QRect moved = m_window->frameGeometry();
    QVERIFY(preview().frameGeometry().right() < moved.left());
    QVERIFY(moved.left() - preview().frameGeometry().right() < 30);
    QCOMPARE(preview().frameGeometry().top(), moved.top());
}

void PreviewLinkTest::itKeepsItsPlaceAsTheMainWindowMoves()
{
    const QRect screen = m_window->screen()->availableGeometry();
    m_window->move(screen.topLeft());
    QListView *available = m_window->LbxEnable;
    available->setFocus();
    available->setCurrentIndex(available->model()->index(0, 0));
    QTest::keyClick(available, Qt::Key_F3);
    QVERIFY(preview().isVisible());
    const QPoint besideAt = preview().pos() - m_window->pos();

    m_window->move(screen.topLeft() + QPoint(40, 90));
    QTRY_COMPARE(m_window->pos(), screen.topLeft() + QPoint(40, 90));
    QCOMPARE(preview().pos() - m_window->pos(), besideAt);
}

QTEST_MAIN(PreviewLinkTest)
#include "preview_link_test.moc"
