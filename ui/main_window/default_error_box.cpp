#include "default_error_box.h"

#include "assembly/error_message.h"

#include <QApplication>
#include <QMessageBox>

const QString &DefaultErrorBox::caption()
{
    static const QString text = QStringLiteral("Brakwen");
    return text;
}

QString DefaultErrorBox::textFor(const std::exception &error)
{
    return QString::fromStdString(assembly::withFinalPeriod(error.what()));
}

void DefaultErrorBox::show(const std::exception &error)
{
    QWidget *owner = QApplication::activeModalWidget();
    if (!owner)
        owner = QApplication::activeWindow();
    QMessageBox box(QMessageBox::Critical, caption(), textFor(error), QMessageBox::Ok, owner);
    box.exec();
}
