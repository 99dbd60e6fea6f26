#pragma once

#include <windows.h>

#include <optional>
#include <string>

struct CFileDialogSetup
{
    // Pairs of description and pattern, each followed by "|", the whole ending in "||".
    std::string filter;
    // Added to a name typed without one; "*.kxm" and "kxm" mean the same.
    std::string defaultExtension;
    // The name the dialog offers.
    std::string fileName;
    // Where the dialog opens; the system's choice when empty or missing.
    std::string initialFolder = {};
};

// Texts in the code page, where a character it lacks is "?", but for utf8Path.
struct CFileChoice
{
    std::string path;
    // The same path in UTF-8, whatever characters its folders' names have: what a mission file opens by.
    std::string utf8Path;
    // The file's name without its folder.
    std::string fileName;
    // Without the dot; empty when the name has none.
    std::string extension;
};

// The system's file dialogs: the read-only box hidden, replacing a file confirmed, and the working folder
// (where the install log goes) left as it was. Nothing when the user cancels.
std::optional<CFileChoice> ChooseFileToOpen(HWND owner, const CFileDialogSetup& setup);
std::optional<CFileChoice> ChooseFileToSave(HWND owner, const CFileDialogSetup& setup);
