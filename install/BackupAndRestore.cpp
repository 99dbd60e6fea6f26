#include "InstallationRun.h"

#include "BackupSetRestore.h"
#include "FileReplace.h"

#include <algorithm>

std::string* CInstallationRun::PathOf(GameFile file)
{
    switch (file)
    {
    case GameFile::MissionList:
        return &missionListPath;
    case GameFile::MissionNames:
        return &missionNamesPath;
    case GameFile::IntelNames:
        return &intelNamesPath;
    case GameFile::TutorialGroupings:
        return &tutorialGroupingsPath;
    case GameFile::StringTable:
        return &stringTablePath;
    case GameFile::Briefing:
        return &briefingPath;
    case GameFile::Intel:
        return &intelPath;
    case GameFile::MaterialFile:
        break;
    }
    return &materialFilePath;
}

void CInstallationRun::SetGamePaths()
{
    for (const GameFile file : kGameFiles)
        *PathOf(file) = gameDirectory + GameFileOf(file, mission).path;
}

std::vector<CInstallationRun::RunFile> CInstallationRun::GameFiles()
{
    std::vector<RunFile> files;
    for (const GameFile file : kGameFiles)
    {
        GameFileEntry entry = GameFileOf(file, mission);
        // A multiplayer run never edits the briefing and intel files, and the dialogs leave their names
        // empty.
        if (mission.multiplayer == 1 && entry.backupName.empty())
            continue;
        files.push_back({file, PathOf(file), std::move(entry)});
    }
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
    list.Write("Your Korvex directory: " + gameDirectory + "\n");
    // The game's own files first, then the mission's.
    const std::vector<RunFile> files = GameFiles();
    for (const bool missionsOwn : {false, true})
        for (const RunFile& file : files)
            if (file.entry.missionsOwn == missionsOwn)
                list.Write("\n" + file.entry.listedAs + " - " + FolderOf(file.entry.path));
    list.Close();
}

void CInstallationRun::BackupGameFiles()
{
    Log("\nCopying localization files to backup folder...");
    StepProgress("Backing up files...");
    SetGamePaths();
    backupFolder = gameDirectory + kBackupFolder;
    fileSystem.CreateFolder(backupFolder.substr(0, backupFolder.size() - 1));
    ClaimGame();
    fileSystem.CreateFolder(backupFolder + "Temp");
    StageBackupSet();
    logFile.Sync();
    backupComplete = true;
    // Only now: a stop before the commit leaves every file's attribute as it was.
    for (const RunFile& file : GameFiles())
        MakeWritable(*file.path);
    WriteFilesList();
    SettleBackupSet();
    Log("\nCopying complete.");
}

void CInstallationRun::StageBackupSet()
{
    // A set that never settled is named where it was staged; the copies go to the other folder then.
    const std::optional<BackupJournal> journal =
        previousJournal ? ParseBackupJournal(*previousJournal) : std::nullopt;
    const bool namesIncoming =
        journal &&
        std::any_of(journal->files.begin(), journal->files.end(),
                    [](const BackupJournal::Entry& entry)
                    { return entry.backupName.starts_with(kStagingFolders[0] + std::string("\\")); });
    const std::string staging = kStagingFolders[namesIncoming ? 1 : 0];
    setFolder = backupFolder + staging + "\\";
    fileSystem.CreateFolder(backupFolder + staging);
    for (const RunFile& file : GameFiles())
    {
        if (CopyFileReplacing(fileSystem, *file.path, setFolder + file.entry.backupName))
            continue;
        Log("-! Error backing up file " + *file.path + " !-");
        Stop("Could not copy the file " + *file.path + " to backup folder data\\Backup.");
    }
    // The commit: from here on the journal names this run's copies.
    if (!MarkBackupJournal(BackupJournal::State::Complete))
    {
        PutBackPreviousJournal();
        Stop("Could not write the backup journal " + BackupJournalPath(gameDirectory) + ".");
    }
}

void CInstallationRun::PutBackPreviousJournal()
{
    const std::string path = BackupJournalPath(gameDirectory);
    if (previousJournal)
        ReplaceFile(fileSystem, path, *previousJournal);
    else
        fileSystem.Remove(path);
}

void CInstallationRun::SettleBackupSet()
{
    const std::string staged = setFolder;
    for (const RunFile& file : GameFiles())
        if (!CopyFileReplacing(fileSystem, staged + file.entry.backupName,
                               backupFolder + file.entry.backupName))
            return;
    setFolder = backupFolder;
    if (!MarkBackupJournal(BackupJournal::State::Complete))
    {
        setFolder = staged;
        return;
    }
    for (const RunFile& file : GameFiles())
        fileSystem.Remove(staged + file.entry.backupName);
}

bool CInstallationRun::MarkBackupJournal(BackupJournal::State state)
{
    BackupJournal journal{state, {}};
    const std::string folder = setFolder.substr(backupFolder.size());
    for (const RunFile& file : GameFiles())
        journal.files.push_back({folder + file.entry.backupName, file.path->substr(gameDirectory.size())});
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
    if (logClosedComplete)
        logFile.Reopen(fileSystem, logPath);
    Log("\n-! Error encountered !-");
    // The files go back before the error dialog waits on the player, who may leave it open for long while
    // the game could be started half-edited; the log keeps its order all the same.
    Log("\nRestoring files...");
    bool restored = true;
    std::string restoreFailure;
    if (backupComplete)
    {
        std::vector<RunFile> files = GameFiles();
        // The string table goes back before the tutorial groupings.
        std::swap(files[3], files[4]);
        for (const RunFile& file : files)
            if (RestoreGameFile(fileSystem, setFolder + file.entry.backupName, *file.path) ==
                RestoreResult::Failed)
            {
                Log("\n-! Error restoring file " + *file.path + " !-");
                if (restored)
                    restoreFailure = fileSystem.TakeFailureReason();
                restored = false;
            }
        // A journal left as it was still lets kxvuz restore finish the job, also of what was kept of the run
        // once the files no longer hold what it describes.
        if (restored && (!completed || completion->Withdraw(fileSystem)))
            MarkBackupJournal(BackupJournal::State::Restored);
    }
    frontEnd.ShowError(message, reason, ErrorNotice::Restore);
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
