#pragma once

#include "FileSystem.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What one completed installation changed, as data\Backup\Installed\ keeps it (docs/installation-records.md).
struct InstallationRecord
{
    struct File
    {
        // Relative to the game directory, with backslashes.
        std::string gamePath;
        std::string before;
        std::string after;
    };
    std::string missionName;
    std::string missionFile;
    // Local time, YYYY-MM-DDTHH:MM:SS.
    std::string installed;
    // The mission as a mission file writes it.
    std::string mission;
    std::string log;
    std::vector<File> files;
};

// When record's installation completed, as a person reads it: YYYY-MM-DD HH:MM:SS.
std::string ShownTime(const InstallationRecord& record);

struct InstallationHistory
{
    // Oldest first: a record's number is its place here, from 1.
    std::vector<InstallationRecord> records;
    // The first piece that is cut, unknown or fails its checksum, named by its path; then records is empty.
    std::optional<std::string> damaged;
};

std::string RecordsFolder(const std::string& gameDirectory);
// What a list of a game without records says.
std::string NoInstallationsMessage(const std::string& gameDirectory);

// Every record, each piece checked; a game without records has an empty history.
InstallationHistory ReadInstallationHistory(IFileSystem& fileSystem, const std::string& gameDirectory);

// Adds record as the newest. Each piece goes through the crash-safe replacement and the index last, so a
// failure or crash anywhere leaves the history as it was; the path that could not be written when it fails.
std::optional<std::string> AppendInstallationRecord(IFileSystem& fileSystem, const std::string& gameDirectory,
                                                    const InstallationRecord& record);

std::string InstallationIndexPath(const std::string& gameDirectory);

// Writes the index with only its oldest count records, removing nothing: the index as it was still names
// every piece of the others. False when the history cannot be read or written, and then it is as it was.
bool KeepOldestInstallationRecords(IFileSystem& fileSystem, const std::string& gameDirectory,
                                   std::size_t count);
// Removes every record file and stored content that the index formerIndex names and the stored one does not.
void RemoveUnnamedRecordPieces(IFileSystem& fileSystem, const std::string& gameDirectory,
                               std::string_view formerIndex);

// Drops the newest record and every stored content that no record names any more; false when the index
// could not be written, and then the history is as it was.
bool RemoveNewestInstallationRecord(IFileSystem& fileSystem, const std::string& gameDirectory);
