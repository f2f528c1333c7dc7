// Keeps clicks and keys from acting while the assembly job runs. The job runs on the GUI thread
// and lets the event loop turn now and then so the window repaints; whatever the user clicks or
// types meanwhile is dropped there and then. Kept for later instead, a click made where the
// hidden quit button sits would reach that button once the job shows it again.
#pragma once

#include <QEvent>
#include <QObject>
#include <functional>

class JobInputGate : public QObject
{
    Q_OBJECT

public:
    // Drops input application-wide from now on. Escape alone is heard: `escapePressed` is told,
    // there and then, and the key goes no further.
    explicit JobInputGate(std::function<void()> escapePressed = {});
    // Lets input through again, once what arrived during the job is dropped.
    ~JobInputGate() override;

    // Repaints, runs timers and drops the input that arrived since the last turn.
    void processEvents();

    // While a box the job shows is open, the user answers it: input goes through.
    class Opening
    {
    public:
        explicit Opening(JobInputGate &gate);
        ~Opening();
        Opening(const Opening &) = delete;
        Opening &operator=(const Opening &) = delete;

    private:
        JobInputGate &m_gate;
    };

    static bool isUserInput(QEvent::Type type);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::function<void()> m_escapePressed;
    bool m_open = false;
};
