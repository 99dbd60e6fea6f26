#pragma once

#include "FrontEnd.h"
#include "InstallationRecords.h"

#include <cstddef>
#include <string>
#include <vector>

// Which installation of history a player means: a record's number when which is all digits and such a
// record exists, otherwise a mission's name, which only one installation may have; byName takes it as a
// name always. number is from 1; 0 with refusal set when there is no such installation, or several.
struct InstallationChoice
{
    std::size_t number = 0;
    std::string refusal;
};
InstallationChoice ChooseInstallation(const InstallationHistory& history, const std::string& which,
                                      bool byName);

enum class UninstallOutcome
{
    Removed,
    // Nothing was changed: see messages, a line for each file or record in the way.
    Refused,
    // A step or a replay failed, and everything went back to the snapshot.
    FailedAndRestored,
    Cancelled,
    // Failed, and the snapshot could not all be put back: kxvuz restore finishes it.
    RestoreIncomplete,
};

struct Uninstallation
{
    UninstallOutcome outcome = UninstallOutcome::Refused;
    // The removed installation's mission, once it was chosen.
    std::string missionName;
    std::vector<std::string> messages;
    // How many later installations it installed again, once removed.
    std::size_t replayed = 0;

    // The messages, a line each.
    std::string MessagesText() const;
};

// Removes one installation by rollback and replay, as one transaction under the game's lock: every later
// installation is taken back, newest first, then the chosen one, and the later missions are installed again
// from their records in their old order. progress shows each step and the replays' own; the log holds the
// uninstall's lines and each replay's log in turn.
Uninstallation Uninstall(IFileSystem& fileSystem, IInstallFrontEnd& progress,
                         const std::string& gameDirectory, const std::string& which, bool byName,
                         const std::string& logPath = "kxinstall.log");
