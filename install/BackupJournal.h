#pragma once

#include "FileSystem.h"

#include <optional>
#include <string>
#include <vector>

// The record in data\Backup that the backup set is complete, and which game file each copy belongs to.
// A run removes it before it overwrites any copy, so an older run's copies are never taken for its own.
struct BackupJournal
{
    enum class State
    {
        // All copies written; the run that made them may have changed game files since.
        Complete,
        // The run completed: putting the copies back undoes it.
        Installed,
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
