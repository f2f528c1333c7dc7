// The brakwen program's command line: files and a folder opened as a file manager's "Open with"
// gives them, read as the program reads them and handed to the window; --help and --version
// answered by the built program with no display at all.
#include "brakwen_application.h"
#include "labeled_edit.h"
#include "main.h"
#include "message_box_answer.h"
#include "program_arguments.h"

#include <QDir>
#include <QFile>
#include <QListView>
#include <QProcess>
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

// The program run with no display to open: it would abort if it tried.
QProcess *runWithoutDisplay(const QStringList &arguments)
{
    auto *program = new QProcess;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QLatin1String(name));
    program->setProcessEnvironment(environment);
    program->start(QStringLiteral(BRAKWEN_TOOL_DIR "/brakwen"), arguments);
    program->waitForFinished(60000);
    return program;
}

} // namespace

class ProgramArgumentsTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void filesNamedJoinTheSelectionInTheirOrder();
    void aFolderNamedAloneIsChosen();
    void helpAndVersionNeedNoDisplay();
    void withoutADisplayEachFailureIsOneLine();

private:
    // The window, opened on what `arguments` name from the work folder, as the program does.
    ProgramArguments::Named open(std::vector<QByteArray> arguments);

    QTemporaryDir m_tool;
    QTemporaryDir m_root;
    std::unique_ptr<TFPrincipale> m_window;
};

void ProgramArgumentsTest::init()
{
    QDir root(m_root.path());
    for (const char *path : {"work/a.eps", "work/b.eps", "work/c.eps", "work/note.txt",
                             "work/-dash.eps", "other/d.eps"}) {
        QVERIFY(root.mkpath(QFileInfo(root.filePath(QLatin1String(path))).path()));
        QFile file(root.filePath(QLatin1String(path)));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    QVERIFY(QDir::setCurrent(root.filePath(QStringLiteral("work"))));
    m_window = std::make_unique<TFPrincipale>(nullptr, m_tool.filePath(QStringLiteral("brakwen")));
}

ProgramArguments::Named ProgramArgumentsTest::open(std::vector<QByteArray> arguments)
{
    arguments.insert(arguments.begin(), "brakwen");
    std::vector<char *> argv;
    for (QByteArray &argument : arguments)
        argv.push_back(argument.data());
    ProgramArguments::Named named = ProgramArguments::paths(int(argv.size()), argv.data());
    if (named.exitNow)
        return named;
    m_window->openPaths(named.paths);
    m_window->show();
    return named;
}

void ProgramArgumentsTest::filesNamedJoinTheSelectionInTheirOrder()
{
    MessageBoxAnswer answer;
    const auto named = open({"c.eps", "./a.eps", "../other/d.eps", "note.txt", "--", "-dash.eps"});
    QVERIFY(!named.exitNow);
    TFPrincipale &w = *m_window;
    // The folder chosen as the chooser would choose it: named plainly, lists and rules following.
    QCOMPARE(w.EdtDirectory->text(), QDir(m_root.path()).filePath(QStringLiteral("work")));
    QCOMPARE(texts(w.LbxSelected), QStringList({"c.eps", "a.eps", "-dash.eps"}));
    QCOMPARE(texts(w.LbxEnable), QStringList({"b.eps"}));
    QVERIFY(w.LbEdtFinalName->isEnabled() && w.LbxSelected->isEnabled());
    QVERIFY(w.BtnOk->isVisibleTo(&w) && w.SbnRemove->isEnabled());
    // The others named in one box, each with its reason.
    QTRY_VERIFY(answer.shown);
    QCOMPARE(answer.icon, QMessageBox::Warning);
    // Named to the program, they were opened, not dropped.
    QVERIFY(answer.text.startsWith(QStringLiteral("3 fichiers ouverts ont été ajoutés.\n")));
    QVERIFY(!answer.text.contains(QStringLiteral("déposé")));
    QVERIFY(answer.text.contains(QStringLiteral("« d.eps » : dans un autre dossier")));
    QVERIFY(answer.text.contains(QStringLiteral("« note.txt » : pas un fichier .eps")));

    // An option the program does not know is a usage error; after "--", a question is a name.
    QCOMPARE(open({"-dash.eps"}).exitNow, 2);
    char program[] = "brakwen", dashes[] = "--", help[] = "--help";
    char *quoted[] = {program, dashes, help};
    QVERIFY(!ProgramArguments::answerWithoutWindow(3, quoted));
}

void ProgramArgumentsTest::aFolderNamedAloneIsChosen()
{
    open({"../other/"});
    QCOMPARE(m_window->EdtDirectory->text(), QDir(m_root.path()).filePath(QStringLiteral("other")));
    QCOMPARE(texts(m_window->LbxEnable), QStringList({"d.eps"}));
    QCOMPARE(m_window->LbxSelected->model()->rowCount(), 0);
}

void ProgramArgumentsTest::helpAndVersionNeedNoDisplay()
{
    const std::unique_ptr<QProcess> help(runWithoutDisplay({QStringLiteral("--help")}));
    QCOMPARE(help->exitStatus(), QProcess::NormalExit);
    QCOMPARE(help->exitCode(), 0);
    QVERIFY(help->readAllStandardOutput().startsWith("Utilisation : brakwen "));
    const std::unique_ptr<QProcess> version(
        runWithoutDisplay({QStringLiteral("a.eps"), QStringLiteral("-V")}));
    QCOMPARE(version->exitCode(), 0);
    QVERIFY(version->readAllStandardOutput().startsWith("brakwen (Brakwen) " BRAKWEN_VERSION "\n"));
    // Output that cannot be written is no success.
    const std::unique_ptr<QProcess> full(new QProcess);
    full->setStandardOutputFile(QStringLiteral("/dev/full"));
    full->start(QStringLiteral(BRAKWEN_TOOL_DIR "/brakwen"), {QStringLiteral("--version")});
    QVERIFY(full->waitForFinished(60000));
    QCOMPARE(full->exitCode(), 1);
}

void ProgramArgumentsTest::withoutADisplayEachFailureIsOneLine()
{
    // A usage error is said as such, before the missing display matters; Qt's own options,
    // their values included, are no usage error.
    const std::unique_ptr<QProcess> bogus(runWithoutDisplay(
        {QStringLiteral("-platform"), QStringLiteral("offscreen"), QStringLiteral("--reverse"),
         QStringLiteral("--style=fusion"), QStringLiteral("--bogus")}));
    QCOMPARE(bogus->exitStatus(), QProcess::NormalExit);
    QCOMPARE(bogus->exitCode(), 2);
    QCOMPARE(QString::fromUtf8(bogus->readAllStandardError()),
             QStringLiteral("brakwen: option inconnue « --bogus » (un nom de fichier qui commence "
                            "par « - » se donne après « -- »)\nEssayez « brakwen --help ».\n"));
    // No display: one line saying so, and exit status 1, not an abort.
    const std::unique_ptr<QProcess> window(runWithoutDisplay({QStringLiteral("a.eps")}));
    QCOMPARE(window->exitStatus(), QProcess::NormalExit);
    QCOMPARE(window->exitCode(), 1);
    const QByteArray said = window->readAllStandardError();
    QVERIFY2(said.startsWith("brakwen: la fenêtre ne peut pas s'ouvrir : aucun affichage") &&
                 said.count('\n') == 1 && said.endsWith('\n'),
             said.constData());
}

int main(int argc, char **argv)
{
    BrakwenApplication application(argc, argv);
    ProgramArgumentsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "program_arguments_test.moc"
