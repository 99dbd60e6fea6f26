#pragma once

#include <windows.h>

#include <string>

// The tooltips of one dialog: a text shown while the pointer rests on a control.
class CToolTips
{
public:
    // Call once the dialog's window exists.
    void Create(HWND dialog);
    void Add(int controlId, const std::string& text);
    HWND GetSafeHwnd() const { return hwnd; }

private:
    HWND dialog = nullptr;
    HWND hwnd = nullptr;
};
