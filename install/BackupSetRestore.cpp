#include "BackupSetRestore.h"

#include "FileReplace.h"

RestoreResult RestoreGameFile(IFileSystem& fileSystem, const std::string& backupPath,
                              const std::string& gamePath)
{
    const std::optional<std::string> copy = ReadFileBytes(fileSystem, backupPath);
    if (!copy)
        return RestoreResult::Failed;
    if (ReadFileBytes(fileSystem, gamePath) == copy)
        return RestoreResult::Unchanged;
    ClearReadOnly(fileSystem, gamePath);
    return ReplaceFile(fileSystem, gamePath, *copy) ? RestoreResult::Restored : RestoreResult::Failed;
}

std::optional<std::vector<RestoredFile>> RestoreBackupSet(IFileSystem& fileSystem,
                                                          const std::string& gameDirectory)
{
    std::optional<BackupJournal> journal = ReadBackupJournal(fileSystem, gameDirectory);
    if (!journal)
        return std::nullopt;
    std::vector<RestoredFile> restored;
    bool complete = true;
    for (const BackupJournal::Entry& entry : journal->files)
    {
        const std::string gamePath = gameDirectory + entry.gamePath;
        const RestoreResult result =
            RestoreGameFile(fileSystem, gameDirectory + "data\\Backup\\" + entry.backupName, gamePath);
        // An interrupted replacement leaves its temporary file beside the game file.
        fileSystem.Remove(TemporarySibling(gamePath));
        complete = complete && result != RestoreResult::Failed;
        restored.push_back({entry.gamePath, result});
    }
    if (complete)
    {
        journal->state = BackupJournal::State::Restored;
        WriteBackupJournal(fileSystem, gameDirectory, *journal);
    }
    return restored;
}
