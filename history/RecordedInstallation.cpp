#include "RecordedInstallation.h"

#include "FileReplace.h"
#include "MissionFile.h"
#include "UninstallSnapshot.h"

#include <ctime>

namespace
{

std::string LocalTimeNow()
{
    const std::time_t now = std::time(nullptr);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", std::localtime(&now));
    return text;
}

// Whether the game's files hold again what they held before record's installation.
bool TakenBack(IFileSystem& fileSystem, const std::string& gameDirectory, const InstallationRecord& record)
{
    for (const InstallationRecord::File& file : record.files)
        if (ReadFileBytes(fileSystem, gameDirectory + file.gamePath) != file.before)
            return false;
    return true;
}

} // namespace

CRecordedInstallation::CRecordedInstallation(IFileSystem& fileSystem, IInstallFrontEnd& frontEnd,
                                             std::string gameDirectory, CMissionDefinition mission,
                                             std::string logPath)
    : gameDirectory(gameDirectory), mission(mission),
      run(fileSystem, frontEnd, std::move(gameDirectory), std::move(mission), std::move(logPath))
{
    run.SetCompletion(*this);
}

std::optional<std::string> CRecordedInstallation::Complete(IFileSystem& fileSystem,
                                                           const std::vector<CompletedFile>& files,
                                                           const std::string& logPath)
{
    InstallationRecord record{mission.missionName,
                              mission.missionFile,
                              installed.empty() ? LocalTimeNow() : installed,
                              EncodeMission(mission),
                              ReadFileBytes(fileSystem, logPath).value_or(""),
                              {}};
    for (const CompletedFile& file : files)
    {
        const std::optional<std::string> before = ReadFileBytes(fileSystem, file.copyPath);
        const std::optional<std::string> after = ReadFileBytes(fileSystem, file.path);
        if (!before || !after)
            return "Error writing the installation record " + RecordsFolder(gameDirectory) + ".";
        if (*before != *after)
            record.files.push_back({file.gamePath, *before, *after});
    }
    if (const std::optional<std::string> failed = AppendInstallationRecord(fileSystem, gameDirectory, record))
        return "Error writing the installation record " + *failed + ".";
    return std::nullopt;
}

std::optional<std::string> CRecordedInstallation::Refusal(IFileSystem& fileSystem)
{
    if (!installed.empty() || !UninstallInterrupted(fileSystem, gameDirectory))
        return std::nullopt;
    return InterruptedUninstallMessage(gameDirectory);
}

bool CRecordedInstallation::Withdraw(IFileSystem& fileSystem)
{
    return RemoveNewestInstallationRecord(fileSystem, gameDirectory);
}

BackupSetRestore RestoreBackupSetAndRecords(IFileSystem& fileSystem, const std::string& gameDirectory,
                                            const std::function<bool()>& stopRequested)
{
    const GameLock lock = LockGame(fileSystem, gameDirectory);
    if (lock.lock && UninstallInterrupted(fileSystem, gameDirectory))
        return PutBackUninstallSnapshot(fileSystem, gameDirectory, stopRequested);
    BackupSetRestore restore = RestoreBackupSet(fileSystem, gameDirectory, lock, stopRequested);
    if (restore.status != BackupSetRestore::Status::Tried || !restore.Complete())
        return restore;
    // An interrupted run wrote its record only when it had finished every edit; a record whose files hold
    // their "before" bytes again is the one the restore took back, and no earlier one can be.
    const InstallationHistory history = ReadInstallationHistory(fileSystem, gameDirectory);
    if (!history.records.empty() && TakenBack(fileSystem, gameDirectory, history.records.back()))
        RemoveNewestInstallationRecord(fileSystem, gameDirectory);
    return restore;
}

std::string InterruptedUninstallMessage(const std::string& gameDirectory)
{
    return std::string(kInterruptedUninstall) + " Run kxvuz restore --game " + gameDirectory +
           " to put them back from data\\Backup.";
}

std::optional<std::string> Interruption(IFileSystem& fileSystem, const std::string& gameDirectory)
{
    if (UninstallInterrupted(fileSystem, gameDirectory))
        return kInterruptedUninstall;
    if (LastInstallationInterrupted(fileSystem, gameDirectory))
        return kInterruptedInstallation;
    return std::nullopt;
}

std::string RestoredGameMessage(bool uninstallUndone)
{
    return uninstallUndone ? "The game files and records are as they were before the interrupted uninstall."
                           : kGameFilesRestored;
}
