#pragma once

#include <windows.h>

#include <string>
#include <vector>

// What a person would see wrong in a dialog: a control outside the dialog, two controls on top of each
// other, a text that does not fit its control, a picture without its bitmap. Empty when the layout is clean.
std::vector<std::string> LayoutProblems(HWND dialog);

// The class name in lower case: "button", "static", "edit".
std::string ClassOf(HWND window);
// Whether the control draws "&x" as an underlined x, the access key x, rather than as it is.
bool ShowsAccessKeys(HWND control);
