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
    QString below; // the informative text: a failure's cause
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;
    // Called while the box is up, before it is answered.
    std::function<void()> whileShown;
    // The button that answers; only a box that has it is answered.
    QMessageBox::StandardButton button = QMessageBox::Ok;
    // Answer with Esc instead of clicking OK; whether that closed the box is recorded, and OK
    // is clicked when it did not.
    bool answerWithEscape = false;
    bool closedByEscape = false;

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
        if (!box || !box->button(button))
            return;
        m_timer.stop();
        shown = true;
        title = box->windowTitle();
        text = box->text();
        below = box->informativeText();
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
        box->button(button)->click();
    }

    QTimer m_timer;
};
