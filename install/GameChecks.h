#pragma once

#include "FileSystem.h"
#include "MissionDefinition.h"

#include <optional>
#include <string>
#include <vector>

// What the game a mission goes into says about it. A problem would make the run fail or leave the game
// broken; a warning leaves a game that still works but lacks a file of the mission or holds a text twice.
struct GameFinding
{
    enum class Kind
    {
        Problem,
        Warning,
    };
    Kind kind;
    std::string message;
};

// Every finding about mission in the game in gameDirectory (ending in a separator), from the game's files
// alone, in this order: the briefing and intel files, the intel file's items, comments left open in the
// text files that the run reads, the victory tokens in the string table, the material blocks, then the files
// that only the game needs (mission, splash, kits).
std::vector<GameFinding> CheckAgainstGame(IFileSystem& fileSystem, const std::string& gameDirectory,
                                          const CMissionDefinition& mission);

std::optional<std::string> FirstProblem(const std::vector<GameFinding>& findings);

// The entries of the file at gameDirectory + path, each its first word as the run's entry search finds it:
// the mission files of a mission list, the tokens of the string table. Empty when the file cannot be read.
std::vector<std::string> EntryWords(IFileSystem& fileSystem, const std::string& gameDirectory,
                                    const std::string& path);

// "problem: " or "warning: " and the message.
std::string FindingText(const GameFinding& finding);

// What a player or author is told before an installation of mission into gameDirectory, from reading alone,
// problems first: the mission's own checks; once they pass, the folder itself, then the game's files.
std::vector<GameFinding> CheckInstallation(IFileSystem& fileSystem, const std::string& gameDirectory,
                                           const CMissionDefinition& mission);
