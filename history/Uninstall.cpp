#include "Uninstall.h"

#include "AlreadyInstalled.h"
#include "BackupSetRestore.h"
#include "FileReplace.h"
#include "GameDrift.h"
#include "GameFiles.h"
#include "GameLock.h"
#include "InnerRunFrontEnd.h"
#include "LogFile.h"
#include "MissionFile.h"
#include "NameCase.h"
#include "RecordedInstallation.h"
#include "UninstallSnapshot.h"

#include <algorithm>
#include <ctime>

namespace
{

constexpr char kNothingChanged[] = " Nothing was changed.";

bool AllDigits(const std::string& text)
{
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string WithoutFullStop(std::string text)
{
    if (!text.empty() && text.back() == '.')
        text.pop_back();
    return text;
}

class CUninstall
{
public:
    CUninstall(IFileSystem& fileSystem, IInstallFrontEnd& progress, const std::string& gameDirectory,
               const std::string& logPath)
        : fileSystem(fileSystem), progress(progress), game(gameDirectory), logPath(logPath)
    {
    }

    Uninstallation Run(const std::string& which, bool byName)
    {
        std::string unexpected;
        try
        {
            Claim(which, byName);
            Change();
        }
        catch (const CEnd&)
        {
        }
        catch (const std::exception& error)
        {
            unexpected = std::string("An unexpected error occurred: ") + error.what() + ".";
        }
        catch (...)
        {
            unexpected = "An unexpected error occurred.";
        }
        // Once committed, what is left only takes room.
        if (!unexpected.empty() && !committed)
            try
            {
                Fail(unexpected);
            }
            catch (const CEnd&)
            {
            }
        log.Close();
        return result;
    }

private:
    // Ends the transaction by unwinding to Run; the outcome and messages are set.
    struct CEnd
    {
    };

    // Everything that may refuse the uninstall, holding the lock, before anything is written.
    void Claim(const std::string& which, bool byName)
    {
        if (!fileSystem.GetStatus(game + "Korvex.exe"))
            Refuse("Could not find Korvex.exe in the directory " + game + ".");
        const std::string backupFolder = game + kBackupFolder;
        if (!fileSystem.GetStatus(backupFolder.substr(0, backupFolder.size() - 1)))
            Refuse("No installations recorded in " + game + ".");
        lock = LockGame(fileSystem, game);
        if (lock.busy)
            Refuse(GameBusyMessage(game));
        if (!lock.lock)
            Refuse(GameLockFailureMessage(game, lock.reason));
        if (UninstallInterrupted(fileSystem, game))
            Refuse(InterruptedUninstallMessage(game));
        if (LastInstallationInterrupted(fileSystem, game))
            Refuse(InterruptedInstallationMessage(game));
        history = ReadInstallationHistory(fileSystem, game);
        if (history.damaged)
            Refuse(DamagedRecordsMessage(*history.damaged));
        const InstallationChoice choice = ChooseInstallation(history, which, byName);
        if (!choice.refusal.empty())
            Refuse(choice.refusal);
        chosen = choice.number - 1;
        result.missionName = history.records[chosen].missionName;
        const std::vector<std::string> changed = ChangedSinceLastInstallation(fileSystem, game, history);
        for (const std::string& path : changed)
            result.messages.push_back(path + " has changed since the installation that last wrote it.");
        if (!changed.empty())
            Refuse("Nothing was changed: no installation can be removed until those files hold what it left "
                   "there.");
        for (std::size_t i = chosen + 1; i < history.records.size(); ++i)
        {
            CMissionDefinition mission;
            if (!DecodeMission(history.records[i].mission, mission).Ok())
                Refuse(DamagedRecordsMessage("the mission of installation " + std::to_string(i + 1)));
            later.push_back(std::move(mission));
        }
        if (progress.CancelRequested())
            End(UninstallOutcome::Cancelled, std::string("User cancelled the uninstall.") + kNothingChanged);
    }

    void Change()
    {
        if (!log.Open(fileSystem, logPath))
            Refuse("Could not open log file kxinstall.log.");
        progress.BeginWaitCursor();
        progress.CreateProgress();
        progress.SetOperationText(result.missionName);
        steps = static_cast<int>(2 * later.size()) + 3;
        const std::time_t now = std::time(nullptr);
        Log("--------Uninstall of " + result.missionName + "--------");
        Log(std::string("\n          Attempted: ") + std::asctime(std::localtime(&now)));
        Step("Keeping a copy of every file the uninstall may write...");
        if (const std::optional<std::string> failed =
                TakeUninstallSnapshot(fileSystem, game, SnapshotPaths()))
            Refuse("Could not keep a copy of " + *failed + " before the uninstall.");
        changing = true;
        for (std::size_t i = history.records.size(); i-- > chosen;)
        {
            const InstallationRecord& record = history.records[i];
            Step("Taking back " + record.missionName + "...");
            if (progress.CancelRequested())
                Fail("User cancelled the uninstall.", UninstallOutcome::Cancelled);
            // A file that an earlier installation taken back here changed too gets its bytes from that one.
            for (const InstallationRecord::File& file : record.files)
                if (!ChangedEarlier(file.gamePath, i) &&
                    PutGameFile(fileSystem, file.before, game + file.gamePath) == RestoreResult::Failed)
                    Fail("Error writing to file " + game + file.gamePath + ".");
        }
        if (!KeepOldestInstallationRecords(fileSystem, game, chosen))
            Fail("Error writing the installation records " + InstallationIndexPath(game) + ".");
        for (std::size_t i = 0; i < later.size(); ++i)
            Replay(later[i], history.records[chosen + 1 + i]);
        Step("Finishing...");
        // The backup set undid the removed installation, which is gone: there is nothing left for it to undo.
        if (later.empty() && fileSystem.GetStatus(BackupJournalPath(game)) &&
            !fileSystem.Remove(BackupJournalPath(game)))
            Fail("Error removing the backup journal " + BackupJournalPath(game) + ".");
        const std::optional<UninstallLeftovers> leftovers = CommitUninstallSnapshot(fileSystem, game);
        if (!leftovers)
            Fail("Error removing the uninstall journal " + UninstallJournalPath(game) + ".");
        committed = true;
        result.outcome = UninstallOutcome::Removed;
        result.replayed = later.size();
        Log("\nUninstall complete for " + result.missionName + ".");
        progress.EndWaitCursor();
        RemoveUninstallLeftovers(fileSystem, game, *leftovers);
    }

    void Replay(const CMissionDefinition& mission, const InstallationRecord& record)
    {
        Step("Installing " + mission.missionName + " again...");
        const std::string replayLog = game + kBackupFolder + kUninstallFolderName + "\\replay.log";
        CInnerRunFrontEnd replayFrontEnd(progress);
        CRecordedInstallation run(fileSystem, replayFrontEnd, game, mission, replayLog);
        run.ReplayWithin(record.installed);
        const RunOutcome outcome = run.RunInstallation();
        if (const std::optional<std::string> bytes = ReadFileBytes(fileSystem, replayLog))
        {
            std::string text = *bytes;
            for (std::size_t at; (at = text.find("\r\n")) != std::string::npos;)
                text.erase(at, 1);
            Log("\n" + text);
        }
        fileSystem.Remove(replayLog);
        progress.SetOperationText(result.missionName);
        if (outcome == RunOutcome::Cancelled)
            Fail("User cancelled the uninstall.", UninstallOutcome::Cancelled);
        if (outcome != RunOutcome::Completed)
            Fail("Could not install " + mission.missionName +
                 " again: " + WithoutFullStop(replayFrontEnd.Failure()) + ".");
    }

    // Whether an installation taken back after the one at index changed path too.
    bool ChangedEarlier(const std::string& path, std::size_t index) const
    {
        for (std::size_t i = chosen; i < index; ++i)
            for (const InstallationRecord::File& file : history.records[i].files)
                if (file.gamePath == path)
                    return true;
        return false;
    }

    // Every file that the take-backs and the replays may write, with the backup set and the records' index.
    std::vector<std::string> SnapshotPaths() const
    {
        std::vector<std::string> paths;
        auto add = [&](const std::string& path)
        {
            if (std::none_of(paths.begin(), paths.end(),
                             [&](const std::string& known) { return SameNameIgnoringCase(known, path); }))
                paths.push_back(path);
        };
        for (std::size_t i = chosen; i < history.records.size(); ++i)
            for (const InstallationRecord::File& file : history.records[i].files)
                add(file.gamePath);
        for (const CMissionDefinition& mission : later)
            for (const GameFile file : kGameFiles)
            {
                const GameFileEntry entry = GameFileOf(file, mission);
                if (entry.backupName.empty())
                    continue;
                add(entry.path);
                add(kBackupFolder + entry.backupName);
                for (const char* staging : kStagingFolders)
                    add(kBackupFolder + std::string(staging) + "\\" + entry.backupName);
            }
        add(std::string(kBackupFolder) + "files.txt");
        add(BackupJournalPath(""));
        add(InstallationIndexPath(""));
        return paths;
    }

    void Step(const std::string& text)
    {
        ++step;
        Log("\n" + text);
        progress.SetPercentText(std::to_string(100 * step / steps) + "%");
        progress.SetPosition(100 * step / steps);
        progress.SetDetailText(text);
        progress.ShowTexts();
    }

    void Log(const std::string& text)
    {
        if (log.IsOpen())
            log.Write(text);
    }

    [[noreturn]] void Refuse(const std::string& message)
    {
        End(UninstallOutcome::Refused, message + kNothingChanged);
    }

    [[noreturn]] void End(UninstallOutcome outcome, const std::string& message)
    {
        result.outcome = outcome;
        result.messages.push_back(message);
        throw CEnd{};
    }

    // After the first change: everything goes back to the snapshot.
    [[noreturn]] void Fail(const std::string& message,
                           UninstallOutcome outcome = UninstallOutcome::FailedAndRestored)
    {
        if (!changing)
            Refuse(message);
        const std::string finish =
            "Some files could not be put back. Run kxvuz restore --game " + game + " to put them back.";
        // The put-back itself broke off: the journal still claims the game for kxvuz restore.
        if (failing)
            End(UninstallOutcome::RestoreIncomplete, message + " " + finish);
        failing = true;
        Log("\n" + message + "\n-! Error encountered !-\nRestoring files...");
        const BackupSetRestore restore = PutBackUninstallSnapshot(fileSystem, game);
        if (restore.Complete())
        {
            Log("\nRestoration complete.");
            End(outcome, message + kNothingChanged);
        }
        Log("\nRestoration incomplete.");
        result.messages.push_back(message);
        for (const RestoredFile& file : restore.files)
            if (file.result == RestoreResult::Failed)
                result.messages.push_back("COULD NOT RESTORE: " + file.gamePath +
                                          (file.reason.empty() ? "" : " (" + file.reason + ")"));
        End(UninstallOutcome::RestoreIncomplete, finish);
    }

    IFileSystem& fileSystem;
    IInstallFrontEnd& progress;
    std::string game;
    std::string logPath;
    CLogFile log;
    GameLock lock;
    InstallationHistory history;
    std::size_t chosen = 0;
    std::vector<CMissionDefinition> later;
    // From the snapshot on, a failure puts it back.
    bool changing = false;
    bool failing = false;
    bool committed = false;
    int step = 0;
    int steps = 1;
    Uninstallation result;
};

} // namespace

std::string Uninstallation::MessagesText() const
{
    std::string lines;
    for (const std::string& message : messages)
        lines += (lines.empty() ? "" : "\n") + message;
    return lines;
}

InstallationChoice ChooseInstallation(const InstallationHistory& history, const std::string& which,
                                      bool byName)
{
    if (!byName && AllDigits(which) && which.size() < 10)
    {
        const std::size_t number = std::stoul(which);
        if (number >= 1 && number <= history.records.size())
            return {number, ""};
    }
    std::vector<std::size_t> named;
    for (std::size_t i = 0; i < history.records.size(); ++i)
        if (history.records[i].missionName == which)
            named.push_back(i + 1);
    if (named.size() == 1)
        return {named.front(), ""};
    if (named.empty())
        return {0, "No installation " +
                       std::string(byName || !AllDigits(which) ? "of a mission named "
                                                               : "number or mission named ") +
                       which + " is recorded."};
    std::string numbers;
    for (const std::size_t number : named)
        numbers += (numbers.empty() ? "" : ", ") + std::to_string(number);
    return {0,
            which + " was installed several times: give the number of one of installations " + numbers + "."};
}

Uninstallation Uninstall(IFileSystem& fileSystem, IInstallFrontEnd& progress,
                         const std::string& gameDirectory, const std::string& which, bool byName,
                         const std::string& logPath)
{
    return CUninstall(fileSystem, progress, gameDirectory, logPath).Run(which, byName);
}
