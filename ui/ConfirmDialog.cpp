#include "ConfirmDialog.h"

#include "DataExchange.h"
#include "FileSystem.h"
#include "Preview.h"
#include "PreviewDialog.h"
#include "WaitCursor.h"
#include "resource.h"

CConfirmDialog::CConfirmDialog(HWND parent) : CDialog(IDD_CONFIRM, parent)
{
    MapCommand(IDC_CONFIRM_SHOW_CHANGES, BN_CLICKED, [this] { OnShowChanges(); });
}

void CConfirmDialog::DoDataExchange(CDataExchange& dx)
{
    dx.Text(IDC_CONFIRM_DIRECTORY, directoryText);
    dx.Text(IDC_CONFIRM_MISSION_NAME, missionNameText);
    dx.Text(IDC_CONFIRM_FINDINGS, findingsText);
}

void CConfirmDialog::OnShowChanges()
{
    BeginWaitCursor();
    const InstallationPreview preview = PreviewInstallation(NativeFileSystem(), gameDirectory, mission);
    EndWaitCursor();
    CPreviewDialog(GetSafeHwnd(), OutcomeLine(preview, mission.missionName), PreviewText(preview.preview))
        .DoModal();
}
