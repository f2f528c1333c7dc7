#include "main_window_controls.h"

#include "control_factory.h"
#include "file_lists.h"
#include "job_progress_bar.h"
#include "labeled_edit.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QToolButton>
#include <initializer_list>
#include <iterator>
#include <utility>

void MainWindowControls::setUpControls(QWidget *window, FileLists &lists)
{
    createControls(window, lists);
    nameControls();
    setUpTabOrder();
}

void MainWindowControls::createControls(QWidget *window, FileLists &lists)
{
    LblDirectory = ControlFactory::label(window, QRect(13, 13, 135, 13),
                                         QStringLiteral("Répertoire des fichiers EPS: "));
    using Glyph = GlyphPicture::Glyph;
    using C = MainWindowControls;
    const struct
    {
        QToolButton *C::*button;
        QRect geometry;
        Glyph glyph;
        const char *hint;
        const char *keys; // the keyboard's way to the same, for the tooltip
    } glyphButtons[] = {
        {&C::SbnLocalDir, QRect(288, 40, 23, 22), Glyph::OpenFolder, "Choisir le répertoire",
         "Ctrl+O"},
        {&C::SbnAddAll, QRect(240, 168, 23, 22), Glyph::DoubleArrowRight, "Ajoute tout", ""},
        {&C::SbnAdd, QRect(240, 208, 23, 22), Glyph::ArrowRight, "Ajoute la sélection",
         "Entrée ou double-clic dans la liste"},
        {&C::SbnRemove, QRect(240, 304, 23, 22), Glyph::ArrowLeft, "Enléve la sélection",
         "Entrée ou double-clic dans la liste"},
        {&C::SbnRemoveAll, QRect(240, 344, 23, 22), Glyph::DoubleArrowLeft, "Enléve tout", ""},
    };
    for (const auto &made : glyphButtons)
        this->*made.button =
            ControlFactory::glyphButton(window, made.geometry, made.glyph,
                                        QString::fromUtf8(made.hint), QString::fromUtf8(made.keys));
    for (QToolButton *button : {SbnAddAll, SbnAdd, SbnRemove, SbnRemoveAll})
        button->setEnabled(false);
    LblFileList = ControlFactory::label(window, QRect(16, 128, 201, 13),
                                        QStringLiteral("Liste des fichiers disponibles :"));
    LblFileSelected = ControlFactory::label(window, QRect(304, 128, 193, 13),
                                            QStringLiteral("Liste des fichiers sélectionnés :"));

    EdtDirectory = new QLineEdit(window);
    EdtDirectory->setGeometry(13, 39, 267, 21);
    EdtDirectory->setEnabled(false);

    BtnCancel =
        ControlFactory::pushButton(window, QRect(397, 437, 60, 20), QStringLiteral("&Quitter"));

    PrbRunning = new JobProgressBar(window);
    PrbRunning->setGeometry(13, 398, 484, 20);
    PrbRunning->setRange(0, 100);
    PrbRunning->setValue(0);
    PrbRunning->setTextVisible(false);
    PrbRunning->hide();

    BtnOk = ControlFactory::pushButton(window, QRect(46, 437, 60, 20), QStringLiteral("&OK"));
    BtnOk->hide();

    LbxEnable = ControlFactory::listBox(window, QRect(16, 152, 201, 233), lists.available(),
                                        lists.availableSelection());
    LbxSelected = ControlFactory::listBox(window, QRect(304, 152, 193, 233), lists.selected(),
                                          lists.selectedSelection());
    // Keys that no button shows.
    LbxEnable->setToolTip(QStringLiteral("F3 : aperçu du fichier"));
    LbxSelected->setToolTip(QStringLiteral(
        "Alt+Haut, Alt+Bas : déplacer les noms sélectionnés\nF3 : aperçu du fichier"));

    LbEdtFinalName = new LabeledEdit(window);
    LbEdtFinalName->setGeometry(16, 88, 265, 21);
    LbEdtFinalName->setText(QStringLiteral("final"));
    LbEdtFinalName->setLabelText(QStringLiteral("Nom du fichier final (sans extension) :"));
    LbEdtFinalName->setEnabled(false);

    CbxPDFConvert = ControlFactory::checkBox(window, QRect(320, 64, 177, 17),
                                             QStringLiteral("Création fichier PDF"));
    CbxDeleteFiles = ControlFactory::checkBox(window, QRect(320, 96, 185, 17),
                                              QStringLiteral("Suppression des fichiers convertis"));

    LblJobDone = ControlFactory::label(window, QRect(13, 398, 484, 20), QString());
    LblJobDone->setTextFormat(Qt::PlainText);
    LblJobDone->hide();

    for (QWidget *widget :
         std::initializer_list<QWidget *>{LblDirectory, CbxPDFConvert, CbxDeleteFiles})
        ControlFactory::widenToFitText(widget, ClientWidth);

    // Names for screen readers; buttons and boxes are named by their captions.
    ControlFactory::caption(LblDirectory, EdtDirectory);
    ControlFactory::caption(LblFileList, LbxEnable);
    ControlFactory::caption(LblFileSelected, LbxSelected);
    ControlFactory::caption(LbEdtFinalName->editLabel(), LbEdtFinalName);
    PrbRunning->setAccessibleName(QStringLiteral("Progression de l'assemblage"));
    LblJobDone->setAccessibleName(QStringLiteral("Fin de l'assemblage"));
}

void MainWindowControls::nameControls()
{
    const std::pair<QObject *, const char *> names[] = {
        {LblDirectory, "LblDirectory"},     {SbnLocalDir, "SbnLocalDir"},
        {SbnAddAll, "SbnAddAll"},           {SbnAdd, "SbnAdd"},
        {SbnRemove, "SbnRemove"},           {SbnRemoveAll, "SbnRemoveAll"},
        {LblFileList, "LblFileList"},       {LblFileSelected, "LblFileSelected"},
        {EdtDirectory, "EdtDirectory"},     {BtnCancel, "BtnCancel"},
        {PrbRunning, "PrbRunning"},         {BtnOk, "BtnOk"},
        {LbxEnable, "LbxEnable"},           {LbxSelected, "LbxSelected"},
        {LbEdtFinalName, "LbEdtFinalName"}, {CbxPDFConvert, "CbxPDFConvert"},
        {CbxDeleteFiles, "CbxDeleteFiles"}, {LblJobDone, "LblJobDone"},
    };
    for (const auto &[object, name] : names)
        object->setObjectName(QLatin1String(name));
}

void MainWindowControls::setUpTabOrder()
{
    QWidget *const order[] = {EdtDirectory, BtnCancel,      PrbRunning,    BtnOk,         LbxEnable,
                              LbxSelected,  LbEdtFinalName, CbxPDFConvert, CbxDeleteFiles};
    for (size_t i = 1; i < std::size(order); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}
