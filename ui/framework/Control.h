#pragma once

#include <windows.h>

// A control of a dialog, reached through its window.
class CControl
{
public:
    void Attach(HWND window) { hwnd = window; }
    HWND GetSafeHwnd() const { return hwnd; }

protected:
    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return SendMessageA(hwnd, message, wParam, lParam);
    }

private:
    HWND hwnd = nullptr;
};
