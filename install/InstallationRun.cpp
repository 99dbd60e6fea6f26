#include "InstallationRun.h"

#include "BackupSetRestore.h"
#include "FileReplace.h"
#include "GameChecks.h"
#include "UsableGameDirectory.h"

#include <ctime>
#include <exception>

CInstallationRun::CInstallationRun(IFileSystem& fileSystem, IInstallFrontEnd& frontEnd,
                                   std::string gameDirectory, CMissionDefinition mission, std::string logPath)
    : fileSystem(fileSystem), frontEnd(frontEnd), gameDirectory(std::move(gameDirectory)),
      mission(std::move(mission)), logPath(std::move(logPath))
{
}

RunOutcome CInstallationRun::RunInstallation()
{
    try
    {
        // A folder whose files cannot all be reached would stop the run half-way through its backup.
        if (auto unusable = UnusableGameDirectoryMessage(gameDirectory, mission))
            Refuse(*unusable);
        // Before the log: a second process must neither empty this one's log nor check the game unlocked.
        // Without the game there is nothing to claim, and the run goes on to its stop, creating nothing.
        if (fileSystem.GetStatus(gameDirectory + "Korvex.exe"))
            ClaimGame();
        frontEnd.BeginWaitCursor();
        frontEnd.CreateProgress();
        const int budget = 3 * mission.MaterialCount() + (mission.multiplayer == 1 ? 4 : 20);
        frontEnd.SetOperationText(mission.missionName);
        frontEnd.SetPercentText("0%");
        frontEnd.SetDetailText("Opening log file...");
        frontEnd.SetStepSize(100 / budget);
        frontEnd.SetPosition(0);
        frontEnd.ShowTexts();

        if (!logFile.Open(fileSystem, logPath))
            Stop("Could not open log file kxinstall.log");
        WriteLogHeader();
        Log("\nSearching for directory " + gameDirectory + "...");
        StepProgress("Searching for directory...");
        if (!fileSystem.GetStatus(gameDirectory + "Korvex.exe"))
            Stop("Could not find Korvex.exe in the directory " + gameDirectory + ".");
        Log("\nDirectory found.");
        // A mission file that was never validated must not lead the run outside the game's folders.
        if (auto illegal = mission.IllegalFileNameMessage())
            Stop(*illegal);
        if (auto unusable = mission.UnusableFileNameMessage())
            Stop(*unusable);
        if (auto colliding = mission.CollidingFileNameMessage())
            Stop(*colliding);
        if (auto broken = mission.RuleMessage())
            Stop(*broken);
        if (auto problem = FirstProblem(CheckAgainstGame(fileSystem, gameDirectory, mission)))
            Stop(*problem);

        BackupGameFiles();
        if (mission.multiplayer == 0)
        {
            UpdateMissionList();
            UpdateMissionNames();
            UpdateIntel();
        }
        UpdateStringTable();
        UpdateMaterials();

        StepProgress("Finished installation.");
        frontEnd.SetPosition(100);
        frontEnd.SetPercentText("100%");
        frontEnd.ShowTexts();
        frontEnd.EndWaitCursor();
        Log("\nInstallation complete for " + mission.missionName + ".");
        Complete();
        // Left as "complete", the journal still lets kxvuz restore undo the run.
        if (!MarkBackupJournal(BackupJournal::State::Installed))
            Log("\n-! The backup journal could not be marked. !-");
        logFile.Close();
        logClosedComplete = true;
        frontEnd.ShowMessage("Done");
        EndRun(RunOutcome::Completed);
    }
    catch (const CProgramEnd&)
    {
    }
    catch (...)
    {
        FailOnException();
    }
    return outcome;
}

void CInstallationRun::Complete()
{
    if (!completion)
        return;
    std::vector<CompletedFile> files;
    for (const RunFile& file : GameFiles())
        files.push_back({file.entry.path, *file.path, setFolder + file.entry.backupName});
    if (const std::optional<std::string> failure = completion->Complete(fileSystem, files, logPath))
        FailAndRestore(*failure);
    completed = true;
}

void CInstallationRun::FailOnException()
{
    std::string message = "An unexpected error occurred";
    try
    {
        throw;
    }
    catch (const std::exception& error)
    {
        message += std::string(": ") + error.what();
    }
    catch (...)
    {
    }
    try
    {
        if (failing)
            // The failure path itself broke off: the journal still lets kxvuz restore finish it.
            outcome = backupComplete ? RunOutcome::RestoreIncomplete : RunOutcome::StoppedBeforeChange;
        else
            FailAndRestore(message + ".");
    }
    catch (const CProgramEnd&)
    {
    }
    catch (...)
    {
        outcome = backupComplete ? RunOutcome::RestoreIncomplete : RunOutcome::StoppedBeforeChange;
    }
}

void CInstallationRun::ClaimGame()
{
    if (claimed)
        return;
    claimed = true;
    if (!callersLock)
    {
        const std::string backupFolderPath = gameDirectory + kBackupFolder;
        const std::string backupFolderName = backupFolderPath.substr(0, backupFolderPath.size() - 1);
        if (!fileSystem.GetStatus(backupFolderName))
            fileSystem.CreateFolder(backupFolderName);
        gameLock = LockGame(fileSystem, gameDirectory);
        if (gameLock.busy)
            Refuse(GameBusyMessage(gameDirectory));
        if (!gameLock.lock)
            Refuse(GameLockFailureMessage(gameDirectory, gameLock.reason));
    }
    // One reading decides both whether the game is claimed and where this run may stage its copies.
    const std::string journalPath = BackupJournalPath(gameDirectory);
    previousJournal = ReadFileBytes(fileSystem, journalPath);
    if (!previousJournal && fileSystem.GetStatus(journalPath))
        Refuse("The backup journal " + journalPath + " cannot be read. Nothing was changed.");
    const std::optional<BackupJournal> journal =
        previousJournal ? ParseBackupJournal(*previousJournal) : std::nullopt;
    if (journal && ClaimsTheGame(*journal))
        Refuse(InterruptedInstallationMessage(gameDirectory));
    if (completion)
        if (const std::optional<std::string> refusal = completion->Refusal(fileSystem))
            Refuse(*refusal);
}

int CInstallationRun::StepProgress(const std::string& text)
{
    // A failure that no step reported, such as a status query of a file that may be missing, is no reason
    // for a later one.
    fileSystem.TakeFailureReason();
    if (!failing && frontEnd.CancelRequested())
        FailAndRestore("User cancelled installation.");
    frontEnd.SetDetailText(text);
    const int position = frontEnd.StepIt();
    frontEnd.SetPercentText(IntToText(position) + "%");
    frontEnd.ShowTexts();
    return position;
}

void CInstallationRun::Cancel()
{
    if (!failing)
        FailAndRestore("User cancelled installation.");
}

void CInstallationRun::Stop(const std::string& message)
{
    ShowFailure(message);
    EndRun(RunOutcome::StoppedBeforeChange);
}

void CInstallationRun::ShowFailure(const std::string& message)
{
    frontEnd.ShowError(message, fileSystem.TakeFailureReason(), ErrorNotice::NothingChanged);
}

void CInstallationRun::Refuse(const std::string& message)
{
    frontEnd.ShowRefusal(message);
    EndRun(RunOutcome::Refused);
}

void CInstallationRun::EndRun(RunOutcome result)
{
    outcome = result;
    // What the log holds must reach the disk even where the program ends without unwinding.
    logFile.Close();
    // Nothing more is written: a run that comes back to its caller must not keep the next one out.
    gameLock = {};
    frontEnd.EndProgram();
    // A front end that came back anyway still must not let the run go on.
    throw CProgramEnd{};
}

void CInstallationRun::Log(const std::string& text)
{
    if (logFile.IsOpen())
        logFile.Write(text);
}

void CInstallationRun::WriteLogHeader()
{
    const std::time_t now = std::time(nullptr);
    Log("--------Installation for " + mission.missionName + "--------");
    Log(std::string("\n          Attempted: ") + std::asctime(std::localtime(&now)));
}
