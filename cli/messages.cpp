#include "cli/messages.h"

#include <cstdio>

namespace cli {

namespace {

// The length of the valid UTF-8 sequence at text[i], or 0.
std::size_t sequenceLength(std::string_view text, std::size_t i)
{
    const auto byte = [&](std::size_t at) { return static_cast<unsigned char>(text[at]); };
    const unsigned char lead = byte(i);
    std::size_t length = 0;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF)
        length = 3;
    else if (lead >= 0xF0 && lead <= 0xF4)
        length = 4;
    if (length == 0 || i + length > text.size())
        return 0;
    for (std::size_t k = 1; k < length; ++k)
        if ((byte(i + k) & 0xC0) != 0x80)
            return 0;
    // Overlong three- and four-byte forms, surrogates, and code points past U+10FFFF.
    const unsigned char second = byte(i + 1);
    if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second > 0x9F) ||
        (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second > 0x8F))
        return 0;
    return length;
}

void appendOctal(std::string &out, unsigned value)
{
    out += '\\';
    out += static_cast<char>('0' + ((value >> 6) & 7));
    out += static_cast<char>('0' + ((value >> 3) & 7));
    out += static_cast<char>('0' + (value & 7));
}

} // namespace

std::string escapeControlCharacters(std::string_view text)
{
    static constexpr char hex[] = "0123456789abcdef";
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            if (c == '\n')
                out += "\\n";
            else if (c == '\t')
                out += "\\t";
            else if (c == '\r')
                out += "\\r";
            else if (c == '\\')
                out += "\\\\";
            else if (c < 0x20 || c == 0x7F)
                appendOctal(out, c);
            else
                out += static_cast<char>(c);
            ++i;
            continue;
        }
        const std::size_t length = sequenceLength(text, i);
        if (length == 0) {
            out += "\\x";
            out += hex[c >> 4];
            out += hex[c & 0xF];
            ++i;
            continue;
        }
        // U+0080 to U+009F, the C1 controls, are C2 80 to C2 9F.
        const auto second = static_cast<unsigned char>(text[i + 1]);
        if (length == 2 && c == 0xC2 && second <= 0x9F) {
            out += "\\u00";
            out += hex[second >> 4];
            out += hex[second & 0xF];
        } else {
            out.append(text.substr(i, length));
        }
        i += length;
    }
    return out;
}

std::string quoted(std::string_view text)
{
    return "« " + std::string(text) + " »";
}

void printError(std::string_view text)
{
    const std::string line = "brakwen-cli: " + escapeControlCharacters(text) + "\n";
    std::fputs(line.c_str(), stderr);
}

} // namespace cli
