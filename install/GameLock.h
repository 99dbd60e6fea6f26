#pragma once

#include "FileSystem.h"

#include <memory>
#include <string>

// One process at a time may change a game's files: an installation and a restore each hold this lock on a
// file in the game's backup folder from before their first change to their end.
struct GameLock
{
    std::unique_ptr<IFileLock> lock;
    // Another installation or restore holds it; the caller must not go on.
    bool busy = false;
    // The system's words where there is neither a lock nor another holder: the caller must not go on either,
    // since it could not keep anyone else out.
    std::string reason;
};

// Needs the backup folder.
GameLock LockGame(IFileSystem& fileSystem, const std::string& gameDirectory);
std::string GameBusyMessage(const std::string& gameDirectory);
std::string GameLockFailureMessage(const std::string& gameDirectory, const std::string& reason);
// A preview's share of the lock: refused while an installation or restore holds it, held beside other
// previews. None where the lock file does not exist or cannot be opened: a preview creates nothing.
GameLock ShareGameLock(IFileSystem& fileSystem, const std::string& gameDirectory);
