#include "name_order.h"

#include <QCollatorSortKey>
#include <QString>
#include <algorithm>
#include <numeric>

namespace {

constexpr char FirstPrintable = 0x20;
constexpr char LastPrintable = 0x7e;
// How many leading symbols go into the packed prefix that most comparisons stop at.
constexpr int PrefixLength = 16;

struct Prefixed
{
    quint64 high = 0; // symbols 0 to 7, 8 bits each; 0 past the end
    quint64 low = 0;  // symbols 8 to 15
    int index = 0;
};

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// A plain ASCII name read as the symbols its order is decided by, one at a time: each character's
// rank. A collator that reads numbers by value sees a run of digits as one number, which sorts
// where a digit does: the run then reads as the rank of "0", its count of digits without the
// leading zeros, then those digits, so that a longer number comes after a shorter one.
class Symbols
{
public:
    Symbols(QByteArrayView name, const NameOrder::Ranks &rank, bool numbers)
        : m_name(name), m_rank(rank), m_numbers(numbers)
    {}

    // The next symbol; 0 past the end.
    quint8 next()
    {
        if (m_countPending) {
            m_countPending = false;
            // Names are at most 255 bytes long; a longer run is left to the collator's check.
            return quint8(std::min<qsizetype>(m_runEnd - m_at, 255));
        }
        if (m_at < m_runEnd)
            return rankOf(m_name[m_at++]);
        if (m_at == m_name.size())
            return 0;
        const char c = m_name[m_at];
        if (!m_numbers || !isDigit(c))
            return rankOf(m_name[m_at++]);
        m_runEnd = m_at;
        while (m_runEnd < m_name.size() && isDigit(m_name[m_runEnd]))
            ++m_runEnd;
        while (m_at < m_runEnd - 1 && m_name[m_at] == '0')
            ++m_at;
        m_countPending = true;
        return rankOf('0');
    }

private:
    quint8 rankOf(char printable) const { return m_rank[static_cast<unsigned char>(printable)]; }

    QByteArrayView m_name;
    const NameOrder::Ranks &m_rank;
    bool m_numbers;
    qsizetype m_at = 0;
    qsizetype m_runEnd = 0; // past the digits of the number being read
    bool m_countPending = false;
};

// The text of a plain ASCII name, in a string whose room serves from one name to the next.
const QString &widened(QByteArrayView ascii, QString &text)
{
    text.resize(ascii.size());
    std::copy(ascii.begin(), ascii.end(), text.data());
    return text;
}

} // namespace

NameOrder::NameOrder(const QCollator &collator)
    : m_collator(collator), m_numbersByValue(collator.numericMode())
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
    Symbols symbolsA(a, m_rank, m_numbersByValue);
    Symbols symbolsB(b, m_rank, m_numbersByValue);
    for (;;) {
        const quint8 symbolA = symbolsA.next();
        const quint8 symbolB = symbolsB.next();
        if (symbolA != symbolB)
            return symbolA < symbolB;
        if (symbolA == 0)
            return a.compare(b) < 0;
    }
}

std::optional<std::vector<int>>
NameOrder::sortedByCharacters(const std::vector<QByteArrayView> &names) const
{
    std::vector<Prefixed> prefixed(names.size());
    for (size_t n = 0; n < names.size(); ++n) {
        const QByteArrayView name = names[n];
        if (!std::all_of(name.begin(), name.end(),
                         [](char c) { return c >= FirstPrintable && c <= LastPrintable; }))
            return std::nullopt;
        Prefixed &entry = prefixed[n];
        entry.index = int(n);
        Symbols symbols(name, m_rank, m_numbersByValue);
        for (int i = 0; i < PrefixLength; ++i) {
            const quint8 symbol = symbols.next();
            if (symbol == 0)
                break;
            (i < 8 ? entry.high : entry.low) |= quint64(symbol) << (8 * (7 - i % 8));
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
