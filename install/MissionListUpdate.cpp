#include "InstallationRun.h"

void CInstallationRun::UpdateMissionList()
{
}
