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
    // The system's words for a failure.
    std::string reason;
};
struct BackupSetRestore
{
    enum class Status
    {
        // Every listed file was tried; see files.
        Tried,
        // No complete backup set: no file was touched.
        NoBackupSet,
        // Another installation or restore is working on the game: no file was touched.
        Busy,
    };
    Status status = Status::Tried;
    std::vector<RestoredFile> files;

    bool Complete() const;
};
// Puts back every game file that the journal in data\Backup names, and marks the journal once all are back,
// holding the game's lock. Running it again after an interruption finishes the job, since each file is
// replaced whole.
BackupSetRestore RestoreBackupSet(IFileSystem& fileSystem, const std::string& gameDirectory);
// A line per file: what happened to it and its path, and under a failure the system's reason.
std::string RestoredFilesReport(const std::vector<RestoredFile>& files);
inline constexpr char kGameFilesRestored[] = "The game files are as they were before the last installation.";

// The journal says that a run made its backup set and never finished: game files may be half-edited, and
// only that backup set can put them right, so no new run may replace it.
bool LastInstallationInterrupted(IFileSystem& fileSystem, const std::string& gameDirectory);
inline constexpr char kInterruptedInstallation[] =
    "The last installation into this game was interrupted and some game files may be half-edited.";
