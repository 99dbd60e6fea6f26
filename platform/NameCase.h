#pragma once

#include <string_view>

// Letter case of file names as NTFS folds it: each UTF-16 unit through the volume's upcase table, one unit to
// one, as Unicode's simple upper case nearly everywhere, and no locale. Two names are one file on Windows
// exactly when their units fold alike, so checks that must hold there fold the same way on every system.

// The UTF-16 unit NTFS compares a Windows-1252 character as.
char16_t NtfsUpperCase(char c);

// Whether two Windows-1252 names name one file on NTFS.
bool SameNameIgnoringCase(std::string_view a, std::string_view b);
