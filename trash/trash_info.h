#pragma once

// The text of a .trashinfo file, which lets a file manager put a trashed entry back: where it
// was (its path's bytes percent-encoded, so that any name survives, UTF-8 or not) and when it was
// trashed, in local time.

#include <ctime>
#include <string>
#include <string_view>

namespace trash {

// Every byte but the unreserved ASCII letters, digits, "-._~" and "/" as "%XX" (upper case).
std::string percentEncoded(std::string_view bytes);

// "YYYY-MM-DDThh:mm:ss" in local time.
std::string deletionDate(std::time_t when);

// "[Trash Info]\nPath=<encodedPath>\nDeletionDate=<date>\n"
std::string trashInfo(std::string_view encodedPath, std::string_view date);

} // namespace trash
