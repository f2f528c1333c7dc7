// The desktop trash of one test: $XDG_DATA_HOME in a temporary folder beside the test's others,
// on their file system, so that the sources a job trashes go there and nowhere else.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>
#include <QtGlobal>

class PrivateTrash
{
public:
    PrivateTrash() : m_saved(qgetenv("XDG_DATA_HOME"))
    {
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_home.path()));
    }
    ~PrivateTrash()
    {
        if (m_saved.isEmpty())
            qunsetenv("XDG_DATA_HOME");
        else
            qputenv("XDG_DATA_HOME", m_saved);
    }
    PrivateTrash(const PrivateTrash &) = delete;
    PrivateTrash &operator=(const PrivateTrash &) = delete;

    // Where a trashed file named `name` is, and what is said of it.
    QString file(const QString &name) const { return m_home.filePath("Trash/files/" + name); }
    QString info(const QString &name) const
    {
        return m_home.filePath("Trash/info/" + name + ".trashinfo");
    }

private:
    QByteArray m_saved;
    QTemporaryDir m_home;
};
