#include "trash/trash_info.h"

#include <cstdio>

namespace trash {

std::string percentEncoded(std::string_view bytes)
{
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string encoded;
    encoded.reserve(bytes.size());
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        const bool plain = (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
                           (byte >= '0' && byte <= '9') || byte == '-' || byte == '.' ||
                           byte == '_' || byte == '~' || byte == '/';
        if (plain) {
            encoded += c;
        } else {
            encoded += '%';
            encoded += hex[byte >> 4];
            encoded += hex[byte & 0xF];
        }
    }
    return encoded;
}

std::string deletionDate(std::time_t when)
{
    std::tm local = {};
    char text[32] = {};
    if (::localtime_r(&when, &local) == nullptr ||
        std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local) == 0)
        return {};
    return text;
}

std::string trashInfo(std::string_view encodedPath, std::string_view date)
{
    std::string text;
    text.reserve(encodedPath.size() + date.size() + 48);
    text += "[Trash Info]\nPath=";
    text += encodedPath;
    text += "\nDeletionDate=";
    text += date;
    text += '\n';
    return text;
}

} // namespace trash
