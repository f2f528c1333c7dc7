// The whole program as a user drives it: the directory button opens the real chooser, the
// names are moved in a chosen order, OK assembles them.
#include "brakwen_application.h"
#include "dirinput.h"
#include "drag_and_drop.h"
#include "frm_choose_directory.h"
#include "labeled_edit.h"
#include "main.h"
#include "message_box_answer.h"
#include "private_trash.h"
#include "shell_list_view.h"
#include "shell_tree_view.h"

#include <QAbstractItemModel>
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <dirent.h>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

void writeFile(const QString &path, const QByteArray &contents)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(contents), contents.size());
}

void writeRaw(const QByteArray &path, const QByteArray &contents)
{
    const int fd = ::open(path.constData(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
    QVERIFY2(fd >= 0, path.constData());
    QCOMPARE(::write(fd, contents.constData(), size_t(contents.size())), contents.size());
    QCOMPARE(::close(fd), 0);
}

QByteArray readRaw(const QByteArray &path)
{
    QByteArray contents;
    const int fd = ::open(path.constData(), O_RDONLY);
    if (fd < 0)
        return "<missing>";
    char buffer[256];
    for (ssize_t got; (got = ::read(fd, buffer, sizeof buffer)) > 0;)
        contents.append(buffer, got);
    ::close(fd);
    return contents;
}

// Qt's own removal cannot name entries that are not valid text: the folder's files go first,
// then the folder.
void removeRawFolder(const QByteArray &path)
{
    if (DIR *dir = ::opendir(path.constData())) {
        while (const dirent *entry = ::readdir(dir)) {
            const QByteArray name(entry->d_name);
            if (name != "." && name != "..")
                ::unlink((path + '/' + name).constData());
        }
        ::closedir(dir);
    }
    ::rmdir(path.constData());
}

QStringList texts(QListView *view)
{
    QStringList result;
    for (int row = 0; row < view->model()->rowCount(); ++row)
        result << view->model()->index(row, 0).data().toString();
    return result;
}

int rowOf(QListView *view, const QString &name)
{
    for (int row = 0; row < view->model()->rowCount(); ++row) {
        if (view->model()->index(row, 0).data().toString() == name)
            return row;
    }
    return -1;
}

// Waits for the chooser to be shown modally, then lets `act` answer it.
class ChooserAnswer : public QObject
{
public:
    explicit ChooserAnswer(std::function<void(TFrmChooseDirectory *)> act) : m_act(std::move(act))
    {
        m_timer.setInterval(0);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            auto *dialog = qobject_cast<TFrmChooseDirectory *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            m_timer.stop();
            answered = true;
            m_act(dialog);
        });
        m_timer.start();
    }
    bool answered = false;

private:
    std::function<void(TFrmChooseDirectory *)> m_act;
    QTimer m_timer;
};

} // namespace

class EndToEndTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void chooseMoveAndAssemble();
    void assembleIntoPdfWithTheConverter();
    void folderNamedWithBytesThatAreNotText();
    void orderedByDragAndFilesDroppedFromOutside();

private:
    void openWindow(const QString &executablePath);
    void chooseThroughDialog(const QString &folder, bool confirm);
    void move(const QString &name);

    std::unique_ptr<QTemporaryDir> m_tool;
    std::unique_ptr<QTemporaryDir> m_work;
    std::optional<PrivateTrash> m_trash;
    std::unique_ptr<TFPrincipale> m_window;
};

void EndToEndTest::init()
{
    m_trash.emplace();
    m_tool = std::make_unique<QTemporaryDir>();
    m_work = std::make_unique<QTemporaryDir>();
    QVERIFY(m_tool->isValid() && m_work->isValid());
    openWindow(m_tool->filePath(QStringLiteral("brakwen")));
}

void EndToEndTest::openWindow(const QString &executablePath)
{
    // One program at a time: the chooser's end clears DefaultDirectory.
    m_window.reset();
    m_window = std::make_unique<TFPrincipale>(nullptr, executablePath);
    FrmChooseDirectory = createFrmChooseDirectory(m_window.get());
    QVERIFY(FrmChooseDirectory);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void EndToEndTest::cleanup()
{
    m_window.reset(); // takes the chooser with it
    QVERIFY(!FrmChooseDirectory);
}

void EndToEndTest::chooseThroughDialog(const QString &folder, bool confirm)
{
    ChooserAnswer answer([&](TFrmChooseDirectory *dialog) {
        dialog->ShellTreeView->setFolderPath(folder);
        (confirm ? dialog->BtnOk : dialog->BtnCancel)->click();
    });
    QTest::mouseClick(m_window->SbnLocalDir, Qt::LeftButton);
    QVERIFY(answer.answered);
}

void EndToEndTest::move(const QString &name)
{
    QListView *list = m_window->LbxEnable;
    const int row = rowOf(list, name);
    QVERIFY2(row >= 0, qPrintable(name));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualRect(list->model()->index(row, 0)).center());
    QTest::mouseClick(m_window->SbnAdd, Qt::LeftButton);
}

void EndToEndTest::chooseMoveAndAssemble()
{
    writeFile(m_work->filePath(QStringLiteral("a.eps")), "%!PS a\n");
    writeFile(m_work->filePath(QStringLiteral("b.eps")), "%!PS b\n");
    writeFile(m_work->filePath(QStringLiteral("c.eps")), "%!PS c\n");

    chooseThroughDialog(m_work->path(), true);
    QCOMPARE(m_window->EdtDirectory->text(), m_work->path());
    QCOMPARE(m_window->LbxEnable->model()->rowCount(), 3);
    QVERIFY(m_window->LbEdtFinalName->isEnabled());

    m_window->CbxDeleteFiles->setChecked(false);
    move(QStringLiteral("b.eps"));
    move(QStringLiteral("a.eps"));
    QVERIFY(m_window->BtnOk->isVisible());
    QTest::mouseClick(m_window->BtnOk, Qt::LeftButton);

    QFile result(m_work->filePath(QStringLiteral("final.eps")));
    QVERIFY(result.open(QIODevice::ReadOnly));
    QCOMPARE(result.readAll(), QByteArray("%!PS b\n%!PS a\n"));
    QCOMPARE(m_window->LbxEnable->model()->rowCount(), 0);
    QCOMPARE(m_window->LbxSelected->model()->rowCount(), 0);
    QVERIFY(!m_window->BtnOk->isVisible());
    QVERIFY(m_window->BtnCancel->isVisible());
}

void EndToEndTest::assembleIntoPdfWithTheConverter()
{
    // The build places the converter beside the program: start as if from there.
    openWindow(QStringLiteral(BRAKWEN_TOOL_DIR "/brakwen"));
    QVERIFY(m_window->CbxPDFConvert->isVisible());
    QVERIFY(m_window->CbxPDFConvert->isChecked());

    const QByteArray page = "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 100 100\n"
                            "newpath 10 10 moveto 90 90 lineto stroke showpage\n";
    writeFile(m_work->filePath(QStringLiteral("p1.eps")), page);
    writeFile(m_work->filePath(QStringLiteral("p2.eps")), page);
    chooseThroughDialog(m_work->path(), true);
    QVERIFY(m_window->CbxDeleteFiles->isChecked());
    QTest::mouseClick(m_window->SbnAddAll, Qt::LeftButton);
    MessageBoxAnswer failure; // answers "Echec de la conversion." rather than hang on it
    QTest::mouseClick(m_window->BtnOk, Qt::LeftButton);
    QVERIFY2(!failure.shown, qPrintable(failure.text));

    QFile pdf(m_work->filePath(QStringLiteral("final.pdf")));
    QVERIFY(pdf.open(QIODevice::ReadOnly));
    QVERIFY(pdf.read(5) == "%PDF-");
    QVERIFY(!QFile::exists(m_work->filePath(QStringLiteral("final.eps"))));
    QVERIFY(!QFile::exists(m_work->filePath(QStringLiteral("p1.eps"))));
    QVERIFY(!QFile::exists(m_work->filePath(QStringLiteral("p2.eps"))));
    QVERIFY(!m_window->BtnOk->isVisible());

    // A file that fails: the box says "Echec de la conversion." and, below, which file and why.
    writeFile(m_work->filePath(QStringLiteral("casse.eps")),
              "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 100 100\nceci\n");
    chooseThroughDialog(m_work->path(), true);
    QTest::mouseClick(m_window->SbnAddAll, Qt::LeftButton);
    MessageBoxAnswer replace; // final.pdf is there and the sources are to go: asked first
    replace.button = QMessageBox::Yes;
    QTest::mouseClick(m_window->BtnOk, Qt::LeftButton);
    QVERIFY(replace.shown);
    QVERIFY(failure.shown);
    QCOMPARE(failure.text, QStringLiteral("Echec de la conversion."));
    QCOMPARE(failure.below,
             QStringLiteral("fichier 1 (« casse.eps ») : erreur PostScript undefined dans ceci ; "
                            "aucun PDF n'a été écrit\n"
                            "Le fichier assemblé « final.eps » est conservé.\n"
                            "Aucun fichier source n'a été supprimé."));
    QVERIFY(QFile::exists(m_work->filePath(QStringLiteral("casse.eps"))));
}

void EndToEndTest::folderNamedWithBytesThatAreNotText()
{
    const QByteArray folder = QFile::encodeName(m_work->path()) + "/bad\xff";
    QVERIFY(::mkdir(folder.constData(), 0755) == 0);
    const auto removeFolder = qScopeGuard([&] { removeRawFolder(folder); });
    writeRaw(folder + "/one.eps", "%!PS one\n");
    writeRaw(folder + "/two.eps", "%!PS two\n");
    const QString shown = m_work->path() + QStringLiteral("/bad\uFFFD");

    // Browsed to as a user does: from its parent, entering it in the contents list.
    ChooserAnswer enter([&](TFrmChooseDirectory *dialog) {
        dialog->ShellTreeView->setFolderPath(m_work->path());
        QAbstractItemModel *rows = dialog->ShellListView->model();
        for (int row = 0; row < rows->rowCount(); ++row) {
            if (rows->index(row, 0).data().toString() == QStringLiteral("bad\uFFFD"))
                dialog->ShellListView->setCurrentIndex(rows->index(row, 0));
        }
        QTest::keyClick(dialog->ShellListView, Qt::Key_Return);
        dialog->BtnOk->click();
    });
    QTest::mouseClick(m_window->SbnLocalDir, Qt::LeftButton);
    QVERIFY(enter.answered);
    QCOMPARE(m_window->EdtDirectory->text(), shown);
    QCOMPARE(texts(m_window->LbxEnable), QStringList({"one.eps", "two.eps"}));

    m_window->CbxDeleteFiles->setChecked(false);
    move(QStringLiteral("two.eps"));
    move(QStringLiteral("one.eps"));
    QTest::mouseClick(m_window->BtnOk, Qt::LeftButton);
    QCOMPARE(readRaw(folder + "/final.eps"), QByteArray("%!PS two\n%!PS one\n"));

    // The next opening comes back to that folder, not to the program's own, and a cancel
    // lists it again, the result now with its sources.
    QByteArray reopened;
    QString selectedText;
    ChooserAnswer reopen([&](TFrmChooseDirectory *dialog) {
        reopened = dialog->ShellTreeView->folderFileSystemPath();
        selectedText = dialog->ShellTreeView->currentIndex().data().toString();
        dialog->BtnCancel->click();
    });
    QTest::mouseClick(m_window->SbnLocalDir, Qt::LeftButton);
    QVERIFY(reopen.answered);
    QCOMPARE(reopened, folder);
    QCOMPARE(selectedText, QStringLiteral("bad\uFFFD"));
    QCOMPARE(m_window->EdtDirectory->text(), shown);
    QCOMPARE(texts(m_window->LbxEnable), QStringList({"final.eps", "one.eps", "two.eps"}));
}

void EndToEndTest::orderedByDragAndFilesDroppedFromOutside()
{
    for (const char *name : {"p1", "p2", "p3"})
        writeFile(m_work->filePath(QString::fromLatin1(name) + ".eps"), name);
    chooseThroughDialog(m_work->path(), true);
    m_window->CbxDeleteFiles->setChecked(false);
    QTest::mouseClick(m_window->SbnAddAll, Qt::LeftButton);
    QListView *selected = m_window->LbxSelected;
    QVERIFY(drag_and_drop::dragRows(selected, 2, selected->viewport(),
                                    selected->visualRect(selected->model()->index(0, 0)).topLeft() +
                                        QPoint(5, 2)));
    QTest::mouseClick(m_window->BtnOk, Qt::LeftButton);
    QCOMPARE(readRaw(QFile::encodeName(m_work->filePath(QStringLiteral("final.eps")))),
             QByteArray("p3p1p2"));

    // From another folder, dropped on the window as a file manager drops them.
    QTemporaryDir other;
    writeFile(other.filePath(QStringLiteral("q1.eps")), "q1");
    writeFile(other.filePath(QStringLiteral("q2.eps")), "q2");
    const auto files = drag_and_drop::files(
        {QFile::encodeName(other.filePath("q2.eps")), QFile::encodeName(other.filePath("q1.eps"))});
    QVERIFY(drag_and_drop::deliver(files.get(), m_window.get(), QPoint(400, 20),
                                   Qt::CopyAction | Qt::MoveAction)
                .first);
    QCOMPARE(m_window->EdtDirectory->text(), other.path());
    QTest::mouseClick(m_window->BtnOk, Qt::LeftButton);
    QCOMPARE(readRaw(QFile::encodeName(other.filePath(QStringLiteral("final.eps")))),
             QByteArray("q2q1"));
}

int main(int argc, char **argv)
{
    BrakwenApplication application(argc, argv);
    EndToEndTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "end_to_end_test.moc"
