#include "item_icon.h"

#include <QFileIconProvider>
#include <QMimeDatabase>

QIcon ItemIcon::of(const shell::ShellFolder &folder, const shell::ItemId &child, bool open)
{
    const quint32 attributes = folder.attributesOf(child);
    const QString name = folder.iconNameOf(child, open);
    if (!name.isEmpty() && QIcon::hasThemeIcon(name))
        return QIcon::fromTheme(name);
    QFileIconProvider provider;
    if (name == QLatin1String("computer"))
        return provider.icon(QAbstractFileIconProvider::Computer);
    if (name.startsWith(QLatin1String("drive-")))
        return provider.icon(QAbstractFileIconProvider::Drive);
    if (attributes & shell::Folder)
        return QIcon::fromTheme(open ? QStringLiteral("folder-open") : QStringLiteral("folder"),
                                provider.icon(QAbstractFileIconProvider::Folder));
    // A theme without the type's own icon often has its family's ("image-x-generic").
    const QList<QMimeType> types = QMimeDatabase().mimeTypesForFileName(
        folder.displayNameOf(child, shell::NameForm::InFolder));
    const QIcon file = provider.icon(QAbstractFileIconProvider::File);
    return types.isEmpty() ? file : QIcon::fromTheme(types.constFirst().genericIconName(), file);
}
