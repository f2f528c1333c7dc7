// The context menus of both views over the file-system namespace and its verbs, on a temporary
// folder tree with its own home and trash: what each view does once a verb has run.

#include "folder_tree_model.h"
#include "modal_answer.h"
#include "shell/file_system_namespace.h"
#include "shell_list_view.h"
#include "shell_tree_view.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

void rightClick(QAbstractItemView *view, const QModelIndex &index)
{
    const QPoint at = view->visualRect(index).center();
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, view->viewport()->mapToGlobal(at));
    QCoreApplication::sendEvent(view->viewport(), &event);
}

QModelIndex childNamed(const QAbstractItemModel *model, const QModelIndex &parent,
                       const QString &name)
{
    for (int r = 0; r < model->rowCount(parent); ++r) {
        if (model->index(r, 0, parent).data().toString() == name)
            return model->index(r, 0, parent);
    }
    return {};
}

} // namespace

// Stands in for the desktop's file opener: notes what was opened and from where.
class OpenRecorder : public QObject
{
    Q_OBJECT

public:
    QUrl url;
    QString workingDirectory;

public slots:
    void open(const QUrl &opened)
    {
        url = opened;
        workingDirectory = QDir::currentPath();
    }
};

class ContextMenuTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<shell::FileSystemNamespace> m_ns;
    std::unique_ptr<QWidget> m_window;
    TShellTreeView *m_tree = nullptr;
    TShellListView *m_list = nullptr;

    QString path(const QString &relative) const { return m_dir->filePath(relative); }
    QModelIndex node(const QString &relative) const
    {
        QModelIndex index = m_tree->currentIndex();
        // The nodes below the selected work folder, by name.
        for (const QString &part : relative.split(QLatin1Char('/'), Qt::SkipEmptyParts))
            index = childNamed(m_tree->model(), index, part);
        return index;
    }
    QModelIndex row(const QString &name) const
    {
        return childNamed(m_list->model(), QModelIndex(), name);
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        // The trash and the home of this test stay inside its own folder.
        qputenv("XDG_DATA_HOME", QFile::encodeName(path(QStringLiteral("home/.local/share"))));
        for (const char *sub : {"home/.local/share", "work/gone", "work/dst/inner/deep",
                                "work/src/content", "work/keep"})
            QVERIFY(QDir(m_dir->path()).mkpath(QString::fromLatin1(sub)));
        QFile file(path(QStringLiteral("work/page.eps")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();

        shell::FileSystemNamespace::Options options;
        options.homePath = QFile::encodeName(path(QStringLiteral("home")));
        options.volumes = [] { return QList<shell::Volume>{{"/", QString(), "ext4", "/dev/x"}}; };
        m_ns = std::make_unique<shell::FileSystemNamespace>(options);
        m_window = std::make_unique<QWidget>();
        m_tree = new TShellTreeView(*m_ns, m_window.get());
        m_list = new TShellListView(*m_ns, m_window.get());
        m_tree->setGeometry(0, 0, 300, 400);
        m_list->setGeometry(310, 0, 300, 400);
        m_tree->setShellListView(m_list);
        m_list->setShellTreeView(m_tree);
        m_window->resize(620, 410);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        m_tree->setFolderPath(path(QStringLiteral("work")));
        m_tree->expandNode(m_tree->currentIndex());
    }

    void cleanup()
    {
        m_window.reset();
        m_ns.reset();
        m_dir.reset();
    }

    void deletingANodeRemovesItAndKeepsItInTheTrash()
    {
        const QModelIndex gone = node(QStringLiteral("gone"));
        QVERIFY(gone.isValid());
        QVERIFY(chooseInNextMenu(QStringLiteral("delete"), [&] { rightClick(m_tree, gone); }));
        QVERIFY(!node(QStringLiteral("gone")).isValid());
        QVERIFY(node(QStringLiteral("keep")).isValid());
        QVERIFY(!QFileInfo::exists(path(QStringLiteral("work/gone"))));
        QVERIFY(QFileInfo::exists(path(QStringLiteral("home/.local/share/Trash/files/gone"))));
        // The right-click chose the node without selecting it.
        QCOMPARE(m_tree->FolderPath(), path(QStringLiteral("work")));
    }

    void deletingANodeAboveTheSelectionMovesTheSelectionBeside()
    {
        m_tree->expandNode(node(QStringLiteral("dst")));
        const QModelIndex inner = node(QStringLiteral("dst/inner"));
        const QModelIndex dst = node(QStringLiteral("dst"));
        m_tree->setCurrentIndex(inner);
        QCOMPARE(m_tree->FolderPath(), path(QStringLiteral("work/dst/inner")));
        QVERIFY(chooseInNextMenu(QStringLiteral("delete"), [&] { rightClick(m_tree, dst); }));
        QVERIFY(!QFileInfo::exists(path(QStringLiteral("work/dst"))));
        // Like the deleted node itself, the selection inside it goes to the node that follows.
        QCOMPARE(m_tree->FolderPath(), path(QStringLiteral("work/gone")));
        QCOMPARE(m_list->folderIds(), *m_tree->selectedIds());
    }

    void deletingARowRefillsTheList()
    {
        QVERIFY(row(QStringLiteral("page.eps")).isValid());
        m_list->setCurrentIndex(row(QStringLiteral("page.eps")));
        QVERIFY(chooseInNextMenu(QStringLiteral("delete"),
                                 [&] { rightClick(m_list, row(QStringLiteral("page.eps"))); }));
        QVERIFY(!row(QStringLiteral("page.eps")).isValid());
        QVERIFY(row(QStringLiteral("keep")).isValid());
    }

    void pastingIntoANodeRebuildsItKeepingWhatWasOpen()
    {
        m_list->setCurrentIndex(row(QStringLiteral("src")));
        QVERIFY(chooseInNextMenu(QStringLiteral("copy"),
                                 [&] { rightClick(m_list, row(QStringLiteral("src"))); }));
        const QModelIndex dst = node(QStringLiteral("dst"));
        m_tree->expandNode(dst);
        m_tree->expandNode(node(QStringLiteral("dst/inner")));
        m_tree->setCurrentIndex(node(QStringLiteral("dst")));
        QVERIFY(chooseInNextMenu(QStringLiteral("paste"), [&] {
            QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(1, 1),
                                    m_tree->viewport()->mapToGlobal(QPoint(1, 1)));
            QCoreApplication::sendEvent(m_tree->viewport(), &event);
        }));
        QVERIFY(QFileInfo(path(QStringLiteral("work/dst/src/content"))).isDir());
        QCOMPARE(m_tree->FolderPath(), path(QStringLiteral("work/dst")));
        const QModelIndex rebuilt = m_tree->currentIndex();
        QVERIFY(m_tree->isExpanded(rebuilt));
        QVERIFY(childNamed(m_tree->model(), rebuilt, QStringLiteral("src")).isValid());
        QVERIFY(m_tree->isExpanded(childNamed(m_tree->model(), rebuilt, QStringLiteral("inner"))));
    }

    void aNodePastedIntoShowsWhatItHoldsNow()
    {
        m_list->setCurrentIndex(row(QStringLiteral("src")));
        QVERIFY(chooseInNextMenu(QStringLiteral("copy"),
                                 [&] { rightClick(m_list, row(QStringLiteral("src"))); }));
        // Pasted into from beside the selected node: "keep" was opened empty, "gone" never.
        const QPersistentModelIndex keep = node(QStringLiteral("keep"));
        const QPersistentModelIndex gone = node(QStringLiteral("gone"));
        m_tree->expandNode(keep);
        QVERIFY(!m_tree->model()->hasChildren(keep));
        QVERIFY(!m_tree->model()->hasChildren(gone));
        m_tree->setCurrentIndex(node(QStringLiteral("dst")));
        for (const QPersistentModelIndex &target : {keep, gone}) {
            QVERIFY(chooseInNextMenu(QStringLiteral("paste"), [&] { rightClick(m_tree, target); }));
            const QString name = target.data().toString();
            QVERIFY(QFileInfo(path(QStringLiteral("work/%1/src").arg(name))).isDir());
            QVERIFY2(m_tree->model()->hasChildren(target), qPrintable(name));
            QVERIFY2(childNamed(m_tree->model(), target, QStringLiteral("src")).isValid(),
                     qPrintable(name));
        }
        QCOMPARE(m_tree->FolderPath(), path(QStringLiteral("work/dst")));
    }

    void aCutIsPastedOnceAndTheRowsCarryIcons()
    {
        QGuiApplication::clipboard()->clear();
        m_list->setCurrentIndex(row(QStringLiteral("page.eps")));
        QVERIFY(!chooseInNextMenu(QStringLiteral("paste"),
                                  [&] { rightClick(m_tree, node(QStringLiteral("keep"))); }));
        QVERIFY(chooseInNextMenu(QStringLiteral("cut"),
                                 [&] { rightClick(m_list, row(QStringLiteral("page.eps"))); }));
        QVERIFY(chooseInNextMenu(QStringLiteral("paste"),
                                 [&] { rightClick(m_tree, node(QStringLiteral("keep"))); }));
        QVERIFY(QFileInfo::exists(path(QStringLiteral("work/keep/page.eps"))));
        // The moved file is no longer where the clipboard said: nothing is left to paste.
        QVERIFY(!chooseInNextMenu(QStringLiteral("paste"),
                                  [&] { rightClick(m_tree, node(QStringLiteral("dst"))); }));
        for (const QModelIndex &index : {node(QStringLiteral("dst")), row(QStringLiteral("src"))})
            QVERIFY(!index.data(Qt::DecorationRole).value<QIcon>().isNull());
    }

    void theNodeOfAnOpenMenuIsDrawnHighlighted()
    {
        const QModelIndex keep = node(QStringLiteral("keep"));
        m_tree->scrollTo(keep);
        const QRect rect = m_tree->visualRect(keep);
        // Past the end of the name, inside the row's highlight.
        const QPoint probe(qMin(rect.right(), m_tree->viewport()->width()) - 2, rect.center().y());
        const QColor highlight = m_tree->palette().color(QPalette::Active, QPalette::Highlight);
        const auto colourAtProbe = [&] {
            return m_tree->viewport()->grab().toImage().pixelColor(probe);
        };
        QVERIFY(colourAtProbe() != highlight);
        QColor during;
        QTimer whileOpen;
        connect(&whileOpen, &QTimer::timeout, [&] {
            if (QWidget *menu = QApplication::activePopupWidget()) {
                whileOpen.stop();
                during = colourAtProbe();
                menu->close();
            }
        });
        whileOpen.start(0);
        rightClick(m_tree, keep);
        QCOMPARE(during, highlight);
        QVERIFY(colourAtProbe() != highlight);
        QCOMPARE(m_tree->FolderPath(), path(QStringLiteral("work")));
    }

    void aFileIsOpenedFromItsOwnFolder()
    {
        OpenRecorder recorder;
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &recorder, "open");
        const QString before = QDir::currentPath();
        m_list->setCurrentIndex(row(QStringLiteral("page.eps")));
        QTest::keyClick(m_list, Qt::Key_Return);
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        QCOMPARE(recorder.url.toLocalFile(), path(QStringLiteral("work/page.eps")));
        QCOMPARE(recorder.workingDirectory, path(QStringLiteral("work")));
        QCOMPARE(QDir::currentPath(), before);
        QCOMPARE(m_list->currentIndex().data().toString(), QStringLiteral("page.eps"));
    }

    void altEnterShowsTheProperties()
    {
        m_list->setCurrentIndex(row(QStringLiteral("page.eps")));
        const shell::IdList folder = m_list->folderIds();
        QString shownOver;
        answerNextModal([&shownOver](QWidget *modal) {
            shownOver = modal->parentWidget() ? modal->parentWidget()->metaObject()->className()
                                              : QString();
            modal->close();
        });
        QTest::keyClick(m_list, Qt::Key_Return, Qt::AltModifier);
        QCOMPARE(shownOver, QStringLiteral("TShellListView"));
        QCOMPARE(m_list->folderIds(), folder); // a file row is not entered
        QCOMPARE(m_list->currentIndex().data().toString(), QStringLiteral("page.eps"));
    }
};

QTEST_MAIN(ContextMenuTest)
#include "context_menu_test.moc"
