#pragma once

// Text as PDF shows it in bookmarks and document properties: a text string in UTF-16BE with its
// byte-order mark, written as a PostScript hex string so that no byte of a file name (a
// parenthesis, a backslash, a line end) can end the string or the pdfmark early. Bytes that are
// not valid UTF-8 become U+FFFD, the replacement character.

#include <string>
#include <string_view>

namespace converter {

std::string pdfTextHexString(std::string_view text);

// "plan.eps" -> "plan"; a name that is only an extension (".eps") or has none stays whole.
std::string withoutExtension(std::string_view name);

} // namespace converter
