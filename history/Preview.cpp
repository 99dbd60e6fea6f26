#include "Preview.h"

#include "GameFiles.h"
#include "GameLock.h"
#include "InnerRunFrontEnd.h"
#include "NameCase.h"
#include "OverlayFileSystem.h"
#include "ProgressState.h"
#include "RecordedInstallation.h"

namespace
{

bool StartsWithIgnoringCase(const std::string& text, const std::string& prefix)
{
    return text.size() >= prefix.size() && SameNameIgnoringCase(text.substr(0, prefix.size()), prefix);
}

// Sorts what the overlay holds into the game's files, the log and the rest.
Preview Sorted(COverlayFileSystem& overlay, const std::string& gameDirectory, const std::string& logPath)
{
    Preview preview;
    for (COverlayFileSystem::Change& change : overlay.Changes())
    {
        if (SameNameIgnoringCase(change.path, logPath))
        {
            preview.log = change.after.value_or("");
            continue;
        }
        if (!StartsWithIgnoringCase(change.path, gameDirectory))
        {
            preview.otherFiles.push_back(change.path);
            continue;
        }
        std::string relative = change.path.substr(gameDirectory.size());
        if (StartsWithIgnoringCase(relative, kBackupFolder))
            preview.otherFiles.push_back(std::move(relative));
        else
            preview.gameFiles.push_back(
                {std::move(relative), std::move(change.before), std::move(change.after)});
    }
    return preview;
}

// Runs work over an overlay of fileSystem holding a share of the game's lock; false, with nothing tried,
// when an installation or restore holds the lock.
template <typename Work>
bool Previewed(IFileSystem& fileSystem, const std::string& gameDirectory, const std::string& logPath,
               Preview& preview, Work work)
{
    const GameLock share = ShareGameLock(fileSystem, gameDirectory);
    if (share.busy)
        return false;
    COverlayFileSystem overlay(fileSystem);
    work(overlay);
    preview = Sorted(overlay, gameDirectory, logPath);
    return true;
}

} // namespace

InstallationPreview PreviewInstallation(IFileSystem& fileSystem, const std::string& gameDirectory,
                                        const CMissionDefinition& mission, const std::string& logPath)
{
    InstallationPreview result;
    const bool tried =
        Previewed(fileSystem, gameDirectory, logPath, result.preview,
                  [&](IFileSystem& overlay)
                  {
                      CSilentFrontEnd unseen;
                      CInnerRunFrontEnd frontEnd(unseen);
                      CRecordedInstallation run(overlay, frontEnd, gameDirectory, mission, logPath);
                      result.outcome = run.RunInstallation();
                      result.failure = frontEnd.Failure();
                  });
    if (!tried)
        result = {{}, RunOutcome::Refused, GameBusyMessage(gameDirectory)};
    return result;
}

UninstallPreview PreviewUninstall(IFileSystem& fileSystem, const std::string& gameDirectory,
                                  const std::string& which, bool byName, const std::string& logPath)
{
    UninstallPreview result;
    const bool tried = Previewed(fileSystem, gameDirectory, logPath, result.preview,
                                 [&](IFileSystem& overlay)
                                 {
                                     CSilentFrontEnd unseen;
                                     result.uninstall =
                                         Uninstall(overlay, unseen, gameDirectory, which, byName, logPath);
                                 });
    if (!tried)
        result.uninstall = {UninstallOutcome::Refused, "", {GameBusyMessage(gameDirectory)}, 0};
    return result;
}

RestorePreview PreviewRestore(IFileSystem& fileSystem, const std::string& gameDirectory)
{
    RestorePreview result;
    const bool tried = Previewed(fileSystem, gameDirectory, "", result.preview,
                                 [&](IFileSystem& overlay)
                                 { result.restore = RestoreBackupSetAndRecords(overlay, gameDirectory); });
    if (!tried)
        result.restore = {BackupSetRestore::Status::Busy, {}, {}};
    return result;
}
