// The job's progress bar, which says in words what the job is doing ("Conversion : 37 / 41 —
// page18.eps"). The words are shown as they are (a bar's own format would take "%p" in a file
// name for the percentage) and given to screen readers as the bar's description.
#pragma once

#include <QProgressBar>
#include <QString>

class JobProgressBar : public QProgressBar
{
    Q_OBJECT

public:
    explicit JobProgressBar(QWidget *parent = nullptr);

    void setCaption(const QString &caption);
    QString text() const override { return m_caption; }

signals:
    void captionChanged(const QString &caption);

private:
    QString m_caption;
};
