#include "job_done_line.h"

#include <QLabel>

JobDoneLine::JobDoneLine(QLabel *label) : QObject(label), m_label(label)
{
    m_timer.setSingleShot(true);
    m_timer.setInterval(shownMilliseconds);
    connect(&m_timer, &QTimer::timeout, this, &JobDoneLine::hide);
}

void JobDoneLine::show(const QString &text)
{
    if (text.isEmpty()) {
        hide();
        return;
    }
    m_label->setText(text);
    // Read out by screen readers as the line's description, its name saying what it is.
    m_label->setAccessibleDescription(text);
    m_label->show();
    m_timer.start();
}

void JobDoneLine::hide()
{
    m_timer.stop();
    m_label->hide();
}
