#include "KxvuzRun.h"

#include "Commands.h"

#include <sstream>

KxvuzResult Kxvuz(std::vector<std::string> arguments, IFileSystem& fileSystem, void (*beforeCancellable)())
{
    arguments.insert(arguments.begin(), "kxvuz");
    std::vector<const char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(argument.c_str());
    std::ostringstream out;
    std::ostringstream err;
    const int status =
        RunKxvuz(fileSystem, static_cast<int>(argv.size()), argv.data(), out, err, false, beforeCancellable);
    return {status, out.str(), err.str()};
}
