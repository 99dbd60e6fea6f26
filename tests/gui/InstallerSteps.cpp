#include "InstallerSteps.h"

#include "resource.h"

int DefaultButton(HWND dialog)
{
    return LOWORD(SendMessageA(dialog, DM_GETDEFID, 0, 0));
}

void TypeDirectory(HWND options, const std::string& text)
{
    // Sent rather than set: the dialog may belong to another process.
    HWND edit = GetDlgItem(options, IDC_OPTIONS_DIRECTORY);
    SendMessageA(options, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(edit), TRUE);
    SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    SendMessageA(options, WM_NEXTDLGCTL, 0, FALSE);
}

void SelectRow(HWND installed, int row)
{
    // Posted: the dialog may belong to another process, and the list tells the dialog of each change.
    HWND list = GetDlgItem(installed, IDC_INSTALLED_LIST);
    PostMessageA(list, WM_KEYDOWN, VK_HOME, 0);
    for (int i = 0; i < row; ++i)
        PostMessageA(list, WM_KEYDOWN, VK_DOWN, 0);
}
