#pragma once

// One mounted volume as the computer level shows it.

#include <QByteArray>
#include <QString>

namespace shell {

struct Volume
{
    QByteArray mountPoint; // absolute, no trailing '/' except for the root itself
    QString label;         // the file system's label, empty when it has none
    QByteArray fsType;     // "ext4", "nfs4", ...
    QByteArray source;     // the mounted device or remote share
};

} // namespace shell
