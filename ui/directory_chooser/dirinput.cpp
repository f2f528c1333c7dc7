#include "dirinput.h"

#include "frm_choose_directory.h"
#include "shell/file_system_namespace.h"
#include "shell/path_walk.h"
#include "shell_tree_view.h"

#include <QCoreApplication>
#include <QFile>
#include <QPushButton>
#include <sys/stat.h>

QString DefaultDirectory;
TFrmChooseDirectory *FrmChooseDirectory = nullptr;

namespace {

bool isExistingDirectory(const QByteArray &path)
{
    struct stat st
    {
    };
    return shell::PathWalk::status(path, &st) && S_ISDIR(st.st_mode);
}

} // namespace

bool ChooseDirectory(TFrmChooseDirectory *dialog, const QString &caption, const QString &okText,
                     const QString &cancelText, QString &directory)
{
    QByteArray rawDirectory;
    return ChooseDirectory(dialog, caption, okText, cancelText, directory, rawDirectory);
}

bool ChooseDirectory(TFrmChooseDirectory *dialog, const QString &caption, const QString &okText,
                     const QString &cancelText, QString &directory, QByteArray &rawDirectory)
{
    if (!dialog)
        return false;
    dialog->setWindowTitle(caption);
    dialog->BtnOk->setText(okText);
    dialog->BtnCancel->setText(cancelText);
    // Bytes that no longer decode to the text belong to another folder: the text decides then.
    const bool bytesStand = !rawDirectory.isEmpty() && QFile::decodeName(rawDirectory) == directory;
    const QByteArray start = bytesStand ? rawDirectory : QFile::encodeName(directory);
    // The path is taken as it stands, trailing separator or not.
    if (directory.isEmpty() || !isExistingDirectory(start))
        dialog->ShellTreeView->setFolderPath(DefaultDirectory);
    else if (bytesStand)
        dialog->ShellTreeView->setFolderFileSystemPath(start);
    else
        dialog->ShellTreeView->setFolderPath(directory);
    if (dialog->showModal() != TFrmChooseDirectory::ResultOk)
        return false;
    // Only the tree decides: a row picked in the list names no chosen folder.
    directory = dialog->ShellTreeView->FolderPath();
    rawDirectory = dialog->ShellTreeView->folderFileSystemPath();
    return true;
}

TFrmChooseDirectory *createFrmChooseDirectory(QWidget *mainWindow)
{
    auto *dialog =
        new TFrmChooseDirectory(std::make_unique<shell::FileSystemNamespace>(), mainWindow);
    FrmChooseDirectory = dialog;
    QObject::connect(dialog, &QObject::destroyed, [] {
        FrmChooseDirectory = nullptr;
        DefaultDirectory.clear();
    });
    return dialog;
}
