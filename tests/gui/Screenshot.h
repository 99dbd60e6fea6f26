#pragma once

#include <windows.h>

#include <string>

// Writes what a window shows, caption bar included, to the screenshots folder as name.png, for a person
// to look at. Wine draws caption bars only on its virtual desktop, which the test runner sets up.
void SaveScreenshot(HWND window, const std::string& name);
