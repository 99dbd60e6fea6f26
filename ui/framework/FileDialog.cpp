#include "FileDialog.h"

#include <commdlg.h>

#include <algorithm>

namespace
{

std::optional<CFileChoice> ChooseFile(HWND owner, const CFileDialogSetup& setup,
                                      BOOL(WINAPI* dialog)(LPOPENFILENAMEA))
{
    std::string filter = setup.filter;
    std::replace(filter.begin(), filter.end(), '|', '\0');
    filter.push_back('\0');
    std::string extension = setup.defaultExtension;
    extension.erase(0, extension.find_first_not_of("*."));
    std::string name = setup.fileName;
    name.resize(name.size() + 32768, '\0');

    OPENFILENAMEA dialogData{};
    dialogData.lStructSize = sizeof(dialogData);
    dialogData.hwndOwner = owner;
    dialogData.lpstrFilter = filter.c_str();
    dialogData.lpstrFile = name.data();
    dialogData.nMaxFile = static_cast<DWORD>(name.size());
    dialogData.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
    dialogData.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_NOCHANGEDIR;
    if (!dialog(&dialogData))
        return std::nullopt;

    CFileChoice choice;
    choice.path = name.c_str();
    choice.fileName = choice.path.substr(dialogData.nFileOffset);
    if (dialogData.nFileExtension > dialogData.nFileOffset)
        choice.extension = choice.path.substr(dialogData.nFileExtension);
    return choice;
}

} // namespace

std::optional<CFileChoice> ChooseFileToOpen(HWND owner, const CFileDialogSetup& setup)
{
    return ChooseFile(owner, setup, GetOpenFileNameA);
}

std::optional<CFileChoice> ChooseFileToSave(HWND owner, const CFileDialogSetup& setup)
{
    return ChooseFile(owner, setup, GetSaveFileNameA);
}
