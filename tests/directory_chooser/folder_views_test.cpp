// The folder tree and the contents list together, over the in-memory namespace: FolderPath
// written and read, the views following each other, the keys of the list, renames.

#include "einvalid_path.h"
#include "fake_namespace.h"
#include "folder_list_model.h"
#include "folder_node.h"
#include "folder_tree_model.h"
#include "modal_answer.h"
#include "shell_list_view.h"
#include "shell_tree_view.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QScrollBar>
#include <QTest>

namespace {

// Both views side by side in one window, linked as the chooser links them.
struct Views
{
    FakeNamespace ns;
    QWidget window;
    TShellTreeView *tree;
    TShellListView *list;

    Views()
    {
        ns.makePath(QStringLiteral("/a/b/c"));
        ns.makePath(QStringLiteral("/a/d"));
        FakeItem *a = ns.find(QStringLiteral("/a"));
        a->add(QStringLiteral("note.txt"), false);
        a->add(QStringLiteral("z.txt"), false);
        ns.makePath(QStringLiteral("/e"));
        tree = new TShellTreeView(ns, &window);
        list = new TShellListView(ns, &window);
        tree->setGeometry(0, 0, 200, 300);
        list->setGeometry(210, 0, 300, 300);
        tree->setShellListView(list);
        list->setShellTreeView(tree);
        window.resize(520, 310);
        window.show();
        QVERIFY2(QTest::qWaitForWindowExposed(&window), "window not shown");
    }

    QString selectedText() const
    {
        const QModelIndexList s = tree->selectionModel()->selectedIndexes();
        return s.isEmpty() ? QString() : s.first().data().toString();
    }
    QStringList listNames() const
    {
        QStringList names;
        for (int r = 0; r < list->model()->rowCount(); ++r)
            names.append(list->model()->index(r, 0).data().toString());
        return names;
    }
    QModelIndex treeIndex(const QString &path) const
    {
        FolderTreeModel *m = tree->folderModel();
        QModelIndex index = m->topIndex();
        index = m->index(0, 0, index); // "/"
        for (const QString &part : path.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
            QModelIndex next;
            for (int r = 0; r < m->rowCount(index); ++r) {
                if (m->index(r, 0, index).data().toString() == part)
                    next = m->index(r, 0, index);
            }
            index = next;
        }
        return index;
    }
    int listRow(const QString &name) const { return listNames().indexOf(name); }
    void selectRow(int row) { list->setCurrentIndex(list->model()->index(row, 0)); }
};

} // namespace

class FolderViewsTest : public QObject
{
    Q_OBJECT

private slots:
    void startsOnTheComputerNode()
    {
        Views v;
        QCOMPARE(v.selectedText(), QStringLiteral("Ordinateur"));
        QVERIFY(v.tree->isExpanded(v.tree->folderModel()->topIndex()));
        QVERIFY(!v.tree->rootIsDecorated());
        QCOMPARE(v.tree->indentation(), 19);
        QCOMPARE(v.tree->FolderPath(), QStringLiteral("Ordinateur")); // not "::{computer}"
        QCOMPARE(v.list->folderIds(), v.ns.computerNode());
        QCOMPARE(v.listNames(), QStringList{"/"});
        QCOMPARE(v.ns.enumerations.value(QStringLiteral("/")), 0); // nothing below is opened
        // The list's selection stays highlighted when the focus is elsewhere.
        const QPalette p = v.list->palette();
        QCOMPARE(p.color(QPalette::Inactive, QPalette::Highlight),
                 p.color(QPalette::Active, QPalette::Highlight));
    }

    void writingFolderPathShowsTheFolderInBothViews()
    {
        Views v;
        v.tree->setFolderPath(QStringLiteral("/a/b"));
        QCOMPARE(v.selectedText(), QStringLiteral("b"));
        QCOMPARE(v.tree->FolderPath(), QStringLiteral("/a/b"));
        QVERIFY(v.tree->isExpanded(v.treeIndex(QStringLiteral("/"))));
        QVERIFY(v.tree->isExpanded(v.treeIndex(QStringLiteral("/a"))));
        QVERIFY(!v.tree->isExpanded(v.treeIndex(QStringLiteral("/a/b"))));
        QCOMPARE(v.list->folderIds(), (shell::IdList{"computer", "vol:/", "a", "b"}));
        QCOMPARE(v.listNames(), QStringList{"c"});
        // Only the way down was opened.
        QCOMPARE(v.ns.enumerations.value(QStringLiteral("/e")), 0);

        v.tree->setFolderPath(QStringLiteral("/"));
        QCOMPARE(v.tree->FolderPath(), QStringLiteral("/")); // the root keeps its separator
        QCOMPARE(v.listNames(), (QStringList{"a", "e"}));
    }

    void aFolderMadeAfterItsParentWasOpenedIsFound()
    {
        Views v;
        v.tree->setFolderPath(QStringLiteral("/a/b"));
        v.tree->expandNode(v.treeIndex(QStringLiteral("/a/b")));
        v.ns.makePath(QStringLiteral("/a/c/new"));
        // Not shown until needed: nothing watches the folders.
        QVERIFY(!v.treeIndex(QStringLiteral("/a/c")).isValid());
        v.tree->setFolderPath(QStringLiteral("/a/c/new"));
        QCOMPARE(v.tree->FolderPath(), QStringLiteral("/a/c/new"));
        QVERIFY(v.tree->isExpanded(v.treeIndex(QStringLiteral("/a/b")))); // kept as it was
        QCOMPARE(v.tree->model()->rowCount(v.treeIndex(QStringLiteral("/a"))), 3);
        QCOMPARE(v.treeIndex(QStringLiteral("/a")).model()->index(1, 0, v.treeIndex("/a")).data(),
                 QVariant(QStringLiteral("c"))); // in its sorted place
    }

    void collapsingAboveTheSelectionSelectsTheCollapsedNode()
    {
        Views v;
        v.tree->setFolderPath(QStringLiteral("/a/b"));
        v.tree->collapse(v.treeIndex(QStringLiteral("/e")).parent()); // "/", above "/a/b"
        QCOMPARE(v.tree->FolderPath(), QStringLiteral("/"));
        QCOMPARE(v.listNames(), (QStringList{"a", "e"}));
        v.tree->setFolderPath(QStringLiteral("/a/b"));
        v.tree->collapse(v.treeIndex(QStringLiteral("/a/b"))); // the selected node itself
        v.tree->collapse(v.treeIndex(QStringLiteral("/e")));   // a node beside it
        QCOMPARE(v.tree->FolderPath(), QStringLiteral("/a/b"));
        QCOMPARE(v.listNames(), QStringList{"c"});
    }

    void longNamesScrollSidewaysInsteadOfBeingCut()
    {
        Views v;
        const QString name = QStringLiteral("rapport annuel de la commission des finances 2024");
        v.ns.makePath(QStringLiteral("/a/b/c/") + name);
        v.tree->setFolderPath(QStringLiteral("/a/b/c/") + name);
        const QModelIndex node = v.tree->currentIndex();
        QCOMPARE(node.data().toString(), name);
        QVERIFY(v.tree->visualRect(node).width() > v.tree->fontMetrics().horizontalAdvance(name));
        QVERIFY(v.tree->horizontalScrollBar()->maximum() > 0);
    }

    void anUnknownPathChangesNothing()
    {
        Views v;
        v.tree->setFolderPath(QStringLiteral("/a"));
        try {
            v.tree->setFolderPath(QStringLiteral("/a/\"absent\""));
            QFAIL("no error raised");
        } catch (const EInvalidPath &e) {
            QCOMPARE(QString::fromStdString(e.what()),
                     QStringLiteral("Erreur de définition du chemin : \"/a/\"absent\"\""));
        }
        QVERIFY_THROWS_EXCEPTION(std::exception, v.tree->setFolderPath(QString()));
        QCOMPARE(v.tree->FolderPath(), QStringLiteral("/a"));
        QCOMPARE(v.list->folderIds().size(), 3);
    }

    void writingTheSelectedFolderAgainChangesNothing()
    {
        Views v;
        v.tree->setFolderPath(QStringLiteral("/a"));
        v.tree->expandNode(v.treeIndex(QStringLiteral("/a")));
        v.tree->expandNode(v.treeIndex(QStringLiteral("/a/b")));
        v.tree->collapse(v.treeIndex(QStringLiteral("/a"))); // b stays open inside it
        v.selectRow(v.listRow(QStringLiteral("z.txt")));
        const int listings = v.ns.enumerations.value(QStringLiteral("/a"));

        v.tree->setFolderPath(QStringLiteral("/a/")); // the same folder, spelt otherwise
        QCOMPARE(v.ns.enumerations.value(QStringLiteral("/a")), listings); // list not refilled
        QCOMPARE(v.list->currentIndex().data().toString(), QStringLiteral("z.txt"));
        QVERIFY(v.tree->isExpanded(v.treeIndex(QStringLiteral("/a/b"))));
        QVERIFY(!v.tree->isExpanded(v.treeIndex(QStringLiteral("/a")))); // left as the user had it

        // Another folder moves both, and coming back does not fold up what was open.
        v.tree->setFolderPath(QStringLiteral("/e"));
        QCOMPARE(v.listNames(), QStringList());
        v.tree->setFolderPath(QStringLiteral("/a"));
        QVERIFY(v.tree->isExpanded(v.treeIndex(QStringLiteral("/a/b"))));
    }

    void theTreeFollowsDoubleClicksAndEnterInTheList()
    {
        Views v;
        v.tree->setFolderPath(QStringLiteral("/"));
        const QRect rect = v.list->visualRect(v.list->model()->index(v.listRow("a"), 0));
        QTest::mouseClick(v.list->viewport(), Qt::LeftButton, {}, rect.center());
        QTest::mouseDClick(v.list->viewport(), Qt::LeftButton, {}, rect.center());
        QCOMPARE(v.list->folderIds(), (shell::IdList{"computer", "vol:/", "a"}));
        QCOMPARE(v.listNames(), (QStringList{"b", "d", "note.txt", "z.txt"}));
        QCOMPARE(v.tree->FolderPath(), QStringLiteral("/a"));

        v.selectRow(v.listRow("b"));
        QTest::keyClick(v.list, Qt::Key_Return);
        QCOMPARE(v.tree->FolderPath(), QStringLiteral("/a/b"));
        QVERIFY(v.tree->isExpanded(v.treeIndex(QStringLiteral("/a"))));
        QCOMPARE(v.listNames(), QStringList{"c"});

        // A folder whose node was drawn without sub-folders gets one (pasted, made elsewhere):
        // entering it from the list still moves the tree there.
        v.tree->setFolderPath(QStringLiteral("/e"));
        QVERIFY(!v.tree->model()->hasChildren(v.treeIndex(QStringLiteral("/e"))));
        v.ns.makePath(QStringLiteral("/e/nouveau"));
        QTest::keyClick(v.list, Qt::Key_F5);
        v.selectRow(v.listRow("nouveau"));
        QTest::keyClick(v.list, Qt::Key_Return);
        QCOMPARE(v.list->folderIds().last(), QByteArray("nouveau"));
        QCOMPARE(v.tree->FolderPath(), QStringLiteral("/e/nouveau"));
        QVERIFY(v.tree->isExpanded(v.treeIndex(QStringLiteral("/e"))));
    }

    void backspaceGoesUpAndStopsAtTheDesktop()
    {
        Views v;
        v.tree->setFolderPath(QStringLiteral("/a/b"));
        QTest::keyClick(v.list, Qt::Key_Backspace);
        QCOMPARE(v.tree->FolderPath(), QStringLiteral("/a"));
        QCOMPARE(v.listNames().size(), 4);

        v.tree->setFolderPath(QStringLiteral("/"));
        QTest::keyClick(v.list, Qt::Key_Backspace);
        QCOMPARE(v.tree->FolderPath(), QStringLiteral("Ordinateur"));
        // From the computer node: the desktop's items, and nothing selected in the tree.
        QTest::keyClick(v.list, Qt::Key_Backspace);
        QCOMPARE(v.list->folderIds(), shell::IdList());
        QCOMPARE(v.listNames(), (QStringList{"Ordinateur", "/home/user"}));
        QVERIFY(v.tree->selectionModel()->selectedIndexes().isEmpty());
        QCOMPARE(v.tree->FolderPath(), QString());
        QTest::keyClick(v.list, Qt::Key_Backspace);
        QCOMPARE(v.list->folderIds(), shell::IdList());
        // Entering the computer node from the desktop brings the tree back.
        v.selectRow(v.listRow(QStringLiteral("Ordinateur")));
        QTest::keyClick(v.list, Qt::Key_Enter);
        QCOMPARE(v.tree->FolderPath(), QStringLiteral("Ordinateur"));
    }

    void f5RefillsOnlyWhenAsked()
    {
        Views v;
        v.tree->setFolderPath(QStringLiteral("/e"));
        QCOMPARE(v.listNames(), QStringList());
        v.ns.find(QStringLiteral("/e"))->add(QStringLiteral("new.eps"), false);
        QCoreApplication::processEvents();
        QCOMPARE(v.listNames(), QStringList()); // nothing watches the folder
        QTest::keyClick(v.list, Qt::Key_F5);
        QCOMPARE(v.listNames(), QStringList{"new.eps"});
        QCOMPARE(v.list->folderIds(), (shell::IdList{"computer", "vol:/", "e"}));
    }

    void describedColumnsTakeTheirWidthFromTheFont()
    {
        Views v;
        FakeItem *a = v.ns.find(QStringLiteral("/a"));
        a->columns = {{QStringLiteral("Nom"), 0, 20, true},
                      {QStringLiteral("Taille"), 1, 8, true},
                      {QStringLiteral("Genre"), 2, 6, true}};
        v.tree->setFolderPath(QStringLiteral("/a"));
        const int x = v.list->fontMetrics().horizontalAdvance(QLatin1Char('X'));
        QCOMPARE(v.list->header()->count(), 3);
        QCOMPARE(v.list->header()->sectionSize(0), 20 * x);
        QCOMPARE(v.list->header()->sectionSize(2), 6 * x);
        const QModelIndex cell = v.list->model()->index(v.listRow("note.txt"), 2);
        QCOMPARE(cell.data().toString(), QStringLiteral("note.txt:2"));
        QCOMPARE(cell.data(Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignHorizontal_Mask,
                 Qt::AlignHCenter);
        // The computer node's own columns come back with it.
        v.tree->setFolderPath(QStringLiteral("/"));
        QTest::keyClick(v.list, Qt::Key_Backspace);
        QCOMPARE(v.list->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Type"));
        // Widths the user set stay when the same folder is filled again.
        v.list->header()->resizeSection(0, 12 * x);
        QTest::keyClick(v.list, Qt::Key_F5);
        QCOMPARE(v.list->header()->sectionSize(0), 12 * x);
    }

    void aRefusedRenameShowsTheErrorAndKeepsTheName()
    {
        Views v;
        v.tree->setFolderPath(QStringLiteral("/a"));
        v.ns.find(QStringLiteral("/a/z.txt"))->refuseRename = true;
        v.ns.find(QStringLiteral("/a/d"))->refuseRename = true;
        // Through the label editor, in both views: the message comes once the editor has gone,
        // over the old name.
        const auto refused = [](QTreeView *view, const QModelIndex &index) {
            view->setCurrentIndex(index);
            view->edit(index);
            QPointer<QLineEdit> editor = view->findChild<QLineEdit *>();
            if (!editor)
                return QStringLiteral("no editor");
            editor->setText(QStringLiteral("y"));
            QString shown;
            answerNextModal([&](QWidget *modal) {
                if (auto *box = qobject_cast<QMessageBox *>(modal)) {
                    const bool editing = editor && editor->isVisible();
                    shown = box->windowTitle() + QLatin1Char('|') + box->text() +
                            (editing ? QStringLiteral(" (editor open)") : QString()) +
                            QLatin1Char('|') + index.data().toString();
                    box->accept();
                }
            });
            QTest::keyClick(editor, Qt::Key_Return);
            return QTest::qWaitFor([&shown] { return !shown.isEmpty(); })
                       ? shown
                       : QStringLiteral("no message");
        };
        QCOMPARE(refused(v.list, v.list->model()->index(v.listRow("z.txt"), 0)),
                 QStringLiteral("Brakwen|Le changement de nom en y a échoué.|z.txt"));
        QCOMPARE(v.listNames(), (QStringList{"b", "d", "note.txt", "z.txt"}));
        v.tree->expandNode(v.treeIndex(QStringLiteral("/a")));
        QCOMPARE(refused(v.tree, v.treeIndex(QStringLiteral("/a/d"))),
                 QStringLiteral("Brakwen|Le changement de nom en y a échoué.|d"));
        v.tree->setFolderPath(QStringLiteral("/a"));

        QVERIFY(v.list->model()->setData(v.list->model()->index(v.listRow("note.txt"), 0),
                                         QStringLiteral("memo.txt")));
        QCOMPARE(v.list->model()->index(2, 0).data().toString(), QStringLiteral("memo.txt"));
    }

    void aRenameInOneViewReachesTheOther()
    {
        Views v;
        v.tree->setFolderPath(QStringLiteral("/a/b"));
        // The tree renames a folder above the list's: the list reopens under the new name.
        QVERIFY(v.tree->model()->setData(v.treeIndex(QStringLiteral("/a")), QStringLiteral("a2")));
        QCOMPARE(v.list->folderIds(), (shell::IdList{"computer", "vol:/", "a2", "b"}));
        QCOMPARE(v.listNames(), QStringList{"c"});
        QCOMPARE(v.tree->FolderPath(), QStringLiteral("/a2/b"));

        // The list renames a folder whose node exists: the node takes the new name.
        QTest::keyClick(v.list, Qt::Key_Backspace);
        QCOMPARE(v.tree->FolderPath(), QStringLiteral("/a2"));
        QVERIFY(v.list->model()->setData(v.list->model()->index(v.listRow("b"), 0),
                                         QStringLiteral("b2")));
        QCOMPARE(v.treeIndex(QStringLiteral("/a2/b2")).data().toString(), QStringLiteral("b2"));
        v.tree->setCurrentIndex(v.treeIndex(QStringLiteral("/a2/b2")));
        QCOMPARE(v.listNames(), QStringList{"c"});
    }

    void aRightClickDoesNotMoveTheSelection()
    {
        Views v;
        v.tree->setFolderPath(QStringLiteral("/a"));
        const QRect e = v.tree->visualRect(v.treeIndex(QStringLiteral("/e")));
        QTest::mousePress(v.tree->viewport(), Qt::RightButton, {}, e.center());
        QTest::mouseRelease(v.tree->viewport(), Qt::RightButton, {}, e.center());
        QCOMPARE(v.tree->FolderPath(), QStringLiteral("/a"));
        QTest::mouseClick(v.tree->viewport(), Qt::LeftButton, {}, e.center());
        QCOMPARE(v.tree->FolderPath(), QStringLiteral("/e"));
        QCOMPARE(v.list->folderIds().last(), QByteArray("e"));
    }

    void asteriskOpensOneNodeOnly()
    {
        Views v;
        v.tree->setFolderPath(QStringLiteral("/"));
        QTest::keyClick(v.tree, Qt::Key_Asterisk);
        QVERIFY(v.tree->isExpanded(v.treeIndex(QStringLiteral("/"))));
        QCOMPARE(v.ns.enumerations.value(QStringLiteral("/a")), 0);
        QCOMPARE(v.ns.enumerations.value(QStringLiteral("/a/b")), 0);
    }

    void theRenameVerbStartsEditingTheSelectedRow()
    {
        Views v;
        v.tree->setFolderPath(QStringLiteral("/a"));
        v.selectRow(v.listRow("note.txt"));
        QVERIFY(chooseInNextMenu(QStringLiteral("rename"), [&v] {
            QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(5, 5),
                                    v.list->viewport()->mapToGlobal(QPoint(5, 5)));
            QCoreApplication::sendEvent(v.list->viewport(), &event);
        }));
        // Backspace while editing edits the label and does not leave the folder.
        auto *editor = v.list->findChild<QLineEdit *>();
        QVERIFY(editor && editor->isVisible());
        QCOMPARE(editor->text(), QStringLiteral("note.txt"));
        QTest::keyClick(editor, Qt::Key_Backspace);
        QCOMPARE(v.list->folderIds().size(), 3);
    }
};

QTEST_MAIN(FolderViewsTest)
#include "folder_views_test.moc"
