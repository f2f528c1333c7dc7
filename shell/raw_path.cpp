#include "raw_path.h"

#include "posix/path.h"

#include <string_view>

namespace shell {

namespace {

std::string_view viewOf(const QByteArray &bytes)
{
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

std::string_view withoutTrailingSeparators(const QByteArray &path)
{
    std::string_view view = viewOf(path);
    while (view.size() > 1 && view.back() == '/')
        view.remove_suffix(1);
    return view;
}

} // namespace

QByteArray joinPath(const QByteArray &folder, const QByteArray &name)
{
    return QByteArray::fromStdString(posix::joinPath(viewOf(folder), viewOf(name)));
}

QByteArray baseNameOf(const QByteArray &path)
{
    return QByteArray::fromStdString(posix::fileName(withoutTrailingSeparators(path)));
}

QByteArray parentOf(const QByteArray &path)
{
    return QByteArray::fromStdString(posix::parentFolder(withoutTrailingSeparators(path)));
}

} // namespace shell
