#pragma once

#include "FrontEnd.h"
#include "InstallationRun.h"
#include "MissionDefinition.h"
#include "TestFiles.h"

#include <map>
#include <string>
#include <vector>

// Every file of the game tree in folder but the backup folder and the log (with its temporary file), by
// relative path: a temporary file left beside a game file shows too.
std::map<std::string, std::string> GameFilesIn(const std::filesystem::path& folder);

// A game tree in a scratch folder: the game executable and the eight files a run may touch.
class CTestGame
{
public:
    CTestGame();

    // Ends in the platform's separator, as the run expects.
    std::string Directory() const;
    std::filesystem::path Path(const std::string& relative) const { return folder.Path() / relative; }
    void Write(const std::string& relative, const std::string& bytes) const;
    std::string Read(const std::string& relative) const { return ReadBytes(Path(relative)); }
    // Every file of the tree but the backup folder, by relative path.
    std::map<std::string, std::string> GameFiles() const { return GameFilesIn(folder.Path()); }
    // What the backup folder holds, by relative path: after a run that stopped before its backup, the lock
    // file alone.
    std::vector<std::string> BackupFolder() const;
    // Where a test's run writes its log.
    std::string LogPath() const { return folder / "kxinstall.log"; }
    // One installation run of mission on this game.
    RunOutcome Install(const CMissionDefinition& mission, IInstallFrontEnd& frontEnd,
                       IFileSystem& fileSystem = NativeFileSystem()) const;

    // A standard mission in an existing tutorial group, whose briefing and intel files the tree holds.
    static CMissionDefinition Mission();

private:
    CScratchFolder folder;
};
