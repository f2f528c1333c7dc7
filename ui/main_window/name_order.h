// The alphabetical order of file names, by a collator, worked out fast for large folders.
// Collation keys take about as long to make as the folder takes to read, and more room than the
// names themselves. Names in plain ASCII, nearly always the case, are first ordered character
// by character, each character ranked as the collator ranks it alone and, when the collator reads
// numbers by value, each run of digits taken as the number it writes; the collator then checks
// each pair of neighbours. Where that guess fails (a language that sorts "ch" or "aa" as one
// letter) or a name is not plain ASCII, the names are sorted by collation keys.
#pragma once

#include <QByteArrayView>
#include <QCollator>
#include <array>
#include <optional>
#include <vector>

class NameOrder
{
public:
    explicit NameOrder(const QCollator &collator);

    // The permutation that sorts `names` (position -> index in `names`): the collator's order,
    // names it finds equal in the order of their bytes, identical names in the order given.
    std::vector<int> sorted(const std::vector<QByteArrayView> &names) const;
    // The same worked out character by character, the quick way; nothing when it does not give
    // the collator's order (names not all plain ASCII, a language that sorts "ch" as a letter).
    std::optional<std::vector<int>>
    sortedByCharacters(const std::vector<QByteArrayView> &names) const;

    // The collator's rank of each printable ASCII character, from 1; 0 for the others.
    using Ranks = std::array<quint8, 128>;

private:
    std::vector<int> sortedByKeys(const std::vector<QByteArrayView> &names) const;
    bool characterLess(QByteArrayView a, QByteArrayView b) const;

    const QCollator &m_collator;
    bool m_numbersByValue;
    Ranks m_rank{};
};
