// Arranging the assembly order directly: Alt+Up and Alt+Down in the selected list, names dragged
// with the mouse within it and between the lists, files dropped from a file manager.
#include "brakwen_application.h"
#include "drag_and_drop.h"
#include "file_drop.h"
#include "labeled_edit.h"
#include "main.h"
#include "message_box_answer.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// By their bytes: names that are not UTF-8 would not survive a QString.
void put(const QByteArray &path, const QByteArray &bytes)
{
    const int fd = ::open(path.constData(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
    QVERIFY2(fd >= 0, path.constData());
    QCOMPARE(::write(fd, bytes.constData(), size_t(bytes.size())), bytes.size());
    ::close(fd);
}

QByteArray contents(const QByteArray &path)
{
    char buffer[256];
    const int fd = ::open(path.constData(), O_RDONLY);
    const ssize_t got = fd < 0 ? -1 : ::read(fd, buffer, sizeof buffer);
    ::close(fd);
    return got < 0 ? QByteArray("<missing>") : QByteArray(buffer, got);
}

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

// Where a drop lands before `row`: the upper half of it, or below the last row for the row count.
QPoint before(QListView *view, int row)
{
    if (row == view->model()->rowCount())
        return QPoint(10, view->viewport()->height() - 3);
    return view->visualRect(view->model()->index(row, 0)).center() - QPoint(0, 3);
}

void click(QListView *view, int row, Qt::KeyboardModifiers modifiers = {})
{
    QTest::mouseClick(view->viewport(), Qt::LeftButton, modifiers,
                      view->visualRect(view->model()->index(row, 0)).center());
}

} // namespace

class ListArrangementTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void altArrowsMoveHighlightedNamesOnePlace();
    void namesDraggedWithinTheSelectedListGoWhereDropped();
    void namesDraggedBetweenTheListsMoveAndTheRulesFollow();
    void filesFromTheFolderGoWhereDroppedAndAreCopied();
    void filesFromAnotherFolderChooseItFirst();
    void namesArrangedAreReplacedOnlyWhenTheUserAgrees();
    void whatCannotBeAddedIsLeftOutAndSaid();

private:
    // Writes "a.eps" holding "a" and so on in the work folder, and chooses it.
    void chooseWorkWith(std::initializer_list<const char *> names);
    void choose(const QString &folder);
    QByteArray work(const QByteArray &name) const
    {
        return QFile::encodeName(m_work->path()) + '/' + name;
    }
    std::pair<bool, Qt::DropAction> dropFiles(const QList<QByteArray> &paths, QWidget *target,
                                              QPoint at, Qt::KeyboardModifiers modifiers = {})
    {
        const auto data = drag_and_drop::files(paths);
        return drag_and_drop::deliver(data.get(), target, at,
                                      Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, modifiers);
    }

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

void ListArrangementTest::chooseWorkWith(std::initializer_list<const char *> names)
{
    for (const char *name : names)
        put(work(name) + ".eps", name);
    choose(m_work->path());
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
    chooseWorkWith({"a", "b", "c", "d", "e", "f"});
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
    // The order shown is the order assembled.
    w.BtnOk->click();
    QCOMPARE(contents(work("final.eps")), QByteArray("abdcef"));
}

void ListArrangementTest::namesDraggedWithinTheSelectedListGoWhereDropped()
{
    chooseWorkWith({"a", "b", "c", "d", "e", "f"});
    TFPrincipale &w = *m_window;
    w.SbnAddAll->click();
    QListView *list = w.LbxSelected;
    click(list, 1);
    click(list, 3, Qt::ControlModifier);

    // Both highlighted names, taken from the second, dropped before the first row.
    QVERIFY(drag_and_drop::dragRows(list, 3, list->viewport(), before(list, 0)));
    QCOMPARE(texts(list), QStringList({"b.eps", "d.eps", "a.eps", "c.eps", "e.eps", "f.eps"}));
    QCOMPARE(highlighted(list), QStringList({"b.eps", "d.eps"}));
    // A name not highlighted is dragged alone, here below the last row.
    QVERIFY(drag_and_drop::dragRows(list, 3, list->viewport(), before(list, 6)));
    QCOMPARE(texts(list), QStringList({"b.eps", "d.eps", "a.eps", "e.eps", "f.eps", "c.eps"}));
    QCOMPARE(highlighted(list), QStringList({"c.eps"}));
    w.BtnOk->click();
    QCOMPARE(contents(work("final.eps")), QByteArray("bdaefc"));
}

void ListArrangementTest::namesDraggedBetweenTheListsMoveAndTheRulesFollow()
{
    chooseWorkWith({"a", "b", "c", "d", "e"});
    TFPrincipale &w = *m_window;
    // The available list keeps its order; the rest of the window takes no names.
    QVERIFY(
        !drag_and_drop::dragRows(w.LbxEnable, 4, w.LbxEnable->viewport(), before(w.LbxEnable, 0)));
    QVERIFY(!drag_and_drop::dragRows(w.LbxEnable, 4, w.LblFileList, QPoint(5, 5)));
    QCOMPARE(texts(w.LbxEnable), QStringList({"a.eps", "b.eps", "c.eps", "d.eps", "e.eps"}));
    QVERIFY(!w.BtnOk->isVisibleTo(&w));
    highlight(w.LbxEnable, {0, 2});
    w.SbnAdd->click(); // a, c

    // d and e land between a and c, highlighted there.
    click(w.LbxEnable, 1);
    click(w.LbxEnable, 2, Qt::ShiftModifier);
    QVERIFY(drag_and_drop::dragRows(w.LbxEnable, 2, w.LbxSelected->viewport(),
                                    before(w.LbxSelected, 1)));
    QCOMPARE(texts(w.LbxSelected), QStringList({"a.eps", "d.eps", "e.eps", "c.eps"}));
    QCOMPARE(highlighted(w.LbxSelected), QStringList({"d.eps", "e.eps"}));
    QCOMPARE(texts(w.LbxEnable), QStringList({"b.eps"}));
    QVERIFY(w.SbnAdd->isEnabled());

    // The last available name, dropped below the last row: the add buttons go off.
    QVERIFY(drag_and_drop::dragRows(w.LbxEnable, 0, w.LbxSelected->viewport(),
                                    before(w.LbxSelected, 4)));
    QCOMPARE(texts(w.LbxSelected), QStringList({"a.eps", "d.eps", "e.eps", "c.eps", "b.eps"}));
    QVERIFY(!w.SbnAdd->isEnabled() && !w.SbnAddAll->isEnabled());
    QVERIFY(w.BtnOk->isVisibleTo(&w));

    // Dragged back, names return to their sorted place wherever they are let go.
    click(w.LbxSelected, 0);
    click(w.LbxSelected, 3, Qt::ControlModifier);
    QVERIFY(
        drag_and_drop::dragRows(w.LbxSelected, 0, w.LbxEnable->viewport(), before(w.LbxEnable, 0)));
    QCOMPARE(texts(w.LbxEnable), QStringList({"a.eps", "c.eps"}));
    QCOMPARE(texts(w.LbxSelected), QStringList({"d.eps", "e.eps", "b.eps"}));
    QVERIFY(w.SbnAdd->isEnabled());

    w.BtnOk->click();
    QCOMPARE(contents(work("final.eps")), QByteArray("deb"));
}

void ListArrangementTest::filesFromTheFolderGoWhereDroppedAndAreCopied()
{
    chooseWorkWith({"a", "b", "c", "d", "e"});
    TFPrincipale &w = *m_window;
    highlight(w.LbxEnable, {1, 2});
    w.SbnAdd->click(); // b, c

    // Shift held, the file manager proposes to move them: the window only ever copies.
    const auto [taken, action] =
        dropFiles({work("e.eps"), work("a.eps"), work("c.eps")}, w.LbxSelected->viewport(),
                  before(w.LbxSelected, 1), Qt::ShiftModifier);
    QVERIFY(taken);
    QCOMPARE(action, Qt::CopyAction);
    QCOMPARE(texts(w.LbxSelected), QStringList({"b.eps", "e.eps", "a.eps", "c.eps"}));
    QCOMPARE(highlighted(w.LbxSelected), QStringList({"e.eps", "a.eps", "c.eps"}));
    QCOMPARE(texts(w.LbxEnable), QStringList({"d.eps"}));
    // A name already selected, dropped further down, lands before the row it was dropped on.
    QVERIFY(dropFiles({work("b.eps")}, w.LbxSelected->viewport(), before(w.LbxSelected, 3)).first);
    QCOMPARE(texts(w.LbxSelected), QStringList({"e.eps", "a.eps", "b.eps", "c.eps"}));

    // On the base-name field, files are not text to type: they go after the last name.
    QVERIFY(dropFiles({work("d.eps")}, w.LbEdtFinalName, QPoint(5, 5)).first);
    QCOMPARE(w.LbEdtFinalName->text(), QStringLiteral("final"));
    QVERIFY(!w.SbnAdd->isEnabled() && !w.SbnAddAll->isEnabled());
    // On the available list, too.
    QVERIFY(dropFiles({work("b.eps")}, w.LbxEnable->viewport(), QPoint(5, 5)).first);
    QCOMPARE(texts(w.LbxSelected), QStringList({"e.eps", "a.eps", "c.eps", "d.eps", "b.eps"}));

    w.BtnOk->click();
    QCOMPARE(contents(work("final.eps")), QByteArray("eacdb"));
}

void ListArrangementTest::filesFromAnotherFolderChooseItFirst()
{
    // A folder and a file whose names are not valid UTF-8.
    const QByteArray other = work("autre\xff");
    QVERIFY(::mkdir(other.constData(), 0755) == 0);
    const auto removeOther = qScopeGuard([&] { std::filesystem::remove_all(other.toStdString()); });
    put(other + "/z.eps", "z");
    put(other + "/\xe9.eps", "\xe9");
    put(other + "/y.eps", "y");
    put(work("a.eps"), "a");
    TFPrincipale &w = *m_window;
    // Before any folder is chosen, the lists are off: the window takes the files.
    QVERIFY(!w.LbxSelected->isEnabled() && !w.LbEdtFinalName->isEnabled());
    QVERIFY(
        dropFiles({other + "/z.eps", other + "/\xe9.eps"}, w.LbxSelected->viewport(), QPoint(5, 5))
            .first);
    QCOMPARE(w.EdtDirectory->text(), QFile::decodeName(other));
    QCOMPARE(w.directoryBytes(), other);
    QVERIFY(w.LbEdtFinalName->isEnabled() && w.LbxSelected->isEnabled());
    QCOMPARE(texts(w.LbxEnable), QStringList({"y.eps"}));
    QCOMPARE(texts(w.LbxSelected), QStringList({"z.eps", QStringLiteral("\uFFFD.eps")}));
    QVERIFY(w.BtnOk->isVisibleTo(&w));
    w.BtnOk->click();
    QCOMPARE(contents(other + "/final.eps"), QByteArray("z\xe9"));

    // Back to the work folder: the lists start afresh there.
    QVERIFY(dropFiles({work("a.eps")}, w.LbxSelected->viewport(), QPoint(5, 5)).first);
    QCOMPARE(w.EdtDirectory->text(), m_work->path());
    QCOMPARE(texts(w.LbxSelected), QStringList({"a.eps"}));
    // A folder alone is chosen, as the chooser would, once the user agreed to let a.eps go.
    MessageBoxAnswer yes;
    yes.button = QMessageBox::Yes;
    QVERIFY(dropFiles({other}, w.LblDirectory, QPoint(5, 5)).first);
    QTRY_VERIFY(yes.shown);
    QCOMPARE(yes.text, QStringLiteral("Le dossier déposé devient le répertoire des fichiers EPS. "
                                      "Vider la sélection ?"));
    QCOMPARE(w.directoryBytes(), other);
    QCOMPARE(w.LbxSelected->model()->rowCount(), 0);
    QCOMPARE(w.LbxEnable->model()->rowCount(), 4);
}

void ListArrangementTest::namesArrangedAreReplacedOnlyWhenTheUserAgrees()
{
    const QByteArray other = work("autre");
    QVERIFY(::mkdir(other.constData(), 0755) == 0);
    put(other + "/z.eps", "z");
    put(other + "/y.eps", "y");
    chooseWorkWith({"a", "b", "c"});
    TFPrincipale &w = *m_window;
    w.SbnAddAll->click();
    highlight(w.LbxSelected, {2});
    w.LbxSelected->setFocus();
    QTest::keyClick(w.LbxSelected, Qt::Key_Up, Qt::AltModifier);
    const QStringList arranged = {"a.eps", "c.eps", "b.eps"};
    QCOMPARE(texts(w.LbxSelected), arranged);

    // Asked once the drop is over, nothing changed meanwhile; Non keeps everything.
    MessageBoxAnswer no;
    no.button = QMessageBox::No;
    QStringList whileAsked;
    no.whileShown = [&] { whileAsked = texts(w.LbxSelected); };
    QVERIFY(
        dropFiles({other + "/z.eps"}, w.LbxSelected->viewport(), before(w.LbxSelected, 1)).first);
    QTRY_VERIFY(no.shown);
    QCOMPARE(no.text, QStringLiteral("Les fichiers déposés viennent d'un autre répertoire. "
                                     "Remplacer la sélection ?"));
    QCOMPARE(no.icon, QMessageBox::Question);
    QCOMPARE(no.buttons, QStringList({"&Oui", "&Non"}));
    QCOMPARE(whileAsked, arranged);
    QCOMPARE(texts(w.LbxSelected), arranged);
    QCOMPARE(w.directoryBytes(), QFile::encodeName(m_work->path()));

    // Oui: the folder is chosen and the files dropped are the selection, in their order.
    MessageBoxAnswer yes;
    yes.button = QMessageBox::Yes;
    QVERIFY(dropFiles({other + "/z.eps", other + "/y.eps"}, w.LbxSelected->viewport(),
                      before(w.LbxSelected, 1))
                .first);
    QTRY_VERIFY(yes.shown);
    QCOMPARE(w.directoryBytes(), other);
    QCOMPARE(texts(w.LbxSelected), QStringList({"z.eps", "y.eps"}));
    QCOMPARE(w.LbxEnable->model()->rowCount(), 0);

    // OK pressed before the question came: the job runs, and the drop, overtaken, is let go.
    MessageBoxAnswer overtaken;
    overtaken.button = QMessageBox::Yes;
    QVERIFY(dropFiles({work("a.eps")}, w.LbxSelected->viewport(), QPoint(5, 5)).first);
    w.BtnOk->click();
    QCoreApplication::processEvents();
    QVERIFY(!overtaken.shown);
    QCOMPARE(contents(other + "/final.eps"), QByteArray("zy"));
    QCOMPARE(w.directoryBytes(), other);
}

void ListArrangementTest::whatCannotBeAddedIsLeftOutAndSaid()
{
    put(work("note.txt"), "n");
    QVERIFY(::mkdir(work("sous").constData(), 0755) == 0 &&
            ::mkdir(work("sous/dossier").constData(), 0755) == 0);
    put(work("sous/x.eps"), "x");
    chooseWorkWith({"a"});
    TFPrincipale &w = *m_window;

    // Offered only as links, files are refused.
    const auto linked = drag_and_drop::files({work("a.eps")});
    QVERIFY(!drag_and_drop::deliver(linked.get(), w.LbxSelected->viewport(), QPoint(5, 5),
                                    Qt::LinkAction)
                 .first);
    QCOMPARE(w.LbxSelected->model()->rowCount(), 0);

    MessageBoxAnswer answer;
    const QList<QByteArray> dropped = {work("note.txt"), work("a.eps"), work("sous/dossier"),
                                       work("gone.eps"), work("sous/x.eps")};
    QVERIFY(dropFiles(dropped, w.LbxSelected->viewport(), QPoint(5, 5)).first);
    QCOMPARE(texts(w.LbxSelected), QStringList({"a.eps"}));
    QVERIFY(w.BtnOk->isVisibleTo(&w));
    // Said once the drop is over, in one box: what was added, then the four refused, each with
    // its reason; a warning, since the drop was partly taken.
    QVERIFY(!answer.shown);
    QTRY_VERIFY(answer.shown);
    QCOMPARE(answer.title, QStringLiteral("Brakwen"));
    QCOMPARE(answer.icon, QMessageBox::Warning);
    QVERIFY(answer.text.startsWith(QStringLiteral(
        "Un fichier déposé a été ajouté.\n4 éléments déposés n'ont pas été ajoutés")));
    QVERIFY(answer.text.endsWith(FileDrop::plan(drag_and_drop::files(dropped)->urls()).leftOut));

    // Nothing taken: the stop icon, and only what was refused.
    MessageBoxAnswer refused;
    QVERIFY(dropFiles({work("note.txt")}, w.LbxSelected->viewport(), QPoint(5, 5)).first);
    QTRY_VERIFY(refused.shown);
    QCOMPARE(refused.icon, QMessageBox::Critical);
    QVERIFY(refused.text.startsWith(QStringLiteral("Un élément déposé n'a pas été ajouté")));

    // The reason the box gives for leaving "dossier" out of a drop.
    const auto folderReason = [&](const QList<QByteArray> &paths) {
        MessageBoxAnswer box;
        if (!dropFiles(paths, w.LblDirectory, QPoint(5, 5)).first ||
            !QTest::qWaitFor([&] { return box.shown; }))
            return QStringLiteral("<no box>");
        const QString start = QStringLiteral("« dossier » : ");
        for (const QString &line : box.text.split(QLatin1Char('\n')))
            if (line.startsWith(start))
                return line.mid(start.size());
        return QStringLiteral("<not named>");
    };
    // Two folders alone: neither is chosen, and neither is said to come with files; with a
    // file, even one gone, a folder is.
    const QString alone = folderReason({work("sous/dossier"), work("sous")});
    const QString withFile = folderReason({work("sous/dossier"), work("a.eps")});
    QVERIFY2(alone != withFile && !alone.startsWith(QLatin1Char('<')), qPrintable(alone));
    QCOMPARE(folderReason({work("sous/dossier"), work("gone.eps")}), withFile);
    QCOMPARE(w.directoryBytes(), QFile::encodeName(m_work->path()));
    QCOMPARE(texts(w.LbxSelected), QStringList({"a.eps"}));
}

int main(int argc, char **argv)
{
    BrakwenApplication application(argc, argv);
    ListArrangementTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "list_arrangement_test.moc"
