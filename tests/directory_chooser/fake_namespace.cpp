#include "fake_namespace.h"

#include <algorithm>

FakeItem *FakeItem::add(const QString &childName, bool isFolder)
{
    auto item = std::make_unique<FakeItem>();
    item->id = childName.toUtf8();
    item->name = childName;
    item->folder = isFolder;
    item->fileSystem = fileSystem;
    item->parent = this;
    children.push_back(std::move(item));
    return children.back().get();
}

FakeItem *FakeItem::child(const QByteArray &childId) const
{
    for (const auto &c : children) {
        if (c->id == childId)
            return c.get();
    }
    return nullptr;
}

QString FakeItem::path() const
{
    if (!fileSystem)
        return QStringLiteral("::{%1}").arg(QString::fromUtf8(id));
    if (name == QLatin1String("/"))
        return name;
    if (!parent || !parent->fileSystem)
        return name;
    const QString above = parent->path();
    return above == QLatin1String("/") ? above + name : above + QLatin1Char('/') + name;
}

namespace {

class FakeFolder : public shell::ShellFolder
{
public:
    FakeFolder(const FakeNamespace *ns, FakeItem *item) : m_ns(ns), m_item(item) {}

    std::optional<QList<shell::ItemId>> enumerate(unsigned filter) const override
    {
        ++m_ns->enumerations[m_item->path()];
        if (m_item->unreadable)
            return std::nullopt;
        QList<shell::ItemId> ids;
        for (const auto &c : m_item->children) {
            if (c->folder ? (filter & shell::Folders) : (filter & shell::NonFolders))
                ids.append(c->id);
        }
        return ids;
    }
    QString displayNameOf(const shell::ItemId &child, shell::NameForm form) const override
    {
        const FakeItem *c = m_item->child(child);
        if (!c)
            return {};
        return form == shell::NameForm::Parsing ? c->path() : c->name;
    }
    int compareIds(int, const shell::ItemId &a, const shell::ItemId &b) const override
    {
        const int byName = QString::fromUtf8(a).compare(QString::fromUtf8(b), Qt::CaseInsensitive);
        return byName != 0 ? byName : QString::fromUtf8(a).compare(QString::fromUtf8(b));
    }
    quint32 attributesOf(const shell::ItemId &child) const override
    {
        const FakeItem *c = m_item->child(child);
        if (!c)
            return 0;
        quint32 a = 0;
        if (c->folder) {
            a |= shell::Folder;
            if (std::any_of(c->children.cbegin(), c->children.cend(),
                            [](const auto &g) { return g->folder; }) ||
                c->unreadable)
                a |= shell::HasSubFolder;
        }
        if (c->fileSystem)
            a |= shell::FileSystem;
        if (c->canRename)
            a |= shell::CanRename;
        return a;
    }
    std::unique_ptr<shell::ShellFolder> bindToObject(const shell::ItemId &child) const override
    {
        FakeItem *c = m_item->child(child);
        if (!c || !c->folder)
            return nullptr;
        return std::make_unique<FakeFolder>(m_ns, c);
    }
    shell::ColumnKind columnKind() const override { return m_item->columnKind; }
    std::optional<shell::ColumnDescription> columnDescription(int column) const override
    {
        if (m_item->columnKind == shell::ColumnKind::None)
            return std::nullopt;
        QList<shell::ColumnDescription> columns = m_item->columns;
        if (columns.isEmpty())
            columns = {{QStringLiteral("Nom"), 0, 20, true},
                       {QStringLiteral("Taille"), 1, 8, true}};
        if (column < 0 || column >= columns.size())
            return std::nullopt;
        return columns.at(column);
    }
    QString detailsOf(const shell::ItemId &child, int column) const override
    {
        const FakeItem *c = m_item->child(child);
        if (!c)
            return {};
        if (column == 0)
            return c->name;
        return c->details.value(column, QStringLiteral("%1:%2").arg(c->name).arg(column));
    }
    std::optional<shell::ItemId> setNameOf(const shell::ItemId &child,
                                           const QString &newName) override
    {
        FakeItem *c = m_item->child(child);
        if (!c || c->refuseRename || m_item->child(newName.toUtf8()))
            return std::nullopt;
        c->name = newName;
        c->id = newName.toUtf8();
        return c->id;
    }
    std::optional<QByteArray> fileSystemPath(const shell::ItemId &child) const override
    {
        const FakeItem *c = m_item->child(child);
        if (!c || !c->fileSystem)
            return std::nullopt;
        return c->fsPath.isEmpty() ? c->path().toUtf8() : c->fsPath;
    }

private:
    const FakeNamespace *m_ns;
    FakeItem *m_item;
};

} // namespace

FakeNamespace::FakeNamespace() : m_desktop(std::make_unique<FakeItem>())
{
    m_desktop->id = "desktop";
    m_desktop->name = QStringLiteral("Bureau");
    m_desktop->fileSystem = false;
    FakeItem *computer = m_desktop->add(QStringLiteral("Ordinateur"));
    computer->id = "computer";
    computer->canRename = false;
    computer->columns = {{QStringLiteral("Nom"), 0, 20, true},
                         {QStringLiteral("Type"), 0, 10, true}};
    FakeItem *homeItem = m_desktop->add(QStringLiteral("home"));
    homeItem->fileSystem = true;
    homeItem->id = "home";
    homeItem->name = QStringLiteral("/home/user");
    FakeItem *rootItem = computer->add(QStringLiteral("/"));
    rootItem->fileSystem = true;
    rootItem->id = "vol:/";
    rootItem->canRename = false;
}

std::unique_ptr<shell::ShellFolder> FakeNamespace::desktop() const
{
    return std::make_unique<FakeFolder>(this, m_desktop.get());
}

shell::IdList FakeNamespace::computerNode() const
{
    return {computer()->id};
}

FakeItem *FakeNamespace::find(const QString &path) const
{
    if (path == QLatin1String("Ordinateur"))
        return nullptr;
    if (!path.startsWith(QLatin1Char('/')))
        return nullptr;
    FakeItem *item = root();
    for (const QString &part : path.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        item = item->child(part.toUtf8());
        if (!item)
            return nullptr;
    }
    return item;
}

FakeItem *FakeNamespace::makePath(const QString &path)
{
    FakeItem *item = root();
    for (const QString &part : path.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        FakeItem *next = item->child(part.toUtf8());
        item = next ? next : item->add(part);
    }
    return item;
}

shell::IdList FakeNamespace::idsOf(const FakeItem *item) const
{
    shell::IdList ids;
    for (; item && item != m_desktop.get(); item = item->parent)
        ids.prepend(item->id);
    return ids;
}

std::optional<shell::IdList> FakeNamespace::parseDisplayName(const QString &path) const
{
    if (const FakeItem *item = find(path))
        return idsOf(item);
    return std::nullopt;
}
