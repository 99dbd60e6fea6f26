#pragma once

#include "BackupJournal.h"
#include "FileSystem.h"
#include "GameLock.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
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
// Puts bytes over gamePath the same way.
RestoreResult PutGameFile(IFileSystem& fileSystem, std::string_view bytes, const std::string& gamePath);

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
        // The game's lock could not be had for another reason, given in reason: no file was touched.
        Unlockable,
        // The journal could not be marked as restoring, so no file was touched: a restore that broke off
        // unmarked would let the next installation take half-restored files for originals.
        Unmarked,
        // Asked to stop between two files: files lists those tried, and the journal still says a restore is
        // under way, so the next run of this finishes the job.
        Stopped,
    };
    Status status = Status::Tried;
    std::vector<RestoredFile> files;
    // The system's words for an Unlockable game or an Unmarked journal.
    std::string reason;

    bool Complete() const;
};
// Puts back every game file that the journal in data\Backup names, holding the game's lock: the journal says
// "restoring" before the first file is written and "restored" once all are back. Running it again after an
// interruption finishes the job, since each file is replaced whole. stopRequested is asked before each file.
BackupSetRestore RestoreBackupSet(IFileSystem& fileSystem, const std::string& gameDirectory,
                                  const std::function<bool()>& stopRequested = {});
// The same with the lock that the caller took for more work around it.
BackupSetRestore RestoreBackupSet(IFileSystem& fileSystem, const std::string& gameDirectory,
                                  const GameLock& lock, const std::function<bool()>& stopRequested = {});
// A line per file: what happened to it and its path, and under a failure the system's reason.
std::string RestoredFilesReport(const std::vector<RestoredFile>& files);
inline constexpr char kGameFilesRestored[] = "The game files are as they were before the last installation.";

// The journal says that a run made its backup set and never finished, or that a restore broke off: game files
// may be half-edited, and only that backup set can put them right, so no new run may replace it.
bool LastInstallationInterrupted(IFileSystem& fileSystem, const std::string& gameDirectory);
inline constexpr char kInterruptedInstallation[] =
    "The last installation into this game was interrupted and some game files may be half-edited.";
// kInterruptedInstallation and what puts the files back.
std::string InterruptedInstallationMessage(const std::string& gameDirectory);
