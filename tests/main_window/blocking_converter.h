// A stand-in converter that waits for the test: it reads the FIFO "hold" to its end, which comes
// only when the test lets go of it. Everything it starts holds the FIFO "alive" open, so the test
// learns from the kernel when the last of them has ended. No sleep, no look at other processes.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QPainter>
#include <QPdfWriter>
#include <QTest>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

class BlockingConverter
{
public:
    BlockingConverter() = default;
    BlockingConverter(const BlockingConverter &) = delete;
    BlockingConverter &operator=(const BlockingConverter &) = delete;

    // Installs ps2pdf.bat (running `script`) and pdfwrite.rsp in `tool` (ending in '/'), with a
    // two-page PDF, pages.pdf, beside them. The script waits where it runs `cat "$hold"`.
    void install(const QByteArray &tool, const QByteArray &script)
    {
        {
            QPdfWriter pages(QFile::decodeName(tool + "pages.pdf"));
            QPainter painter(&pages);
            pages.newPage();
        }
        QCOMPARE(::mkfifo((tool + "alive").constData(), 0600), 0);
        QCOMPARE(::mkfifo((tool + "hold").constData(), 0600), 0);
        m_alive = ::open((tool + "alive").constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        QVERIFY(m_alive >= 0);
        // Held for writing (and reading, so that opening it never waits): the converter's read
        // ends when this is closed.
        m_hold = ::open((tool + "hold").constData(), O_RDWR | O_CLOEXEC);
        QVERIFY(m_hold >= 0);
        writeScript(tool + "ps2pdf.bat", "exec 7>\"${0%/*}/alive\"\nhold=${0%/*}/hold\n" + script);
        writeScript(tool + "pdfwrite.rsp", "");
    }

    ~BlockingConverter()
    {
        for (int fd : {m_alive, m_hold})
            if (fd >= 0)
                ::close(fd);
    }

    // Lets the converter go on.
    void release()
    {
        if (m_hold >= 0)
            ::close(m_hold);
        m_hold = -1;
    }

    // True once the converter and everything it started have ended (within a generous limit).
    bool familyEnded() const
    {
        pollfd hangUp = {m_alive, POLLIN, 0};
        return ::poll(&hangUp, 1, 30000) == 1 && (hangUp.revents & POLLHUP);
    }

private:
    static void writeScript(const QByteArray &path, const QByteArray &text)
    {
        QFile file(QFile::decodeName(path));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(text), text.size());
    }

    int m_alive = -1;
    int m_hold = -1;
};
