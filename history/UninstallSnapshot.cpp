#include "UninstallSnapshot.h"

#include "CheckedText.h"
#include "FileReplace.h"
#include "GameFiles.h"
#include "GamePath.h"
#include "InstallationRecords.h"

#include <algorithm>

namespace
{

const char kJournalHeading[] = "KX VUZ Odezodure uninstall 1";

std::string SnapshotFolder(const std::string& gameDirectory)
{
    return gameDirectory + kBackupFolder + kUninstallFolderName + "\\";
}

struct SnapshotEntry
{
    // Relative to the game directory.
    std::string path;
    // Missing when the file did not exist.
    std::optional<std::string> copy;
    std::string hash;
};

bool IsCopyName(const std::string& name)
{
    return !name.empty() &&
           std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::optional<std::vector<SnapshotEntry>> ReadJournal(IFileSystem& fileSystem,
                                                      const std::string& gameDirectory)
{
    const std::optional<std::string> bytes = ReadFileBytes(fileSystem, UninstallJournalPath(gameDirectory));
    const auto lines = bytes ? CheckedLines(*bytes) : std::nullopt;
    if (!lines || lines->empty() || lines->front() != kJournalHeading)
        return std::nullopt;
    std::vector<SnapshotEntry> entries;
    for (std::size_t i = 1; i < lines->size(); ++i)
    {
        const std::string& line = (*lines)[i];
        const std::vector<std::string> fields = Split(line, '\t', line.rfind("missing\t", 0) == 0 ? 2 : 4);
        const bool missing = fields.size() == 2 && fields[0] == "missing";
        // A journal that names a file outside the game, or a copy outside its folder, is none of ours.
        if (!missing && (fields.size() != 4 || fields[0] != "file" || !IsCopyName(fields[2])))
            return std::nullopt;
        if (!StaysInsideFolder(fields.back()))
            return std::nullopt;
        entries.push_back(
            {fields.back(), missing ? std::nullopt : std::optional(fields[2]), missing ? "" : fields[1]});
    }
    return entries;
}

// Puts one file back as the snapshot has it.
RestoreResult PutBack(IFileSystem& fileSystem, const std::string& gameDirectory, const SnapshotEntry& entry)
{
    const std::string path = gameDirectory + entry.path;
    if (!entry.copy)
    {
        if (!fileSystem.GetStatus(path))
            return RestoreResult::Unchanged;
        ClearReadOnly(fileSystem, path);
        return fileSystem.Remove(path) ? RestoreResult::Restored : RestoreResult::Failed;
    }
    const std::string copyPath = SnapshotFolder(gameDirectory) + *entry.copy;
    // A copy that is not what the snapshot took must never reach a game file.
    const std::optional<std::string> copy = ReadFileBytes(fileSystem, copyPath);
    if (!copy || Hash(*copy) != entry.hash)
        return RestoreResult::Failed;
    return PutGameFile(fileSystem, *copy, path);
}

} // namespace

std::string UninstallJournalPath(const std::string& gameDirectory)
{
    return gameDirectory + kBackupFolder + kUninstallJournalName;
}

bool UninstallInterrupted(IFileSystem& fileSystem, const std::string& gameDirectory)
{
    return fileSystem.GetStatus(UninstallJournalPath(gameDirectory)).has_value();
}

std::optional<std::string> TakeUninstallSnapshot(IFileSystem& fileSystem, const std::string& gameDirectory,
                                                 const std::vector<std::string>& paths)
{
    const std::string folder = SnapshotFolder(gameDirectory);
    if (!fileSystem.CreateFolder(folder.substr(0, folder.size() - 1)))
        return folder;
    CCheckedText journal;
    journal.Add(kJournalHeading);
    for (std::size_t i = 0; i < paths.size(); ++i)
    {
        const std::string path = gameDirectory + paths[i];
        fileSystem.TakeFailureReason();
        if (!fileSystem.GetStatus(path))
        {
            // A status that could not be had is no proof that the file is missing.
            if (!fileSystem.TakeFailureReason().empty())
                return path;
            journal.Add("missing\t" + paths[i]);
            continue;
        }
        const std::optional<std::string> bytes = ReadFileBytes(fileSystem, path);
        const std::string copy = std::to_string(i + 1);
        if (!bytes || !ReplaceFile(fileSystem, folder + copy, *bytes))
            return bytes ? folder + copy : path;
        journal.Add("file\t" + Hash(*bytes) + "\t" + copy + "\t" + paths[i]);
    }
    if (!ReplaceFile(fileSystem, UninstallJournalPath(gameDirectory), journal.Finish()))
    {
        fileSystem.Remove(UninstallJournalPath(gameDirectory));
        return UninstallJournalPath(gameDirectory);
    }
    return std::nullopt;
}

BackupSetRestore PutBackUninstallSnapshot(IFileSystem& fileSystem, const std::string& gameDirectory,
                                          const std::function<bool()>& stopRequested)
{
    const std::optional<std::vector<SnapshotEntry>> entries = ReadJournal(fileSystem, gameDirectory);
    if (!entries)
        return {BackupSetRestore::Status::NoBackupSet, {}, {}};
    // The index as the uninstall left it names the records that its replays wrote.
    const std::optional<std::string> leftIndex =
        ReadFileBytes(fileSystem, InstallationIndexPath(gameDirectory));
    BackupSetRestore restore;
    for (const SnapshotEntry& entry : *entries)
    {
        if (stopRequested && stopRequested())
        {
            restore.status = BackupSetRestore::Status::Stopped;
            return restore;
        }
        fileSystem.TakeFailureReason();
        const RestoreResult result = PutBack(fileSystem, gameDirectory, entry);
        const std::string reason = result == RestoreResult::Failed ? fileSystem.TakeFailureReason() : "";
        fileSystem.Remove(TemporarySibling(gameDirectory + entry.path));
        if (result == RestoreResult::Failed || entry.path.rfind(kBackupFolder, 0) != 0)
            restore.files.push_back({entry.path, result, reason});
    }
    if (!restore.Complete())
        return restore;
    if (leftIndex)
        RemoveUnnamedRecordPieces(fileSystem, gameDirectory, *leftIndex);
    if (!fileSystem.Remove(UninstallJournalPath(gameDirectory)))
    {
        restore.files.push_back({UninstallJournalPath(gameDirectory).substr(gameDirectory.size()),
                                 RestoreResult::Failed, fileSystem.TakeFailureReason()});
        return restore;
    }
    for (const SnapshotEntry& entry : *entries)
        if (entry.copy)
            fileSystem.Remove(SnapshotFolder(gameDirectory) + *entry.copy);
    return restore;
}

std::optional<UninstallLeftovers> CommitUninstallSnapshot(IFileSystem& fileSystem,
                                                          const std::string& gameDirectory)
{
    const std::optional<std::vector<SnapshotEntry>> entries = ReadJournal(fileSystem, gameDirectory);
    if (!entries)
        return std::nullopt;
    UninstallLeftovers leftovers;
    for (const SnapshotEntry& entry : *entries)
        if (entry.copy)
        {
            const std::string copy = SnapshotFolder(gameDirectory) + *entry.copy;
            leftovers.copies.push_back(copy);
            if (entry.path == InstallationIndexPath(""))
                leftovers.formerIndex = ReadFileBytes(fileSystem, copy);
        }
    if (!fileSystem.Remove(UninstallJournalPath(gameDirectory)))
        return std::nullopt;
    return leftovers;
}

void RemoveUninstallLeftovers(IFileSystem& fileSystem, const std::string& gameDirectory,
                              const UninstallLeftovers& leftovers)
{
    if (leftovers.formerIndex)
        RemoveUnnamedRecordPieces(fileSystem, gameDirectory, *leftovers.formerIndex);
    for (const std::string& copy : leftovers.copies)
        fileSystem.Remove(copy);
}
