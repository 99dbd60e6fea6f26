#pragma once

#include "BackupSetRestore.h"
#include "FileSystem.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

// What an uninstall keeps before its first change: every file it may write, game files, backup set and
// records alike, with its bytes or as missing, and a journal naming them, so that all can go back, also
// after a crash. Until the journal is gone the game belongs to that snapshot alone.

std::string UninstallJournalPath(const std::string& gameDirectory);

// An uninstall broke off: only its snapshot can make the game whole.
bool UninstallInterrupted(IFileSystem& fileSystem, const std::string& gameDirectory);
inline constexpr char kInterruptedUninstall[] =
    "The last uninstall from this game was interrupted and some game files may be half-edited.";

// Copies each of paths, relative to the game directory, then writes the journal; the path that could not be
// written when it fails, and then nothing is claimed.
std::optional<std::string> TakeUninstallSnapshot(IFileSystem& fileSystem, const std::string& gameDirectory,
                                                 const std::vector<std::string>& paths);

// Puts every file of the snapshot back, holding the caller's lock, and drops the records that the uninstall
// wrote; the journal goes once every file is back. Lists the files outside the backup folder, and any that
// failed. Status NoBackupSet when the journal cannot be read.
BackupSetRestore PutBackUninstallSnapshot(IFileSystem& fileSystem, const std::string& gameDirectory,
                                          const std::function<bool()>& stopRequested = {});

// What only takes room once an uninstall has committed: the copies, and the index that named records it
// took out.
struct UninstallLeftovers
{
    std::vector<std::string> copies;
    std::optional<std::string> formerIndex;
};
// The uninstall's commit: the journal goes. Nothing when it could not be removed, and then the snapshot still
// claims the game.
std::optional<UninstallLeftovers> CommitUninstallSnapshot(IFileSystem& fileSystem,
                                                          const std::string& gameDirectory);
// Removes the copies and every piece of the records that only the former index named.
void RemoveUninstallLeftovers(IFileSystem& fileSystem, const std::string& gameDirectory,
                              const UninstallLeftovers& leftovers);
