#pragma once

// The built-in columns' cells, read from the file-system entry behind an item.

#include "shell/locales.h"

#include <QByteArray>
#include <QDateTime>
#include <QLocale>
#include <QString>

struct BuiltinCells
{
    QString size;
    QString type;
    QString modified;
    int error = 0; // errno when the entry could not be read; the cells are then empty
};

class BuiltinDetails
{
public:
    // Dates are written as the session writes them, like the file manager's own columns.
    static BuiltinCells read(const QByteArray &path,
                             const QLocale &locale = shell::sessionLocale());
    // From the last dot of the entry's name, dot included; empty without a dot.
    static QString typeOf(const QByteArray &path);
    // Short date and long time; the time is left out at exactly midnight. Seconds go in steps of
    // two, as the older file systems keep them, so both kinds of volume show the same text.
    static QString formatTime(const QDateTime &local,
                              const QLocale &locale = shell::sessionLocale());
    // The message shown when an entry cannot be read.
    static QString errorMessage(const QString &name, int error);
};
