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
};

// Needs the backup folder; where it cannot be had for another reason than a holder, the caller goes on
// unlocked, as its own first write into that folder will fail anyway.
GameLock LockGame(IFileSystem& fileSystem, const std::string& gameDirectory);
std::string GameBusyMessage(const std::string& gameDirectory);
