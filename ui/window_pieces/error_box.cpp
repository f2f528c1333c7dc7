#include "error_box.h"

#include <QLabel>

ErrorBox::ErrorBox(const QString &caption, const QString &text, QWidget *owner,
                   const QString &cause)
    : QMessageBox(QMessageBox::Critical, caption, text, QMessageBox::Ok, owner)
{
    setObjectName(QStringLiteral("errorBox"));
    if (!cause.isEmpty()) {
        setInformativeText(cause);
        // A file name is shown as it is, even one that looks like markup, and on one line.
        for (auto *label : findChildren<QLabel *>(QStringLiteral("qt_msgbox_informativelabel"))) {
            label->setTextFormat(Qt::PlainText);
            label->setWordWrap(false);
        }
    }
}
