// The directory chooser over the file-system namespace on a temporary folder tree, each modal
// opening answered from inside its event loop.

#include "../shell/deep_folder.h"
#include "dirinput.h"
#include "einvalid_path.h"
#include "folder_list_model.h"
#include "folder_tree_model.h"
#include "frm_choose_directory.h"
#include "modal_answer.h"
#include "shell/file_system_namespace.h"
#include "shell_list_view.h"
#include "shell_tree_view.h"

#include <QAccessible>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::unique_ptr<shell::ShellNamespace> makeNamespace(const QString &home)
{
    shell::FileSystemNamespace::Options options;
    options.homePath = QFile::encodeName(home);
    options.volumes = [] { return QList<shell::Volume>{{"/", QString(), "ext4", "/dev/root"}}; };
    return std::make_unique<shell::FileSystemNamespace>(options);
}

} // namespace

class ChooserDialogTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QWidget *m_main = nullptr;
    TFrmChooseDirectory *m_dialog = nullptr;

    QString path(const QString &relative) const { return m_dir.filePath(relative); }

    bool choose(QString &directory, std::function<void(TFrmChooseDirectory *)> action)
    {
        answerNextModal([this, action](QWidget *modal) {
            QCOMPARE(modal, m_dialog);
            action(m_dialog);
        });
        return ChooseDirectory(m_dialog, QStringLiteral("Choix du répertoire"),
                               QStringLiteral("&Ok"), QStringLiteral("&Annule"), directory);
    }
    static void ok(TFrmChooseDirectory *d) { d->BtnOk->click(); }
    static void cancel(TFrmChooseDirectory *d) { d->BtnCancel->click(); }
    int listRow(const QString &name) const
    {
        QAbstractItemModel *m = m_dialog->ShellListView->model();
        for (int r = 0; r < m->rowCount(); ++r) {
            if (m->index(r, 0).data().toString() == name)
                return r;
        }
        return -1;
    }
    void selectListRow(const QString &name)
    {
        m_dialog->ShellListView->setCurrentIndex(
            m_dialog->ShellListView->model()->index(listRow(name), 0));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        for (const char *sub : {"home", "tool", "work/a", "work/b", "work/?1 dossier"})
            QVERIFY(QDir(m_dir.path()).mkpath(QString::fromLatin1(sub)));
        QFile file(path(QStringLiteral("work/page.eps")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        DefaultDirectory = path(QStringLiteral("tool")) + QLatin1Char('/');
        m_main = new QWidget;
        m_main->setGeometry(100, 80, 801, 600);
        m_main->show();
        m_dialog = new TFrmChooseDirectory(makeNamespace(path(QStringLiteral("home"))), m_main);
    }

    void cleanupTestCase()
    {
        delete m_main; // takes the dialog with it
    }

    void theWindowIsFixedAndItsControlsPlaced()
    {
        QCOMPARE(m_dialog->size(), QSize(509, 432));
        QCOMPARE(m_dialog->minimumSize(), m_dialog->maximumSize());
        QCOMPARE(m_dialog->ShellTreeView->geometry(), QRect(8, 8, 217, 369));
        QCOMPARE(m_dialog->ShellListView->geometry(), QRect(240, 8, 257, 369));
        QCOMPARE(m_dialog->BtnOk->geometry(), QRect(48, 392, 75, 25));
        QCOMPARE(m_dialog->BtnCancel->geometry(), QRect(384, 392, 75, 25));
        const Qt::WindowFlags f = m_dialog->windowFlags();
        QVERIFY(f & Qt::WindowCloseButtonHint);
        QVERIFY(!(f & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QVERIFY(!m_dialog->BtnOk->isDefault() && !m_dialog->BtnCancel->isDefault());
        QVERIFY(!m_dialog->isVisible());
        // Created on the computer node, as at start-up.
        QCOMPARE(m_dialog->ShellTreeView->FolderPath(), QStringLiteral("Ordinateur"));
        // Named for screen readers.
        const auto nameOf = [](QWidget *widget) {
            return QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name);
        };
        QCOMPARE(nameOf(m_dialog->ShellTreeView), QStringLiteral("Dossiers"));
        QCOMPARE(nameOf(m_dialog->ShellListView), QStringLiteral("Contenu du dossier"));
        // A window to them, as the main window is.
        QCOMPARE(QAccessible::queryAccessibleInterface(m_dialog)->role(), QAccessible::Window);
    }

    void okReturnsTheFolderShownAndCentresTheFirstTime()
    {
        QString directory = path(QStringLiteral("work/a"));
        QString title, okText;
        QPoint at;
        QSize frame;
        const bool chosen = choose(directory, [&](TFrmChooseDirectory *d) {
            title = d->windowTitle();
            okText = d->BtnOk->text();
            at = d->pos();
            frame = d->frameGeometry().size();
            ok(d);
        });
        QVERIFY(chosen);
        QCOMPARE(directory, path(QStringLiteral("work/a")));
        QCOMPARE(title, QStringLiteral("Choix du répertoire"));
        QCOMPARE(okText, QStringLiteral("&Ok"));
        // Centred over the main window by their frames, title bars and borders included.
        const QRect main = m_main->frameGeometry();
        QVERIFY(frame.width() > 509 && frame.height() > 432);
        QCOMPARE(at, QPoint(main.left() + (main.width() - frame.width()) / 2,
                            main.top() + (main.height() - frame.height()) / 2));
        QVERIFY(!m_dialog->isVisible());

        // Moved by the user, it opens where it was left.
        choose(directory, [](TFrmChooseDirectory *d) {
            d->move(30, 40);
            cancel(d);
        });
        choose(directory, [&](TFrmChooseDirectory *d) {
            at = d->pos();
            cancel(d);
        });
        QCOMPARE(at, QPoint(30, 40));
    }

    void cancelAndTheCloseBoxLeaveTheDirectoryAndTheNextOpeningComesBack()
    {
        const QString start = path(QStringLiteral("work/a"));
        QString directory = start;
        QVERIFY(!choose(directory, [](TFrmChooseDirectory *d) {
            QTest::keyClick(d->ShellListView, Qt::Key_Backspace); // browse elsewhere
            QVERIFY(d->ShellTreeView->FolderPath().endsWith(QLatin1String("/work")));
            cancel(d);
        }));
        QCOMPARE(directory, start);
        QString seen;
        QVERIFY(!choose(directory, [&seen](TFrmChooseDirectory *d) {
            seen = d->ShellTreeView->FolderPath();
            d->close();
        }));
        QCOMPARE(seen, start);
        QCOMPARE(directory, start);
    }

    void escapeAndEnterInTheViewsDoNotClose()
    {
        QString directory = path(QStringLiteral("work"));
        bool stillOpen = false;
        bool aButtonLooksDefault = true;
        QVERIFY(choose(directory, [&](TFrmChooseDirectory *d) {
            // No button may look as if Enter in the views pressed it.
            aButtonLooksDefault = d->BtnOk->isDefault() || d->BtnCancel->isDefault();
            QTest::keyClick(d, Qt::Key_Escape);
            QTest::keyClick(d->ShellTreeView, Qt::Key_Escape);
            selectListRow(QStringLiteral("b"));
            QTest::keyClick(d->ShellListView, Qt::Key_Return); // enters b
            QTest::keyClick(d->ShellTreeView, Qt::Key_Return);
            stillOpen = d->isVisible();
            QTest::keyClick(d->BtnOk, Qt::Key_Return); // the focused button takes Enter
        }));
        QVERIFY(stillOpen);
        QVERIFY(!aButtonLooksDefault);
        QCOMPARE(directory, path(QStringLiteral("work/b")));
        QVERIFY(!choose(directory, [](TFrmChooseDirectory *d) {
            d->BtnCancel->setFocus();
            QTest::keyClick(d->BtnCancel, Qt::Key_Enter);
        }));
        QCOMPARE(directory, path(QStringLiteral("work/b")));
    }

    void theStartFolderFallsBackToTheToolDirectory()
    {
        const QString tool = path(QStringLiteral("tool"));
        for (const QString &given :
             {QString(), path(QStringLiteral("absent")), path(QStringLiteral("work/page.eps")),
              QStringLiteral("Ordinateur")}) {
            QString directory = given;
            QString seen;
            QVERIFY(!choose(directory, [&seen](TFrmChooseDirectory *d) {
                seen = d->ShellTreeView->FolderPath();
                cancel(d);
            }));
            QCOMPARE(seen, tool);
            QCOMPARE(directory, given);
        }
    }

    void anUnparsableStartFolderRaisesWithoutShowing()
    {
        const QString saved = DefaultDirectory;
        DefaultDirectory = QStringLiteral("outil/");
        QString directory;
        bool shown = false;
        answerNextModal([&shown](QWidget *modal) {
            shown = true;
            modal->close();
        });
        try {
            ChooseDirectory(m_dialog, QStringLiteral("Choix du répertoire"), QStringLiteral("&Ok"),
                            QStringLiteral("&Annule"), directory);
            QFAIL("no error raised");
        } catch (const std::exception &e) {
            QCOMPARE(QString::fromUtf8(e.what()),
                     QStringLiteral("Erreur de définition du chemin : \"outil/\""));
        }
        DefaultDirectory = saved;
        // The pending answer now takes the next opening; it must not have seen one before.
        QVERIFY(!shown);
        QVERIFY(!m_dialog->isVisible());
        QString again = path(QStringLiteral("work"));
        QVERIFY(!ChooseDirectory(m_dialog, QStringLiteral("x"), QStringLiteral("&Ok"),
                                 QStringLiteral("&Annule"), again));
        QVERIFY(shown);
    }

    void onlyTheTreeDecidesTheResult()
    {
        QString directory = path(QStringLiteral("work"));
        QVERIFY(choose(directory, [this](TFrmChooseDirectory *d) {
            selectListRow(QStringLiteral("page.eps"));
            ok(d);
        }));
        QCOMPARE(directory, path(QStringLiteral("work")));

        // A name the old code pages mangled is kept as it is, so the folder exists.
        QVERIFY(choose(directory, [this](TFrmChooseDirectory *d) {
            selectListRow(QStringLiteral("?1 dossier"));
            QTest::keyClick(d->ShellListView, Qt::Key_Return);
            ok(d);
        }));
        QCOMPARE(directory, path(QStringLiteral("work/?1 dossier")));
        QVERIFY(QFileInfo(directory).isDir());

        QVERIFY(choose(directory, [](TFrmChooseDirectory *d) {
            d->ShellTreeView->setFolderPath(QStringLiteral("/"));
            ok(d);
        }));
        QCOMPARE(directory, QStringLiteral("/"));

        QVERIFY(choose(directory, [](TFrmChooseDirectory *d) {
            QTest::keyClick(d->ShellListView, Qt::Key_Backspace);
            ok(d);
        }));
        QCOMPARE(directory, QStringLiteral("Ordinateur"));

        directory = path(QStringLiteral("work"));
        QVERIFY(choose(directory, [](TFrmChooseDirectory *d) {
            for (int i = 0; i < 8; ++i)
                QTest::keyClick(d->ShellListView, Qt::Key_Backspace); // up to the desktop
            ok(d);
        }));
        QCOMPARE(directory, QString());
    }

    void linksToFoldersAreFoldersToBrowse()
    {
        // A folder whose only sub-folder is a link to one.
        QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("links")));
        QVERIFY(QFile::link(path(QStringLiteral("work/a")), path(QStringLiteral("links/vers a"))));
        QString directory = path(QStringLiteral("links"));
        bool expandable = false;
        QString reached;
        QVERIFY(choose(directory, [&](TFrmChooseDirectory *d) {
            expandable = d->ShellTreeView->model()->hasChildren(d->ShellTreeView->currentIndex());
            d->ShellListView->activateRow(listRow(QStringLiteral("vers a"))); // a double-click
            reached = d->ShellTreeView->FolderPath();
            ok(d);
        }));
        QVERIFY(expandable);
        // The path reached, through the link.
        QCOMPARE(reached, path(QStringLiteral("links/vers a")));
        QCOMPARE(directory, reached);
    }

    void aFolderDeeperThanTheSystemPathLimitIsBrowsed()
    {
        const DeepFolder deep(QFile::encodeName(m_dir.path()));
        QVERIFY(deep.isValid());
        QVERIFY(deep.makeFolder("fin"));
        QVERIFY(deep.makeFile("page.eps"));
        QString directory = QFile::decodeName(deep.path());
        bool finIsFolder = false;
        bool nodeInSight = false;
        QVERIFY(choose(directory, [&](TFrmChooseDirectory *d) {
            const int fin = listRow(QStringLiteral("fin"));
            finIsFolder = fin >= 0 && d->ShellListView->folderModel()->isFolderRow(fin);
            // The selected node, far to the right, is brought into sight.
            TShellTreeView *tree = d->ShellTreeView;
            const int left = tree->visualRect(tree->currentIndex()).left();
            nodeInSight = left >= 0 && left < tree->viewport()->width();
            d->ShellListView->activateRow(fin);
            ok(d);
        }));
        QVERIFY(finIsFolder);
        QVERIFY(nodeInSight);
        QCOMPARE(directory, QFile::decodeName(deep.path() + "/fin"));
        // The next opening comes back to it.
        QString shown;
        QVERIFY(!choose(directory, [&](TFrmChooseDirectory *d) {
            shown = d->ShellTreeView->FolderPath();
            cancel(d);
        }));
        QCOMPARE(shown, directory);
    }

    void f5ReadsAFolderReplacedUnderTheSameName()
    {
        QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("remplace")));
        QString directory = path(QStringLiteral("remplace"));
        QStringList afterF5;
        QVERIFY(!choose(directory, [&](TFrmChooseDirectory *d) {
            // Another program puts a new folder in its place while the list shows it.
            QDir top(m_dir.path());
            QVERIFY(top.rename(QStringLiteral("remplace"), QStringLiteral("ancien")));
            QVERIFY(top.mkpath(QStringLiteral("remplace")));
            QFile file(path(QStringLiteral("remplace/nouveau.eps")));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.close();
            QTest::keyClick(d->ShellListView, Qt::Key_F5);
            QAbstractItemModel *rows = d->ShellListView->model();
            for (int r = 0; r < rows->rowCount(); ++r)
                afterF5 << rows->index(r, 0).data().toString();
            cancel(d);
        }));
        QCOMPARE(afterF5, QStringList{QStringLiteral("nouveau.eps")});
    }

    void aNameThatIsNotUtf8IsShownAndEntered()
    {
        // In a folder the tree has not opened yet: nothing watches for new entries.
        QVERIFY(QDir(m_dir.path()).mkdir(QStringLiteral("raw")));
        const QByteArray raw = QFile::encodeName(path(QStringLiteral("raw"))) + "/caf\xe9";
        QVERIFY(::mkdir(raw.constData(), 0755) == 0);
        QString directory = path(QStringLiteral("raw"));
        shell::IdList entered;
        QString nodeText;
        QVERIFY(!choose(directory, [&](TFrmChooseDirectory *d) {
            selectListRow(QStringLiteral("caf\uFFFD"));
            QTest::keyClick(d->ShellListView, Qt::Key_Return);
            entered = d->ShellListView->folderIds();
            nodeText = d->ShellTreeView->currentIndex().data().toString();
            cancel(d);
        }));
        // Qt's own removal cannot name it.
        QCOMPARE(::rmdir(raw.constData()), 0);
        QVERIFY(!entered.isEmpty());
        QCOMPARE(entered.last(), QByteArray("caf\xe9"));
        QCOMPARE(nodeText, QStringLiteral("caf\uFFFD"));
    }

    void folderBytesThatAreNotTextGoInAndComeOut()
    {
        // A folder below the one whose name is not text: the bytes past it must all be kept.
        QVERIFY(QDir(m_dir.path()).mkdir(QStringLiteral("rawchoice")));
        const QByteArray odd = QFile::encodeName(path(QStringLiteral("rawchoice"))) + "/\xfe";
        const QByteArray sub = odd + "/sub";
        QVERIFY(::mkdir(odd.constData(), 0755) == 0);
        QVERIFY(::mkdir(sub.constData(), 0755) == 0);
        const auto removeFolders = qScopeGuard([&] {
            ::rmdir(sub.constData());
            ::rmdir(odd.constData());
        });
        const auto chooseWithBytes = [this](QString &directory, QByteArray &raw,
                                            std::function<void(TFrmChooseDirectory *)> action) {
            answerNextModal(
                [action](QWidget *modal) { action(static_cast<TFrmChooseDirectory *>(modal)); });
            return ChooseDirectory(m_dialog, QStringLiteral("Choix du répertoire"),
                                   QStringLiteral("&Ok"), QStringLiteral("&Annule"), directory,
                                   raw);
        };

        // The bytes open the dialog on their folder and come back on OK.
        QString directory = QFile::decodeName(sub);
        QByteArray raw = sub;
        shell::IdList listed;
        QVERIFY(chooseWithBytes(directory, raw, [&](TFrmChooseDirectory *d) {
            listed = d->ShellListView->folderIds();
            ok(d);
        }));
        QCOMPARE(raw, sub);
        QCOMPARE(directory, QFile::decodeName(sub));
        QCOMPARE(listed.size() >= 2 ? listed.last(2) : listed, shell::IdList({"\xfe", "sub"}));

        // Chosen from a folder whose name is text, by entering the odd one in the list.
        directory = path(QStringLiteral("rawchoice"));
        raw.clear();
        QVERIFY(chooseWithBytes(directory, raw, [this](TFrmChooseDirectory *d) {
            selectListRow(QStringLiteral("\uFFFD"));
            QTest::keyClick(d->ShellListView, Qt::Key_Return);
            ok(d);
        }));
        QCOMPARE(raw, odd);
        QCOMPARE(directory, QFile::decodeName(odd));

        // Bytes that no longer decode to the text are another folder's: the text decides, and a
        // cancel leaves both as they were.
        directory = path(QStringLiteral("work/a"));
        raw = sub;
        QString opened;
        QVERIFY(!chooseWithBytes(directory, raw, [&](TFrmChooseDirectory *d) {
            opened = d->ShellTreeView->FolderPath();
            cancel(d);
        }));
        QCOMPARE(opened, path(QStringLiteral("work/a")));
        QCOMPARE(raw, sub);
        QCOMPARE(directory, path(QStringLiteral("work/a")));

        // A trailing separator is only spelling; bytes naming nothing, or naming it through
        // "..", raise and leave the tree where it was.
        m_dialog->ShellTreeView->setFolderFileSystemPath(sub + "/");
        QCOMPARE(m_dialog->ShellTreeView->folderFileSystemPath(), sub);
        for (const QByteArray &bad :
             {sub + "/missing", QByteArray("rel\xfe"), odd + "/../\xfe/sub"}) {
            try {
                m_dialog->ShellTreeView->setFolderFileSystemPath(bad);
                QFAIL(bad.constData());
            } catch (const EInvalidPath &e) {
                QCOMPARE(QString::fromUtf8(e.what()),
                         QStringLiteral("Erreur de définition du chemin : \"%1\"")
                             .arg(QFile::decodeName(bad)));
            }
            QCOMPARE(m_dialog->ShellTreeView->folderFileSystemPath(), sub);
        }
    }

    // Last: once the application is told to end, no event loop runs again.
    void theApplicationEndingCancels()
    {
        QString directory = path(QStringLiteral("work/a"));
        QVERIFY(!choose(directory, [](TFrmChooseDirectory *) { QCoreApplication::exit(0); }));
        QCOMPARE(directory, path(QStringLiteral("work/a")));
        QVERIFY(!m_dialog->isVisible());
    }
};

QTEST_MAIN(ChooserDialogTest)
#include "chooser_dialog_test.moc"
