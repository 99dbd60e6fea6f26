#pragma once

#include "InstallationRecords.h"

#include <optional>
#include <string>
#include <vector>

// A game file that no longer holds what the newest installation that changed it left there.
struct GameDrift
{
    // Game-relative.
    std::string gamePath;
    std::string left;
    // Nothing when the file is gone or cannot be read.
    std::optional<std::string> now;
};
std::vector<GameDrift> DriftSinceLastInstallation(IFileSystem& fileSystem, const std::string& gameDirectory,
                                                  const InstallationHistory& history);

// The game files that no longer hold what the newest installation that changed them left there (a game
// update, another tool, a hand edit), game-relative, in the order the records first name them.
std::vector<std::string> ChangedSinceLastInstallation(IFileSystem& fileSystem,
                                                      const std::string& gameDirectory,
                                                      const InstallationHistory& history);

// What has changed in each drifted file since the installation left it, as unified diffs; UTF-8.
std::string DriftDiff(const std::vector<GameDrift>& drift);
