// Preview benchmark, run by hand on a release build:
//   QT_QPA_PLATFORM=offscreen build/release/bench-bin/preview_bench [ROUNDS]
// Makes 1 MB EPS files (a colour image, a drawing of many lines, text) and shows them one after
// the other in the Aperçu window, as a user moving down the list would, the next rows rendered
// ahead. Prints the time from asking for a file to its picture being shown, for the first file and
// for the ones after (median and worst), and the longest the event loop was blocked meanwhile.

#include "preview_window.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

QByteArray header()
{
    return "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 400 300\n%%EndComments\n";
}

QByteArray imageEps(QRandomGenerator &random)
{
    QByteArray eps = header() + "/line 1200 string def 400 300 scale\n"
                                "400 360 8 [400 0 0 -360 0 360] { currentfile line readhexstring "
                                "pop } false 3 colorimage\n";
    static const char hex[] = "0123456789abcdef";
    for (int row = 0; row < 360; ++row) {
        for (int i = 0; i < 2400; ++i)
            eps += hex[random.bounded(16)];
        eps += '\n';
    }
    return eps + "showpage\n%%EOF\n";
}

QByteArray drawingEps(QRandomGenerator &random)
{
    QByteArray eps = header() + "0.2 setlinewidth\n";
    while (eps.size() < 1'000'000)
        eps += QByteArray::number(random.bounded(400)) + ' ' +
               QByteArray::number(random.bounded(300)) + " moveto " +
               QByteArray::number(random.bounded(400)) + ' ' +
               QByteArray::number(random.bounded(300)) + " lineto stroke\n";
    return eps + "showpage\n%%EOF\n";
}

QByteArray textEps(QRandomGenerator &random)
{
    QByteArray eps = header() + "/Helvetica findfont 6 scalefont setfont\n";
    while (eps.size() < 1'000'000)
        eps += QByteArray::number(random.bounded(380)) + ' ' +
               QByteArray::number(random.bounded(290)) + " moveto (Brakwen aperçu) show\n";
    return eps + "showpage\n%%EOF\n";
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    const int files = argc > 1 ? std::max(2, std::atoi(argv[1])) : 9;
    QTemporaryDir dir;
    QRandomGenerator random(7);
    std::vector<QByteArray> paths;
    for (int i = 0; i < files; ++i) {
        const QByteArray eps = i % 3 == 0   ? imageEps(random)
                               : i % 3 == 1 ? drawingEps(random)
                                            : textEps(random);
        const QString path = dir.filePath(QStringLiteral("figure-%1.eps").arg(i));
        QFile out(path);
        if (!out.open(QIODevice::WriteOnly) || out.write(eps) != eps.size())
            return 1;
        paths.push_back(QFile::encodeName(path));
    }

    QWidget owner;
    PreviewWindow window(&owner);
    window.resize(480, 520);
    window.show();

    // The event loop's longest gap: a timer that should fire every 5 ms.
    QElapsedTimer sinceTick;
    qint64 longestGap = 0;
    QTimer ticker;
    ticker.setInterval(5);
    QObject::connect(&ticker, &QTimer::timeout,
                     [&] { longestGap = std::max(longestGap, sinceTick.restart()); });

    std::vector<double> shownAfter;
    for (int i = 0; i < files; ++i) {
        QList<QByteArray> next;
        for (int k = i + 1; k < files && k <= i + 2; ++k)
            next << paths[std::size_t(k)];
        QElapsedTimer clock;
        clock.start();
        window.showFile(paths[std::size_t(i)], QStringLiteral("figure-%1.eps").arg(i), next);
        sinceTick.start();
        ticker.start();
        while (window.picture().isNull() && window.message().startsWith(QStringLiteral("Rendu")))
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        shownAfter.push_back(double(clock.nsecsElapsed()) / 1e6);
        // A user reads the picture a moment before moving on; the next rows render meanwhile.
        QElapsedTimer reading;
        reading.start();
        while (reading.elapsed() < 400)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        ticker.stop();
    }
    const std::vector<double> after(shownAfter.begin() + 1, shownAfter.end());
    std::printf("first file (1 MB, nothing rendered ahead): %.0f ms\n", shownAfter.front());
    std::printf("next files: median %.0f ms, worst %.0f ms (%zu files)\n", median(after),
                *std::max_element(after.begin(), after.end()), after.size());
    std::printf("event loop blocked at most %lld ms (5 ms timer)\n",
                static_cast<long long>(longestGap));
    return 0;
}
