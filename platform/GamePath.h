#pragma once

#include <string>

// The native path for a program path. Game paths are composed with backslashes; on POSIX they become
// slashes, the code page's text becomes UTF-8, as file names there are, and a component that does not exist
// in that exact case is matched case-insensitively, as NTFS folds case, because games installed under Wine
// keep Windows' mixed-case names. On Windows paths stand as given.
std::string NativePath(const std::string& path);

// Whether a relative path stays inside the folder it is relative to: no drive, no leading separator, no "."
// or ".." part, no empty part. What a file of the program's own names must pass, whoever wrote the file.
bool StaysInsideFolder(const std::string& path);
