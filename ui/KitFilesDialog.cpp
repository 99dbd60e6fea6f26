#include "KitFilesDialog.h"

#include "DataExchange.h"
#include "resource.h"

CKitFilesDialog::CKitFilesDialog(HWND parent) : CDialog(IDD_KIT_FILES, parent)
{
    MapCommand(IDC_RECON_KIT, EN_KILLFOCUS, [this] { NormaliseOnLeave(reconKit, true); });
    MapCommand(IDC_ASSAULT_KIT, EN_KILLFOCUS, [this] { NormaliseOnLeave(assaultKit, true); });
    MapCommand(IDC_DEMOLITIONS_KIT, EN_KILLFOCUS, [this] { NormaliseOnLeave(demolitionsKit, true); });
    // Trailing blanks of the electronics kit stay, in front of the extension.
    MapCommand(IDC_ELECTRONICS_KIT, EN_KILLFOCUS, [this] { NormaliseOnLeave(electronicsKit, false); });
}

void CKitFilesDialog::DoDataExchange(CDataExchange& dx)
{
    dx.Text(IDC_RECON_KIT, reconKit);
    dx.Text(IDC_ASSAULT_KIT, assaultKit);
    dx.Text(IDC_DEMOLITIONS_KIT, demolitionsKit);
    dx.Text(IDC_ELECTRONICS_KIT, electronicsKit);
}

void CKitFilesDialog::NormaliseOnLeave(CString& kit, bool trim)
{
    UpdateData(true);
    kit = NormaliseFileName(kit, ".kit", trim);
    UpdateData(false);
}
