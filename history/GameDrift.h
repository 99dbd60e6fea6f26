#pragma once

#include "InstallationRecords.h"

#include <string>
#include <vector>

// The game files that no longer hold what the newest installation that changed them left there (a game
// update, another tool, a hand edit), game-relative, in the order the records first name them.
std::vector<std::string> ChangedSinceLastInstallation(IFileSystem& fileSystem,
                                                      const std::string& gameDirectory,
                                                      const InstallationHistory& history);
