// Prints how long the main window takes to list a folder of 100,000 entries (20,000 of them
// EPS files), compared with `ls` on the same folder, to move 10,000 highlighted names each way
// when every other name is highlighted, and to drag 10,000 of 20,000 selected names to a new
// place with the mouse; then the same listing for a folder whose 100,000 entries are all EPS
// files, with the memory the window holds for them.
//
// Run: QT_QPA_PLATFORM=offscreen build/<preset>/bench-bin/file_lists_benchmark
#include "brakwen_application.h"
#include "main.h"

#include <QApplication>
#include <QDrag>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QListView>
#include <QMimeData>
#include <QMouseEvent>
#include <QPointer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <QToolButton>
#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <unistd.h>

namespace {

constexpr int EntryCount = 100000;
constexpr int EpsCount = 20000;
constexpr int Rounds = 3;

bool makeFolder(const QString &path, bool allEps = false)
{
    const QByteArray dir = QFile::encodeName(path) + '/';
    for (int i = 0; i < EntryCount; ++i) {
        // Every fifth entry is an EPS file, some with an upper-case extension.
        QByteArray name = QByteArray("entry_") + QByteArray::number(i * 7919 % EntryCount);
        if (allEps || i % 5 == 0)
            name += (i % 3 == 0) ? ".EPS" : ".eps";
        else
            name += ".txt";
        const int fd = ::open((dir + name).constData(), O_CREAT | O_WRONLY, 0644);
        if (fd < 0 || ::close(fd) != 0)
            return false;
    }
    return true;
}

double seconds(const std::function<void()> &work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return double(timer.nsecsElapsed()) / 1e9;
}

double bestOf(const std::function<void()> &work)
{
    double best = 1e9;
    for (int round = 0; round < Rounds; ++round)
        best = std::min(best, seconds(work));
    return best;
}

// Lays the lists out and paints the window, as the user would see the result.
void show(TFPrincipale &window)
{
    window.LbxEnable->doItemsLayout();
    window.LbxSelected->doItemsLayout();
    window.repaint();
}

void highlightEveryOther(QListView *list)
{
    QItemSelection selection;
    for (int row = 0; row < list->model()->rowCount(); row += 2)
        selection.select(list->model()->index(row, 0), list->model()->index(row, 0));
    list->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
}

// Catches the drag a list starts.
class DragCatcher : public QObject
{
public:
    explicit DragCatcher(QObject *source) { source->installEventFilter(this); }
    QDrag *drag() const { return qobject_cast<QDrag *>(m_drag.data()); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::ChildAdded)
            m_drag = static_cast<QChildEvent *>(event)->child();
        return QObject::eventFilter(watched, event);
    }

private:
    QPointer<QObject> m_drag;
};

// Drags the highlighted names of `list` with the mouse from `row` and drops them before `before`.
// The platform these figures are taken on starts no drag of its own: the drag the list starts
// ends at once, and what it carries is then moved over the list and dropped, as the window
// system would.
bool dragWithMouse(QListView *list, int row, int before)
{
    QWidget *viewport = list->viewport();
    const QPoint from = list->visualRect(list->model()->index(row, 0)).center();
    const QPoint to = list->visualRect(list->model()->index(before, 0)).center() - QPoint(0, 3);
    DragCatcher catcher(list);
    const auto mouse = [&](QEvent::Type type, QPoint at, Qt::MouseButton button) {
        QMouseEvent event(type, at, viewport->mapToGlobal(at), button, Qt::LeftButton,
                          Qt::NoModifier);
        QApplication::sendEvent(viewport, &event);
    };
    mouse(QEvent::MouseButtonPress, from, Qt::LeftButton);
    for (int step = 1; step <= 3 && !catcher.drag(); ++step)
        mouse(QEvent::MouseMove, from + QPoint(0, step * QApplication::startDragDistance()),
              Qt::NoButton);
    const QDrag *drag = catcher.drag();
    if (!drag)
        return false;
    const QMimeData *data = drag->mimeData();
    QDragEnterEvent enter(to, Qt::MoveAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &enter);
    QDragMoveEvent move(to, Qt::MoveAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &move);
    QDropEvent drop(to, Qt::MoveAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &drop);
    return drop.isAccepted();
}

long rssKb(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').first().toLong();
    }
    return -1;
}

double lsSeconds(const QString &folder)
{
    return bestOf([&] {
        QProcess process;
        process.setStandardOutputFile(QProcess::nullDevice());
        process.start(QStringLiteral("ls"), {folder});
        process.waitForFinished(-1);
    });
}

} // namespace

// Lists a folder whose entries are all EPS files, first in the run so that the peak memory is
// the window's with those names alone.
bool allEpsListing(TFPrincipale &window, QTextStream &out)
{
    QTemporaryDir folder;
    if (!folder.isValid() || !makeFolder(folder.path(), true)) {
        out << "cannot create the test folder\n";
        return false;
    }
    const long rssBefore = rssKb("VmRSS:");
    out << "folder: " << EntryCount << " entries, all EPS files\n";
    const double ls = lsSeconds(folder.path());
    out << QString::asprintf("ls:                                        %.3f s\n", ls);
    window.EdtDirectory->setText(folder.path());
    const double listing = bestOf([&] {
        window.fileLists().clear();
        window.ListEpsFiles(QFile::encodeName(folder.path()) + '/');
        window.ApplyControlRules();
        show(window);
    });
    out << QString::asprintf("list, sort and show the EPS files:          %.3f s (%.2f x ls)\n",
                             listing, listing / ls);
    out << QString::asprintf("window's memory with the names listed:      %.1f MB (%+.1f MB for "
                             "the names), peak %.1f MB\n",
                             rssKb("VmRSS:") / 1024.0, (rssKb("VmRSS:") - rssBefore) / 1024.0,
                             rssKb("VmHWM:") / 1024.0);
    const bool whole = window.LbxEnable->model()->rowCount() == EntryCount;
    window.fileLists().clear();
    return whole;
}

int main(int argc, char **argv)
{
    BrakwenApplication application(argc, argv);
    QTextStream out(stdout);

    TFPrincipale window;
    window.show();
    QCoreApplication::processEvents();
    if (!allEpsListing(window, out)) {
        out << "names lost\n";
        return 1;
    }

    QTemporaryDir folder;
    if (!folder.isValid() || !makeFolder(folder.path())) {
        out << "cannot create the test folder\n";
        return 1;
    }
    out << "folder: " << EntryCount << " entries, " << EpsCount << " EPS files\n";

    const double ls = lsSeconds(folder.path());
    out << QString::asprintf("ls:                                        %.3f s\n", ls);
    window.EdtDirectory->setText(folder.path());

    const double listing = bestOf([&] {
        window.fileLists().clear();
        window.ListEpsFiles(QFile::encodeName(folder.path()) + '/');
        window.ApplyControlRules();
        show(window);
    });
    out << QString::asprintf("list, sort and show the EPS files:          %.3f s (%.2f x ls)\n",
                             listing, listing / ls);
    const double listingOnly = bestOf([&] {
        FileLists lists;
        lists.list(QFile::encodeName(folder.path()) + '/');
    });
    out << QString::asprintf("  of which reading and sorting the names:   %.3f s\n", listingOnly);
    if (window.LbxEnable->model()->rowCount() != EpsCount) {
        out << "listed " << window.LbxEnable->model()->rowCount() << " names, expected " << EpsCount
            << "\n";
        return 1;
    }

    highlightEveryOther(window.LbxEnable);
    const double add = seconds([&] {
        window.SbnAdd->click();
        show(window);
    });
    out << QString::asprintf("add 10000 highlighted, every other one:     %.3f s\n", add);

    const double addAll = seconds([&] {
        window.SbnAddAll->click();
        show(window);
    });
    out << QString::asprintf("add all 10000 remaining:                    %.3f s\n", addAll);

    highlightEveryOther(window.LbxSelected);
    const double remove = seconds([&] {
        window.SbnRemove->click();
        show(window);
    });
    out << QString::asprintf("remove 10000 highlighted, every other one:  %.3f s\n", remove);

    const double removeAll = seconds([&] {
        window.SbnRemoveAll->click();
        show(window);
    });
    out << QString::asprintf("remove all 10000 remaining:                 %.3f s\n", removeAll);

    const bool whole = window.LbxEnable->model()->rowCount() == EpsCount &&
                       window.LbxSelected->model()->rowCount() == 0;
    out << (whole ? "all names back in the available list\n" : "names lost\n");
    if (!whole)
        return 1;

    window.SbnAddAll->click();
    show(window);
    const QByteArray second = window.fileLists().selected()->nameAt(1);
    highlightEveryOther(window.LbxSelected);
    bool dropped = false;
    const double reorder = seconds([&] {
        dropped = dragWithMouse(window.LbxSelected, 0, 3);
        show(window);
    });
    out << QString::asprintf("drag 10000 of 20000 selected, every other:  %.3f s\n", reorder);
    // The unhighlighted second name now leads, the 10,000 dragged ones after it.
    const bool reordered = dropped && window.fileLists().selected()->nameAt(0) == second &&
                           window.LbxSelected->model()->rowCount() == EpsCount &&
                           window.LbxSelected->selectionModel()->isSelected(
                               window.LbxSelected->model()->index(EpsCount / 2, 0));
    out << (reordered ? "names in their new order\n" : "drag lost\n");
    return reordered ? 0 : 1;
}
