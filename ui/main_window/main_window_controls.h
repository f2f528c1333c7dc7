// The main window's controls, made in the look, place and state its layout was drawn for, each
// named by its kind and use (Lbl label, Sbn glyph button, Edt edit, Lbx list...). The window
// inherits them as a window drawn in Qt Designer inherits its generated class: they are made
// here, and wired to their handlers there.
#pragma once

class FileLists;
class JobProgressBar;
class LabeledEdit;
class QCheckBox;
class QLabel;
class QLineEdit;
class QListView;
class QPushButton;
class QToolButton;
class QWidget;

class MainWindowControls
{
public:
    static constexpr int ClientWidth = 515;
    static constexpr int ClientHeight = 476;

    // Controls, in creation order; made by setUpControls(), owned by the window.
    QLabel *LblDirectory = nullptr;
    QToolButton *SbnLocalDir = nullptr;
    QToolButton *SbnAddAll = nullptr;
    QToolButton *SbnAdd = nullptr;
    QToolButton *SbnRemove = nullptr;
    QToolButton *SbnRemoveAll = nullptr;
    QLabel *LblFileList = nullptr;
    QLabel *LblFileSelected = nullptr;
    QLineEdit *EdtDirectory = nullptr;
    QPushButton *BtnCancel = nullptr;
    JobProgressBar *PrbRunning = nullptr;
    QPushButton *BtnOk = nullptr;
    QListView *LbxEnable = nullptr;
    QListView *LbxSelected = nullptr;
    LabeledEdit *LbEdtFinalName = nullptr;
    QCheckBox *CbxPDFConvert = nullptr;
    QCheckBox *CbxDeleteFiles = nullptr;
    // Added to the layout: where the bar was, what the last job did, for a few seconds.
    QLabel *LblJobDone = nullptr;

protected:
    // Makes the controls in `window`, the two lists showing `lists`, and sets their tab order.
    void setUpControls(QWidget *window, FileLists &lists);

private:
    void createControls(QWidget *window, FileLists &lists);
    void nameControls();
    void setUpTabOrder();
};
