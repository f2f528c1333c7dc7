#include "name_collation.h"

#include "locales.h"

#include <algorithm>
#include <vector>

namespace shell {

namespace {

int byteOrder(const QByteArray &a, const QByteArray &b)
{
    const int order = a.compare(b);
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

} // namespace

QCollator nameCollator()
{
    QLocale locale = sessionLocale();
    if (locale.language() == QLocale::C)
        locale = frenchLocale();
    QCollator collator(locale);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(true);
    return collator;
}

NameCollation::NameCollation() : m_collator(nameCollator()) {}

int NameCollation::compare(const QByteArray &a, const QByteArray &b) const
{
    if (a == b)
        return 0;
    const int order = m_collator.compare(QString::fromUtf8(a), QString::fromUtf8(b));
    if (order != 0)
        return order < 0 ? -1 : 1;
    return byteOrder(a, b);
}

void NameCollation::sort(QList<QByteArray> &names, const QList<int> &ranks) const
{
    struct Entry
    {
        int rank;
        QCollatorSortKey key;
        qsizetype index;
    };
    std::vector<Entry> entries;
    entries.reserve(names.size());
    for (qsizetype i = 0; i < names.size(); ++i) {
        entries.push_back(Entry{ranks.isEmpty() ? 0 : ranks[i],
                                m_collator.sortKey(QString::fromUtf8(names[i])), i});
    }
    std::sort(entries.begin(), entries.end(), [&](const Entry &a, const Entry &b) {
        if (a.rank != b.rank)
            return a.rank < b.rank;
        const int byKey = a.key.compare(b.key);
        if (byKey != 0)
            return byKey < 0;
        return byteOrder(names[a.index], names[b.index]) < 0;
    });
    QList<QByteArray> sorted;
    sorted.reserve(names.size());
    for (const Entry &entry : entries)
        sorted.append(names[entry.index]);
    names = std::move(sorted);
}

} // namespace shell
