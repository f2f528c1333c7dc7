#include "name_order.h"

#include <QCollatorSortKey>
#include <QString>
#include <algorithm>
#include <numeric>

namespace {

constexpr char FirstPrintable = 0x20;
constexpr char LastPrintable = 0x7e;
// How many leading characters go into the packed prefix that most comparisons stop at.
constexpr int PrefixLength = 16;

struct Prefixed
{
    quint64 high = 0; // ranks of characters 0 to 7, 8 bits each; 0 past the end
    quint64 low = 0;  // of characters 8 to 15
    int index = 0;
};

// The text of a plain ASCII name, in a string whose room serves from one name to the next.
const QString &widened(QByteArrayView ascii, QString &text)
{
    text.resize(ascii.size());
    std::copy(ascii.begin(), ascii.end(), text.data());
    return text;
}

} // namespace

NameOrder::NameOrder(const QCollator &collator) : m_collator(collator)
{
    std::vector<char> characters;
    for (char c = FirstPrintable; c <= LastPrintable; ++c)
        characters.push_back(c);
    const auto compare = [this](char a, char b) {
        return m_collator.compare(QString(QLatin1Char(a)), QString(QLatin1Char(b)));
    };
    std::stable_sort(characters.begin(), characters.end(),
                     [&](char a, char b) { return compare(a, b) < 0; });
    quint8 rank = 1;
    for (size_t i = 0; i < characters.size(); ++i) {
        // Characters the collator finds equal ("a" and "A") share their rank.
        if (i > 0 && compare(characters[i - 1], characters[i]) != 0)
            ++rank;
        m_rank[static_cast<unsigned char>(characters[i])] = rank;
    }
}

std::vector<int> NameOrder::sorted(const std::vector<QByteArrayView> &names) const
{
    if (std::optional<std::vector<int>> order = sortedByCharacters(names))
        return std::move(*order);
    return sortedByKeys(names);
}

bool NameOrder::characterLess(QByteArrayView a, QByteArrayView b) const
{
    const qsizetype common = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < common; ++i) {
        // Equal bytes have equal ranks: only differing ones are looked up.
        if (a[i] == b[i])
            continue;
        const quint8 rankA = rankOf(a[i]);
        const quint8 rankB = rankOf(b[i]);
        if (rankA != rankB)
            return rankA < rankB;
    }
    if (a.size() != b.size())
        return a.size() < b.size();
    return a.compare(b) < 0;
}

std::optional<std::vector<int>>
NameOrder::sortedByCharacters(const std::vector<QByteArrayView> &names) const
{
    std::vector<Prefixed> prefixed(names.size());
    for (size_t n = 0; n < names.size(); ++n) {
        const QByteArrayView name = names[n];
        Prefixed &entry = prefixed[n];
        entry.index = int(n);
        for (qsizetype i = 0; i < name.size(); ++i) {
            const char c = name[i];
            if (c < FirstPrintable || c > LastPrintable)
                return std::nullopt;
            if (i < PrefixLength)
                (i < 8 ? entry.high : entry.low) |= quint64(rankOf(c)) << (8 * (7 - i % 8));
        }
    }
    std::sort(prefixed.begin(), prefixed.end(), [&](const Prefixed &a, const Prefixed &b) {
        if (a.high != b.high)
            return a.high < b.high;
        if (a.low != b.low)
            return a.low < b.low;
        const QByteArrayView nameA = names[size_t(a.index)];
        const QByteArrayView nameB = names[size_t(b.index)];
        if (nameA == nameB)
            return a.index < b.index;
        return characterLess(nameA, nameB);
    });
    QString before;
    QString after;
    for (size_t i = 1; i < prefixed.size(); ++i) {
        const QByteArrayView first = names[size_t(prefixed[i - 1].index)];
        const QByteArrayView second = names[size_t(prefixed[i].index)];
        if (first == second)
            continue;
        const int order = m_collator.compare(widened(first, before), widened(second, after));
        if (order > 0 || (order == 0 && first.compare(second) > 0))
            return std::nullopt;
    }
    std::vector<int> order;
    order.reserve(prefixed.size());
    for (const Prefixed &entry : prefixed)
        order.push_back(entry.index);
    return order;
}

std::vector<int> NameOrder::sortedByKeys(const std::vector<QByteArrayView> &names) const
{
    std::vector<QCollatorSortKey> keys;
    keys.reserve(names.size());
    for (const QByteArrayView name : names)
        keys.push_back(m_collator.sortKey(QString::fromUtf8(name)));
    std::vector<int> order(names.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](int a, int b) {
        if (const int byKey = keys[size_t(a)].compare(keys[size_t(b)]); byKey != 0)
            return byKey < 0;
        if (const int byBytes = names[size_t(a)].compare(names[size_t(b)]); byBytes != 0)
            return byBytes < 0;
        return a < b;
    });
    return order;
}
