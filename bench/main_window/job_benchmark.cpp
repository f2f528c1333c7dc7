// Prints how long the window's job takes to assemble many small files, against brakwen-cli on
// the same files: what the progress bar and the window's repainting add to the copy; then the
// same for a few files turned into a PDF by the converter beside brakwen-cli, where the bar goes
// on through the conversion.
//
// Run: QT_QPA_PLATFORM=offscreen build/release/bench-bin/job_benchmark [cli] [rounds] [counts]
//      [converted]
// (defaults: build/release/bin/brakwen-cli, 7 rounds, counts 20000,100000, 40 files converted).
// The window is shown and driven through its own buttons; each round assembles every file once
// from the window and once with brakwen-cli, alternately, and the median ratio is printed.
#include "brakwen_application.h"
#include "main.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>
#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int FileSize = 4096;

bool makeFiles(const QByteArray &folder, int count, QStringList &names,
               const QByteArray &content = QByteArray(FileSize, 'x'))
{
    for (int i = 0; i < count; ++i) {
        const QByteArray name = QByteArray("f") + QByteArray::number(i).rightJustified(6, '0') +
                                QByteArrayLiteral(".eps");
        const int fd = ::open((folder + '/' + name).constData(), O_CREAT | O_WRONLY, 0644);
        if (fd < 0)
            return false;
        const bool written =
            ::write(fd, content.constData(), size_t(content.size())) == content.size();
        if (::close(fd) != 0 || !written)
            return false;
        names << QString::fromLatin1(name);
    }
    return true;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// Assembles from the window: choose the folder, add everything, OK. Returns the seconds OK took.
double windowJob(TFPrincipale &window, const QString &folder)
{
    window.setDirectoryChooser([folder](TFrmChooseDirectory *, const QString &, const QString &,
                                        const QString &, QString &directory) {
        directory = folder;
        return true;
    });
    window.SbnLocalDir->click();
    window.SbnAddAll->click();
    QCoreApplication::processEvents();
    QElapsedTimer timer;
    timer.start();
    window.BtnOk->click();
    return double(timer.nsecsElapsed()) / 1e9;
}

double cliJob(const QString &cli, const QString &folder, const QStringList &names, bool pdf)
{
    QStringList arguments{QStringLiteral("--name"), QStringLiteral("final"), QStringLiteral("--"),
                          folder};
    if (pdf)
        arguments.prepend(QStringLiteral("--pdf"));
    arguments += names;
    QProcess process;
    QElapsedTimer timer;
    timer.start();
    process.start(cli, arguments);
    process.waitForFinished(-1);
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        std::fprintf(stderr, "brakwen-cli failed: %s\n", process.readAllStandardError().data());
        return -1;
    }
    return seconds;
}

} // namespace

int main(int argc, char **argv)
{
    // 100,000 names passed to brakwen-cli exceed the default room for a command line, which is
    // a quarter of the stack limit.
    struct rlimit stack = {};
    if (::getrlimit(RLIMIT_STACK, &stack) == 0 && stack.rlim_cur != RLIM_INFINITY &&
        stack.rlim_cur < 64ul << 20) {
        stack.rlim_cur = std::min<rlim_t>(64ul << 20, stack.rlim_max);
        ::setrlimit(RLIMIT_STACK, &stack);
    }

    BrakwenApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const QString cli = arguments.value(1, QCoreApplication::applicationDirPath() +
                                               QStringLiteral("/../bin/brakwen-cli"));
    const int rounds = arguments.value(2, QStringLiteral("7")).toInt();
    QList<int> counts;
    for (const QString &count :
         arguments.value(3, QStringLiteral("20000,100000")).split(QLatin1Char(',')))
        counts << count.toInt();
    const int converted = arguments.value(4, QStringLiteral("40")).toInt();
    if (!QFile::exists(cli)) {
        std::fprintf(stderr, "brakwen-cli not found at %s\n", qPrintable(cli));
        return 2;
    }

    // Started as if from beside brakwen-cli, where the converter is.
    TFPrincipale window(nullptr, QFileInfo(cli).absolutePath() + QStringLiteral("/brakwen"));
    window.CbxDeleteFiles->setChecked(false);
    window.show();
    QCoreApplication::processEvents();

    struct Run
    {
        int count;
        bool pdf;
    };
    std::vector<Run> runs;
    for (const int count : counts)
        runs.push_back({count, false});
    if (converted > 0) {
        if (!window.CbxPDFConvert->isVisible()) {
            std::fprintf(stderr, "no converter beside %s\n", qPrintable(cli));
            return 2;
        }
        runs.push_back({converted, true});
    }
    // A page with a little of everything Ghostscript draws.
    const QByteArray page = "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 200 100\n"
                            "/Helvetica findfont 12 scalefont setfont 10 50 moveto (Brakwen) show\n"
                            "newpath 10 10 moveto 190 90 lineto stroke\n%%EOF\n";

    for (const auto &[count, pdf] : runs) {
        window.CbxPDFConvert->setChecked(pdf);
        QTemporaryDir folder;
        QStringList names;
        if (!folder.isValid() || !makeFiles(QFile::encodeName(folder.path()), count, names,
                                            pdf ? page : QByteArray(FileSize, 'x'))) {
            std::fprintf(stderr, "cannot create the files\n");
            return 1;
        }
        const QString result =
            folder.filePath(pdf ? QStringLiteral("final.pdf") : QStringLiteral("final.eps"));
        const qint64 expected = pdf ? -1 : qint64(count) * FileSize;
        // One untimed pass each, so that both start from a warm page cache.
        windowJob(window, folder.path());
        QFile::remove(result);
        cliJob(cli, folder.path(), names, pdf);
        QFile::remove(result);

        std::vector<double> windowTimes, cliTimes, ratios;
        for (int round = 0; round < rounds; ++round) {
            const double inWindow = windowJob(window, folder.path());
            const qint64 size = QFileInfo(result).size();
            const bool whole = expected < 0 ? size > 0 : size == expected;
            QFile::remove(result);
            const double byCli = cliJob(cli, folder.path(), names, pdf);
            QFile::remove(result);
            if (!whole || byCli < 0) {
                std::fprintf(stderr, "a job failed\n");
                return 1;
            }
            windowTimes.push_back(inWindow);
            cliTimes.push_back(byCli);
            ratios.push_back(inWindow / byCli);
        }
        std::printf("%6d files %-13s window %7.1f ms   brakwen-cli %7.1f ms   median ratio "
                    "%.2f (%d rounds)\n",
                    count, pdf ? "into a PDF:" : "of 4 KB:", median(windowTimes) * 1e3,
                    median(cliTimes) * 1e3, median(ratios), rounds);
    }
    return 0;
}
