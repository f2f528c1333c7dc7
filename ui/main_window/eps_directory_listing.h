// Lists the EPS files of one folder, keeping each name's bytes as the file system gives them.
#pragma once

#include <QByteArray>
#include <cstddef>
#include <vector>

class EpsDirectoryListing
{
public:
    // Names (no directory part) of the entries of `directory` that end in ".eps" in any letter
    // case and are not folders. Hidden files are included. A folder that cannot be read gives an
    // empty list: there is nothing to offer, and nothing to report.
    static std::vector<QByteArray> list(const QByteArray &directory);

    // True when `name` ends in ".eps" (any letter case) and nothing follows.
    static bool matchesEpsPattern(const QByteArray &name);
    static bool matchesEpsPattern(const char *name, size_t length);
};
