// What a drop of files from a file manager means: the EPS files of one folder in the order
// dropped, a folder alone to choose, and one French message for what is left out and why.

#include "file_drop.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <fcntl.h>
#include <unistd.h>

class FileDropTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void epsFilesOfOneFolderKeepTheDropOrder();
    void aFolderAloneIsChosen();
    void whatCannotBeAddedIsLeftOutAndSaid();
    void namesThatAreNotUtf8KeepTheirBytes();

private:
    QByteArray path(const QByteArray &relative) const
    {
        return QFile::encodeName(m_dir.path()) + '/' + relative;
    }
    QUrl url(const QByteArray &relative) const
    {
        return QUrl::fromEncoded("file://" + path(relative).toPercentEncoding("/"));
    }
    // By its bytes: a name that is not UTF-8 would not survive a QString.
    void touch(const QByteArray &relative) const
    {
        const int fd = ::open(path(relative).constData(), O_WRONLY | O_CREAT, 0644);
        QVERIFY(fd >= 0);
        ::close(fd);
    }

    QTemporaryDir m_dir;
};

void FileDropTest::init()
{
    QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("autre")));
    QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("dossier")));
    for (const char *name : {"b.eps", "a.EPS", "c.eps", "note.txt", "autre/d.eps"})
        touch(name);
}

void FileDropTest::epsFilesOfOneFolderKeepTheDropOrder()
{
    const FileDrop drop = FileDrop::plan({url("c.eps"), url("a.EPS"), url("b.eps")});
    QCOMPARE(drop.folder, QFile::encodeName(m_dir.path()));
    QCOMPARE(drop.names, (std::vector<QByteArray>{"c.eps", "a.EPS", "b.eps"}));
    QVERIFY(!drop.folderAlone);
    QVERIFY(drop.leftOut.isEmpty());
}

void FileDropTest::aFolderAloneIsChosen()
{
    const FileDrop drop = FileDrop::plan({url("dossier")});
    QVERIFY(drop.folderAlone);
    QCOMPARE(drop.folder, path("dossier"));
    QVERIFY(drop.names.empty());
    // Named as the chooser names folders, without a final slash.
    QCOMPARE(FileDrop::plan({url("dossier/")}).folder, path("dossier"));
    // The same folder through a link is the same folder.
    QVERIFY(::symlink(path("dossier").constData(), path("lien").constData()) == 0);
    QVERIFY(FileDrop::sameFolder(path("lien"), path("dossier")));
    QVERIFY(!FileDrop::sameFolder(path("autre"), path("dossier")));
}

void FileDropTest::whatCannotBeAddedIsLeftOutAndSaid()
{
    const FileDrop drop = FileDrop::plan(
        {url("b.eps"), url("note.txt"), url("dossier"), url("autre/d.eps"), url("gone.eps"),
         QUrl(QStringLiteral("https://example.org/x.eps")), url("c.eps")});
    QCOMPARE(drop.names, (std::vector<QByteArray>{"b.eps", "c.eps"}));
    QCOMPARE(drop.leftOut,
             QStringLiteral("5 éléments déposés n'ont pas été ajoutés :\n"
                            "« gone.eps » : introuvable\n"
                            "« https://example.org/x.eps » : pas un fichier de cet ordinateur\n"
                            "« dossier » : un dossier, déposé avec des fichiers\n"
                            "« note.txt » : pas un fichier .eps\n"
                            "« d.eps » : dans un autre dossier que « %1 »")
                 .arg(m_dir.path()));
    // What was taken is counted before, each file once.
    const FileDrop some =
        FileDrop::plan({url("b.eps"), url("c.eps"), url("b.eps"), url("note.txt")});
    QVERIFY(some.partlyTaken());
    QCOMPARE(some.report(), QStringLiteral("2 fichiers déposés ont été ajoutés.\n") + some.leftOut);
    QVERIFY(!FileDrop::plan({url("b.eps")}).partlyTaken());
    // A single refusal reads in the singular.
    QVERIFY(FileDrop::plan({url("note.txt")})
                .leftOut.startsWith(QStringLiteral("Un élément déposé n'a pas été ajouté :\n")));
}

void FileDropTest::namesThatAreNotUtf8KeepTheirBytes()
{
    touch("caf\xe9.eps");
    // Qt's removal of the temporary folder skips a name it cannot decode.
    const auto remove = qScopeGuard([this] { ::unlink(path("caf\xe9.eps").constData()); });
    const FileDrop drop = FileDrop::plan({url("caf\xe9.eps")});
    QCOMPARE(drop.names, (std::vector<QByteArray>{"caf\xe9.eps"}));
    QVERIFY(drop.leftOut.isEmpty());
}

QTEST_GUILESS_MAIN(FileDropTest)
#include "file_drop_test.moc"
