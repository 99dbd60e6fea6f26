#include "Commands.h"
#include "TerminalFrontEnd.h"

#include <csignal>
#include <iostream>

#ifdef _WIN32
#include <io.h>
#define isatty _isatty
#else
#include <unistd.h>
#endif

namespace
{

// Ctrl-C is the progress window's Cancel: the run restores the game files before it ends.
void OnInterrupt(int)
{
    RequestCancel();
}

} // namespace

int main(int argc, char** argv)
{
    std::signal(SIGINT, OnInterrupt);
    return RunKxvuz(argc, argv, std::cout, std::cerr, isatty(2) != 0);
}
