#include "CancelSignals.h"
#include "Commands.h"
#include "ConsoleOutput.h"

#include <iostream>

#ifdef _WIN32
#include "CodePage.h"

#include <io.h>
#include <windows.h>

#include <string>
#include <vector>
#define isatty _isatty
#else
#include <csignal>
#include <unistd.h>
#endif

namespace
{

int Run(int argc, const char* const* argv)
{
    const CConsoleStreams console;
    return RunKxvuz(argc, argv, std::cout, std::cerr, isatty(2) != 0, InstallCancelHandlers);
}

} // namespace

#ifdef _WIN32

// The system's UTF-16 words, so that a mission file may be in a folder the code page cannot spell.
int wmain(int argc, wchar_t** argv)
{
    std::vector<std::string> words;
    std::vector<const char*> pointers;
    for (int i = 0; i < argc; ++i)
        words.push_back(AnsiFromWide(argv[i], CP_UTF8).value_or(""));
    for (const std::string& word : words)
        pointers.push_back(word.c_str());
    return Run(argc, pointers.data());
}

#else

int main(int argc, char** argv)
{
    // A reader that went away (kxvuz install ... | head -n1) must not end a run half-way through its edits:
    // writes to it fail instead, and a failed write of progress or messages changes nothing.
    std::signal(SIGPIPE, SIG_IGN);
    return Run(argc, argv);
}

#endif
