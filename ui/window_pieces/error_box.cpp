#include "error_box.h"

ErrorBox::ErrorBox(const QString &caption, const QString &text, QWidget *owner)
    : QMessageBox(QMessageBox::Critical, caption, text, QMessageBox::Ok, owner)
{
    setObjectName(QStringLiteral("errorBox"));
}
