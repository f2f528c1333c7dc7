// The program's folder: the folder of the running executable, where the converter is looked for.
#pragma once

#include <QString>

class ToolDirectory
{
public:
    // `executablePath` cut after its last separator, which stays.
    static QString fromExecutablePath(const QString &executablePath);
};
