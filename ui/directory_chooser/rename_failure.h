#pragma once

// The message of a rename the namespace refused: one text for both views.

#include <QString>

inline QString renameFailureMessage(const QString &newName)
{
    return QStringLiteral("Le changement de nom en %1 a échoué").arg(newName);
}
