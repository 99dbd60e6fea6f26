#include "CommandLine.h"

#include <algorithm>

namespace
{

bool IsOption(const CommandArgument& argument)
{
    return argument.valueName != nullptr || argument.flag;
}

// A lone "-" is a name, as it is to most tools.
bool LooksLikeOption(const std::string& word)
{
    return word.size() > 1 && word[0] == '-';
}

// The option that word names, as "--game" or "--game=DIR"; null for none.
const CommandArgument* NamedOption(const std::vector<CommandArgument>& arguments, const std::string& word)
{
    const std::string name = word.substr(0, word.find('='));
    const auto option = std::find_if(arguments.begin(), arguments.end(),
                                     [&](const CommandArgument& a) { return IsOption(a) && name == a.name; });
    return option == arguments.end() ? nullptr : &*option;
}

// Whether the option at words[i] takes the next word for its value: not when it has one after "=", nor when
// the next word is the "--" that ends the options.
bool TakesNextWord(const std::vector<std::string>& words, std::size_t i)
{
    return words[i].find('=') == std::string::npos && i + 1 < words.size() && words[i + 1] != "--";
}

// Help lines end before this column, as a terminal of 100 columns shows them.
constexpr std::size_t kLineWidth = 100;

// Text broken at blanks into lines that end before kLineWidth, each line after the first indented by indent.
std::string Wrapped(const std::string& text, std::size_t indent)
{
    std::string wrapped;
    std::size_t column = indent;
    std::size_t start = 0;
    while (start < text.size())
    {
        const std::size_t end = std::min(text.find(' ', start), text.size());
        const std::size_t length = end - start;
        if (column > indent && column + 1 + length >= kLineWidth)
        {
            // Two appends: GCC 12 at -O3 takes "\n" + std::string(...) for an overlapping copy.
            wrapped += '\n';
            wrapped.append(indent, ' ');
            column = indent;
        }
        else if (column > indent)
        {
            wrapped += ' ';
            ++column;
        }
        wrapped += text.substr(start, length);
        column += length;
        start = end + 1;
    }
    return wrapped + "\n";
}

} // namespace

bool AsksForHelp(const std::vector<CommandArgument>& arguments, const std::vector<std::string>& words)
{
    for (std::size_t i = 0; i < words.size() && words[i] != "--"; ++i)
    {
        if (words[i] == "--help" || words[i] == "-h")
            return true;
        const CommandArgument* option = NamedOption(arguments, words[i]);
        if (option && !option->flag && TakesNextWord(words, i))
            ++i;
    }
    return false;
}

std::map<std::string, std::string> ParseArguments(const std::vector<CommandArgument>& arguments,
                                                  const std::vector<std::string>& words)
{
    std::map<std::string, std::string> values;
    auto positional = arguments.begin();
    bool optionsEnded = false;
    for (std::size_t i = 0; i < words.size(); ++i)
    {
        const std::string& word = words[i];
        if (!optionsEnded && word == "--")
        {
            optionsEnded = true;
            continue;
        }
        if (!optionsEnded && LooksLikeOption(word))
        {
            const std::size_t equals = word.find('=');
            const std::string name = word.substr(0, equals);
            const CommandArgument* option = NamedOption(arguments, word);
            if (!option)
                throw CCommandLineError("Unknown option " + name);
            if (values.count(name) != 0)
                throw CCommandLineError(name + " is given twice");
            if (option->flag && equals != std::string::npos)
                throw CCommandLineError(name + " takes no value");
            if (option->flag)
            {
                // Not values[name] = "1": GCC 12 at -O3 takes that for an overlapping copy.
                values.emplace(name, "1");
                continue;
            }
            std::string value;
            if (equals != std::string::npos)
                value = word.substr(equals + 1);
            else if (TakesNextWord(words, i))
                value = words[++i];
            // An empty game directory would name the root folder.
            if (value.empty())
                throw CCommandLineError(name + " needs its " + option->valueName);
            values[name] = value;
            continue;
        }
        positional =
            std::find_if(positional, arguments.end(), [](const CommandArgument& a) { return !IsOption(a); });
        if (positional == arguments.end())
            throw CCommandLineError("Unexpected argument " + word);
        values[positional->name] = word;
        ++positional;
    }
    for (const CommandArgument& argument : arguments)
        if (!argument.flag && values.count(argument.name) == 0)
            throw CCommandLineError(std::string(argument.name) + " is required");
    return values;
}

std::string Columns(const std::vector<std::pair<std::string, std::string>>& rows)
{
    std::size_t width = 0;
    for (const auto& [left, right] : rows)
        width = std::max(width, left.size());
    std::string text;
    for (const auto& [left, right] : rows)
        text += "  " + left + std::string(width - left.size() + 2, ' ') + Wrapped(right, width + 4);
    return text;
}

std::string CommandHelp(const std::string& command, const std::string& description,
                        const std::vector<CommandArgument>& arguments)
{
    std::string usage = "Usage: kxvuz " + command;
    std::vector<std::pair<std::string, std::string>> rows;
    for (const CommandArgument& argument : arguments)
    {
        // Appended piece by piece: GCC 12 at -O3 takes "[" + std::string(...) for an overlapping copy.
        std::string shown =
            argument.flag ? std::string("[").append(argument.name).append("]") : argument.name;
        if (!argument.flag && IsOption(argument))
            shown.append(" ").append(argument.valueName);
        usage += " " + shown;
        rows.emplace_back(shown, argument.help);
    }
    return usage + "\n" + Wrapped(description, 0) + "\n" + Columns(rows);
}
