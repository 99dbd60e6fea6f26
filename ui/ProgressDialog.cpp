#include "ProgressDialog.h"

#include "DataExchange.h"
#include "WaitCursor.h"
#include "resource.h"

CProgressDialog::CProgressDialog(HWND owner) : CDialog(IDD_PROGRESS, owner) {}

void CProgressDialog::DoDataExchange(CDataExchange& dx)
{
    dx.Control(IDC_PROGRESS_BAR, progressBar);
    dx.Text(IDC_PERCENT_TEXT, percentText);
    dx.Text(IDC_OPERATION_TEXT, operationText);
    dx.Text(IDC_DETAIL_TEXT, detailText);
}

void CProgressDialog::OnCancel()
{
    if (cancelAction)
        cancelAction();
}

std::optional<LRESULT> CProgressDialog::OnMessage(UINT message, WPARAM, LPARAM)
{
    // Between steps the window's messages are let through, which would bring the arrow back.
    if (message != WM_SETCURSOR || !WaitCursorShown())
        return std::nullopt;
    SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    return TRUE;
}
