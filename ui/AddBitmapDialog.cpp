#include "AddBitmapDialog.h"

#include "DataExchange.h"
#include "FileDialog.h"
#include "resource.h"

CAddBitmapDialog::CAddBitmapDialog(HWND parent) : CDialog(IDD_ADD_BITMAP, parent)
{
    MapCommand(IDC_BITMAP_BROWSE, BN_CLICKED, [this] { OnBrowse(); });
    MapCommand(IDC_BITMAP_NAME, EN_KILLFOCUS, [this] { OnNameLeave(); });
}

void CAddBitmapDialog::DoDataExchange(CDataExchange& dx)
{
    dx.Text(IDC_BITMAP_PROMPT, prompt);
    dx.Text(IDC_BITMAP_NAME, name);
}

void CAddBitmapDialog::OnBrowse()
{
    const auto choice = ChooseFileToOpen(GetSafeHwnd(), {"Korvex Bitmaps (*.kxb)|*.kxb||", "*.bmp", ""});
    if (!choice)
        return;
    // The game's material file names the bitmap that the .kxb file was made from. Only the name's own
    // extension changes: "kxbsky.kxb" gives "kxbsky.bmp".
    name = choice->fileName;
    if (!choice->extension.empty())
        name.replace(name.size() - choice->extension.size(), choice->extension.size(), "bmp");
    UpdateData(false);
}

void CAddBitmapDialog::OnNameLeave()
{
    UpdateData(true);
    if (name.ends_with(".kxb"))
        name.replace(name.size() - 4, 4, ".bmp");
    name = NormaliseFileName(name, ".bmp", false);
    UpdateData(false);
}
