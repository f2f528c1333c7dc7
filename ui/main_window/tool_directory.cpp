#include "tool_directory.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <unistd.h>

QString ToolDirectory::fromExecutablePath(const QString &executablePath)
{
    return executablePath.left(executablePath.lastIndexOf(QLatin1Char('/')) + 1);
}

QString ToolDirectory::chooserFallback(const QString &toolDirectory)
{
    if (::access(QFile::encodeName(toolDirectory).constData(), W_OK) == 0)
        return toolDirectory;
    const QString home = QDir::homePath();
    return QFileInfo(home).isDir() ? home : toolDirectory;
}
