#pragma once

// The directory chooser: the folder tree beside the contents list, an OK and a cancel button.
// Created once, hidden between uses; the views keep their state from one opening to the next.

#include "shell/shell_namespace.h"

#include <QDialog>
#include <memory>

class QPushButton;
class TShellListView;
class TShellTreeView;

class TFrmChooseDirectory : public QDialog
{
    Q_OBJECT

public:
    enum Result { ResultOk = 1, ResultCancel = 2 };

    TFrmChooseDirectory(std::unique_ptr<shell::ShellNamespace> ns, QWidget *mainWindow);
    ~TFrmChooseDirectory() override;

    TShellTreeView *ShellTreeView;
    TShellListView *ShellListView;
    QPushButton *BtnOk;
    QPushButton *BtnCancel;

    // Shows the dialog modally: over the main window the first time, where it was left later.
    int showModal();

public slots:
    // The close box and the application ending give the cancel result.
    void reject() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    std::unique_ptr<shell::ShellNamespace> m_ns;
    QWidget *m_mainWindow;
    bool m_placed = false;
};
