#pragma once

#include <windows.h>

#include <string>

// The program file's name without its folder and extension.
std::string AppTitle();
// A plain message box: an OK button, no icon, captioned with the application's title; style adds to that.
void AppMessageBox(HWND owner, const std::string& text, UINT style = 0);
// The same with Yes and No: true for Yes.
bool AppYesNoBox(HWND owner, const std::string& text, UINT style = 0);
