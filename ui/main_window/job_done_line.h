// The line a job leaves where its bar was, for a few seconds: what it made and what became of
// the sources, or that it was stopped. A new job, or the next choice of a folder, takes it away.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

class QLabel;

class JobDoneLine : public QObject
{
    Q_OBJECT

public:
    static constexpr int shownMilliseconds = 10000;

    explicit JobDoneLine(QLabel *label);

    // Shows `text` for a while; an empty text shows nothing.
    void show(const QString &text);
    void hide();

private:
    QLabel *m_label;
    QTimer m_timer;
};
