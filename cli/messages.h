#pragma once

// What brakwen-cli says on stderr: each line starts with the program's name, as GNU tools do, and
// file names are shown with their control characters escaped, so that a name cannot move the
// cursor, clear the screen or pass for another line.

#include <string>
#include <string_view>

namespace cli {

// Backslash escapes for C0 and C1 control characters and DEL (\n, \t, \r, \ooo), \\ for a
// backslash, \xHH for a byte that is not valid UTF-8; everything else as it is.
std::string escapeControlCharacters(std::string_view text);

// "« text »", as every message quotes a name or an argument.
std::string quoted(std::string_view text);

// "brakwen-cli: <text>" and a line end on stderr, text escaped.
void printError(std::string_view text);

} // namespace cli
