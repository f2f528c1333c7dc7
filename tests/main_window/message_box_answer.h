// Answers the next modal message box, recording what it showed. Create it before the action
// that opens the box: its zero-delay timer fires inside the box's own event loop.
#pragma once

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

class MessageBoxAnswer : public QObject
{
public:
    bool shown = false;
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;
    // Called while the box is up, before it is answered.
    std::function<void()> whileShown;
    // Answer with Esc instead of clicking OK; whether that closed the box is recorded, and OK
    // is clicked when it did not.
    bool answerWithEscape = false;
    bool closedByEscape = false;
    // Questions met on the way (Oui / Non boxes) are answered so, and the answer goes on to the
    // box after them.
    bool answerQuestionsYes = true;
    QStringList questions;

    MessageBoxAnswer()
    {
        // The box may open only after a few event-loop turns (the job processes events while
        // it copies), so the timer keeps looking until a box is there.
        m_timer.setInterval(0);
        connect(&m_timer, &QTimer::timeout, this, &MessageBoxAnswer::answer);
        m_timer.start();
    }

private:
    void answer()
    {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        if (box->icon() == QMessageBox::Question) {
            questions << box->text();
            for (QAbstractButton *button : box->buttons())
                if (box->buttonRole(button) ==
                    (answerQuestionsYes ? QMessageBox::YesRole : QMessageBox::NoRole))
                    button->click();
            return;
        }
        m_timer.stop();
        shown = true;
        title = box->windowTitle();
        text = box->text();
        icon = box->icon();
        for (QAbstractButton *button : box->buttons())
            buttons << button->text();
        if (whileShown)
            whileShown();
        if (answerWithEscape) {
            QTest::keyClick(box, Qt::Key_Escape);
            closedByEscape = !box->isVisible();
            if (closedByEscape)
                return;
        }
        box->button(QMessageBox::Ok)->click();
    }

    QTimer m_timer;
};
