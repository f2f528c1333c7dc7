// The program's folder: the folder of the running executable, where the converter is looked for.
#pragma once

#include <QString>

class ToolDirectory
{
public:
    // `executablePath` cut after its last separator, which stays.
    static QString fromExecutablePath(const QString &executablePath);

    // Where the chooser opens when it has no usable directory: the program's folder, unless the
    // user may not write there (a system installation, whose folder holds only the program's own
    // files), then the user's home folder, when there is one.
    static QString chooserFallback(const QString &toolDirectory);
};
