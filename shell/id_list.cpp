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

int compareIdLists(const ShellNamespace &ns, const IdList &a, const IdList &b)
{
    qsizetype common = 0;
    while (common < a.size() && common < b.size() && a[common] == b[common])
        ++common;
    if (common == a.size() || common == b.size()) {
        if (a.size() == b.size())
            return 0;
        return a.size() < b.size() ? -1 : 1;
    }
    const std::unique_ptr<ShellFolder> parent = bindFolder(ns, a.mid(0, common));
    if (parent) {
        if (const int order = parent->compareIds(0, a[common], b[common]); order != 0)
            return order < 0 ? -1 : 1;
    }
    // Different identifiers are different items even where the folder cannot tell them apart.
    return a[common] < b[common] ? -1 : 1;
}

QString displayNameOfIdList(const ShellNamespace &ns, const IdList &ids, NameForm form)
{
    if (ids.isEmpty())
        return {};
    const std::unique_ptr<ShellFolder> parent = bindFolder(ns, ids.mid(0, ids.size() - 1));
    return parent ? parent->displayNameOf(ids.constLast(), form) : QString();
}

} // namespace shell
