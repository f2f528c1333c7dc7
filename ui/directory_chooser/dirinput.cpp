#include "dirinput.h"

#include "frm_choose_directory.h"
#include "shell/file_system_namespace.h"
#include "shell_tree_view.h"

#include <QCoreApplication>
#include <QFile>
#include <QPushButton>
#include <sys/stat.h>

QString DefaultDirectory;
TFrmChooseDirectory *FrmChooseDirectory = nullptr;

namespace {

bool isExistingDirectory(const QString &path)
{
    struct stat st
    {
    };
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

} // namespace

bool ChooseDirectory(TFrmChooseDirectory *dialog, const QString &caption, const QString &okText,
                     const QString &cancelText, QString &directory)
{
    if (!dialog)
        return false;
    dialog->setWindowTitle(caption);
    dialog->BtnOk->setText(okText);
    dialog->BtnCancel->setText(cancelText);
    // The text is taken as it stands, trailing separator or not.
    const QString start =
        !directory.isEmpty() && isExistingDirectory(directory) ? directory : DefaultDirectory;
    dialog->ShellTreeView->setFolderPath(start);
    if (dialog->showModal() != TFrmChooseDirectory::ResultOk)
        return false;
    // Only the tree decides: a row picked in the list names no chosen folder.
    directory = dialog->ShellTreeView->FolderPath();
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
