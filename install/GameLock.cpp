#include "GameLock.h"

#include "GameFiles.h"

GameLock LockGame(IFileSystem& fileSystem, const std::string& gameDirectory)
{
    FileLockAttempt attempt = fileSystem.Lock(gameDirectory + kBackupFolder + "kxvuz.lock");
    return {std::move(attempt.lock), attempt.heldElsewhere};
}

std::string GameBusyMessage(const std::string& gameDirectory)
{
    return "Another installation or restore is working on the game in " + gameDirectory +
           ". Nothing was changed; try again when it has finished.";
}
