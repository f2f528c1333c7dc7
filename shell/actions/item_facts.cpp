#include "item_facts.h"

#include "item_details.h"
#include "locales.h"
#include "raw_path.h"

#include <QDateTime>
#include <sys/stat.h>

namespace shell::actions {

ItemFacts ItemFacts::of(const ShellFolder &folder, const ItemId &child)
{
    ItemFacts facts;
    facts.name = folder.displayNameOf(child, NameForm::InFolder);
    const quint32 attributes = folder.attributesOf(child);
    const std::optional<QByteArray> path = folder.fileSystemPath(child);
    if (!path) {
        facts.type = (attributes & Folder) ? QStringLiteral("Dossier système") : QString();
        return facts;
    }
    facts.location = QString::fromUtf8(parentOf(*path));
    facts.type = ItemDetails::typeName(*path, baseNameOf(*path));

    struct stat st = {};
    if (::stat(path->constData(), &st) != 0 && ::lstat(path->constData(), &st) != 0)
        return facts;
    if (!S_ISDIR(st.st_mode)) {
        const qint64 bytes = qint64(st.st_size);
        facts.size = ItemDetails::formatSize(bytes);
        // The exact count is worth adding only once the size is rounded to Ko, Mo, ...
        if (bytes >= 1024)
            facts.size += QStringLiteral(" (%1 octets)").arg(frenchLocale().toString(bytes));
    }
    facts.modified = ItemDetails::formatTime(QDateTime::fromSecsSinceEpoch(st.st_mtim.tv_sec));
    return facts;
}

} // namespace shell::actions
