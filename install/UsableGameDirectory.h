#pragma once

#include "FileSystem.h"
#include "MissionDefinition.h"

#include <cstddef>
#include <optional>
#include <string>

// The longest path an installation of mission into gameDirectory uses: the deepest of the game files, their
// staged and settled copies, each as its temporary sibling.
std::string LongestRunPath(const std::string& gameDirectory, const CMissionDefinition& mission);

// Why no file of the game in gameDirectory can be used for mission, which the program must say before it
// writes anything: a letter the code page could not spell, or paths longer than longestPath characters.
std::optional<std::string> UnusableGameDirectoryMessage(const std::string& gameDirectory,
                                                        const CMissionDefinition& mission,
                                                        std::size_t longestPath = kLongestPath);
