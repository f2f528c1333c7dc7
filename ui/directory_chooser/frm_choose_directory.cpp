#include "frm_choose_directory.h"

#include "frame_centring.h"
#include "shell_list_view.h"
#include "shell_tree_view.h"
#include "window_role.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QPushButton>

TFrmChooseDirectory::TFrmChooseDirectory(std::unique_ptr<shell::ShellNamespace> ns,
                                         QWidget *mainWindow)
    : QDialog(mainWindow, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                              Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      m_ns(std::move(ns)), m_mainWindow(mainWindow)
{
    setObjectName(QStringLiteral("FrmChooseDirectory"));
    setWindowTitle(QStringLiteral("FrmChooseDirectory"));
    setFixedSize(509, 432);
    setSizeGripEnabled(false);
    WindowRole::reportAsWindow(this);

    ShellTreeView = new TShellTreeView(*m_ns, this);
    ShellTreeView->setObjectName(QStringLiteral("ShellTreeView"));
    ShellTreeView->setGeometry(8, 8, 217, 369);
    ShellListView = new TShellListView(*m_ns, this);
    ShellListView->setObjectName(QStringLiteral("ShellListView"));
    ShellListView->setGeometry(240, 8, 257, 369);
    ShellTreeView->setShellListView(ShellListView);
    ShellListView->setShellTreeView(ShellTreeView);
    // The views have no caption on the dialog: these are the names screen readers give them.
    ShellTreeView->setAccessibleName(QStringLiteral("Dossiers"));
    ShellListView->setAccessibleName(QStringLiteral("Contenu du dossier"));

    BtnOk = new QPushButton(QStringLiteral("BtnOk"), this);
    BtnOk->setObjectName(QStringLiteral("BtnOk"));
    BtnOk->setGeometry(48, 392, 75, 25);
    BtnCancel = new QPushButton(QStringLiteral("BtnCancel"), this);
    BtnCancel->setObjectName(QStringLiteral("BtnCancel"));
    BtnCancel->setGeometry(384, 392, 75, 25);
    // Neither button is the default: Enter presses a button only when that button has the focus.
    // Auto-default buttons would do that too, but a dialog shown with one makes it its default,
    // drawn as such while the focus is in the views, as if Enter there confirmed: the buttons
    // take Enter through the filter instead.
    for (QPushButton *b : {BtnOk, BtnCancel}) {
        b->setDefault(false);
        b->setAutoDefault(false);
        b->installEventFilter(this);
    }
    connect(BtnOk, &QPushButton::clicked, this, [this] { done(ResultOk); });
    connect(BtnCancel, &QPushButton::clicked, this, [this] { done(ResultCancel); });
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] {
        if (isVisible())
            done(ResultCancel);
    });

    setTabOrder(ShellTreeView, ShellListView);
    setTabOrder(ShellListView, BtnOk);
    setTabOrder(BtnOk, BtnCancel);
}

TFrmChooseDirectory::~TFrmChooseDirectory()
{
    // The views hold references into the namespace and to each other: they go first.
    ShellTreeView->setShellListView(nullptr);
    ShellListView->setShellTreeView(nullptr);
    delete ShellTreeView;
    delete ShellListView;
}

int TFrmChooseDirectory::showModal()
{
    if (!m_placed && m_mainWindow)
        FrameCentring::atNextShow(this, FrameCentring::overFrameOf(m_mainWindow), m_mainWindow);
    m_placed = true;
    setResult(ResultCancel);
    const int result = exec();
    if (isVisible())
        hide();
    // An event loop ended from outside (the application quitting) counts as a cancel.
    return result == ResultOk ? ResultOk : ResultCancel;
}

void TFrmChooseDirectory::reject()
{
    done(ResultCancel);
}

bool TFrmChooseDirectory::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && (watched == BtnOk || watched == BtnCancel)) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            static_cast<QPushButton *>(watched)->click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TFrmChooseDirectory::keyPressEvent(QKeyEvent *event)
{
    // Escape leaves the dialog open; Enter reaches a button only through its own focus.
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Return ||
        event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
