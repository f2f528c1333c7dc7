#include "desktop_folder.h"

#include "computer_folder.h"
#include "item_details.h"

#include <algorithm>

namespace shell {

const ItemId DesktopFolder::ComputerId = "/:computer";
const ItemId DesktopFolder::HomeId = "/:home";
const QString DesktopFolder::ComputerParsingName =
    QStringLiteral("::{5f0c2a7e-8d41-4b9a-a3e6-1c7b9d20f4e8}");
const QString DesktopFolder::ComputerName = QStringLiteral("Ordinateur");
const QString DesktopFolder::HomeName = QStringLiteral("Dossier personnel");

DesktopFolder::DesktopFolder(QByteArray homePath, QByteArray desktopPath,
                             std::function<QList<Volume>()> volumes)
    : m_homePath(std::move(homePath)), m_volumes(std::move(volumes))
{
    if (!desktopPath.isEmpty())
        m_entries.emplace(std::move(desktopPath));
}

int DesktopFolder::rankOf(const ItemId &id)
{
    if (id == ComputerId)
        return 0;
    return id == HomeId ? 1 : 2;
}

bool DesktopFolder::isEntry(const ItemId &id) const
{
    return m_entries.has_value() && rankOf(id) == 2;
}

std::optional<QList<ItemId>> DesktopFolder::enumerate(unsigned filter) const
{
    QList<ItemId> ids;
    if ((filter & Folders) != 0)
        ids = {ComputerId, HomeId};
    // The desktop is there even when its folder cannot be read; it then shows its own items.
    if (m_entries) {
        if (const auto entries = m_entries->enumerate(filter))
            ids.append(*entries);
    }
    return ids;
}

QString DesktopFolder::displayNameOf(const ItemId &child, NameForm form) const
{
    if (child == ComputerId)
        return form == NameForm::Parsing ? ComputerParsingName : ComputerName;
    if (child == HomeId)
        return form == NameForm::Parsing ? QString::fromUtf8(m_homePath) : HomeName;
    return isEntry(child) ? m_entries->displayNameOf(child, form) : QString();
}

int DesktopFolder::compareIds(int column, const ItemId &a, const ItemId &b) const
{
    const int rankA = rankOf(a);
    const int rankB = rankOf(b);
    if (rankA != rankB)
        return rankA < rankB ? -1 : 1;
    if (rankA < 2)
        return 0;
    return m_entries ? m_entries->compareIds(column, a, b) : (a == b ? 0 : (a < b ? -1 : 1));
}

quint32 DesktopFolder::attributesOf(const ItemId &child) const
{
    if (child == ComputerId)
        return Folder | HasSubFolder;
    if (child == HomeId)
        return DirectoryFolder::folderAttributes(m_homePath);
    return isEntry(child) ? m_entries->attributesOf(child) : 0;
}

std::unique_ptr<ShellFolder> DesktopFolder::bindToObject(const ItemId &child) const
{
    if (child == ComputerId)
        return std::make_unique<ComputerFolder>(m_volumes ? m_volumes() : QList<Volume>{});
    if (child == HomeId) {
        if (DirectoryFolder::folderAttributes(m_homePath) == 0)
            return nullptr;
        return std::make_unique<DirectoryFolder>(m_homePath);
    }
    return isEntry(child) ? m_entries->bindToObject(child) : nullptr;
}

std::optional<ColumnDescription> DesktopFolder::columnDescription(int column) const
{
    return DirectoryFolder::folderColumn(column);
}

QString DesktopFolder::detailsOf(const ItemId &child, int column) const
{
    if (child == ComputerId) {
        if (column == 0)
            return ComputerName;
        return column == 2 ? QStringLiteral("Dossier système") : QString();
    }
    if (child == HomeId)
        return column == 0 ? HomeName : ItemDetails::columnText(m_homePath, {}, column);
    return isEntry(child) ? m_entries->detailsOf(child, column) : QString();
}

std::optional<ItemId> DesktopFolder::setNameOf(const ItemId &child, const QString &newName)
{
    if (!isEntry(child))
        return std::nullopt;
    return m_entries->setNameOf(child, newName);
}

std::optional<QByteArray> DesktopFolder::fileSystemPath(const ItemId &child) const
{
    if (child == HomeId)
        return m_homePath;
    return isEntry(child) ? m_entries->fileSystemPath(child) : std::nullopt;
}

void DesktopFolder::sortIds(QList<ItemId> &ids, bool foldersFirst) const
{
    // The desktop's own items lead, in their fixed order; the entries follow, sorted.
    QList<ItemId> own;
    QList<ItemId> entries;
    for (const ItemId &id : std::as_const(ids))
        (rankOf(id) < 2 ? own : entries).append(id);
    std::sort(own.begin(), own.end(),
              [](const ItemId &a, const ItemId &b) { return rankOf(a) < rankOf(b); });
    if (m_entries)
        m_entries->sortIds(entries, foldersFirst);
    ids = own + entries;
}

QString DesktopFolder::iconNameOf(const ItemId &child, bool open) const
{
    if (child == ComputerId)
        return QStringLiteral("computer");
    if (child == HomeId)
        return QStringLiteral("user-home");
    return isEntry(child) ? m_entries->iconNameOf(child, open) : QString();
}

} // namespace shell
