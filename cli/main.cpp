#include "CancelSignals.h"
#include "Commands.h"
#include "ConsoleOutput.h"

#include <iostream>

#ifdef _WIN32
#include <io.h>
#define isatty _isatty
#else
#include <unistd.h>
#endif

int main(int argc, char** argv)
{
    InstallCancelHandlers();
    const CUtf8ConsoleOutput console;
    return RunKxvuz(argc, argv, std::cout, std::cerr, isatty(2) != 0);
}
