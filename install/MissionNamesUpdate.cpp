#include "InstallationRun.h"

void CInstallationRun::UpdateMissionNames()
{
}
