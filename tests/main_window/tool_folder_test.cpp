// The program's folder has two uses that must stay apart: the converter is always looked for
// there, while the chooser opens there only when the user may write beside the program; a
// system installation opens it on the user's home folder instead.
#include "brakwen_application.h"
#include "dirinput.h"
#include "main.h"
#include "message_box_answer.h"

#include <QCheckBox>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <cstdio>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

class ToolFolderTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void aProgramTheUserMayNotWriteBesideOpensTheChooserAtHome();

private:
    // The program's folder, with a converter that leaves a mark in the job's folder and fails.
    QString makeTool(bool writable);

    std::unique_ptr<QTemporaryDir> m_tool;
    std::unique_ptr<QTemporaryDir> m_home;
};

void ToolFolderTest::init()
{
    m_tool = std::make_unique<QTemporaryDir>();
    m_home = std::make_unique<QTemporaryDir>();
    QVERIFY(m_tool->isValid() && m_home->isValid());
    qputenv("HOME", QFile::encodeName(m_home->path()));
}

void ToolFolderTest::cleanup()
{
    // Writable again, so that it can be removed.
    ::chmod(QFile::encodeName(m_tool->path()).constData(), 0755);
}

QString ToolFolderTest::makeTool(bool writable)
{
    QFile script(m_tool->filePath(QStringLiteral("ps2pdf.bat")));
    if (!script.open(QIODevice::WriteOnly) ||
        script.write(": >\"${1%/*}/converter-ran\"; exit 1\n") < 0)
        return {};
    script.close();
    QFile response(m_tool->filePath(QStringLiteral("pdfwrite.rsp")));
    if (!response.open(QIODevice::WriteOnly))
        return {};
    response.close();
    ::chmod(QFile::encodeName(m_tool->path()).constData(), writable ? 0755 : 0555);
    return m_tool->path() + QLatin1Char('/');
}

void ToolFolderTest::aProgramTheUserMayNotWriteBesideOpensTheChooserAtHome()
{
    const QString tool = makeTool(false);
    QVERIFY(!tool.isEmpty());
    QTemporaryDir work;
    QFile source(work.filePath(QStringLiteral("a.eps")));
    QVERIFY(source.open(QIODevice::WriteOnly) && source.write("%!PS\n") == 5);
    source.close();

    TFPrincipale window(nullptr, tool + QStringLiteral("brakwen"));
    QCOMPARE(DefaultDirectory, m_home->path());
    // The converter is still the one beside the program.
    QVERIFY(!window.CbxPDFConvert->isHidden());
    window.setDirectoryChooser([&](TFrmChooseDirectory *, const QString &, const QString &,
                                   const QString &, QString &directory) {
        directory = work.path();
        return true;
    });
    window.SbnLocalDir->click();
    window.SbnAddAll->click();
    MessageBoxAnswer failed;
    window.BtnOk->click();
    QVERIFY(failed.shown);
    QVERIFY(QFile::exists(work.filePath(QStringLiteral("converter-ran"))));

    // Without a home folder, the program's folder serves still.
    qputenv("HOME", QFile::encodeName(m_home->filePath(QStringLiteral("gone"))));
    {
        const TFPrincipale homeless(nullptr, tool + QStringLiteral("brakwen"));
        QCOMPARE(DefaultDirectory, tool);
    }
    // A program run from a folder the user may write to opens the chooser there.
    qputenv("HOME", QFile::encodeName(m_home->path()));
    QCOMPARE(makeTool(true), tool);
    const TFPrincipale writable(nullptr, tool + QStringLiteral("brakwen"));
    QCOMPARE(DefaultDirectory, tool);
}

int main(int argc, char **argv)
{
    // Root may write anywhere: then the cases run as "nobody", in a child forked before any Qt
    // object exists, in folders that user makes.
    if (::geteuid() == 0) {
        const pid_t child = ::fork();
        if (child < 0)
            return 2;
        if (child > 0) {
            int status = 0;
            return ::waitpid(child, &status, 0) == child && WIFEXITED(status) ? WEXITSTATUS(status)
                                                                              : 3;
        }
        if (::setgroups(0, nullptr) != 0 || ::setresgid(65534, 65534, 65534) != 0 ||
            ::setresuid(65534, 65534, 65534) != 0)
            ::_exit(4);
        ::setenv("TMPDIR", "/tmp", 1);
    }
    BrakwenApplication application(argc, argv);
    ToolFolderTest test;
    // Leak checking cannot follow a process that changed its user; there is nothing to free.
    const int status = QTest::qExec(&test, argc, argv);
    std::fflush(nullptr);
    ::_exit(status);
}

#include "tool_folder_test.moc"
