#include "AddIntelDialog.h"

#include "DataExchange.h"
#include "resource.h"

CAddIntelDialog::CAddIntelDialog(HWND parent) : CDialog(IDD_ADD_INTEL, parent) {}

void CAddIntelDialog::DoDataExchange(CDataExchange& dx)
{
    dx.Text(IDC_NEW_INTEL_ENTRY, entry);
}
