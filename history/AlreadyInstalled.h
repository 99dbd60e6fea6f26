#pragma once

#include "GameChecks.h"
#include "InstallationRecords.h"
#include "MissionDefinition.h"

#include <optional>
#include <string>
#include <vector>

// Why mission counts as installed in the game already, naming the installation when a record has it: its
// mission file stands in the mission list it would go into, which also catches installations made before
// records were kept; a multiplayer-only mission, which no list holds, when a record of it exists and its
// victory tokens still stand in the string table. Ends without a full stop, for the front end's advice.
std::optional<std::string> AlreadyInstalled(IFileSystem& fileSystem, const std::string& gameDirectory,
                                            const CMissionDefinition& mission,
                                            const InstallationHistory& history);

// What kxvuz check and Confirm Options show: the checks before an installation, then the records that cannot
// be read or the installation already made, whose message ends in againAdvice; where none of these is a
// problem, the failure of the run itself, tried over an overlay, so that no problem means it completes.
std::vector<GameFinding> CheckInstallationAndHistory(IFileSystem& fileSystem,
                                                     const std::string& gameDirectory,
                                                     const CMissionDefinition& mission,
                                                     const std::string& againAdvice);

std::string DamagedRecordsMessage(const std::string& path);
