#include "FileDialog.h"

#include "CodePage.h"

#include <commdlg.h>

#include <algorithm>

namespace
{

std::string CodePageText(std::wstring_view text)
{
    return AnsiFromWide(text, GetACP()).value_or("");
}

// The wide dialogs, so that the chosen file may be in a folder whose name the code page cannot spell.
std::optional<CFileChoice> ChooseFile(HWND owner, const CFileDialogSetup& setup,
                                      BOOL(WINAPI* dialog)(LPOPENFILENAMEW))
{
    std::wstring filter = WideFromAnsi(setup.filter, GetACP());
    std::replace(filter.begin(), filter.end(), L'|', L'\0');
    filter.push_back(L'\0');
    std::string extension = setup.defaultExtension;
    extension.erase(0, extension.find_first_not_of("*."));
    const std::wstring wideExtension = WideFromAnsi(extension, GetACP());
    std::wstring name = WideFromAnsi(setup.fileName, GetACP());
    name.resize(name.size() + 32768, L'\0');
    const std::wstring initialFolder = WideFromAnsi(setup.initialFolder, GetACP());

    OPENFILENAMEW dialogData{};
    dialogData.lStructSize = sizeof(dialogData);
    dialogData.hwndOwner = owner;
    dialogData.lpstrFilter = filter.c_str();
    dialogData.lpstrFile = name.data();
    dialogData.nMaxFile = static_cast<DWORD>(name.size());
    dialogData.lpstrDefExt = wideExtension.empty() ? nullptr : wideExtension.c_str();
    dialogData.lpstrInitialDir = initialFolder.empty() ? nullptr : initialFolder.c_str();
    dialogData.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_NOCHANGEDIR;
    if (!dialog(&dialogData))
        return std::nullopt;

    const std::wstring path = name.c_str();
    CFileChoice choice;
    choice.path = CodePageText(path);
    choice.utf8Path = AnsiFromWide(path, CP_UTF8).value_or("");
    choice.fileName = CodePageText(path.substr(dialogData.nFileOffset));
    if (dialogData.nFileExtension > dialogData.nFileOffset)
        choice.extension = CodePageText(path.substr(dialogData.nFileExtension));
    return choice;
}

} // namespace

std::optional<CFileChoice> ChooseFileToOpen(HWND owner, const CFileDialogSetup& setup)
{
    return ChooseFile(owner, setup, GetOpenFileNameW);
}

std::optional<CFileChoice> ChooseFileToSave(HWND owner, const CFileDialogSetup& setup)
{
    return ChooseFile(owner, setup, GetSaveFileNameW);
}
