#pragma once

// The program: its main dialog, shown once.
class CInstallerApp
{
public:
    // Gives the exit status. An installation run ends the process itself; Cancel in the main dialog
    // comes back here, having touched nothing.
    int Run();
};
