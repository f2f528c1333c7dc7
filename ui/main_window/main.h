// Unit Main: the main window, where the user picks a folder, orders its EPS files and starts
// the assembly.
#pragma once

#include "assembly/job_window.h"
#include "file_lists.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>

class JobInputGate;
class LabeledEdit;
class ProgressPacer;
class QCheckBox;
class QLabel;
class QLineEdit;
class QListView;
class QProgressBar;
class QPushButton;
class QToolButton;
class TFrmChooseDirectory;

class TFPrincipale : public QWidget, public assembly::JobWindow
{
    Q_OBJECT

public:
    // Same shape as ChooseDirectory, so that tests can answer in place of the dialog.
    using DirectoryChooser =
        std::function<bool(TFrmChooseDirectory *dialog, const QString &caption,
                           const QString &okText, const QString &cancelText, QString &directory)>;

    // `executablePath` decides the Tool directory; tests point it into a temporary folder.
    explicit TFPrincipale(QWidget *parent = nullptr,
                          const QString &executablePath = QCoreApplication::applicationFilePath());
    ~TFPrincipale() override;

    // The same with the folder's bytes beside its text, the shape the real chooser answers in.
    using RawDirectoryChooser = std::function<bool(
        TFrmChooseDirectory *dialog, const QString &caption, const QString &okText,
        const QString &cancelText, QString &directory, QByteArray &rawDirectory)>;

    // `chooser` answers with text only: the directory's bytes are then those of its text.
    void setDirectoryChooser(DirectoryChooser chooser);
    void setDirectoryChooser(RawDirectoryChooser chooser)
    {
        m_chooseDirectory = std::move(chooser);
    }
    FileLists &fileLists() { return m_lists; }
    bool jobRunning() const { return m_jobRunning; }

    // Controls, in creation order.
    QLabel *LblDirectory;
    QToolButton *SbnLocalDir;
    QToolButton *SbnAddAll;
    QToolButton *SbnAdd;
    QToolButton *SbnRemove;
    QToolButton *SbnRemoveAll;
    QLabel *LblFileList;
    QLabel *LblFileSelected;
    QLineEdit *EdtDirectory;
    QPushButton *BtnCancel;
    QProgressBar *PrbRunning;
    QPushButton *BtnOk;
    QListView *LbxEnable;
    QListView *LbxSelected;
    LabeledEdit *LbEdtFinalName;
    QCheckBox *CbxPDFConvert;
    QCheckBox *CbxDeleteFiles;

    // Handlers.
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

    // Shared by the handlers and the job.
    void ListEpsFiles(const QByteArray &directory);
    // The directory that the lists and the job use: the chosen folder's own bytes while the
    // directory field still shows their text, else the bytes of that text. A folder name that
    // is not valid text shows with replacement characters, and only its bytes still name it.
    QByteArray directoryBytes() const;
    void ApplyControlRules();

    // What the assembly job drives.
    void setBusyCursor(bool busy) override;
    void setOkButtonVisible(bool visible) override;
    void setQuitButtonVisible(bool visible) override;
    void setProgressRange(int minimum, int maximum) override;
    void setProgressPosition(int position) override;
    void setProgressVisible(bool visible) override;
    void waitingForConverter() override;
    void showErrorBox(const std::string &message) override;
    void clearLists() override;
    void applyControlRules() override;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void createControls();
    void setUpTabOrder();
    void connectHandlers();
    void letWindowRepaint();

    QString m_executablePath;
    std::unique_ptr<ProgressPacer> m_progressPacer;
    FileLists m_lists;
    RawDirectoryChooser m_chooseDirectory;
    QByteArray m_directoryBytes; // as the chooser last gave them
    bool m_busyCursor = false;
    bool m_jobRunning = false;
    JobInputGate *m_inputGate = nullptr; // while the job runs
    bool m_closeAfterJob = false;
};

extern TFPrincipale *FPrincipale;
