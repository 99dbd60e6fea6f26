#pragma once

#include "BackupJournal.h"
#include "FileSystem.h"

#include <optional>
#include <string>
#include <vector>

enum class RestoreResult
{
    Restored,
    // The game file already held the copy's bytes: nothing was written.
    Unchanged,
    Failed,
};
// Puts the copy at backupPath over gamePath, made writable first.
RestoreResult RestoreGameFile(IFileSystem& fileSystem, const std::string& backupPath,
                              const std::string& gamePath);

struct RestoredFile
{
    // Relative to the game directory.
    std::string gamePath;
    RestoreResult result;
};
// Puts back every game file that the journal in data\Backup names, and marks the journal once all are back.
// Nothing when there is no complete backup set; then no file is touched. Running it again after an
// interruption finishes the job, since each file is replaced whole.
std::optional<std::vector<RestoredFile>> RestoreBackupSet(IFileSystem& fileSystem,
                                                          const std::string& gameDirectory);
