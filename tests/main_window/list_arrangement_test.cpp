// Arranging the assembly order directly: Alt+Up and Alt+Down in the selected list.
#include "brakwen_application.h"
#include "main.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <memory>

namespace {

QStringList texts(QListView *view)
{
    QStringList result;
    for (int row = 0; row < view->model()->rowCount(); ++row)
        result << view->model()->index(row, 0).data().toString();
    return result;
}

QStringList highlighted(QListView *view)
{
    QStringList result;
    for (int row = 0; row < view->model()->rowCount(); ++row) {
        if (view->selectionModel()->isSelected(view->model()->index(row, 0)))
            result << view->model()->index(row, 0).data().toString();
    }
    return result;
}

void highlight(QListView *view, std::initializer_list<int> rows)
{
    view->selectionModel()->clearSelection();
    for (int row : rows)
        view->selectionModel()->select(view->model()->index(row, 0), QItemSelectionModel::Select);
    view->selectionModel()->setCurrentIndex(view->model()->index(*rows.begin(), 0),
                                            QItemSelectionModel::NoUpdate);
}

} // namespace

class ListArrangementTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void altArrowsMoveHighlightedNamesOnePlace();

private:
    void write(const QString &name, const QByteArray &contents, const QString &folder = {});
    QByteArray result(const QString &name = QStringLiteral("final.eps")) const;
    void choose(const QString &folder);

    std::unique_ptr<QTemporaryDir> m_tool;
    std::unique_ptr<QTemporaryDir> m_work;
    std::unique_ptr<TFPrincipale> m_window;
};

void ListArrangementTest::init()
{
    m_tool = std::make_unique<QTemporaryDir>();
    m_work = std::make_unique<QTemporaryDir>();
    QVERIFY(m_tool->isValid() && m_work->isValid());
    m_window = std::make_unique<TFPrincipale>(nullptr, m_tool->filePath(QStringLiteral("brakwen")));
    m_window->CbxDeleteFiles->setChecked(false);
    m_window->show();
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
}

void ListArrangementTest::cleanup()
{
    m_window.reset();
}

void ListArrangementTest::write(const QString &name, const QByteArray &contents,
                                const QString &folder)
{
    QFile file(QDir(folder.isEmpty() ? m_work->path() : folder).filePath(name));
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(contents), contents.size());
}

QByteArray ListArrangementTest::result(const QString &name) const
{
    QFile file(m_work->filePath(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void ListArrangementTest::choose(const QString &folder)
{
    m_window->setDirectoryChooser([folder](TFrmChooseDirectory *, const QString &, const QString &,
                                           const QString &, QString &directory) {
        directory = folder;
        return true;
    });
    m_window->SbnLocalDir->click();
}

void ListArrangementTest::altArrowsMoveHighlightedNamesOnePlace()
{
    for (const char *name : {"a", "b", "c", "d", "e", "f"})
        write(QString::fromLatin1(name) + ".eps", name);
    choose(m_work->path());
    TFPrincipale &w = *m_window;
    w.SbnAddAll->click();
    highlight(w.LbxSelected, {3, 1}); // d, b; the caret on d
    w.LbxSelected->setFocus();

    QTest::keyClick(w.LbxSelected, Qt::Key_Up, Qt::AltModifier);
    QCOMPARE(texts(w.LbxSelected),
             QStringList({"b.eps", "a.eps", "d.eps", "c.eps", "e.eps", "f.eps"}));
    QCOMPARE(highlighted(w.LbxSelected), QStringList({"b.eps", "d.eps"}));
    QCOMPARE(w.LbxSelected->currentIndex().data().toString(), QStringLiteral("d.eps"));
    // At the top, b stays; d closes up behind it. Down again moves both as one.
    QTest::keyClick(w.LbxSelected, Qt::Key_Up, Qt::AltModifier);
    QCOMPARE(texts(w.LbxSelected),
             QStringList({"b.eps", "d.eps", "a.eps", "c.eps", "e.eps", "f.eps"}));
    QTest::keyClick(w.LbxSelected, Qt::Key_Down, Qt::AltModifier);
    QCOMPARE(texts(w.LbxSelected),
             QStringList({"a.eps", "b.eps", "d.eps", "c.eps", "e.eps", "f.eps"}));
    QCOMPARE(highlighted(w.LbxSelected), QStringList({"b.eps", "d.eps"}));
    // Without Alt the arrows only move the caret.
    QTest::keyClick(w.LbxSelected, Qt::Key_Down);
    QCOMPARE(texts(w.LbxSelected),
             QStringList({"a.eps", "b.eps", "d.eps", "c.eps", "e.eps", "f.eps"}));

    // The order shown is the order assembled.
    w.BtnOk->click();
    QCOMPARE(result(), QByteArray("abdcef"));
}

int main(int argc, char **argv)
{
    BrakwenApplication application(argc, argv);
    ListArrangementTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "list_arrangement_test.moc"
