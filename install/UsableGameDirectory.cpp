#include "UsableGameDirectory.h"

#include "CodePage.h"
#include "FileReplace.h"
#include "GameFiles.h"

std::string LongestRunPath(const std::string& gameDirectory, const CMissionDefinition& mission)
{
    // The temporary files in data\Backup\Temp have shorter names than any staged copy.
    std::string longest;
    auto consider = [&](const std::string& relative)
    {
        std::string path = TemporarySibling(gameDirectory + relative);
        if (path.size() > longest.size())
            longest = std::move(path);
    };
    for (const GameFile file : kGameFiles)
    {
        const GameFileEntry entry = GameFileOf(file, mission);
        consider(entry.path);
        consider(kBackupFolder + entry.backupName);
        for (const char* staging : kStagingFolders)
            consider(kBackupFolder + std::string(staging) + "\\" + entry.backupName);
    }
    return longest;
}

std::optional<std::string> UnusableGameDirectoryMessage(const std::string& gameDirectory,
                                                        const CMissionDefinition& mission,
                                                        std::size_t longestPath)
{
    if (HoldsUnspellableLetter(gameDirectory))
        return "The game directory " + gameDirectory +
               " has a letter that this system's code page cannot spell (shown as ?), so the game's files "
               "cannot be opened. Nothing was changed; the game needs a folder whose name the code page can "
               "spell.";
    const std::string longest = LongestRunPath(gameDirectory, mission);
    if (longest.size() > longestPath)
        return "The game directory " + gameDirectory + " is too long: the installation would use the path " +
               longest + " of " + std::to_string(longest.size()) + " characters, and Windows allows " +
               std::to_string(longestPath) +
               ". Nothing was changed; the game needs a folder with a shorter path.";
    return std::nullopt;
}
