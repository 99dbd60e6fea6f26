#include "InstallerApp.h"

#include "InstallerDialog.h"

int CInstallerApp::Run()
{
    CInstallerDialog dialog;
    dialog.DoModal();
    return 0;
}
