#pragma once

// An in-memory namespace for the view tests: a desktop holding the computer node "Ordinateur"
// (parsing name "::{computer}") and a home folder; the computer holds the volume "/" whose
// folders and files the tests build. Folders can be made unreadable, renames refused, and each
// folder chooses its column protocol.

#include "shell/shell_namespace.h"

#include <QHash>
#include <QStringList>
#include <memory>
#include <vector>

struct FakeItem
{
    QByteArray id;
    QString name;
    bool folder = true;
    bool fileSystem = true;
    bool canRename = true;
    bool refuseRename = false;
    bool unreadable = false;
    QByteArray fsPath; // a real entry behind the item, for the built-in columns
    shell::ColumnKind columnKind = shell::ColumnKind::Described;
    QList<shell::ColumnDescription> columns; // empty: "Nom" and "Taille", both shown
    QHash<int, QString> details;
    FakeItem *parent = nullptr;
    std::vector<std::unique_ptr<FakeItem>> children;

    FakeItem *add(const QString &childName, bool isFolder = true);
    FakeItem *child(const QByteArray &childId) const;
    QString path() const; // parsing name
};

class FakeNamespace : public shell::ShellNamespace
{
public:
    FakeNamespace();

    std::unique_ptr<shell::ShellFolder> desktop() const override;
    shell::IdList computerNode() const override;
    std::optional<shell::IdList> parseDisplayName(const QString &path) const override;

    FakeItem *computer() const { return m_desktop->children[0].get(); }
    FakeItem *root() const { return computer()->children[0].get(); }
    // Creates the folders of `path` under "/" as needed.
    FakeItem *makePath(const QString &path);
    FakeItem *find(const QString &path) const;
    shell::IdList idsOf(const FakeItem *item) const;

    // How many times folders were enumerated, by parsing name.
    mutable QHash<QString, int> enumerations;

private:
    std::unique_ptr<FakeItem> m_desktop;
};
