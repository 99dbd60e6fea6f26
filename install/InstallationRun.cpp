#include "InstallationRun.h"

#include <ctime>

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
        frontEnd.BeginWaitCursor();
        frontEnd.CreateProgress();
        const int budget = 3 * mission.MaterialCount() + (mission.multiplayer == 1 ? 4 : 20);
        frontEnd.SetOperationText(mission.missionName);
        frontEnd.SetPercentText("0%");
        frontEnd.SetDetailText("Opening log file...");
        frontEnd.SetStepSize(100 / budget);
        frontEnd.SetPosition(0);
        frontEnd.ShowTexts();

        // The run's first change: from here on an older run's backup set must not pass for this run's, even
        // when it is interrupted before its own backup.
        const std::string journalPath = BackupJournalPath(gameDirectory);
        if (!fileSystem.Remove(journalPath))
            Stop("Could not remove the backup journal " + journalPath + ".");
        if (!logFile.Open(fileSystem, logPath, "w"))
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
        // Left as "complete", the journal still lets kxvuz restore undo the run.
        if (!MarkBackupJournal(BackupJournal::State::Installed))
            Log("\n-! The backup journal could not be marked. !-");
        logFile.Close();
        frontEnd.ShowMessage("Done");
        EndRun(RunOutcome::Completed);
    }
    catch (const CProgramEnd&)
    {
    }
    return outcome;
}

int CInstallationRun::StepProgress(const std::string& text)
{
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
    frontEnd.ShowError(message);
    EndRun(RunOutcome::StoppedBeforeChange);
}

void CInstallationRun::EndRun(RunOutcome result)
{
    outcome = result;
    // What the log holds must reach the disk even where the program ends without unwinding.
    logFile.Close();
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
