#include "ErrorDialog.h"

#include "DataExchange.h"
#include "MoreInfoDialog.h"
#include "resource.h"

CErrorDialog::CErrorDialog(HWND parent) : CDialog(IDD_ERROR, parent)
{
    MapCommand(IDC_MORE_INFORMATION, BN_CLICKED, [this] { OnMoreInformation(); });
}

void CErrorDialog::DoDataExchange(CDataExchange& dx)
{
    dx.Text(IDC_ERROR_TEXT, errorText);
}

BOOL CErrorDialog::OnInitDialog()
{
    const BOOL result = CDialog::OnInitDialog();
    // Every error is announced, however often the dialog opens, and comes to the front: the game may wait
    // half-edited on the player's answer.
    MessageBeep(MB_ICONEXCLAMATION);
    SetForegroundWindow(GetSafeHwnd());
    return result;
}

void CErrorDialog::OnMoreInformation()
{
    CMoreInfoDialog(GetSafeHwnd()).DoModal();
}
