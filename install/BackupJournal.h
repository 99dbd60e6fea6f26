#pragma once

#include "FileSystem.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The record in data\Backup that the backup set is complete, and which game file each copy belongs to.
// A run stages its copies where the journal does not point and then rewrites the journal in one step, so
// the copies it names are always one run's, whole.
struct BackupJournal
{
    enum class State
    {
        // All copies written; the run that made them may have changed game files since.
        Complete,
        // The run completed: putting the copies back undoes it.
        Installed,
        // A restore is putting the copies back: game files may hold either, so only a restore may go on.
        Restoring,
        // The game files hold the copies again.
        Restored,
    };
    struct Entry
    {
        std::string backupName;
        // Relative to the game directory.
        std::string gamePath;
    };
    State state = State::Complete;
    std::vector<Entry> files;
};

std::string BackupJournalPath(const std::string& gameDirectory);
bool WriteBackupJournal(IFileSystem& fileSystem, const std::string& gameDirectory,
                        const BackupJournal& journal);
// Nothing when there is no journal, or one that this program did not write whole.
std::optional<BackupJournal> ReadBackupJournal(IFileSystem& fileSystem, const std::string& gameDirectory);
std::optional<BackupJournal> ParseBackupJournal(std::string_view bytes);
// A run made the set and never finished, or a restore of it broke off: only that set can put the game right.
bool ClaimsTheGame(const BackupJournal& journal);
