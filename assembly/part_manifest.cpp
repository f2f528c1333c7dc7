#include "assembly/part_manifest.h"

#include <charconv>

namespace assembly {

namespace {

constexpr std::string_view header = "brakwen-parts 1\n";

// Reads a decimal number ending in `end` at text's start and moves text past both.
template <typename Number> bool takeNumber(std::string_view &text, char end, Number &value)
{
    const auto [next, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || next == text.data() || next == text.data() + text.size() ||
        *next != end)
        return false;
    text.remove_prefix(static_cast<std::size_t>(next - text.data()) + 1);
    return true;
}

} // namespace

std::string formatManifest(const std::vector<ManifestPart> &parts)
{
    std::string text(header);
    for (const ManifestPart &part : parts) {
        text += std::to_string(part.size);
        text += ' ';
        text += std::to_string(part.name.size());
        text += ' ';
        text += part.name;
        text += '\n';
    }
    return text;
}

std::optional<std::vector<ManifestPart>> parseManifest(std::string_view text)
{
    if (text.substr(0, header.size()) != header)
        return std::nullopt;
    text.remove_prefix(header.size());
    std::vector<ManifestPart> parts;
    while (!text.empty()) {
        ManifestPart part;
        std::size_t nameLength = 0;
        if (!takeNumber(text, ' ', part.size) || !takeNumber(text, ' ', nameLength) ||
            nameLength >= text.size() || text[nameLength] != '\n')
            return std::nullopt;
        part.name = std::string(text.substr(0, nameLength));
        text.remove_prefix(nameLength + 1);
        parts.push_back(std::move(part));
    }
    return parts;
}

std::string formatPageReport(long pages)
{
    return "pages " + std::to_string(pages) + "\n";
}

std::string formatFailureReport(std::string_view why)
{
    std::string text = "failure ";
    for (char c : why)
        text += c == '\n' ? ' ' : c;
    return text + "\n";
}

ConverterReport parseConverterReport(std::string_view text)
{
    ConverterReport report;
    constexpr std::string_view pages = "pages ";
    constexpr std::string_view failure = "failure ";
    if (text.substr(0, pages.size()) == pages) {
        text.remove_prefix(pages.size());
        long count = 0;
        if (takeNumber(text, '\n', count) && text.empty() && count >= 0)
            report.pages = count;
    } else if (text.substr(0, failure.size()) == failure && text.size() > failure.size() &&
               text.back() == '\n') {
        report.failure = std::string(text.substr(failure.size(), text.size() - failure.size() - 1));
    }
    return report;
}

posix::HiddenName converterPdfNaming()
{
    return {".ps2pdf-", ".pdf.tmp", {}};
}

} // namespace assembly
