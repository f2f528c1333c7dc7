#include "tool_directory.h"

QString ToolDirectory::fromExecutablePath(const QString &executablePath)
{
    return executablePath.left(executablePath.lastIndexOf(QLatin1Char('/')) + 1);
}
