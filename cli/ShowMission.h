#pragma once

#include "MissionDefinition.h"

#include <ostream>

// Every field of the mission as a person reads it: texts quoted, each material with its effects and
// textures together.
void ShowMission(const CMissionDefinition& mission, std::ostream& out);
