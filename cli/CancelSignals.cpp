#include "CancelSignals.h"

#include "TerminalFrontEnd.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <csignal>
#endif

namespace
{

#ifdef _WIN32

// Runs on a thread of its own.
BOOL WINAPI OnConsoleEvent(DWORD event)
{
    RequestCancel();
    if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT)
        return TRUE;
    // The console closing, logoff or shutdown end the process as soon as this returns; the process also ends
    // when main returns, so this waits for the run to restore the game files first.
    Sleep(INFINITE);
    return TRUE;
}

#else

void OnSignal(int)
{
    RequestCancel();
}

#endif

} // namespace

void InstallCancelHandlers()
{
#ifdef _WIN32
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
#else
    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    // Kept for every later signal (no SA_RESETHAND), and file operations go on rather than fail.
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaction(signal, &action, nullptr);
#endif
}
