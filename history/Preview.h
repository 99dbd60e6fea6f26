#pragma once

#include "BackupSetRestore.h"
#include "InstallationRun.h"
#include "MissionDefinition.h"
#include "Uninstall.h"

#include <optional>
#include <string>
#include <vector>

// What some work would write, found by doing it, unchanged, over an overlay file system: nothing reaches the
// disk. The work holds a share of the game's lock meanwhile, so no installation or restore changes the game
// under it.

struct PreviewedFile
{
    // Relative to the game directory.
    std::string gamePath;
    // Nothing for a file that did not exist, or would not any more.
    std::optional<std::string> before;
    std::optional<std::string> after;
};

struct Preview
{
    // The game's files that the work would change, in the order it would first change them.
    std::vector<PreviewedFile> gameFiles;
    // What else it would write: the backup folder's files (backup set, journals, records, temporary files)
    // relative to the game directory, anything outside the game as named.
    std::vector<std::string> otherFiles;
    // The log as the work would leave it; empty when it would write none.
    std::string log;
};

struct InstallationPreview
{
    Preview preview;
    RunOutcome outcome = RunOutcome::Refused;
    // The first error the run would show, or why it would not start; empty when it would complete.
    std::string failure;
};
InstallationPreview PreviewInstallation(IFileSystem& fileSystem, const std::string& gameDirectory,
                                        const CMissionDefinition& mission,
                                        const std::string& logPath = "kxinstall.log");

struct UninstallPreview
{
    Preview preview;
    Uninstallation uninstall;
};
UninstallPreview PreviewUninstall(IFileSystem& fileSystem, const std::string& gameDirectory,
                                  const std::string& which, bool byName,
                                  const std::string& logPath = "kxinstall.log");

struct RestorePreview
{
    Preview preview;
    BackupSetRestore restore;
};
RestorePreview PreviewRestore(IFileSystem& fileSystem, const std::string& gameDirectory);

// The unified diff of every game file of preview, then a line naming the files whose only change is their
// line ends, and one naming what else would be written; UTF-8.
std::string PreviewText(const Preview& preview);

// "1 file", "2 files".
std::string Files(std::size_t count);
// What the work would come to, in a line for the player, in the code page: how much it would change, or its
// failure or refusals, a line each.
std::string OutcomeLine(const InstallationPreview& preview, const std::string& missionName);
std::string OutcomeLine(const UninstallPreview& preview);
