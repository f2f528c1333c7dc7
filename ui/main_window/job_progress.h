// How far the job is, as the bar shows it. Each step weighs what it costs: copying a file costs
// little more than its bytes at the speed of the page cache, converting one costs a Ghostscript
// start plus its bytes at Ghostscript's speed, a thousand times slower; so with a conversion the
// copy is a sliver at the start of the bar, as it is of the time. Files converted side by side
// end in any order: each counts when it ends, and the text names the first of the list not yet
// converted, the one the job waits on ("Conversion : 37 / 41 — page18.eps").
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

class JobProgress
{
public:
    // The bar runs from 0 to this.
    static constexpr int span = 10000;

    // names and sizes (bytes) of the selected files, in list order; converting: a conversion
    // follows the copy.
    JobProgress(QStringList names, std::vector<std::uint64_t> sizes, bool converting);

    // The file at index (from 0) is being copied.
    void copying(int index);
    // Every file is copied; the conversion, if any, starts.
    void copied();
    // done of total files are converted, the one at finished (from 0) just now; -1: not said,
    // the first not yet converted is taken.
    void converted(int done, int total, int finished);

    int position() const;
    QString text() const;

private:
    double copyCost(std::size_t index) const;
    double conversionCost(std::size_t index) const;
    int firstUnconverted() const;

    QStringList m_names;
    std::vector<std::uint64_t> m_sizes;
    bool m_converting;
    double m_totalCost = 0;
    double m_conversionCost = 0;
    double m_doneCost = 0;
    int m_copiedFiles = 0;
    std::vector<bool> m_converted;
    int m_copying = -1;
    int m_done = 0;
    int m_total = 0;
    bool m_copyOver = false;
};
