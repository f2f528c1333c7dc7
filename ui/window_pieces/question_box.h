// A question the program asks before doing something the user may not want: the standard Yes
// and No buttons ("Oui" and "Non" in French), No the default and what Esc and the close box answer.
#pragma once

#include <QMessageBox>

class QuestionBox : public QMessageBox
{
    Q_OBJECT

public:
    // Modal over `owner`'s window, captioned with the application's title; shown by ask().
    QuestionBox(const QString &text, QWidget *owner);

    // True for "Oui".
    bool ask();
};
