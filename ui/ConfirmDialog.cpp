#include "ConfirmDialog.h"

#include "DataExchange.h"
#include "resource.h"

CConfirmDialog::CConfirmDialog(HWND parent) : CDialog(IDD_CONFIRM, parent) {}

void CConfirmDialog::DoDataExchange(CDataExchange& dx)
{
    dx.Text(IDC_CONFIRM_DIRECTORY, directoryText);
    dx.Text(IDC_CONFIRM_MISSION_NAME, missionNameText);
    dx.Text(IDC_CONFIRM_FINDINGS, findingsText);
}
