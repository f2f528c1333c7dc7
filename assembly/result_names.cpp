#include "assembly/result_names.h"

#include <algorithm>

namespace assembly {

namespace {

// ASCII letters only, whatever the locale: the extensions are ASCII.
char lowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool endsWithIgnoringCase(std::string_view text, std::string_view ending)
{
    return text.size() >= ending.size() &&
           std::equal(ending.begin(), ending.end(), text.end() - ending.size(),
                      [](char a, char b) { return lowerAscii(a) == lowerAscii(b); });
}

} // namespace

std::optional<ResultNames> resultNames(std::string_view typedName)
{
    std::string_view base = typedName;
    for (std::string_view extension : {".eps", ".pdf"})
        if (endsWithIgnoringCase(base, extension)) {
            base.remove_suffix(extension.size());
            break;
        }
    // What is left is the name the results share: it must stay a name in the job's folder.
    // (A NUL byte would end the name early, where the system reads it.)
    if (base.find_first_of(std::string_view("/\0", 2)) != std::string_view::npos || base == "." ||
        base == "..")
        return std::nullopt;
    const std::string stem(base);
    return ResultNames{stem, stem + ".eps", stem + ".pdf"};
}

std::string baseNameRefusal(std::string_view typedName)
{
    return "Le nom « " + std::string(typedName) +
           " » ne peut pas être celui du fichier final : il ne peut contenir de « / » ni se "
           "réduire à « . » ou « .. »";
}

} // namespace assembly
