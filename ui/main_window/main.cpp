#include "main.h"

#include "assembly/assembly_job.h"
#include "assembly/pdf_conversion.h"
#include "control_factory.h"
#include "control_rules.h"
#include "default_error_box.h"
#include "dirinput.h"
#include "error_box.h"
#include "frame_centring.h"
#include "job_input_gate.h"
#include "labeled_edit.h"
#include "list_moves.h"
#include "progress_pacer.h"
#include "tool_directory.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QEventLoop>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QShortcut>
#include <QToolButton>
#include <initializer_list>
#include <iterator>
#include <optional>
#include <utility>

TFPrincipale *FPrincipale = nullptr;

namespace {

constexpr int ClientWidth = 515;
constexpr int ClientHeight = 476;

} // namespace

TFPrincipale::TFPrincipale(QWidget *parent, const QString &executablePath)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      m_executablePath(executablePath), m_progressPacer(std::make_unique<ProgressPacer>()),
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
    createControls();
    setUpTabOrder();
    FormCreate();
    // Only now: loading the initial texts must not run the change handlers.
    connectHandlers();
    if (isWindow())
        FrameCentring::atNextShow(this, FrameCentring::screenCentre(this));
}

TFPrincipale::~TFPrincipale()
{
    if (m_busyCursor)
        QGuiApplication::restoreOverrideCursor();
    if (FPrincipale == this)
        FPrincipale = nullptr;
}

void TFPrincipale::createControls()
{
    LblDirectory = ControlFactory::label(this, QRect(13, 13, 135, 13),
                                         QStringLiteral("Répertoire des fichiers EPS: "));
    SbnLocalDir =
        ControlFactory::glyphButton(this, QRect(288, 40, 23, 22), GlyphPicture::Glyph::OpenFolder,
                                    QStringLiteral("Choisir le répertoire"));
    SbnAddAll = ControlFactory::glyphButton(this, QRect(240, 168, 23, 22),
                                            GlyphPicture::Glyph::DoubleArrowRight,
                                            QStringLiteral("Ajoute tout"));
    SbnAdd =
        ControlFactory::glyphButton(this, QRect(240, 208, 23, 22), GlyphPicture::Glyph::ArrowRight,
                                    QStringLiteral("Ajoute la sélection"));
    SbnRemove =
        ControlFactory::glyphButton(this, QRect(240, 304, 23, 22), GlyphPicture::Glyph::ArrowLeft,
                                    QStringLiteral("Enléve la sélection"));
    SbnRemoveAll = ControlFactory::glyphButton(this, QRect(240, 344, 23, 22),
                                               GlyphPicture::Glyph::DoubleArrowLeft,
                                               QStringLiteral("Enléve tout"));
    for (QToolButton *button : {SbnAddAll, SbnAdd, SbnRemove, SbnRemoveAll})
        button->setEnabled(false);
    LblFileList = ControlFactory::label(this, QRect(16, 128, 201, 13),
                                        QStringLiteral("Liste des fichiers disponibles :"));
    LblFileSelected = ControlFactory::label(this, QRect(304, 128, 193, 13),
                                            QStringLiteral("Liste des fichiers sélectionnés :"));

    EdtDirectory = new QLineEdit(this);
    EdtDirectory->setGeometry(13, 39, 267, 21);
    EdtDirectory->setEnabled(false);

    BtnCancel =
        ControlFactory::pushButton(this, QRect(397, 437, 60, 20), QStringLiteral("&Quitter"));

    PrbRunning = new QProgressBar(this);
    PrbRunning->setGeometry(13, 398, 484, 20);
    PrbRunning->setRange(0, 100);
    PrbRunning->setValue(0);
    PrbRunning->setTextVisible(false);
    PrbRunning->hide();

    BtnOk = ControlFactory::pushButton(this, QRect(46, 437, 60, 20), QStringLiteral("&OK"));
    BtnOk->hide();

    LbxEnable = ControlFactory::listBox(this, QRect(16, 152, 201, 233), m_lists.available(),
                                        m_lists.availableSelection());
    LbxSelected = ControlFactory::listBox(this, QRect(304, 152, 193, 233), m_lists.selected(),
                                          m_lists.selectedSelection());

    LbEdtFinalName = new LabeledEdit(this);
    LbEdtFinalName->setGeometry(16, 88, 265, 21);
    LbEdtFinalName->setText(QStringLiteral("final"));
    LbEdtFinalName->setLabelText(QStringLiteral("Nom du fichier final (sans extension) :"));
    LbEdtFinalName->setEnabled(false);

    CbxPDFConvert = ControlFactory::checkBox(this, QRect(320, 64, 177, 17),
                                             QStringLiteral("Création fichier PDF"));
    CbxDeleteFiles = ControlFactory::checkBox(this, QRect(320, 96, 185, 17),
                                              QStringLiteral("Suppression des fichiers convertis"));

    for (QWidget *widget :
         std::initializer_list<QWidget *>{LblDirectory, CbxPDFConvert, CbxDeleteFiles})
        ControlFactory::widenToFitText(widget, ClientWidth);

    // Names for screen readers; buttons and boxes are named by their captions.
    ControlFactory::caption(LblDirectory, EdtDirectory);
    ControlFactory::caption(LblFileList, LbxEnable);
    ControlFactory::caption(LblFileSelected, LbxSelected);
    ControlFactory::caption(LbEdtFinalName->editLabel(), LbEdtFinalName);
    PrbRunning->setAccessibleName(QStringLiteral("Progression de l'assemblage"));

    const std::pair<QObject *, const char *> names[] = {
        {LblDirectory, "LblDirectory"},     {SbnLocalDir, "SbnLocalDir"},
        {SbnAddAll, "SbnAddAll"},           {SbnAdd, "SbnAdd"},
        {SbnRemove, "SbnRemove"},           {SbnRemoveAll, "SbnRemoveAll"},
        {LblFileList, "LblFileList"},       {LblFileSelected, "LblFileSelected"},
        {EdtDirectory, "EdtDirectory"},     {BtnCancel, "BtnCancel"},
        {PrbRunning, "PrbRunning"},         {BtnOk, "BtnOk"},
        {LbxEnable, "LbxEnable"},           {LbxSelected, "LbxSelected"},
        {LbEdtFinalName, "LbEdtFinalName"}, {CbxPDFConvert, "CbxPDFConvert"},
        {CbxDeleteFiles, "CbxDeleteFiles"},
    };
    for (const auto &[object, name] : names)
        object->setObjectName(QLatin1String(name));
}

void TFPrincipale::setUpTabOrder()
{
    QWidget *const order[] = {EdtDirectory, BtnCancel,      PrbRunning,    BtnOk,         LbxEnable,
                              LbxSelected,  LbEdtFinalName, CbxPDFConvert, CbxDeleteFiles};
    for (size_t i = 1; i < std::size(order); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
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
        // A close asked for during the job takes effect now that the job, and its error box
        // if it failed, are over.
        if (std::exchange(m_closeAfterJob, false))
            close();
    });
    connect(BtnCancel, &QPushButton::clicked, this, handle(&TFPrincipale::BtnCancelClick));

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
}

void TFPrincipale::FormCreate()
{
    setWindowTitle(QStringLiteral("Brakwen version " BRAKWEN_VERSION));
    DefaultDirectory = ToolDirectory::fromExecutablePath(m_executablePath);
    const bool converter =
        assembly::converterAvailable(QFile::encodeName(DefaultDirectory).toStdString());
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
    inputs.deleteSources = CbxDeleteFiles->isChecked();

    // The job itself gives the window back (OK and quit shown, bar hidden, normal cursor) when
    // it fails, before the error box shows. The window takes no input meanwhile.
    std::optional<JobInputGate> gate(std::in_place);
    m_inputGate = &*gate;
    m_jobRunning = true;
    const auto jobOver = qScopeGuard([this, &gate] {
        gate.reset();
        m_inputGate = nullptr;
        m_jobRunning = false;
    });
    assembly::runJob(inputs, QFile::encodeName(DefaultDirectory).toStdString(), *this);
}

void TFPrincipale::BtnCancelClick()
{
    close();
}

void TFPrincipale::setBusyCursor(bool busy)
{
    if (busy == m_busyCursor)
        return;
    m_busyCursor = busy;
    if (busy)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QGuiApplication::restoreOverrideCursor();
}

void TFPrincipale::setOkButtonVisible(bool visible)
{
    BtnOk->setVisible(visible);
}

void TFPrincipale::setQuitButtonVisible(bool visible)
{
    BtnCancel->setVisible(visible);
}

void TFPrincipale::setProgressRange(int minimum, int maximum)
{
    PrbRunning->setRange(minimum, maximum);
    const QScreen *screen = PrbRunning->screen();
    m_progressPacer->start(minimum, maximum,
                           qRound(PrbRunning->width() * PrbRunning->devicePixelRatioF()),
                           screen ? screen->refreshRate() : 60.0);
}

void TFPrincipale::setProgressPosition(int position)
{
    if (!m_progressPacer->due(position))
        return;
    PrbRunning->setValue(position);
    // The job runs on this thread: let the window repaint so the bar visibly advances and the
    // window never looks frozen.
    letWindowRepaint();
}

void TFPrincipale::waitingForConverter()
{
    letWindowRepaint();
}

void TFPrincipale::letWindowRepaint()
{
    if (m_inputGate)
        m_inputGate->processEvents();
    else
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TFPrincipale::setProgressVisible(bool visible)
{
    PrbRunning->setVisible(visible);
}

void TFPrincipale::showErrorBox(const std::string &message)
{
    // Over the main window, which it keeps above, and centred on the screen.
    ErrorBox box(QStringLiteral("Erreur"), QString::fromStdString(message), this);
    FrameCentring::atNextShow(&box, FrameCentring::screenCentre(this), this);
    std::optional<JobInputGate::Opening> answering;
    if (m_inputGate)
        answering.emplace(*m_inputGate);
    box.exec();
}

void TFPrincipale::clearLists()
{
    m_lists.clear();
}

void TFPrincipale::applyControlRules()
{
    ApplyControlRules();
}

void TFPrincipale::closeEvent(QCloseEvent *event)
{
    // A close request from the title bar while the job runs waits for the job's end: clicks
    // and keys are dropped meanwhile, but the user asked to quit and does so once it is over.
    if (m_jobRunning) {
        m_closeAfterJob = true;
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}
