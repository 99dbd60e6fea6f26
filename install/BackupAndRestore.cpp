#include "InstallationRun.h"

#include "BackupSetRestore.h"
#include "FileReplace.h"

void CInstallationRun::SetGamePaths()
{
    const std::string& d = gameDirectory;
    missionListPath =
        d + (mission.duskreachTraining == 1 ? "data\\mission\\MPMission.lst" : "data\\mission\\mission.lst");
    missionNamesPath = d + "data\\text\\briefing\\english\\missionnames.txt";
    intelNamesPath = d + "data\\text\\intel\\english\\intelnames.txt";
    tutorialGroupingsPath = d + "data\\text\\interface\\english\\tutorial_groupings.txt";
    stringTablePath = d + "data\\text\\interface\\english\\kx_string_table.txt";
    briefingPath = d + "data\\text\\briefing\\" + mission.briefingFile;
    intelPath = d + "data\\text\\intel\\" + mission.intelFile;
    materialFilePath = d + "data\\texture\\sherman.cxp";
}

std::vector<CInstallationRun::GameFile> CInstallationRun::GameFiles() const
{
    std::vector<GameFile> files = {
        {&missionListPath, mission.duskreachTraining == 1 ? "MPMission.lst" : "mission.lst"},
        {&missionNamesPath, "missionnames.txt"},
        {&intelNamesPath, "intelnames.txt"},
        {&tutorialGroupingsPath, "tutorial_groupings.txt"},
        {&stringTablePath, "kx_string_table.txt"},
        {&briefingPath, mission.briefingFile},
        {&intelPath, mission.intelFile},
        {&materialFilePath, "Sherman.cxp"},
    };
    // A multiplayer run never edits the briefing and intel files, and the dialogs leave their names empty.
    std::erase_if(files, [this](const GameFile& file)
                  { return mission.multiplayer == 1 && file.backupName.empty(); });
    return files;
}

void CInstallationRun::WriteFilesList()
{
    CTextFile list;
    if (!list.Open(fileSystem, backupFolder + "files.txt", "w"))
    {
        Log("\nError creating or opening files.txt.");
        return;
    }
    list.Write(
        "This file contains information about where each file that is being backed up goes in the Korvex "
        "directory.\n");
    list.Write("Your Korvex directory: " + gameDirectory);
    list.Write("\n\nmission.lst - data\\mission\\");
    list.Write("\nmissionnames.txt - data\\text\\briefing\\english\\");
    list.Write("\nintelnames.txt - data\\text\\intel\\english\\");
    list.Write("\ntutorial_groupings.txt - data\\text\\interface\\english\\");
    list.Write("\nkx_string_table.txt - data\\text\\interface\\english\\");
    list.Write("\nsherman.cxp - data\\texture\\");
    if (!mission.briefingFile.empty() || mission.multiplayer == 0)
        list.Write("\n" + mission.briefingFile + " - data\\text\\briefing\\");
    if (!mission.intelFile.empty() || mission.multiplayer == 0)
        list.Write("\n" + mission.intelFile + " - data\\text\\intel\\");
    list.Close();
}

void CInstallationRun::BackupGameFiles()
{
    Log("\nCopying localization files to backup folder...");
    StepProgress("Backing up files...");
    SetGamePaths();
    fileSystem.CreateFolder(gameDirectory + "data\\Backup");
    ClaimGame();
    fileSystem.CreateFolder(gameDirectory + "data\\Backup\\Temp");
    backupFolder = gameDirectory + "data\\Backup\\";
    for (const GameFile& file : GameFiles())
        MakeWritable(*file.path);
    StageBackupSet();
    logFile.Sync();
    backupComplete = true;
    WriteFilesList();
    SettleBackupSet();
    Log("\nCopying complete.");
}

void CInstallationRun::StageBackupSet()
{
    setFolder = backupFolder + "Incoming\\";
    fileSystem.CreateFolder(gameDirectory + "data\\Backup\\Incoming");
    for (const GameFile& file : GameFiles())
    {
        if (CopyFileReplacing(fileSystem, *file.path, setFolder + file.backupName))
            continue;
        Log("-! Error backing up file " + *file.path + " !-");
        Stop("Could not copy the file " + *file.path + " to backup folder data\\Backup.");
    }
    // The commit: from here on the journal names this run's copies.
    if (!MarkBackupJournal(BackupJournal::State::Complete))
        Stop("Could not write the backup journal " + BackupJournalPath(gameDirectory) + ".");
}

void CInstallationRun::SettleBackupSet()
{
    const std::string staged = setFolder;
    for (const GameFile& file : GameFiles())
        if (!CopyFileReplacing(fileSystem, staged + file.backupName, backupFolder + file.backupName))
            return;
    setFolder = backupFolder;
    if (!MarkBackupJournal(BackupJournal::State::Complete))
    {
        setFolder = staged;
        return;
    }
    for (const GameFile& file : GameFiles())
        fileSystem.Remove(staged + file.backupName);
}

bool CInstallationRun::MarkBackupJournal(BackupJournal::State state)
{
    BackupJournal journal{state, {}};
    const std::string folder = setFolder.substr(backupFolder.size());
    for (const GameFile& file : GameFiles())
        journal.files.push_back({folder + file.backupName, file.path->substr(gameDirectory.size())});
    return WriteBackupJournal(fileSystem, gameDirectory, journal);
}

void CInstallationRun::MakeWritable(const std::string& path)
{
    ClearReadOnly(fileSystem, path);
}

void CInstallationRun::OpenForEditing(CTextFile& file, const std::string& path, const std::string& failure)
{
    MakeWritable(path);
    if (!file.Open(fileSystem, path, "r+"))
        FailAndRestore(failure);
}

void CInstallationRun::CloseEdited(CTextFile& file, const std::string& path)
{
    if (!file.Close())
        FailAndRestore("Error writing to file " + path + ".");
}

void CInstallationRun::FailAndRestore(const std::string& message)
{
    failing = true;
    const std::string reason = fileSystem.TakeFailureReason();
    // Nothing the edit still holds may reach its file after the file is restored.
    editFile.Abandon();
    sideFile.Abandon();
    Log("\n-! Error encountered !-");
    frontEnd.ShowError(message, reason, ErrorNotice::Restore);
    Log("\nRestoring files...");
    bool restored = true;
    std::string restoreFailure;
    if (backupComplete)
    {
        std::vector<GameFile> files = GameFiles();
        // The string table goes back before the tutorial groupings.
        std::swap(files[3], files[4]);
        for (const GameFile& file : files)
            if (RestoreGameFile(fileSystem, setFolder + file.backupName, *file.path) == RestoreResult::Failed)
            {
                Log("\n-! Error restoring file " + *file.path + " !-");
                if (restored)
                    restoreFailure = fileSystem.TakeFailureReason();
                restored = false;
            }
        // A journal left as it was still lets kxvuz restore finish the job.
        if (restored)
            MarkBackupJournal(BackupJournal::State::Restored);
    }
    if (!restored)
    {
        Log("\nRestoration incomplete.");
        frontEnd.ShowError("Some game files could not be restored. Run kxvuz restore --game " +
                               gameDirectory + " to put them back from data\\Backup.",
                           restoreFailure);
        EndRun(RunOutcome::RestoreIncomplete);
    }
    Log("\nRestoration complete.\nExit KX VUZ Odezodure with no changes made.");
    EndRun(message == "User cancelled installation." ? RunOutcome::Cancelled : RunOutcome::FailedAndRestored);
}
