#include "id_list.h"

namespace shell {

std::unique_ptr<ShellFolder> bindFolder(const ShellNamespace &ns, const IdList &ids)
{
    std::unique_ptr<ShellFolder> folder = ns.desktop();
    for (const ItemId &id : ids) {
        if (!folder)
            return nullptr;
        folder = folder->bindToObject(id);
    }
    return folder;
}

bool sameItem(const ShellFolder *parentOfA, const IdList &a, const IdList &b)
{
    if (a.size() != b.size())
        return false;
    if (a.isEmpty())
        return true;
    for (qsizetype i = 0; i + 1 < a.size(); ++i) {
        if (a.at(i) != b.at(i))
            return false;
    }
    if (a.last() == b.last())
        return true;
    return parentOfA && parentOfA->compareIds(0, a.last(), b.last()) == 0;
}

} // namespace shell
