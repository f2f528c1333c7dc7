#include "name_collation.h"

#include <QLocale>
#include <algorithm>
#include <numeric>
#include <vector>

namespace shell {

namespace {

int byteOrder(const QByteArray &a, const QByteArray &b)
{
    const int order = a.compare(b);
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

} // namespace

NameCollation::NameCollation()
{
    QLocale locale;
    if (locale.language() == QLocale::C)
        locale = QLocale(QLocale::French, QLocale::France);
    m_collator = QCollator(locale);
    m_collator.setCaseSensitivity(Qt::CaseInsensitive);
    m_collator.setNumericMode(true);
}

int NameCollation::compare(const QByteArray &a, const QByteArray &b) const
{
    if (a == b)
        return 0;
    const int order = m_collator.compare(QString::fromUtf8(a), QString::fromUtf8(b));
    if (order != 0)
        return order < 0 ? -1 : 1;
    return byteOrder(a, b);
}

void NameCollation::sort(QList<QByteArray> &names,
                         const std::function<int(const QByteArray &)> &rank) const
{
    std::vector<QCollatorSortKey> keys;
    std::vector<int> ranks;
    keys.reserve(names.size());
    ranks.reserve(names.size());
    for (const QByteArray &name : std::as_const(names)) {
        keys.push_back(m_collator.sortKey(QString::fromUtf8(name)));
        ranks.push_back(rank ? rank(name) : 0);
    }
    std::vector<qsizetype> order(names.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) {
        if (ranks[a] != ranks[b])
            return ranks[a] < ranks[b];
        const int byKey = keys[a].compare(keys[b]);
        if (byKey != 0)
            return byKey < 0;
        return byteOrder(names[a], names[b]) < 0;
    });
    QList<QByteArray> sorted;
    sorted.reserve(names.size());
    for (const qsizetype index : order)
        sorted.append(names[index]);
    names = std::move(sorted);
}

} // namespace shell
