#include "question_box.h"

#include <QApplication>

QuestionBox::QuestionBox(const QString &text, QWidget *owner)
    : QMessageBox(QMessageBox::Question, QApplication::applicationName(), text,
                  QMessageBox::Yes | QMessageBox::No, owner)
{
    setObjectName(QStringLiteral("questionBox"));
    setDefaultButton(QMessageBox::No);
    setEscapeButton(QMessageBox::No);
}

bool QuestionBox::ask()
{
    return exec() == QMessageBox::Yes;
}
