// The main window driven from the keyboard and the mouse: access keys, Enter and Space on the
// buttons, the keys and double-clicks that do the glyph buttons' work, quitting.
#include "brakwen_application.h"
#include "window_fixture.h"

namespace {

// As the window system delivers a double-click: a click, then a second press that is the
// double-click, then its release.
void doubleClick(QListView *view, const QModelIndex &index, Qt::KeyboardModifiers modifiers = {})
{
    const QPoint at = view->visualRect(index).center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, modifiers, at);
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, modifiers, at);
    QTest::mouseRelease(view->viewport(), Qt::LeftButton, modifiers, at);
}

} // namespace

class WindowKeysTest : public QObject, WindowFixture
{
    Q_OBJECT

private slots:
    void init() { setUpWindow(); }
    void cleanup() { tearDownWindow(); }

    void quitButtonClosesWindow();
    void keyboardPressesButtons();
    void keyboardAndDoubleClickDoTheGlyphButtonsWork();
};

void WindowKeysTest::quitButtonClosesWindow()
{
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    QTest::mouseClick(m_window->BtnCancel, Qt::LeftButton);
    QVERIFY(!m_window->isVisible());
}

void WindowKeysTest::keyboardPressesButtons()
{
    writeFile(work("a.eps"), "a");
    writeFile(work("b.eps"), "b");
    choose(m_work->path());
    TFPrincipale &w = *m_window;
    w.CbxDeleteFiles->setChecked(false);
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));

    // Access keys; the button shows itself pressed for a moment before it acts.
    w.SbnAddAll->click();
    QTest::keyClick(&w, Qt::Key_O, Qt::AltModifier);
    QTRY_COMPARE(readFile(work("final.eps")), QByteArray("ab"));

    // Enter on the focused button, like Space.
    choose(m_work->path());
    selectRow(w.LbxEnable, 1);
    w.SbnAdd->click();
    w.BtnOk->setFocus();
    QTest::keyClick(w.BtnOk, Qt::Key_Return);
    QCOMPARE(readFile(work("final.eps")), QByteArray("b"));
    choose(m_work->path());
    selectRow(w.LbxEnable, 0);
    w.SbnAdd->click();
    w.BtnOk->setFocus();
    QTest::keyClick(w.BtnOk, Qt::Key_Space);
    QCOMPARE(readFile(work("final.eps")), QByteArray("a"));

    w.BtnCancel->setFocus();
    QTest::keyClick(w.BtnCancel, Qt::Key_Enter);
    QVERIFY(!w.isVisible());
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QTest::keyClick(&w, Qt::Key_Q, Qt::AltModifier);
    QTRY_VERIFY(!w.isVisible());
}

void WindowKeysTest::keyboardAndDoubleClickDoTheGlyphButtonsWork()
{
    for (const char *name : {"a.eps", "b.eps", "c.eps", "d.eps"})
        writeFile(work(name), name);
    TFPrincipale &w = *m_window;
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));

    // Ctrl+O chooses the folder as the directory button does, wherever the focus is.
    const QString folder = m_work->path();
    answerChooser(&folder);
    w.CbxDeleteFiles->setFocus();
    QTest::keyClick(&w, Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(m_chooserCalls.size(), 1);
    QCOMPARE(m_chooserCalls.first().caption, QStringLiteral("Choix du répertoire"));
    QCOMPARE(texts(w.LbxEnable), QStringList({"a.eps", "b.eps", "c.eps", "d.eps"}));

    // Enter moves the highlighted names to the other list, as the single arrows do.
    w.LbxEnable->setFocus();
    QTest::keyClick(w.LbxEnable, Qt::Key_Down);
    QTest::keyClick(w.LbxEnable, Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(w.LbxEnable, Qt::Key_Return);
    QCOMPARE(texts(w.LbxSelected), QStringList({"b.eps", "c.eps"}));
    QCOMPARE(texts(w.LbxEnable), QStringList({"a.eps", "d.eps"}));
    QVERIFY(w.BtnOk->isVisible() && w.SbnRemove->isEnabled());
    w.LbxSelected->setFocus();
    QTest::keyClick(w.LbxSelected, Qt::Key_Space); // highlights the name under the caret
    QTest::keyClick(w.LbxSelected, Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(texts(w.LbxSelected), QStringList({"c.eps"}));
    QCOMPARE(texts(w.LbxEnable), QStringList({"a.eps", "b.eps", "d.eps"}));

    // A double-click moves the name clicked, and that name only.
    selectRow(w.LbxEnable, 0);
    const QModelIndex d = w.LbxEnable->model()->index(2, 0);
    doubleClick(w.LbxEnable, d, Qt::ControlModifier);
    QCOMPARE(texts(w.LbxSelected), QStringList({"c.eps", "d.eps"}));
    QCOMPARE(texts(w.LbxEnable), QStringList({"a.eps", "b.eps"}));
    QCOMPARE(w.LbxEnable->selectionModel()->selectedRows().size(), 1);
    const QModelIndex c = w.LbxSelected->model()->index(0, 0);
    doubleClick(w.LbxSelected, c);
    QCOMPARE(texts(w.LbxSelected), QStringList({"d.eps"}));
    QCOMPARE(texts(w.LbxEnable), QStringList({"a.eps", "b.eps", "c.eps"}));

    // The glyph buttons still take no focus, and the tab order is the window's own.
    for (QWidget *button :
         {static_cast<QWidget *>(w.SbnLocalDir), static_cast<QWidget *>(w.SbnAdd)})
        QCOMPARE(button->focusPolicy(), Qt::NoFocus);
}

int main(int argc, char **argv)
{
    BrakwenApplication application(argc, argv);
    WindowKeysTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "window_keys_test.moc"
