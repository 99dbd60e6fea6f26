#pragma once

#include "MissionDefinition.h"

#include <string>

// Every field away from its default and every per-material value distinct, so that a round trip which
// drops or swaps a field shows. Texts hold e-acute and the five bytes Windows-1252 leaves unassigned.
// Materials: "neon" with every effect on and two textures, "bare" with nothing, "water" with one of each.
CMissionDefinition FilledMission();
// FilledMission for one player: only then does Validate ask for every name and file.
CMissionDefinition FilledSinglePlayerMission();

// One of the sample mission files, by file name.
CMissionDefinition SampleMission(const std::string& fileName);
