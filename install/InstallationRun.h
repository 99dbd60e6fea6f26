#pragma once

#include "BackupJournal.h"
#include "FileSystem.h"
#include "FrontEnd.h"
#include "GameFiles.h"
#include "GameLock.h"
#include "LogFile.h"
#include "MissionDefinition.h"
#include "RunCompletion.h"
#include "TextFile.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

enum class RunOutcome
{
    Completed,
    // Failed after the backup; every backed-up file was copied back.
    FailedAndRestored,
    Cancelled,
    // Stopped before any game file changed.
    StoppedBeforeChange,
    // Failed, and some changed game files could not be put back: the backup journal still names the
    // complete set for kxvuz restore.
    RestoreIncomplete,
    // Did not start, and wrote nothing: another process works on the game, or the last installation into it
    // was interrupted and only its backup set can put the game right.
    Refused,
};

// One installation run: the state that its steps share, and the steps themselves.
class CInstallationRun
{
public:
    CInstallationRun(IFileSystem& fileSystem, IInstallFrontEnd& frontEnd, std::string gameDirectory,
                     CMissionDefinition mission, std::string logPath = "kxinstall.log");

    // Runs to the end. The window front end ends the process instead of returning.
    RunOutcome RunInstallation();
    // Called as the run's last act before it reports success.
    void SetCompletion(IRunCompletion& step) { completion = &step; }
    // The caller holds the game's lock from before the run to after it: the run neither takes nor releases
    // it.
    void UseCallersLock() { callersLock = true; }

    // One progress step; gives the bar's position.
    int StepProgress(const std::string& text);
    [[noreturn]] void FailAndRestore(const std::string& message);
    // The progress window's Cancel while a dialog of the run is open: the failure path with "User cancelled
    // installation.", also while "Done" is shown, when the closed log is opened again to say so. Ignored once
    // the run is failing already.
    void Cancel();

    // Text file primitives of the edits.
    std::int64_t SeekEntry(int n, CTextFile& file);
    int CopyLinesThrough(CTextFile& input, CTextFile& output, std::int64_t start, std::int64_t bound,
                         int first);
    char ReadNextChar(int& column, int& line, int& length);
    static CString IntToText(int value);

    void MakeWritable(const std::string& path);

    // The game file edits, in the order of a run; each has its own source file.
    void UpdateMissionList();
    void UpdateTutorialGroupings();
    void UpdateMissionNames();
    void UpdateIntel();
    void UpdateStringTable();
    void UpdateMaterials();

    // For the edits and tests.
    const CMissionDefinition& Mission() const { return mission; }
    CStringArray fileArray;

private:
    struct RunFile
    {
        GameFile file;
        std::string* path;
        GameFileEntry entry;
    };
    void BackupGameFiles();
    // Opens a game file "r+" for an edit, made writable first; fails and restores with failure if it cannot.
    void OpenForEditing(CTextFile& file, const std::string& path, const std::string& failure);
    // Closes a game file that an edit changed; fails and restores when it could not be replaced.
    void CloseEdited(CTextFile& file, const std::string& path);
    bool MarkBackupJournal(BackupJournal::State state);
    void Complete();
    // Takes the game's lock, once, and checks that the last installation finished;
    // refuses the run otherwise. Before the log opens, so that a refused run writes nothing.
    void ClaimGame();
    // The new copies go to a staging folder that the previous journal does not point into: until the journal
    // names them, the previous set and its journal stay as they were, so a stop before any change keeps the
    // previous installation's undo.
    void StageBackupSet();
    // After a failed commit the journal may still have been replaced: the previous one goes back.
    void PutBackPreviousJournal();
    // Puts the committed copies where the backup folder keeps them; where that fails, the journal keeps
    // naming the staged copies, which serve as well.
    void SettleBackupSet();
    void SetGamePaths();
    void WriteFilesList();
    // The eight game files in the order of the backup.
    std::vector<RunFile> GameFiles();
    std::string* PathOf(GameFile file);
    // Shows message in the error dialog and ends the program; nothing is restored.
    [[noreturn]] void Stop(const std::string& message);
    [[noreturn]] void Refuse(const std::string& message);
    // The error dialog with the system's reason for the last failed file operation.
    void ShowFailure(const std::string& message);
    // An exception from anywhere in the run: the failure path, so that no edit is left half-done.
    void FailOnException();
    [[noreturn]] void EndRun(RunOutcome result);
    void Log(const std::string& text);
    void WriteLogHeader();

    // Material effects edit: the rewrite of a block that the material file already holds. The block, its
    // cursor and what the diagnostic file reports travel in a MaterialBlock (MaterialBlockRewrite.cpp).
    struct MaterialBlock;
    std::int64_t RewriteMaterialBlock(int material, int heldLine, std::int64_t lineStart,
                                      std::size_t nameEnd);
    void RewriteValues(MaterialBlock& block, int line, int column, const CString& first,
                       const CString& second, const CString& third, const char* changeMessage,
                       const char* completionMessage);
    void RewriteAnimation(MaterialBlock& block, int line, int column);
    [[noreturn]] void DumpFileArray(const MaterialBlock& block);

    IFileSystem& fileSystem;
    IInstallFrontEnd& frontEnd;
    std::string gameDirectory;
    CMissionDefinition mission;
    std::string logPath;

    CLogFile logFile;
    std::string missionListPath, missionNamesPath, intelNamesPath, tutorialGroupingsPath, stringTablePath,
        briefingPath, intelPath, materialFilePath, backupFolder;
    // The game files being edited; the failure path drops what they still hold, so nothing an edit
    // wrote reaches a file after it was restored. Every game file is opened through one of these two.
    CTextFile editFile;
    CTextFile sideFile;
    std::int64_t countPos = 0;
    std::int64_t groupCountPos = 0;
    std::int64_t entryPos = 0;
    // The last line read, as the step that read it trimmed it.
    CString lineText;
    bool groupMissing = false;
    int groupIndex = 0;

    IRunCompletion* completion = nullptr;
    bool completed = false;
    GameLock gameLock;
    bool callersLock = false;
    bool claimed = false;
    // The journal's bytes as the run found them; nothing when there was none.
    std::optional<std::string> previousJournal;
    // Where the copies that the journal names are: the staging folder, then the backup folder itself.
    std::string setFolder;
    // Only a complete backup made by this run may be copied back over the game files.
    bool backupComplete = false;
    bool failing = false;
    // The log ends "Installation complete" and is closed; a Cancel while "Done" is shown must still reach it.
    bool logClosedComplete = false;
    RunOutcome outcome = RunOutcome::Completed;
};
