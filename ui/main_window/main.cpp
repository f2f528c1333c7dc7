#include "main.h"

#include "assembly/pdf_conversion.h"
#include "control_factory.h"
#include "control_rules.h"
#include "default_error_box.h"
#include "dirinput.h"
#include "error_box.h"
#include "file_drop.h"
#include "frame_centring.h"
#include "job_done_line.h"
#include "job_summary.h"
#include "labeled_edit.h"
#include "list_arrangement.h"
#include "list_moves.h"
#include "main_window_job.h"
#include "preview_link.h"
#include "question_box.h"
#include "tool_directory.h"
#include "window_role.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFile>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QScopeGuard>
#include <QShortcut>
#include <QTimer>
#include <QToolButton>
#include <utility>

TFPrincipale *FPrincipale = nullptr;

TFPrincipale::TFPrincipale(QWidget *parent, const QString &executablePath)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      m_executablePath(executablePath),
      m_chooseDirectory([](TFrmChooseDirectory *dialog, const QString &caption,
                           const QString &okText, const QString &cancelText, QString &directory,
                           QByteArray &rawDirectory) {
          return ChooseDirectory(dialog, caption, okText, cancelText, directory, rawDirectory);
      })
{
    setObjectName(QStringLiteral("FPrincipale"));
    setWindowTitle(QStringLiteral("Brakwen"));
    setFont(ControlFactory::windowFont());
    setFixedSize(ClientWidth, ClientHeight);
    setUpControls(this, m_lists);
    m_jobDone = new JobDoneLine(LblJobDone);
    FormCreate();
    // Only now: loading the initial texts must not run the change handlers.
    connectHandlers();
    if (isWindow()) {
        FrameCentring::atNextShow(this, FrameCentring::screenCentre(this));
        WindowRole::reportAsWindow(this);
    }
}

TFPrincipale::~TFPrincipale()
{
    if (FPrincipale == this)
        FPrincipale = nullptr;
}

void TFPrincipale::connectHandlers()
{
    const auto handle = [this](void (TFPrincipale::*handler)()) {
        return [this, handler] { DefaultErrorBox::guard([this, handler] { (this->*handler)(); }); };
    };
    connect(SbnLocalDir, &QToolButton::clicked, this, handle(&TFPrincipale::SbnLocalDirClick));
    connect(SbnAdd, &QToolButton::clicked, this, handle(&TFPrincipale::SbnAddClick));
    connect(SbnAddAll, &QToolButton::clicked, this, handle(&TFPrincipale::SbnAddAllClick));
    connect(SbnRemove, &QToolButton::clicked, this, handle(&TFPrincipale::SbnRemoveClick));
    connect(SbnRemoveAll, &QToolButton::clicked, this, handle(&TFPrincipale::SbnRemoveAllClick));
    connect(EdtDirectory, &QLineEdit::textChanged, this, handle(&TFPrincipale::EdtDirectoryChange));
    connect(LbEdtFinalName, &QLineEdit::textChanged, this,
            handle(&TFPrincipale::LbEdtFinalNameChange));
    connect(BtnOk, &QPushButton::clicked, this, [this] {
        DefaultErrorBox::guard([this] { BtnOkClick(); });
        // A close asked for during the job, and not taken back, takes effect now that the job,
        // and its error box if it failed, are over.
        if (std::exchange(m_closeAfterJob, false))
            close();
    });
    connect(BtnCancel, &QPushButton::clicked, this, handle(&TFPrincipale::BtnCancelClick));
    new ListArrangement(
        this, LbxEnable, LbxSelected, m_lists, [this] { ApplyControlRules(); },
        [this](const QList<QUrl> &files, int row) {
            DefaultErrorBox::guard([&] { dropFiles(files, row); });
        });

    // The keyboard's ways to what the glyph buttons do.
    auto *chooseDirectory = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_O), this);
    connect(chooseDirectory, &QShortcut::activated, SbnLocalDir, &QToolButton::click);
    const auto moveName = [this](void (FileLists::*move)(int)) {
        return [this, move](int row) {
            DefaultErrorBox::guard([this, move, row] {
                (m_lists.*move)(row);
                ApplyControlRules();
            });
        };
    };
    new ListMoves(LbxEnable, SbnAdd, moveName(&FileLists::addName));
    new ListMoves(LbxSelected, SbnRemove, moveName(&FileLists::removeName));
    m_preview = new PreviewLink(
        this, {LbxEnable, LbxSelected}, [this] { return directoryBytes(); },
        [this] { return m_jobRunning; });
}

void TFPrincipale::FormCreate()
{
    setWindowTitle(QStringLiteral("Brakwen version " BRAKWEN_VERSION));
    // The converter is always looked for beside the program; only the chooser falls back
    // elsewhere.
    m_toolDirectory = QFile::encodeName(ToolDirectory::fromExecutablePath(m_executablePath));
    DefaultDirectory = ToolDirectory::chooserFallback(QFile::decodeName(m_toolDirectory));
    const bool converter = assembly::converterAvailable(m_toolDirectory.toStdString());
    // A hidden, cleared box: the job then never converts.
    CbxPDFConvert->setVisible(converter);
    CbxPDFConvert->setChecked(converter);
}

void TFPrincipale::setDirectoryChooser(DirectoryChooser chooser)
{
    m_chooseDirectory =
        [chooser = std::move(chooser)](TFrmChooseDirectory *dialog, const QString &caption,
                                       const QString &okText, const QString &cancelText,
                                       QString &directory, QByteArray &rawDirectory) {
            if (!chooser(dialog, caption, okText, cancelText, directory))
                return false;
            rawDirectory.clear();
            return true;
        };
}

void TFPrincipale::SbnLocalDirClick()
{
    QString directory = EdtDirectory->text();
    QByteArray rawDirectory = directoryBytes();
    // An error from the chooser (a start folder it cannot show) ends the handler here, with
    // the lists untouched.
    if (m_chooseDirectory(FrmChooseDirectory, QStringLiteral("Choix du répertoire"),
                          QStringLiteral("&Ok"), QStringLiteral("&Annule"), directory,
                          rawDirectory)) {
        m_directoryBytes = rawDirectory;
        EdtDirectory->setText(directory);
    }
    // Confirmed or not, both lists start afresh from the directory as it now stands.
    ListEpsFiles(directoryBytes() + '/');
    ApplyControlRules();
}

QByteArray TFPrincipale::directoryBytes() const
{
    const QString text = EdtDirectory->text();
    if (!m_directoryBytes.isEmpty() && QFile::decodeName(m_directoryBytes) == text)
        return m_directoryBytes;
    return QFile::encodeName(text);
}

void TFPrincipale::dropFiles(const QList<QUrl> &files, int row)
{
    takeFiles(FileDrop::plan(files), row);
}

void TFPrincipale::openPaths(const std::vector<QByteArray> &paths)
{
    DefaultErrorBox::guard([&] { takeFiles(FileDrop::plan(paths), -1); });
}

bool TFPrincipale::choosesFolder(const FileDrop &drop) const
{
    return !drop.empty() &&
           (drop.folderAlone || !FileDrop::sameFolder(drop.folder, directoryBytes()));
}

void TFPrincipale::takeFiles(const FileDrop &drop, int row)
{
    if (choosesFolder(drop) && m_lists.selectedCount() > 0) {
        // The names arranged would go with the folder: asked first, once the drop is over (the
        // file manager waits for its answer meanwhile).
        QTimer::singleShot(0, this, [this, drop] {
            if (m_jobRunning)
                return;
            const QString question =
                drop.folderAlone
                    ? QStringLiteral("Le dossier déposé devient le répertoire des fichiers EPS. "
                                     "Vider la sélection ?")
                    : QStringLiteral("Les fichiers déposés viennent d'un autre répertoire. "
                                     "Remplacer la sélection ?");
            if (QuestionBox(question, this).ask())
                applyFiles(drop, -1);
        });
        return;
    }
    applyFiles(drop, row);
}

void TFPrincipale::applyFiles(const FileDrop &drop, int row)
{
    if (!drop.empty()) {
        if (choosesFolder(drop)) {
            // What choosing that folder does: the directory, then both lists afresh from it.
            m_directoryBytes = drop.folder;
            EdtDirectory->setText(QFile::decodeName(drop.folder));
            ListEpsFiles(directoryBytes() + '/');
            row = -1;
        }
        m_lists.insertSelected(drop.names, row);
        ApplyControlRules();
    }
    if (!drop.leftOut.isEmpty()) {
        // Said once the drop is over: the file manager waits for its answer meanwhile.
        QTimer::singleShot(0, this, [this, text = drop.report(), partly = drop.partlyTaken()] {
            ErrorBox box(QStringLiteral("Brakwen"), text, this);
            if (partly)
                box.setIcon(QMessageBox::Warning);
            box.exec();
        });
    }
}

void TFPrincipale::ListEpsFiles(const QByteArray &directory)
{
    m_lists.list(directory);
}

void TFPrincipale::SbnAddClick()
{
    m_lists.addSelection();
    ApplyControlRules();
}

void TFPrincipale::SbnAddAllClick()
{
    m_lists.addAll();
    ApplyControlRules();
}

void TFPrincipale::SbnRemoveClick()
{
    m_lists.removeSelection();
    ApplyControlRules();
}

void TFPrincipale::SbnRemoveAllClick()
{
    m_lists.removeAll();
    ApplyControlRules();
}

void TFPrincipale::EdtDirectoryChange()
{
    LbEdtFinalName->setEnabled(!EdtDirectory->text().isEmpty());
}

void TFPrincipale::LbEdtFinalNameChange()
{
    ApplyControlRules();
}

void TFPrincipale::ApplyControlRules()
{
    const ControlStates states = ControlRules::statesFor(
        LbEdtFinalName->text(), m_lists.availableCount(), m_lists.selectedCount());
    LbxEnable->setEnabled(states.listsEnabled);
    LbxSelected->setEnabled(states.listsEnabled);
    SbnAdd->setEnabled(states.addButtonsEnabled);
    SbnAddAll->setEnabled(states.addButtonsEnabled);
    SbnRemove->setEnabled(states.removeButtonsEnabled);
    SbnRemoveAll->setEnabled(states.removeButtonsEnabled);
    BtnOk->setVisible(states.okVisible);
}

void TFPrincipale::BtnOkClick()
{
    assembly::JobInputs inputs;
    inputs.directory = directoryBytes().toStdString();
    inputs.baseName = QFile::encodeName(LbEdtFinalName->text()).toStdString();
    for (const QByteArray &name : m_lists.selectedNames())
        inputs.selectedFiles.push_back(name.toStdString());
    inputs.convertToPdf = CbxPDFConvert->isChecked();
    // Restorable: the sources go to the desktop trash, and for ever only where none takes them
    // and the user said so.
    inputs.sourceDeletion = CbxDeleteFiles->isChecked() ? assembly::SourceDeletion::ToTrash
                                                        : assembly::SourceDeletion::Keep;

    // The job itself gives the window back (OK and quit shown, bar hidden, normal cursor) when
    // it fails, before the error box shows. The window takes no input meanwhile, but Escape and
    // a close, which ask whether to stop.
    m_jobDone->hide();
    m_jobRunning = true;
    MainWindowJob job(*this, *this, m_lists, [this] { ApplyControlRules(); });
    m_job = &job;
    const auto jobOver = qScopeGuard([this, &job] {
        m_jobRunning = false;
        m_job = nullptr;
        m_closeAfterJob = job.closeWanted();
    });
    const MainWindowJob::Outcome outcome = job.run(inputs, m_toolDirectory.toStdString());
    m_jobDone->show(JobSummary::lineFor(inputs, outcome));
}

void TFPrincipale::BtnCancelClick()
{
    close();
}

void TFPrincipale::closeEvent(QCloseEvent *event)
{
    // A close request from the title bar while the job runs asks first whether to stop the job;
    // the window closes once the job is over, stopped or, when it can no longer stop (its sources
    // going, its error box up), finished.
    if (m_jobRunning) {
        if (m_job)
            m_job->requestStop(true);
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}
