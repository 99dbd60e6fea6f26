#include "BackupSetRestore.h"

#include "GameFiles.h"

#include "FileReplace.h"

#include <algorithm>

RestoreResult RestoreGameFile(IFileSystem& fileSystem, const std::string& backupPath,
                              const std::string& gamePath)
{
    const std::optional<std::string> copy = ReadFileBytes(fileSystem, backupPath);
    return copy ? PutGameFile(fileSystem, *copy, gamePath) : RestoreResult::Failed;
}

RestoreResult PutGameFile(IFileSystem& fileSystem, std::string_view bytes, const std::string& gamePath)
{
    if (ReadFileBytes(fileSystem, gamePath) == bytes)
        return RestoreResult::Unchanged;
    ClearReadOnly(fileSystem, gamePath);
    if (ReplaceFile(fileSystem, gamePath, bytes))
        return RestoreResult::Restored;
    // A rename that took place but could not be confirmed still put the bytes there.
    return ReadFileBytes(fileSystem, gamePath) == bytes ? RestoreResult::Restored : RestoreResult::Failed;
}

bool BackupSetRestore::Complete() const
{
    return status == Status::Tried &&
           std::none_of(files.begin(), files.end(),
                        [](const RestoredFile& file) { return file.result == RestoreResult::Failed; });
}

BackupSetRestore RestoreBackupSet(IFileSystem& fileSystem, const std::string& gameDirectory,
                                  const std::function<bool()>& stopRequested)
{
    return RestoreBackupSet(fileSystem, gameDirectory, LockGame(fileSystem, gameDirectory), stopRequested);
}

BackupSetRestore RestoreBackupSet(IFileSystem& fileSystem, const std::string& gameDirectory,
                                  const GameLock& lock, const std::function<bool()>& stopRequested)
{
    if (lock.busy)
        return {BackupSetRestore::Status::Busy, {}, {}};
    std::optional<BackupJournal> journal = ReadBackupJournal(fileSystem, gameDirectory);
    if (!journal)
        return {BackupSetRestore::Status::NoBackupSet, {}, {}};
    if (!lock.lock)
        return {BackupSetRestore::Status::Unlockable, {}, lock.reason};
    if (journal->state != BackupJournal::State::Restoring)
    {
        journal->state = BackupJournal::State::Restoring;
        fileSystem.TakeFailureReason();
        if (!WriteBackupJournal(fileSystem, gameDirectory, *journal))
            return {BackupSetRestore::Status::Unmarked, {}, fileSystem.TakeFailureReason()};
    }
    BackupSetRestore restore;
    for (const BackupJournal::Entry& entry : journal->files)
    {
        if (stopRequested && stopRequested())
        {
            restore.status = BackupSetRestore::Status::Stopped;
            return restore;
        }
        const std::string gamePath = gameDirectory + entry.gamePath;
        fileSystem.TakeFailureReason();
        const RestoreResult result =
            RestoreGameFile(fileSystem, gameDirectory + kBackupFolder + entry.backupName, gamePath);
        const std::string reason = result == RestoreResult::Failed ? fileSystem.TakeFailureReason() : "";
        // An interrupted replacement leaves its temporary file beside the game file.
        fileSystem.Remove(TemporarySibling(gamePath));
        restore.files.push_back({entry.gamePath, result, reason});
    }
    if (restore.Complete())
    {
        journal->state = BackupJournal::State::Restored;
        WriteBackupJournal(fileSystem, gameDirectory, *journal);
    }
    return restore;
}

std::string RestoredFilesReport(const std::vector<RestoredFile>& files)
{
    static const char* const kResults[] = {"Restored", "Already as backed up", "COULD NOT RESTORE"};
    std::string report;
    for (const RestoredFile& file : files)
    {
        report += std::string(kResults[static_cast<int>(file.result)]) + ": " + file.gamePath + "\n";
        if (!file.reason.empty())
            report += file.reason + "\n";
    }
    return report;
}

bool LastInstallationInterrupted(IFileSystem& fileSystem, const std::string& gameDirectory)
{
    const std::optional<BackupJournal> journal = ReadBackupJournal(fileSystem, gameDirectory);
    return journal && ClaimsTheGame(*journal);
}

std::string InterruptedInstallationMessage(const std::string& gameDirectory)
{
    return std::string(kInterruptedInstallation) + " Run kxvuz restore --game " + gameDirectory +
           " to put them back from data\\Backup.";
}
