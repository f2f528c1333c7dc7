#include "cli/option_parser.h"

#include "cli/messages.h"

#include <string_view>

namespace cli {

namespace {

// A name that starts with a dash reads as options: say how to give it.
const char *const dashHint = " (un nom de fichier qui commence par « - » se donne après « -- »)";

class Parser
{
public:
    Parser(int argc, char **argv, const std::vector<Option> &options)
        : m_argc(argc), m_argv(argv), m_options(options)
    {}

    ParsedArguments run()
    {
        bool optionsEnded = false;
        for (m_next = 1; m_next < m_argc && m_result.error.empty();) {
            const std::string_view argument = m_argv[m_next++];
            if (optionsEnded || argument.size() < 2 || argument[0] != '-')
                m_result.operands.emplace_back(argument);
            else if (argument == "--")
                optionsEnded = true;
            else if (argument[1] == '-')
                longOption(argument);
            else
                shortOptions(argument);
        }
        if (!m_result.error.empty())
            m_result.operands.clear();
        return std::move(m_result);
    }

private:
    void longOption(std::string_view argument)
    {
        const std::string_view body = argument.substr(2);
        const auto equals = body.find('=');
        const std::string_view name = body.substr(0, equals);
        const Option *found = nullptr;
        std::string candidates;
        for (const Option &option : m_options) {
            const std::string_view longName = option.longName;
            if (longName == name) {
                found = &option;
                candidates.clear();
                break;
            }
            if (longName.substr(0, name.size()) == name) {
                candidates += (candidates.empty() ? "--" : ", --") + std::string(longName);
                found = found == nullptr ? &option : found;
            }
        }
        if (found == nullptr) {
            m_result.error = "option inconnue " + quoted(argument) + dashHint;
        } else if (candidates.find(',') != std::string::npos) {
            m_result.error = "option ambiguë " + quoted(argument) + " : " + candidates + " ?";
        } else if (equals != std::string_view::npos) {
            if (found->takesValue)
                found->apply(std::string(body.substr(equals + 1)));
            else
                m_result.error = "l'option " + quoted(argument) + " ne prend pas de valeur";
        } else if (found->takesValue) {
            takeNextAsValue(*found, argument);
        } else {
            found->apply({});
        }
    }

    void shortOptions(std::string_view argument)
    {
        for (std::size_t i = 1; i < argument.size(); ++i) {
            const Option *found = nullptr;
            for (const Option &option : m_options)
                if (option.shortName != '\0' && option.shortName == argument[i])
                    found = &option;
            if (found == nullptr) {
                const std::string option{'-', argument[i]};
                m_result.error = "option inconnue " + quoted(option);
                if (argument != option)
                    m_result.error += " dans " + quoted(argument);
                m_result.error += dashHint;
                return;
            }
            if (!found->takesValue) {
                found->apply({});
                continue;
            }
            // The rest of the argument is the value, else the next argument is.
            if (i + 1 < argument.size())
                found->apply(std::string(argument.substr(i + 1)));
            else
                takeNextAsValue(*found, argument);
            return;
        }
    }

    void takeNextAsValue(const Option &option, std::string_view argument)
    {
        if (m_next >= m_argc) {
            m_result.error = "l'option " + quoted(argument) + " demande une valeur";
            return;
        }
        option.apply(m_argv[m_next++]);
    }

    int m_argc;
    char **m_argv;
    const std::vector<Option> &m_options;
    int m_next = 1;
    ParsedArguments m_result;
};

} // namespace

ParsedArguments parseOptions(int argc, char **argv, const std::vector<Option> &options)
{
    return Parser(argc, argv, options).run();
}

} // namespace cli
