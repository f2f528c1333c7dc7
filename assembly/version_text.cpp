#include "assembly/version_text.h"

namespace assembly {

std::string versionText(std::string_view program)
{
    return std::string(program) + " (Brakwen) " BRAKWEN_VERSION R"(
Copyright (C) 2026 The Brakwen developers.
Licence GPLv3+ : GNU GPL version 3 ou ultérieure
<https://gnu.org/licenses/gpl.html>.
Ceci est un logiciel libre : vous êtes libre de le modifier et de le
redistribuer. Il n'y a AUCUNE GARANTIE, dans la mesure permise par la loi.
)";
}

} // namespace assembly
