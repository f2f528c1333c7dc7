#pragma once

// One column of the contents list.

#include <QString>

struct ListColumn
{
    enum class Source {
        Namespace,    // cells from the folder's details for `sourceColumn`
        BuiltinName,  // the item's in-folder name
        BuiltinSize,  // the file's size in bytes
        BuiltinType,  // the name's extension
        BuiltinMtime, // the last modification time
    };

    QString header;
    int format = 0; // 0 left, 1 right, 2 centred
    int widthInCharacters = 0;
    Source source = Source::Namespace;
    int sourceColumn = -1;
};
