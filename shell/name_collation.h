#pragma once

// The order of names in a folder, as file managers show it: case-insensitive, locale-aware, the
// numbers inside names compared as numbers ("img2" before "img10"). Names that collate equal
// ("a" and "A") are then ordered by their bytes, so only the same name compares equal.

#include <QByteArray>
#include <QCollator>
#include <QList>

namespace shell {

// The collator every list of names in the program is ordered by: the session's language,
// ignoring case, numbers by value. The C locale collates by code point and ignores the case
// setting, which would put "Z" before "a": French, the program's language, stands in for it.
QCollator nameCollator();

class NameCollation
{
public:
    NameCollation();

    // Negative, zero or positive; zero only for identical bytes.
    int compare(const QByteArray &a, const QByteArray &b) const;

    // Sorts raw names in compare()'s order, those of lower rank first (`ranks` parallel to
    // `names`, or empty for one rank). Precomputes one collation key per name so that large
    // folders sort in a fraction of the time.
    void sort(QList<QByteArray> &names, const QList<int> &ranks) const;

private:
    QCollator m_collator;
};

} // namespace shell
