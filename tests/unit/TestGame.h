#pragma once

#include "MissionDefinition.h"
#include "TestFiles.h"

#include <map>
#include <string>

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
    std::map<std::string, std::string> GameFiles() const;
    // Where a test's run writes its log.
    std::string LogPath() const { return folder / "kxinstall.log"; }

    // A standard mission in an existing tutorial group, whose briefing and intel files the tree holds.
    static CMissionDefinition Mission();

private:
    CScratchFolder folder;
};
