// The contents list's core and both models without views: the three column protocols, the
// order of rows, cells fetched once, the built-in columns read from real entries.

#include "builtin_details.h"
#include "column_set.h"
#include "fake_namespace.h"
#include "folder_contents.h"
#include "folder_list_model.h"
#include "folder_tree_model.h"
#include "shell/id_list.h"

#include <QAbstractItemModelTester>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <utime.h>

using Desc = shell::ColumnDescription;

namespace {

QStringList headersOf(FakeNamespace &ns, FakeItem *folder, bool fileSystem = true)
{
    QStringList out;
    for (const ListColumn &c :
         ColumnSet::build(*shell::bindFolder(ns, ns.idsOf(folder)), fileSystem))
        out.append(QStringLiteral("%1/%2/%3").arg(c.header).arg(c.format).arg(c.widthInCharacters));
    return out;
}

} // namespace

class ColumnsAndContentsTest : public QObject
{
    Q_OBJECT

private slots:
    void theThreeColumnCases()
    {
        FakeNamespace ns;
        FakeItem *d = ns.makePath(QStringLiteral("/d"));
        d->columns = {Desc{QStringLiteral("Extra"), 0, 5, false}, // before any shown one: kept
                      Desc{QStringLiteral("Nom"), 0, 20, true},
                      Desc{QString(), 0, 5, true},             // empty: skipped
                      Desc{QStringLiteral("nom"), 0, 5, true}, // repeated ignoring case: skipped
                      Desc{QStringLiteral("Taille"), 1, 8, true},
                      Desc{QStringLiteral("Caché"), 0, 8, false}, // hidden after shown: the end
                      Desc{QStringLiteral("Après"), 0, 8, true}};
        QCOMPARE(headersOf(ns, d), (QStringList{"Extra/0/5", "Nom/0/20", "Taille/1/8"}));

        d->columnKind = shell::ColumnKind::Details;
        d->columns = {Desc{QStringLiteral("Nom"), 0, 20, false},
                      Desc{QStringLiteral("NOM"), 2, 5, false},   // not the same text: skipped only
                      Desc{QStringLiteral("Date"), 7, 12, false}, // unknown format: left
                      Desc{QStringLiteral("Nom"), 0, 20, false},  // comes round again: the end
                      Desc{QStringLiteral("Plus"), 0, 20, false}};
        QCOMPARE(headersOf(ns, d), (QStringList{"Nom/0/20", "Date/0/12"}));

        d->columnKind = shell::ColumnKind::None;
        QCOMPARE(headersOf(ns, d),
                 (QStringList{"Nom/0/25", "Taille/1/10", "Type/0/10", "Modifié/0/14"}));
        QCOMPARE(headersOf(ns, d, false), QStringList{"Nom/0/25"});
    }

    void rowsAreFoldersFirstAndTheirCellsFetchedOnce()
    {
        FakeNamespace ns;
        FakeItem *d = ns.makePath(QStringLiteral("/d"));
        d->add(QStringLiteral("b.txt"), false)->details[1] = QStringLiteral("12 octets");
        d->add(QStringLiteral("Zeta"));
        d->add(QStringLiteral("A.txt"), false);
        d->add(QStringLiteral("alpha"));
        FolderContents contents;
        contents.setFolder(shell::bindFolder(ns, ns.idsOf(d)), true);
        contents.fill(true);
        QStringList names;
        for (int r = 0; r < contents.rowCount(); ++r)
            names.append(contents.row(r).id + (contents.row(r).folder ? "/" : ""));
        QCOMPARE(names, (QStringList{"alpha/", "Zeta/", "A.txt", "b.txt"}));
        QVERIFY(!contents.row(3).cache); // nothing asked before the row is drawn
        QCOMPARE(contents.fetched(3).cells, QStringList{"12 octets"});
        d->children[0]->details[1] = QStringLiteral("changed");
        QCOMPARE(contents.fetched(3).cells, QStringList{"12 octets"});

        d->unreadable = true;
        contents.fill(true);
        QCOMPARE(contents.rowCount(), 0);
    }

    void builtinCellsComeFromTheEntry()
    {
        QTemporaryDir dir;
        const QByteArray base = QFile::encodeName(dir.path());
        QFile file(dir.filePath(QStringLiteral("rapport.final.eps")));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("12345") == 5);
        file.close();
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("sous.dossier")));
        // Odd seconds are shown in steps of two.
        const QDateTime when(QDate(2024, 3, 5), QTime(14, 7, 9));
        const struct utimbuf times
        {
            when.toSecsSinceEpoch(), when.toSecsSinceEpoch()
        };
        QCOMPARE(::utime(file.fileName().toUtf8().constData(), &times), 0);

        const QLocale c(QLocale::C);
        const BuiltinCells cells = BuiltinDetails::read(base + "/rapport.final.eps", c);
        QCOMPARE(cells.size + cells.type, QStringLiteral("5.eps"));
        QCOMPARE(cells.modified,
                 c.toString(when.date(), QLocale::ShortFormat) + QStringLiteral(" 14:07:08"));
        const BuiltinCells folder = BuiltinDetails::read(base + "/sous.dossier", c);
        QCOMPARE(folder.size, QString()); // no "-1" for a folder
        QCOMPARE(folder.type, QStringLiteral(".dossier"));
        QVERIFY(!folder.modified.isEmpty() && !folder.modified.contains(QStringLiteral("1899")));
        QCOMPARE(BuiltinDetails::read(base + "/absent", c).error, ENOENT);
        QCOMPARE(BuiltinDetails::formatTime(QDateTime(when.date(), QTime(0, 0, 1)), c),
                 c.toString(when.date(), QLocale::ShortFormat)); // midnight: the date alone
    }

    void builtinCellsInTheListReportAnUnreadableEntryOnce()
    {
        QTemporaryDir dir;
        QFile file(dir.filePath(QStringLiteral("a.eps")));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("abc") == 3);
        file.close();
        FakeNamespace ns;
        FakeItem *d = ns.makePath(QStringLiteral("/d"));
        d->columnKind = shell::ColumnKind::None;
        d->add(QStringLiteral("a.eps"), false)->fsPath = QFile::encodeName(file.fileName());
        d->add(QStringLiteral("gone.eps"), false)->fsPath = QFile::encodeName(dir.filePath("x"));
        FolderListModel model(ns);
        QAbstractItemModelTester tester(&model);
        QStringList errors;
        connect(&model, &FolderListModel::detailsFailed,
                [&errors](const QString &m) { errors.append(m); });
        model.setFolder(ns.idsOf(d));
        QCOMPARE(model.index(0, 1).data().toString() + model.index(0, 2).data().toString(),
                 QStringLiteral("3.eps"));
        QCOMPARE(model.index(1, 1).data().toString(), QString());
        model.index(1, 2).data();
        QCOMPARE(errors, QStringList{"Impossible de récupérer les détails de dossier pour "
                                     "\"gone.eps\". Code d'erreur $2"});
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
        const QModelIndex root = tree.index(0, 0, tree.topIndex());
        QCOMPARE(tree.rowCount(root), 3);
        // The tester opened every node: the unreadable folder lost its expand button.
        const QModelIndex locked = tree.index(2, 0, root);
        QCOMPARE(locked.data().toString(), QStringLiteral("locked"));
        QVERIFY(!tree.hasChildren(locked));
        tree.removeNode(tree.index(0, 0, root));
        QCOMPARE(tree.parent(tree.index(1, 0, root)), root);
        QCOMPARE(tree.index(1, 0, root).data().toString(), QStringLiteral("locked"));

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
};

QTEST_MAIN(ColumnsAndContentsTest)
#include "columns_and_contents_test.moc"
