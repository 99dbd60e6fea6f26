#pragma once

#include "FileSystem.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

// A file is replaced by writing its sibling temporary file, flushing it to the disk and renaming it over
// the file: a crash or a failure at any point leaves either the old content or the new, never a mix.

// The temporary file in the same folder that stands in for path until it is renamed over it.
std::string TemporarySibling(const std::string& path);

// Reads what remains of an open file; nothing on a read error.
std::optional<std::string> ReadRest(IFile& file);
// The whole content of path, which is opened in mode (ReadWrite also proves it writable).
std::optional<std::string> ReadFileBytes(IFileSystem& fileSystem, const std::string& path,
                                         OpenMode mode = OpenMode::Read);

// Writes bytes to temporary, the open TemporarySibling of path, and renames it over path. The temporary
// is removed when any step fails.
bool CommitReplacement(IFileSystem& fileSystem, std::unique_ptr<IFile> temporary, const std::string& path,
                       std::string_view bytes);
bool ReplaceFile(IFileSystem& fileSystem, const std::string& path, std::string_view bytes);
bool CopyFileReplacing(IFileSystem& fileSystem, const std::string& from, const std::string& to);

// Makes an existing read-only file writable, keeping its times.
void ClearReadOnly(IFileSystem& fileSystem, const std::string& path);
