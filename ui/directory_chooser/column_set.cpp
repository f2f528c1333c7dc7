#include "column_set.h"

QList<ListColumn> ColumnSet::build(const shell::ShellFolder &folder, bool fileSystem)
{
    switch (folder.columnKind()) {
    case shell::ColumnKind::Described:
        return described(folder);
    case shell::ColumnKind::Details:
        return details(folder);
    case shell::ColumnKind::None:
        break;
    }
    return builtin(fileSystem);
}

QList<ListColumn> ColumnSet::described(const shell::ShellFolder &folder)
{
    QList<ListColumn> columns;
    // Columns up to the first hidden one after a shown one make the useful set; the rest of a
    // namespace's catalogue (often dozens of rarely wanted facts) is left out.
    bool metShown = false;
    for (int i = 0;; ++i) {
        const std::optional<shell::ColumnDescription> d = folder.columnDescription(i);
        if (!d)
            break;
        if (metShown && !d->shownByDefault)
            break;
        metShown = metShown || d->shownByDefault;
        offer(columns, *d, i);
    }
    return columns;
}

QList<ListColumn> ColumnSet::details(const shell::ShellFolder &folder)
{
    QList<ListColumn> columns;
    for (int i = 0;; ++i) {
        const std::optional<shell::ColumnDescription> d = folder.columnDescription(i);
        if (!d)
            break;
        // Without states the only end marker such folders give is a header that comes round again.
        const bool repeated = std::any_of(columns.cbegin(), columns.cend(),
                                          [&](const auto &c) { return c.header == d->header; });
        if (repeated)
            break;
        offer(columns, *d, i);
    }
    return columns;
}

QList<ListColumn> ColumnSet::builtin(bool fileSystem)
{
    using S = ListColumn::Source;
    QList<ListColumn> columns{{QStringLiteral("Nom"), 0, 25, S::BuiltinName, -1}};
    if (fileSystem) {
        columns.append({QStringLiteral("Taille"), 1, 10, S::BuiltinSize, -1});
        columns.append({QStringLiteral("Type"), 0, 10, S::BuiltinType, -1});
        columns.append({QStringLiteral("Modifié"), 0, 14, S::BuiltinMtime, -1});
    }
    return columns;
}

bool ColumnSet::offer(QList<ListColumn> &columns, const shell::ColumnDescription &d, int column)
{
    if (d.header.isEmpty())
        return false;
    for (const ListColumn &c : columns) {
        if (c.header.compare(d.header, Qt::CaseInsensitive) == 0)
            return false;
    }
    const int format = (d.format >= 0 && d.format <= 2) ? d.format : 0;
    columns.append({d.header, format, d.widthInCharacters, ListColumn::Source::Namespace, column});
    return true;
}
