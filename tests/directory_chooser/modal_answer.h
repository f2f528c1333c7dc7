#pragma once

// Answers the next modal window or menu from inside its own event loop: a zero-delay timer set
// before the window opens waits for it and then acts on it.

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QTest>
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

// Runs `open`, which shows a context menu, and picks `verb` in it; false when the menu did not
// offer it enabled.
inline bool chooseInNextMenu(const QString &verb, const std::function<void()> &open)
{
    bool offered = false;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        if (!menu)
            return;
        timer.stop();
        auto *action = menu->findChild<QAction *>(verb);
        if (action && action->isEnabled()) {
            offered = true;
            menu->setActiveAction(action);
            QTest::keyClick(menu, Qt::Key_Return);
        } else {
            menu->close();
        }
    });
    timer.start(0);
    open();
    return offered;
}
