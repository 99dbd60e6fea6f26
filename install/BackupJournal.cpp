#include "BackupJournal.h"

#include "GameFiles.h"

#include "FileReplace.h"
#include "GamePath.h"

#include <algorithm>
#include <array>
#include <utility>

namespace
{

const char kHeading[] = "KX VUZ Odezodure backup journal";
const std::array<std::pair<BackupJournal::State, const char*>, 4> kStates = {{
    {BackupJournal::State::Complete, "complete"},
    {BackupJournal::State::Installed, "installed"},
    {BackupJournal::State::Restoring, "restoring"},
    {BackupJournal::State::Restored, "restored"},
}};

} // namespace

std::string BackupJournalPath(const std::string& gameDirectory)
{
    return gameDirectory + kBackupFolder + "journal.txt";
}

bool WriteBackupJournal(IFileSystem& fileSystem, const std::string& gameDirectory,
                        const BackupJournal& journal)
{
    std::string text = std::string(kHeading) + "\r\n";
    for (const auto& [state, name] : kStates)
        if (state == journal.state)
            text += std::string("state ") + name + "\r\n";
    for (const BackupJournal::Entry& entry : journal.files)
        text += entry.backupName + "\t" + entry.gamePath + "\r\n";
    text += "end\r\n";
    return ReplaceFile(fileSystem, BackupJournalPath(gameDirectory), text);
}

std::optional<BackupJournal> ReadBackupJournal(IFileSystem& fileSystem, const std::string& gameDirectory)
{
    const std::optional<std::string> bytes = ReadFileBytes(fileSystem, BackupJournalPath(gameDirectory));
    if (!bytes)
        return std::nullopt;
    return ParseBackupJournal(*bytes);
}

bool ClaimsTheGame(const BackupJournal& journal)
{
    return journal.state == BackupJournal::State::Complete ||
           journal.state == BackupJournal::State::Restoring;
}

std::optional<BackupJournal> ParseBackupJournal(std::string_view bytes)
{
    std::size_t at = 0;
    std::string line;
    auto next = [&]
    {
        if (at >= bytes.size())
            return false;
        const std::size_t end = std::min(bytes.find('\n', at), bytes.size());
        line = bytes.substr(at, end - at);
        at = end + 1;
        if (line.empty() || line.back() != '\r')
            return false;
        line.pop_back();
        return true;
    };
    BackupJournal journal;
    if (!next() || line != kHeading || !next())
        return std::nullopt;
    bool known = false;
    for (const auto& [state, name] : kStates)
        if (line == std::string("state ") + name)
        {
            journal.state = state;
            known = true;
        }
    if (!known)
        return std::nullopt;
    while (next() && line != "end")
    {
        const std::size_t tab = line.find('\t');
        if (tab == std::string::npos)
            return std::nullopt;
        BackupJournal::Entry entry{line.substr(0, tab), line.substr(tab + 1)};
        if (!StaysInsideFolder(entry.backupName) || !StaysInsideFolder(entry.gamePath))
            return std::nullopt;
        journal.files.push_back(std::move(entry));
    }
    // Only a journal that reached its last line was written whole.
    if (line != "end" || journal.files.empty())
        return std::nullopt;
    return journal;
}
