#pragma once

#include "BackupSetRestore.h"
#include "InstallationRecords.h"
#include "InstallationRun.h"
#include "RunCompletion.h"

#include <functional>

// An installation run that leaves a record of itself, whichever program starts it: there is never an
// unrecorded installation.
class CRecordedInstallation : private IRunCompletion
{
public:
    CRecordedInstallation(IFileSystem& fileSystem, IInstallFrontEnd& frontEnd, std::string gameDirectory,
                          CMissionDefinition mission, std::string logPath = "kxinstall.log");

    RunOutcome RunInstallation() { return run.RunInstallation(); }
    void Cancel() { run.Cancel(); }

private:
    std::optional<std::string> Complete(IFileSystem& fileSystem, const std::vector<CompletedFile>& files,
                                        const std::string& logPath) override;
    bool Withdraw(IFileSystem& fileSystem) override;

    std::string gameDirectory;
    CMissionDefinition mission;
    CInstallationRun run;
};

// The restore of the backup set, after which the records agree with the game: a record whose installation
// the restore took back goes too.
BackupSetRestore RestoreBackupSetAndRecords(IFileSystem& fileSystem, const std::string& gameDirectory,
                                            const std::function<bool()>& stopRequested = {});
