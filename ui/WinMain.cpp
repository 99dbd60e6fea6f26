#include "InstallerApp.h"

#include <windows.h>

namespace
{

CInstallerApp application;

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    return application.Run();
}
