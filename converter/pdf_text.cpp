#include "converter/pdf_text.h"

#include <cstdint>
#include <vector>

namespace converter {

namespace {

constexpr char32_t replacement = 0xFFFD;

// Decodes one UTF-8 sequence at text[i], moving i past it; a malformed or overlong sequence, a
// surrogate or a code point past U+10FFFF gives the replacement character for its first byte.
char32_t decodeOne(std::string_view text, std::size_t &i)
{
    const auto byte = [&](std::size_t at) { return static_cast<unsigned char>(text[at]); };
    const unsigned char lead = byte(i);
    if (lead < 0x80) {
        ++i;
        return lead;
    }
    int length = 0;
    char32_t code = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2;
        code = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        code = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        code = lead & 0x07;
    } else {
        ++i;
        return replacement;
    }
    if (i + static_cast<std::size_t>(length) > text.size()) {
        ++i;
        return replacement;
    }
    for (int k = 1; k < length; ++k) {
        const unsigned char next = byte(i + static_cast<std::size_t>(k));
        if ((next & 0xC0) != 0x80) {
            ++i;
            return replacement;
        }
        code = (code << 6) | (next & 0x3F);
    }
    static constexpr char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < smallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        ++i;
        return replacement;
    }
    i += static_cast<std::size_t>(length);
    return code;
}

void appendUnit(std::string &hex, std::uint16_t unit)
{
    static constexpr char digits[] = "0123456789ABCDEF";
    for (int shift = 12; shift >= 0; shift -= 4)
        hex += digits[(unit >> shift) & 0xF];
}

} // namespace

std::string pdfTextHexString(std::string_view text)
{
    std::string hex = "<FEFF";
    for (std::size_t i = 0; i < text.size();) {
        const char32_t code = decodeOne(text, i);
        if (code >= 0x10000) {
            const char32_t rest = code - 0x10000;
            appendUnit(hex, static_cast<std::uint16_t>(0xD800 + (rest >> 10)));
            appendUnit(hex, static_cast<std::uint16_t>(0xDC00 + (rest & 0x3FF)));
        } else {
            appendUnit(hex, static_cast<std::uint16_t>(code));
        }
    }
    return hex + ">";
}

std::string withoutExtension(std::string_view name)
{
    const auto dot = name.find_last_of('.');
    if (dot == std::string_view::npos || dot == 0)
        return std::string(name);
    return std::string(name.substr(0, dot));
}

} // namespace converter
