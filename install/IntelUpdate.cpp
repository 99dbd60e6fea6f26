#include "InstallationRun.h"

void CInstallationRun::UpdateIntel()
{
}
