#include "InstallationRun.h"

void CInstallationRun::UpdateTutorialGroupings()
{
}
