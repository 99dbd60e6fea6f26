#include "GameLock.h"

#include "GameFiles.h"

namespace
{

std::string LockPath(const std::string& gameDirectory)
{
    return gameDirectory + kBackupFolder + "kxvuz.lock";
}

} // namespace

GameLock LockGame(IFileSystem& fileSystem, const std::string& gameDirectory)
{
    fileSystem.TakeFailureReason();
    FileLockAttempt attempt = fileSystem.Lock(LockPath(gameDirectory));
    const std::string reason = attempt.lock || attempt.heldElsewhere ? "" : fileSystem.TakeFailureReason();
    return {std::move(attempt.lock), attempt.heldElsewhere, reason};
}

GameLock ShareGameLock(IFileSystem& fileSystem, const std::string& gameDirectory)
{
    FileLockAttempt attempt = fileSystem.LockShared(LockPath(gameDirectory));
    fileSystem.TakeFailureReason();
    return {std::move(attempt.lock), attempt.heldElsewhere, ""};
}

std::string GameBusyMessage(const std::string& gameDirectory)
{
    return "Another installation or restore is working on the game in " + gameDirectory +
           ". Nothing was changed; try again when it has finished.";
}

std::string GameLockFailureMessage(const std::string& gameDirectory, const std::string& reason)
{
    return "The lock file " + LockPath(gameDirectory) +
           " that keeps other installations out cannot be opened, so nothing was changed" +
           (reason.empty() ? "." : ": " + reason);
}
