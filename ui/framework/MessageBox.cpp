#include "MessageBox.h"

std::string AppTitle()
{
    std::string path(MAX_PATH, '\0');
    for (;;)
    {
        const DWORD length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size())
        {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    std::string name = path.substr(path.find_last_of("\\/") + 1);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos)
        name.resize(dot);
    return name;
}

void AppMessageBox(HWND owner, const std::string& text, UINT style)
{
    MessageBoxA(owner, text.c_str(), AppTitle().c_str(), MB_OK | style);
}

bool AppYesNoBox(HWND owner, const std::string& text, UINT style)
{
    return MessageBoxA(owner, text.c_str(), AppTitle().c_str(), MB_YESNO | style) == IDYES;
}
