#include "id_lists.h"

namespace chooser {

bool sameItem(const shell::ShellFolder *parentOfA, const shell::IdList &a, const shell::IdList &b)
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

} // namespace chooser
