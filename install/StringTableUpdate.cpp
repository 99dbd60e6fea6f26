#include "InstallationRun.h"

void CInstallationRun::UpdateStringTable()
{
}
