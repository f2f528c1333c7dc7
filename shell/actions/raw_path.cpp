#include "raw_path.h"

namespace shell::actions {

namespace {

QByteArray withoutTrailingSeparators(QByteArray path)
{
    while (path.size() > 1 && path.endsWith('/'))
        path.chop(1);
    return path;
}

} // namespace

QByteArray joinPath(const QByteArray &folder, const QByteArray &name)
{
    return folder.endsWith('/') ? folder + name : folder + '/' + name;
}

QByteArray baseNameOf(QByteArray path)
{
    path = withoutTrailingSeparators(path);
    return path.mid(path.lastIndexOf('/') + 1);
}

QByteArray parentOf(QByteArray path)
{
    path = withoutTrailingSeparators(path);
    const qsizetype slash = path.lastIndexOf('/');
    return slash <= 0 ? QByteArray("/") : path.left(slash);
}

} // namespace shell::actions
