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
    // A run inside an uninstall, which holds the game's lock and its journal: the record keeps the time of
    // the installation it puts back.
    void ReplayWithin(std::string firstInstalled)
    {
        installed = std::move(firstInstalled);
        run.UseCallersLock();
    }

private:
    std::optional<std::string> Refusal(IFileSystem& fileSystem) override;
    std::optional<std::string> Complete(IFileSystem& fileSystem, const std::vector<CompletedFile>& files,
                                        const std::string& logPath) override;
    bool Withdraw(IFileSystem& fileSystem) override;

    std::string gameDirectory;
    CMissionDefinition mission;
    // When the record says the installation completed; empty for now.
    std::string installed;
    CInstallationRun run;
};

// What kxvuz restore does, holding the game's lock: after an interrupted uninstall, puts its snapshot back;
// otherwise restores the backup set, after which the records agree with the game: a record whose
// installation the restore took back goes too.
BackupSetRestore RestoreBackupSetAndRecords(IFileSystem& fileSystem, const std::string& gameDirectory,
                                            const std::function<bool()>& stopRequested = {});

// Why no installation or uninstall may start while an uninstall's snapshot claims the game.
std::string InterruptedUninstallMessage(const std::string& gameDirectory);

// What claims the game after work that broke off, as the offer of a restore says it: an uninstall's
// snapshot before an installation's backup set, which the snapshot holds too; nothing when neither does.
std::optional<std::string> Interruption(IFileSystem& fileSystem, const std::string& gameDirectory);
// What the game holds after a complete RestoreBackupSetAndRecords, which undid an uninstall or not.
std::string RestoredGameMessage(bool uninstallUndone);
