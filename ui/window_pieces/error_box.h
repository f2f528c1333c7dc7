// The program's error boxes: the stop icon and one OK button, which Enter and Esc both press.
// The default box of an error that ended a handler and the job's "Erreur" box differ only in
// their caption and text.
#pragma once

#include <QMessageBox>

class ErrorBox : public QMessageBox
{
    Q_OBJECT

public:
    // Modal over `owner`'s window; shown by exec(). A `cause` (which file, and why) shows on a
    // line of its own below the text, which stays as it is.
    ErrorBox(const QString &caption, const QString &text, QWidget *owner,
             const QString &cause = QString());
};
