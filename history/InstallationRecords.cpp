#include "InstallationRecords.h"

#include "CheckedText.h"
#include "FileReplace.h"
#include "GameFiles.h"
#include "GamePath.h"

#include <algorithm>
#include <cstdio>
#include <set>
#include <string_view>

namespace
{

const char kIndexHeading[] = "KX VUZ Odezodure installations 1";
const char kRecordHeading[] = "KX VUZ Odezodure installation record 1";

// A stored content is named by its hash, and by a number behind it for a second content of the same hash.
bool IsContentName(const std::string& name)
{
    const bool hex = name.size() >= 16 &&
                     std::all_of(name.begin(), name.begin() + 16,
                                 [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
    const std::string rest = name.substr(std::min<std::size_t>(16, name.size()));
    return hex && (rest.empty() ||
                   (rest.size() > 1 && rest[0] == '-' &&
                    std::all_of(rest.begin() + 1, rest.end(), [](char c) { return c >= '0' && c <= '9'; })));
}

bool IsRecordName(const std::string& name)
{
    return name.size() == 10 && name.substr(6) == ".txt" &&
           std::all_of(name.begin(), name.begin() + 6, [](char c) { return c >= '0' && c <= '9'; });
}

bool IsOneLine(const std::string& text)
{
    return text.find_first_of("\r\n\t") == std::string::npos;
}

// An index line: its record's file and checksum, and what it shows a person of the record.
struct IndexEntry
{
    std::string recordName;
    std::string checksum;
    std::string installed;
    std::string missionFile;
    std::string missionName;
};

class CRecordFolder
{
public:
    CRecordFolder(IFileSystem& fileSystem, const std::string& gameDirectory)
        : fileSystem(fileSystem), folder(RecordsFolder(gameDirectory))
    {
    }

    std::string IndexPath() const { return folder + "index.txt"; }
    std::string RecordPath(const std::string& name) const { return folder + "records\\" + name; }
    std::string ContentPath(const std::string& name) const { return folder + "contents\\" + name; }

    // The index's entries; nothing with damaged set when it is not whole.
    std::optional<std::vector<IndexEntry>> ReadIndex(std::optional<std::string>& damaged)
    {
        fileSystem.TakeFailureReason();
        // A status that could not be had is no proof that the game has no records.
        if (!fileSystem.GetStatus(IndexPath()))
            return fileSystem.TakeFailureReason().empty() ? std::optional(std::vector<IndexEntry>{})
                                                          : Damaged(damaged, IndexPath());
        const std::optional<std::string> bytes = ReadFileBytes(fileSystem, IndexPath());
        if (!bytes)
            return Damaged(damaged, IndexPath());
        return ParseIndex(*bytes, damaged);
    }

    std::optional<std::vector<IndexEntry>> ParseIndex(std::string_view bytes,
                                                      std::optional<std::string>& damaged)
    {
        const auto lines = CheckedLines(bytes);
        if (!lines || lines->empty() || lines->front() != kIndexHeading)
            return Damaged(damaged, IndexPath());
        std::vector<IndexEntry> entries;
        for (std::size_t i = 1; i < lines->size(); ++i)
        {
            // number, time, mission file, record, checksum, mission name: the name last, as it may hold
            // anything.
            const std::vector<std::string> fields = Split((*lines)[i], '\t', 6);
            if (fields.empty() || fields[0] != std::to_string(i) || !IsRecordName(fields[3]))
                return Damaged(damaged, IndexPath());
            entries.push_back({fields[3], fields[4], fields[1], fields[2], fields[5]});
        }
        return entries;
    }

    // A record as it is stored: its contents by their names.
    std::optional<InstallationRecord> ReadRecord(const IndexEntry& entry, std::optional<std::string>& damaged)
    {
        const std::string path = RecordPath(entry.recordName);
        const std::optional<std::string> bytes = ReadFileBytes(fileSystem, path);
        const auto lines = bytes && Hash(*bytes) == entry.checksum ? CheckedLines(*bytes) : std::nullopt;
        if (!lines || lines->size() < 6 || (*lines)[0] != kRecordHeading)
            return Damaged(damaged, path);
        InstallationRecord record;
        const std::pair<const char*, std::string*> fields[] = {{"mission ", &record.missionName},
                                                               {"missionFile ", &record.missionFile},
                                                               {"installed ", &record.installed},
                                                               {"missionData ", &record.mission},
                                                               {"log ", &record.log}};
        for (std::size_t i = 0; i < std::size(fields); ++i)
        {
            const std::string& line = (*lines)[i + 1];
            if (line.rfind(fields[i].first, 0) != 0)
                return Damaged(damaged, path);
            *fields[i].second = line.substr(std::string_view(fields[i].first).size());
        }
        for (const std::string* content : {&record.mission, &record.log})
            if (!IsContentName(*content))
                return Damaged(damaged, path);
        for (std::size_t i = 6; i < lines->size(); ++i)
        {
            const std::vector<std::string> file = Split((*lines)[i], '\t', 4);
            if (file.empty() || file[0] != "file" || !StaysInsideFolder(file[3]))
                return Damaged(damaged, path);
            if (!IsContentName(file[1]) || !IsContentName(file[2]))
                return Damaged(damaged, path);
            record.files.push_back({file[3], file[1], file[2]});
        }
        // The index shows what the record says, so a person reading it is not misled.
        if (entry.installed != record.installed || entry.missionFile != record.missionFile ||
            entry.missionName != record.missionName)
            return Damaged(damaged, IndexPath());
        return record;
    }

    // Stores bytes unless a content holds them already; its name, or nothing when it cannot be written.
    std::optional<std::string> Store(const std::string& bytes, std::string& failedPath)
    {
        const std::string hash = Hash(bytes);
        for (int copy = 1;; ++copy)
        {
            const std::string name = copy == 1 ? hash : hash + "-" + std::to_string(copy);
            const std::string path = ContentPath(name);
            if (!fileSystem.GetStatus(path))
            {
                if (ReplaceFile(fileSystem, path, bytes))
                    return name;
                failedPath = path;
                return std::nullopt;
            }
            // Another content with the same hash keeps its name.
            if (ReadFileBytes(fileSystem, path) == bytes)
                return name;
        }
    }

    bool MakeFolders(std::string& failedPath)
    {
        for (const std::string& path :
             {folder.substr(0, folder.size() - 1), folder + "records", folder + "contents"})
            if (!fileSystem.GetStatus(path) && !fileSystem.CreateFolder(path))
            {
                failedPath = path;
                return false;
            }
        return true;
    }

    // A rename that went through but was not confirmed counts as written.
    bool WriteIndex(const std::string& bytes)
    {
        return ReplaceFile(fileSystem, IndexPath(), bytes) || ReadFileBytes(fileSystem, IndexPath()) == bytes;
    }

    std::string IndexText(const std::vector<IndexEntry>& entries)
    {
        CCheckedText text;
        text.Add(kIndexHeading);
        for (std::size_t i = 0; i < entries.size(); ++i)
            text.Add(std::to_string(i + 1) + "\t" + entries[i].installed + "\t" + entries[i].missionFile +
                     "\t" + entries[i].recordName + "\t" + entries[i].checksum + "\t" +
                     entries[i].missionName);
        return text.Finish();
    }

    // Replaces a content's name by its bytes, checked against the name's hash.
    bool Resolve(std::string& name, std::optional<std::string>& damaged)
    {
        const std::optional<std::string> bytes = ReadFileBytes(fileSystem, ContentPath(name));
        if (!bytes || Hash(*bytes) != name.substr(0, 16))
        {
            damaged = ContentPath(name);
            return false;
        }
        name = *bytes;
        return true;
    }

    // Every record as stored, or nothing with damaged set.
    std::optional<std::vector<InstallationRecord>> ReadStored(std::vector<IndexEntry>& entries,
                                                              std::optional<std::string>& damaged)
    {
        const auto read = ReadIndex(damaged);
        if (!read)
            return std::nullopt;
        entries = *read;
        std::vector<InstallationRecord> records;
        for (std::size_t i = 0; i < entries.size(); ++i)
        {
            std::optional<InstallationRecord> record = ReadRecord(entries[i], damaged);
            if (!record)
                return std::nullopt;
            records.push_back(std::move(*record));
        }
        return records;
    }

    // The record files and stored contents that entries name, by path. A record that cannot be read names
    // none, unless every piece must be known: then nothing.
    std::optional<std::set<std::string>> Pieces(const std::vector<IndexEntry>& entries, bool all)
    {
        std::set<std::string> pieces;
        for (const IndexEntry& entry : entries)
        {
            std::optional<std::string> damaged;
            const std::optional<InstallationRecord> record = ReadRecord(entry, damaged);
            if (!record && all)
                return std::nullopt;
            if (!record)
                continue;
            pieces.insert(RecordPath(entry.recordName));
            for (const std::string* content : {&record->mission, &record->log})
                pieces.insert(ContentPath(*content));
            for (const InstallationRecord::File& file : record->files)
                pieces.insert({ContentPath(file.before), ContentPath(file.after)});
        }
        return pieces;
    }

private:
    static std::nullopt_t Damaged(std::optional<std::string>& damaged, const std::string& path)
    {
        damaged = path;
        return std::nullopt;
    }

    IFileSystem& fileSystem;
    std::string folder;
};

} // namespace

std::string ShownTime(const InstallationRecord& record)
{
    std::string shown = record.installed;
    std::replace(shown.begin(), shown.end(), 'T', ' ');
    return shown;
}

std::string NoInstallationsMessage(const std::string& gameDirectory)
{
    return "No installations recorded in " + gameDirectory + ".";
}

std::string RecordsFolder(const std::string& gameDirectory)
{
    return gameDirectory + kBackupFolder + kRecordsFolderName + "\\";
}

InstallationHistory ReadInstallationHistory(IFileSystem& fileSystem, const std::string& gameDirectory)
{
    InstallationHistory history;
    CRecordFolder folder(fileSystem, gameDirectory);
    std::vector<IndexEntry> entries;
    std::optional<std::vector<InstallationRecord>> records = folder.ReadStored(entries, history.damaged);
    if (!records)
        return history;
    for (InstallationRecord& record : *records)
    {
        bool whole =
            folder.Resolve(record.mission, history.damaged) && folder.Resolve(record.log, history.damaged);
        for (InstallationRecord::File& file : record.files)
            whole = whole && folder.Resolve(file.before, history.damaged) &&
                    folder.Resolve(file.after, history.damaged);
        if (!whole)
            return history;
    }
    history.records = std::move(*records);
    return history;
}

std::optional<std::string> AppendInstallationRecord(IFileSystem& fileSystem, const std::string& gameDirectory,
                                                    const InstallationRecord& record)
{
    CRecordFolder folder(fileSystem, gameDirectory);
    std::optional<std::string> damaged;
    std::vector<IndexEntry> entries;
    if (!folder.ReadStored(entries, damaged))
        return damaged;
    // Nothing is written for a record that the reader would refuse.
    bool readable =
        IsOneLine(record.missionName) && IsOneLine(record.missionFile) && IsOneLine(record.installed);
    for (const InstallationRecord::File& file : record.files)
        readable = readable && StaysInsideFolder(file.gamePath) && IsOneLine(file.gamePath);
    if (!readable)
        return folder.IndexPath();
    std::string failed;
    if (!folder.MakeFolders(failed))
        return failed;
    InstallationRecord named = record;
    bool storedAll = true;
    auto store = [&](std::string& bytes)
    {
        const std::optional<std::string> name = storedAll ? folder.Store(bytes, failed) : std::nullopt;
        storedAll = name.has_value();
        bytes = name.value_or("");
    };
    store(named.mission);
    store(named.log);
    for (InstallationRecord::File& file : named.files)
    {
        store(file.before);
        store(file.after);
    }
    if (!storedAll)
        return failed;
    CCheckedText text;
    text.Add(kRecordHeading);
    text.Add("mission " + named.missionName);
    text.Add("missionFile " + named.missionFile);
    text.Add("installed " + named.installed);
    text.Add("missionData " + named.mission);
    text.Add("log " + named.log);
    for (const InstallationRecord::File& file : named.files)
        text.Add("file\t" + file.before + "\t" + file.after + "\t" + file.gamePath);
    const std::string bytes = text.Finish();
    // A name no record of the index has, nor any file: a record that an uninstall took out of the index is
    // still named by the index its snapshot would put back.
    int serial = 0;
    for (const IndexEntry& entry : entries)
        serial = std::max(serial, std::stoi(entry.recordName.substr(0, 6)));
    char name[16];
    do
        std::snprintf(name, sizeof name, "%06d.txt", ++serial);
    while (fileSystem.GetStatus(folder.RecordPath(name)));
    if (!ReplaceFile(fileSystem, folder.RecordPath(name), bytes))
        return folder.RecordPath(name);
    entries.push_back({name, Hash(bytes), named.installed, named.missionFile, named.missionName});
    if (!folder.WriteIndex(folder.IndexText(entries)))
        return folder.IndexPath();
    return std::nullopt;
}

std::string InstallationIndexPath(const std::string& gameDirectory)
{
    return RecordsFolder(gameDirectory) + "index.txt";
}

bool KeepOldestInstallationRecords(IFileSystem& fileSystem, const std::string& gameDirectory,
                                   std::size_t count)
{
    CRecordFolder folder(fileSystem, gameDirectory);
    std::optional<std::string> damaged;
    std::vector<IndexEntry> entries;
    if (!folder.ReadStored(entries, damaged) || entries.size() < count)
        return false;
    entries.resize(count);
    return folder.WriteIndex(folder.IndexText(entries));
}

void RemoveUnnamedRecordPieces(IFileSystem& fileSystem, const std::string& gameDirectory,
                               std::string_view formerIndex)
{
    CRecordFolder folder(fileSystem, gameDirectory);
    std::optional<std::string> damaged;
    const auto former = folder.ParseIndex(formerIndex, damaged);
    std::vector<IndexEntry> entries;
    if (!former || !folder.ReadStored(entries, damaged))
        return;
    // A piece is removed only when every record that stays is known not to name it.
    const std::optional<std::set<std::string>> kept = folder.Pieces(entries, true);
    if (!kept)
        return;
    const std::optional<std::set<std::string>> named = folder.Pieces(*former, false);
    for (const std::string& piece : *named)
        if (!kept->count(piece))
            fileSystem.Remove(piece);
}

bool RemoveNewestInstallationRecord(IFileSystem& fileSystem, const std::string& gameDirectory)
{
    CRecordFolder folder(fileSystem, gameDirectory);
    std::optional<std::string> damaged;
    std::vector<IndexEntry> entries;
    const std::optional<std::string> former = ReadFileBytes(fileSystem, folder.IndexPath());
    if (!former || !folder.ReadStored(entries, damaged) || entries.empty())
        return false;
    entries.pop_back();
    if (!folder.WriteIndex(folder.IndexText(entries)))
        return false;
    // What is left over once the index no longer names it only takes room.
    RemoveUnnamedRecordPieces(fileSystem, gameDirectory, *former);
    return true;
}
