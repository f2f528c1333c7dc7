#pragma once

// How an error's message is shown in the default error box and by the command line.

#include <string>

namespace assembly {

// Appends "." when the message's last character sorts after '.', that is after a letter or a
// digit but not after ".", ",", ")" or a blank. Bytes compare unsigned, so a message ending in an
// accented letter (UTF-8 continuation byte or Windows-1252 letter) gets its period too.
std::string withFinalPeriod(const std::string &message);

} // namespace assembly
