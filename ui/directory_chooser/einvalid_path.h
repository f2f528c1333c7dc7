#pragma once

// Raised when a path written to the folder tree names nothing the namespace knows.

#include <QString>
#include <stdexcept>

class EInvalidPath : public std::runtime_error
{
public:
    explicit EInvalidPath(const QString &path)
        : std::runtime_error(
              QStringLiteral("Erreur de définition du chemin : \"%1\"").arg(path).toStdString())
    {}
};
