#include "ConsoleOutput.h"

#ifdef _WIN32
#include <windows.h>

namespace
{

bool IsConsole(DWORD stream)
{
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(stream), &mode) != 0;
}

} // namespace

CUtf8ConsoleOutput::CUtf8ConsoleOutput()
{
    if (!IsConsole(STD_OUTPUT_HANDLE) && !IsConsole(STD_ERROR_HANDLE))
        return;
    previousPage = GetConsoleOutputCP();
    if (!SetConsoleOutputCP(CP_UTF8))
        previousPage = 0;
}

CUtf8ConsoleOutput::~CUtf8ConsoleOutput()
{
    if (previousPage != 0)
        SetConsoleOutputCP(previousPage);
}

#else

CUtf8ConsoleOutput::CUtf8ConsoleOutput() = default;
CUtf8ConsoleOutput::~CUtf8ConsoleOutput() = default;

#endif
