#include "default_error_box.h"

#include "assembly/error_message.h"
#include "assembly/failure_cause.h"
#include "error_box.h"
#include "posix/path.h"

#include <QApplication>

QString DefaultErrorBox::textFor(const QString &message)
{
    // The rule reads bytes: every character past ASCII ends in a byte above '.', as a letter does.
    return QString::fromStdString(assembly::withFinalPeriod(message.toStdString()));
}

void DefaultErrorBox::show(const QString &message, QWidget *owner, const QString &cause)
{
    if (!owner)
        owner = QApplication::activeModalWidget();
    if (!owner)
        owner = QApplication::activeWindow();
    ErrorBox box(QStringLiteral("Brakwen"), textFor(message), owner, cause);
    box.exec();
}

void DefaultErrorBox::show(const std::exception &error, const QString &after)
{
    assembly::FailureCause cause = assembly::causeOf(error);
    // The window shows the folder already; the file's own name says which file.
    cause.file = posix::fileName(cause.file);
    QString below = QString::fromStdString(assembly::causeLine(cause));
    if (!after.isEmpty())
        below += (below.isEmpty() ? QString() : QStringLiteral("\n")) + after;
    show(QString::fromStdString(error.what()), nullptr, below);
}
