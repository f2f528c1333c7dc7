// The whole program as a user drives it: the directory button opens the real chooser, the
// names are moved in a chosen order, OK assembles them.
#include "brakwen_application.h"
#include "dirinput.h"
#include "frm_choose_directory.h"
#include "labeled_edit.h"
#include "main.h"
#include "message_box_answer.h"
#include "shell_tree_view.h"

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <functional>
#include <memory>

namespace {

void writeFile(const QString &path, const QByteArray &contents)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(contents), contents.size());
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

private:
    void openWindow(const QString &executablePath);
    void chooseThroughDialog(const QString &folder, bool confirm);
    void move(const QString &name);

    std::unique_ptr<QTemporaryDir> m_tool;
    std::unique_ptr<QTemporaryDir> m_work;
    std::unique_ptr<TFPrincipale> m_window;
};

void EndToEndTest::init()
{
    m_tool = std::make_unique<QTemporaryDir>();
    m_work = std::make_unique<QTemporaryDir>();
    QVERIFY(m_tool->isValid() && m_work->isValid());
    openWindow(m_tool->filePath(QStringLiteral("brakwen")));
}

void EndToEndTest::openWindow(const QString &executablePath)
{
    // One program at a time: the chooser's end clears the Tool directory.
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
}

int main(int argc, char **argv)
{
    BrakwenApplication application(argc, argv);
    EndToEndTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "end_to_end_test.moc"
