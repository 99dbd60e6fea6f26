#include "CancelSignals.h"
#include "Commands.h"
#include "ConsoleOutput.h"

#include <iostream>

#ifdef _WIN32
#include <io.h>
#define isatty _isatty
#else
#include <csignal>
#include <unistd.h>
#endif

int main(int argc, char** argv)
{
#ifndef _WIN32
    // A reader that went away (kxvuz install ... | head -n1) must not end a run half-way through its edits:
    // writes to it fail instead, and a failed write of progress or messages changes nothing.
    std::signal(SIGPIPE, SIG_IGN);
#endif
    const CUtf8ConsoleOutput console;
    return RunKxvuz(argc, argv, std::cout, std::cerr, isatty(2) != 0, InstallCancelHandlers);
}
