#pragma once

#include <string>
#include <string_view>

namespace assembly {

// What --version prints, the same for every program of the package, as GNU programs print it:
// "PROGRAM (Brakwen) VERSION", then the copyright and the licence, in French, within 80 columns.
std::string versionText(std::string_view program);

} // namespace assembly
