#pragma once

// Answers the next modal window from inside its own event loop: a zero-delay timer set before
// the window opens waits for it and then runs the given action.

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <functional>

inline void answerNextModal(std::function<void(QWidget *)> action)
{
    auto *timer = new QTimer(qApp);
    timer->setInterval(0);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, action] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        action(modal);
    });
    timer->start();
}
