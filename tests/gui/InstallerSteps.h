#pragma once

#include <windows.h>

#include <string>

// What the program's own dialogs are called and say, and the steps of a user in them, for the tests that
// drive them in this process and in the program's.
inline constexpr const char kInstallerCaption[] = "KX Vuz Odezodure";
inline constexpr const char kOptionsCaption[] = "KX VUZ Odezodure Options";
inline constexpr const char kConfirmCaption[] = "Confirm Options";
inline constexpr const char kInstalledCaption[] = "Installed Missions";
inline constexpr const char kPreviewCaption[] = "Preview";
inline constexpr const char kNoHelpText[] =
    "There is no help currently available. See the readme.txt for any questions you may have. If the "
    "readme doesn't contain the answer yto your problem, feel free to e-mail me. See the About dialog box "
    "for contact information.";

// The id of the button that Enter presses.
int DefaultButton(HWND dialog);
// Types into the Options dialog's directory edit and moves the focus on, as the Tab key would.
void TypeDirectory(HWND options, const std::string& text);
// Selects a row of the Installed Missions list from the keyboard, as a user would: Home, then Down.
void SelectRow(HWND installed, int row);
