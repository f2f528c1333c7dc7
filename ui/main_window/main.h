// The main window, where the user picks a folder, orders its EPS files and starts the assembly.
#pragma once

#include "file_lists.h"
#include "main_window_controls.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QList>
#include <QString>
#include <QUrl>
#include <QWidget>
#include <functional>
#include <vector>

struct FileDrop;
class JobDoneLine;
class MainWindowJob;
class PreviewLink;
class TFrmChooseDirectory;

class TFPrincipale : public QWidget, public MainWindowControls
{
    Q_OBJECT

public:
    // Same shape as ChooseDirectory, so that tests can answer in place of the dialog.
    using DirectoryChooser =
        std::function<bool(TFrmChooseDirectory *dialog, const QString &caption,
                           const QString &okText, const QString &cancelText, QString &directory)>;
    // The same with the folder's bytes beside its text, the shape the real chooser answers in.
    using RawDirectoryChooser = std::function<bool(
        TFrmChooseDirectory *dialog, const QString &caption, const QString &okText,
        const QString &cancelText, QString &directory, QByteArray &rawDirectory)>;

    // `executablePath` decides the program's folder; tests point it into a temporary folder.
    explicit TFPrincipale(QWidget *parent = nullptr,
                          const QString &executablePath = QCoreApplication::applicationFilePath());
    ~TFPrincipale() override;

    // `chooser` answers with text only: the directory's bytes are then those of its text.
    void setDirectoryChooser(DirectoryChooser chooser);
    void setDirectoryChooser(RawDirectoryChooser chooser)
    {
        m_chooseDirectory = std::move(chooser);
    }
    FileLists &fileLists() { return m_lists; }
    // The "Aperçu" window's tie to the lists (F3, the current row).
    PreviewLink *previewLink() const { return m_preview; }
    bool jobRunning() const { return m_jobRunning; }

    // Files and folders named when the program starts (absolute paths, the file system's own
    // bytes): taken as a drop of them on the window is.
    void openPaths(const std::vector<QByteArray> &paths);

    // Shared by the handlers and the job.
    void ListEpsFiles(const QByteArray &directory);
    // The directory that the lists and the job use: the chosen folder's own bytes while the
    // directory field still shows their text, else the bytes of that text. A folder name that
    // is not valid text shows with replacement characters, and only its bytes still name it.
    QByteArray directoryBytes() const;
    void ApplyControlRules();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    // Handlers, reached through the controls.
    void FormCreate();
    void SbnLocalDirClick();
    void SbnAddClick();
    void SbnAddAllClick();
    void SbnRemoveClick();
    void SbnRemoveAllClick();
    void EdtDirectoryChange();
    void LbEdtFinalNameChange();
    void BtnOkClick();
    void BtnCancelClick();

    void connectHandlers();
    // Files dropped from a file manager go to the selected list before `row` (-1: the end), their
    // folder chosen first when it is another; a folder alone is only chosen. Names already
    // selected are given up for another folder only once the user agreed.
    void dropFiles(const QList<QUrl> &files, int row);
    void takeFiles(const FileDrop &drop, int row);
    void applyFiles(const FileDrop &drop, int row);
    bool choosesFolder(const FileDrop &drop) const;

    QString m_executablePath;
    QByteArray m_toolDirectory; // the program's folder, where the converter sits
    FileLists m_lists;
    RawDirectoryChooser m_chooseDirectory;
    QByteArray m_directoryBytes; // as the chooser last gave them
    bool m_jobRunning = false;
    MainWindowJob *m_job = nullptr; // while it runs
    bool m_closeAfterJob = false;
    JobDoneLine *m_jobDone = nullptr;
    PreviewLink *m_preview = nullptr;
};

extern TFPrincipale *FPrincipale;
