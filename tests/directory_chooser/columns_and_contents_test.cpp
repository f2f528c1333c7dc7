// The contents list's core without widgets: the three column protocols, ordering and filters,
// the cells fetched once, renames, and the built-in columns read from real entries.

#include "builtin_details.h"
#include "column_set.h"
#include "error_box.h"
#include "fake_namespace.h"
#include "folder_contents.h"
#include "folder_list_model.h"
#include "folder_tree_model.h"
#include "id_lists.h"

#include <QAbstractItemModelTester>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>
#include <utime.h>

using Desc = shell::ColumnDescription;

namespace {

QStringList headers(const QList<ListColumn> &columns)
{
    QStringList out;
    for (const ListColumn &c : columns)
        out.append(c.header);
    return out;
}

std::shared_ptr<shell::ShellFolder> folderAt(const FakeNamespace &ns, const QString &path)
{
    return chooser::bindFolder(ns, ns.idsOf(ns.find(path)));
}

} // namespace

class ColumnsAndContentsTest : public QObject
{
    Q_OBJECT

private slots:
    void describedColumnsEndAfterTheShownOnes()
    {
        FakeNamespace ns;
        FakeItem *f = ns.makePath(QStringLiteral("/d"));
        f->columnKind = shell::ColumnKind::Described;
        f->columns = {Desc{QStringLiteral("Extra"), 0, 5, false}, // before any shown one: kept
                      Desc{QStringLiteral("Nom"), 0, 20, true},
                      Desc{QString(), 0, 5, true},             // empty: skipped
                      Desc{QStringLiteral("nom"), 0, 5, true}, // repeated ignoring case
                      Desc{QStringLiteral("Taille"), 1, 8, true},
                      Desc{QStringLiteral("Caché"), 0, 8, false}, // ends the set
                      Desc{QStringLiteral("Après"), 0, 8, true}};
        const QList<ListColumn> columns =
            ColumnSet::build(*folderAt(ns, QStringLiteral("/d")), true);
        QCOMPARE(headers(columns), (QStringList{"Extra", "Nom", "Taille"}));
        QCOMPARE(columns.at(2).format, 1);
        QCOMPARE(columns.at(2).widthInCharacters, 8);
        QCOMPARE(columns.at(2).sourceColumn, 4); // details are asked by the namespace's number
    }

    void detailsColumnsEndAtARepeatedHeader()
    {
        FakeNamespace ns;
        FakeItem *f = ns.makePath(QStringLiteral("/d"));
        f->columnKind = shell::ColumnKind::Details;
        f->columns = {Desc{QStringLiteral("Nom"), 0, 20, false},
                      Desc{QStringLiteral("NOM"), 2, 5, false}, // not the same text: skipped only
                      Desc{QStringLiteral("Date"), 7, 12, false},
                      Desc{QStringLiteral("Nom"), 0, 20, false}, // comes round again: the end
                      Desc{QStringLiteral("Plus"), 0, 20, false}};
        const QList<ListColumn> columns =
            ColumnSet::build(*folderAt(ns, QStringLiteral("/d")), true);
        QCOMPARE(headers(columns), (QStringList{"Nom", "Date"}));
        QCOMPARE(columns.at(1).format, 0); // unknown formats are left-aligned
    }

    void builtinColumnsDependOnTheFileSystem()
    {
        FakeNamespace ns;
        FakeItem *f = ns.makePath(QStringLiteral("/d"));
        f->columnKind = shell::ColumnKind::None;
        const auto folder = folderAt(ns, QStringLiteral("/d"));
        const QList<ListColumn> fs = ColumnSet::build(*folder, true);
        QCOMPARE(headers(fs), (QStringList{"Nom", "Taille", "Type", "Modifié"}));
        QCOMPARE(fs.at(1).format, 1);
        QCOMPARE((QList<int>{fs.at(0).widthInCharacters, fs.at(1).widthInCharacters,
                             fs.at(2).widthInCharacters, fs.at(3).widthInCharacters}),
                 (QList<int>{25, 10, 10, 14}));
        QCOMPARE(headers(ColumnSet::build(*folder, false)), QStringList{"Nom"});
    }

    void rowsAreFoldersFirstThenInTheFoldersOrder()
    {
        FakeNamespace ns;
        FakeItem *d = ns.makePath(QStringLiteral("/d"));
        d->add(QStringLiteral("b.txt"), false);
        d->add(QStringLiteral("Zeta"));
        d->add(QStringLiteral("A.txt"), false);
        d->add(QStringLiteral("alpha"));
        FolderContents contents;
        contents.setFolder(folderAt(ns, QStringLiteral("/d")), true);
        contents.fill(true);
        QStringList names;
        for (int r = 0; r < contents.rowCount(); ++r)
            names.append(contents.fetched(r).text);
        QCOMPARE(names, (QStringList{"alpha", "Zeta", "A.txt", "b.txt"}));
        QVERIFY(contents.row(1).folder);
        QVERIFY(!contents.row(2).folder);
    }

    void cellsAreFetchedOnceWhenFirstAsked()
    {
        FakeNamespace ns;
        FakeItem *d = ns.makePath(QStringLiteral("/d"));
        FakeItem *file = d->add(QStringLiteral("f"), false);
        file->details[1] = QStringLiteral("12 octets");
        FolderContents contents;
        contents.setFolder(folderAt(ns, QStringLiteral("/d")), true);
        contents.fill(true);
        QVERIFY(!contents.row(0).cache);
        QCOMPARE(contents.fetched(0).cells, QStringList{"12 octets"});
        file->details[1] = QStringLiteral("changed");
        QCOMPARE(contents.fetched(0).cells, QStringList{"12 octets"});
    }

    void unreadableFolderGivesNoRows()
    {
        FakeNamespace ns;
        FakeItem *d = ns.makePath(QStringLiteral("/d"));
        d->add(QStringLiteral("x"), false);
        FolderContents contents;
        contents.setFolder(folderAt(ns, QStringLiteral("/d")), true);
        contents.fill(true);
        QCOMPARE(contents.rowCount(), 1);
        d->unreadable = true;
        contents.fill(true);
        QCOMPARE(contents.rowCount(), 0);
    }

    void renameKeepsTheRowOrReportsTheNewName()
    {
        FakeNamespace ns;
        FakeItem *d = ns.makePath(QStringLiteral("/d"));
        d->add(QStringLiteral("old"), false);
        FakeItem *stuck = d->add(QStringLiteral("stuck"), false);
        stuck->refuseRename = true;
        FolderContents contents;
        contents.setFolder(folderAt(ns, QStringLiteral("/d")), true);
        contents.fill(true);
        QCOMPARE(contents.rename(0, QStringLiteral("new")), std::nullopt);
        QCOMPARE(contents.row(0).id, QByteArray("new"));
        QCOMPARE(contents.fetched(0).text, QStringLiteral("new"));
        QCOMPARE(contents.rename(1, QStringLiteral("Dé")),
                 std::optional<QString>(QStringLiteral("Le changement de nom en Dé a échoué")));
        QCOMPARE(contents.fetched(1).text, QStringLiteral("stuck"));
        QCOMPARE(errorBoxText(QStringLiteral("Le changement de nom en Dé a échoué")),
                 QStringLiteral("Le changement de nom en Dé a échoué."));
        QCOMPARE(errorBoxText(QStringLiteral("fin.")), QStringLiteral("fin."));
        QCOMPARE(errorBoxText(QStringLiteral("(fin)")), QStringLiteral("(fin)"));
    }

    void builtinCellsComeFromTheEntry()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QByteArray base = QFile::encodeName(dir.path());
        QFile file(dir.filePath(QStringLiteral("rapport.final.eps")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("12345");
        file.close();
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("sous.dossier")));
        // A fixed local time, odd seconds: shown in steps of two.
        const QDateTime when(QDate(2024, 3, 5), QTime(14, 7, 9));
        const struct utimbuf times
        {
            when.toSecsSinceEpoch(), when.toSecsSinceEpoch()
        };
        QCOMPARE(::utime((base + "/rapport.final.eps").constData(), &times), 0);

        const QLocale c(QLocale::C);
        const BuiltinCells fileCells = BuiltinDetails::read(base + "/rapport.final.eps", c);
        QCOMPARE(fileCells.error, 0);
        QCOMPARE(fileCells.size, QStringLiteral("5"));
        QCOMPARE(fileCells.type, QStringLiteral(".eps"));
        QCOMPARE(fileCells.modified, BuiltinDetails::formatTime(when.addSecs(-1), c));
        QVERIFY(fileCells.modified.contains(QStringLiteral("14:07:08")));

        const BuiltinCells folderCells = BuiltinDetails::read(base + "/sous.dossier", c);
        QCOMPARE(folderCells.size, QString()); // no "-1" for a folder
        QCOMPARE(folderCells.type, QStringLiteral(".dossier"));
        QVERIFY(!folderCells.modified.isEmpty()); // its real date, not a sentinel
        QVERIFY(!folderCells.modified.contains(QStringLiteral("1899")));

        const BuiltinCells missing = BuiltinDetails::read(base + "/absent", c);
        QCOMPARE(missing.error, ENOENT);
        QCOMPARE(BuiltinDetails::errorMessage(QStringLiteral("absent"), 0x1a),
                 QStringLiteral("Impossible de récupérer les détails de dossier pour \"absent\". "
                                "Code d'erreur $1a"));
        QCOMPARE(BuiltinDetails::typeOf("/a.b/sans"), QString());
        QCOMPARE(BuiltinDetails::formatTime(QDateTime(QDate(2024, 3, 5), QTime(0, 0, 1)), c),
                 c.toString(QDate(2024, 3, 5), QLocale::ShortFormat));
    }

    void builtinCellsInTheListAndTheirFailure()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QFile file(dir.filePath(QStringLiteral("a.eps")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("abc");
        file.close();
        FakeNamespace ns;
        FakeItem *d = ns.makePath(QStringLiteral("/d"));
        d->columnKind = shell::ColumnKind::None;
        d->add(QStringLiteral("a.eps"), false)->fsPath = QFile::encodeName(file.fileName());
        d->add(QStringLiteral("gone.eps"), false)->fsPath = QFile::encodeName(dir.filePath("gone"));
        FolderListModel model(ns);
        QAbstractItemModelTester tester(&model);
        QStringList errors;
        connect(&model, &FolderListModel::detailsFailed,
                [&errors](const QString &m) { errors.append(m); });
        model.setFolder(ns.idsOf(d));
        QCOMPARE(model.columnCount(), 4);
        QCOMPARE(model.headerData(3, Qt::Horizontal).toString(), QStringLiteral("Modifié"));
        QCOMPARE(model.index(0, 1).data().toString(), QStringLiteral("3"));
        QCOMPARE(model.index(0, 2).data().toString(), QStringLiteral(".eps"));
        QVERIFY(errors.isEmpty());
        QCOMPARE(model.index(1, 1).data().toString(), QString());
        QCOMPARE(errors.size(), 1); // once, however often the row is drawn
        model.index(1, 2).data();
        QCOMPARE(errors.size(), 1);
        QVERIFY(errors.first().startsWith(
            QStringLiteral("Impossible de récupérer les détails de dossier pour \"gone.eps\"")));
    }

    void modelsPassTheModelTester()
    {
        FakeNamespace ns;
        ns.makePath(QStringLiteral("/a/b/c"));
        ns.makePath(QStringLiteral("/a/d"));
        ns.makePath(QStringLiteral("/e"))->add(QStringLiteral("f.txt"), false);
        ns.makePath(QStringLiteral("/locked"))->unreadable = true;
        FolderTreeModel tree(ns);
        QAbstractItemModelTester treeTester(&tree);
        tree.fetchMore(tree.topIndex());
        const QModelIndex root = tree.index(0, 0, tree.topIndex());
        tree.fetchMore(root);
        QCOMPARE(tree.rowCount(root), 3);
        // The tester has walked every node: the unreadable folder lost its expand button.
        const QModelIndex locked = tree.index(2, 0, root);
        QCOMPARE(locked.data().toString(), QStringLiteral("locked"));
        QVERIFY(!tree.hasChildren(locked));
        QCOMPARE(tree.rowCount(locked), 0);
        tree.removeNode(tree.index(0, 0, root));
        QCOMPARE(tree.index(0, 0, root).data().toString(), QStringLiteral("e"));
        QCOMPARE(tree.parent(tree.index(0, 0, root)), root);

        FolderListModel list(ns);
        QAbstractItemModelTester listTester(&list);
        list.setFolder(ns.idsOf(ns.find(QStringLiteral("/e"))));
        QCOMPARE(list.rowCount(), 1);
        list.refill();
        list.setFolder({"computer", "vol:/", "missing"});
        // What cannot be opened shows the desktop.
        QCOMPARE(list.folderIds(), shell::IdList());
        QCOMPARE(list.rowCount(), 2);
    }

    void treeChildrenAreCreatedOnFirstExpansionOnly()
    {
        FakeNamespace ns;
        ns.makePath(QStringLiteral("/a/b"));
        ns.makePath(QStringLiteral("/locked"))->unreadable = true;
        FolderTreeModel tree(ns);
        QVERIFY(ns.enumerations.isEmpty());
        tree.fetchMore(tree.topIndex());
        const QModelIndex root = tree.index(0, 0, tree.topIndex());
        tree.fetchMore(root);
        tree.fetchMore(root); // a second expansion creates nothing more
        QCOMPARE(tree.rowCount(root), 2);
        QCOMPARE(ns.enumerations.value(QStringLiteral("/")), 1);
        QCOMPARE(ns.enumerations.value(QStringLiteral("/a")), 0);
        const QModelIndex a = tree.index(0, 0, root);
        const QModelIndex locked = tree.index(1, 0, root);
        QVERIFY(tree.hasChildren(a));
        QVERIFY(tree.hasChildren(locked));
        tree.fetchMore(locked);
        QVERIFY(!tree.hasChildren(locked));
        QVERIFY(!tree.canFetchMore(locked));
    }

    void treeRenameFollowsTheNewIdentifier()
    {
        FakeNamespace ns;
        ns.makePath(QStringLiteral("/a/b"));
        ns.makePath(QStringLiteral("/z"))->refuseRename = true;
        FolderTreeModel tree(ns);
        QAbstractItemModelTester tester(&tree);
        tree.fetchMore(tree.topIndex());
        const QModelIndex root = tree.index(0, 0, tree.topIndex());
        tree.fetchMore(root);
        const QModelIndex a = tree.index(0, 0, root);
        tree.fetchMore(a);
        QStringList failures;
        connect(&tree, &FolderTreeModel::renameFailed,
                [&failures](const QString &m) { failures.append(m); });
        QVERIFY(tree.setData(a, QStringLiteral("A2")));
        QCOMPARE(a.data().toString(), QStringLiteral("A2"));
        // The child's identifier list follows, so it can still be opened and found.
        const FolderNode *b = tree.nodeFor(tree.index(0, 0, a));
        QCOMPARE(b->ids(), (shell::IdList{"computer", "vol:/", "A2", "b"}));
        QVERIFY(b->folder() != nullptr);
        QVERIFY(!tree.setData(tree.index(1, 0, root), QStringLiteral("y")));
        QCOMPARE(failures, QStringList{"Le changement de nom en y a échoué"});
        QCOMPARE(tree.index(1, 0, root).data().toString(), QStringLiteral("z"));
        QVERIFY(!(tree.flags(tree.topIndex()) & Qt::ItemIsEditable));
    }
};

QTEST_MAIN(ColumnsAndContentsTest)
#include "columns_and_contents_test.moc"
