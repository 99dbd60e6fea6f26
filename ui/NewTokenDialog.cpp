#include "NewTokenDialog.h"

#include "DataExchange.h"
#include "resource.h"

CNewTokenDialog::CNewTokenDialog(HWND parent) : CDialog(IDD_NEW_TOKEN, parent) {}

void CNewTokenDialog::DoDataExchange(CDataExchange& dx)
{
    dx.Text(IDC_NEW_TOKEN, token);
}
