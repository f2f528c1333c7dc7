#include "question_box.h"

#include <QApplication>
#include <QPushButton>

QuestionBox::QuestionBox(const QString &text, QWidget *owner)
    : QMessageBox(QMessageBox::Question, QApplication::applicationName(), text,
                  QMessageBox::NoButton, owner)
{
    setObjectName(QStringLiteral("questionBox"));
    m_yes = addButton(QStringLiteral("&Oui"), QMessageBox::YesRole);
    QPushButton *no = addButton(QStringLiteral("&Non"), QMessageBox::NoRole);
    setDefaultButton(no);
    setEscapeButton(no);
}

bool QuestionBox::ask()
{
    exec();
    return clickedButton() == m_yes;
}
