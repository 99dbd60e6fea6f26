#pragma once

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

// One argument of a command; kxvuz needs every one it names. An option takes a value ("--game DIR"), a
// positional argument is the value itself ("MISSION").
struct CommandArgument
{
    const char* name;
    // An option's value as the help names it; null for a positional argument.
    const char* valueName;
    const char* help;
    // An option without a value, which may be left out; its value is "1" when given.
    bool flag = false;
};

// A command line that cannot be run; the message is one line.
class CCommandLineError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// Whether the words ask for help: "--help" or "-h" before any "--", other than as the value of one of the
// options among arguments.
bool AsksForHelp(const std::vector<CommandArgument>& arguments, const std::vector<std::string>& words);

// Each argument's value by its name, from the words that follow the command's name: options as "--game DIR"
// or "--game=DIR" in any order among the positional arguments, and after "--" positional ones only; "--"
// is never an option's value.
// Throws CCommandLineError for an unknown option, an option without its value or given twice, a word too
// many, or a missing argument.
std::map<std::string, std::string> ParseArguments(const std::vector<CommandArgument>& arguments,
                                                  const std::vector<std::string>& words);

// "Usage: kxvuz install --game DIR MISSION", the description, and a line for each argument.
std::string CommandHelp(const std::string& command, const std::string& description,
                        const std::vector<CommandArgument>& arguments);

// Lines of two columns, the first padded to its longest entry, each indented by two blanks.
std::string Columns(const std::vector<std::pair<std::string, std::string>>& rows);
