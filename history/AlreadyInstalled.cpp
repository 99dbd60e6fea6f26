#include "AlreadyInstalled.h"

#include "Preview.h"

#include "Characters.h"
#include "GameFiles.h"
#include "UsableGameDirectory.h"

#include <algorithm>

namespace
{

bool SameName(const std::string& a, const std::string& b)
{
    return LowerCase(a) == LowerCase(b);
}

// The newest record of mission's file, or nothing.
const InstallationRecord* NewestRecordOf(const InstallationHistory& history,
                                         const CMissionDefinition& mission, std::size_t& number)
{
    for (std::size_t i = history.records.size(); i-- > 0;)
        if (SameName(history.records[i].missionFile, mission.missionFile))
        {
            number = i + 1;
            return &history.records[i];
        }
    return nullptr;
}

} // namespace

std::optional<std::string> AlreadyInstalled(IFileSystem& fileSystem, const std::string& gameDirectory,
                                            const CMissionDefinition& mission,
                                            const InstallationHistory& history)
{
    std::size_t number = 0;
    const InstallationRecord* record = NewestRecordOf(history, mission, number);
    bool installed = false;
    std::string list;
    if (mission.multiplayer == 0)
    {
        list = GameFileOf(GameFile::MissionList, mission).path;
        const std::vector<std::string> entries = EntryWords(fileSystem, gameDirectory, list);
        installed = std::any_of(entries.begin(), entries.end(),
                                [&](const std::string& entry)
                                { return SameName(entry, "\"" + mission.missionFile + "\""); });
    }
    else if (record)
    {
        const std::vector<std::string> tokens =
            EntryWords(fileSystem, gameDirectory, GameFileOf(GameFile::StringTable, mission).path);
        installed = std::all_of(mission.victoryTokens.begin(), mission.victoryTokens.end(),
                                [&](const CString& token)
                                { return std::find(tokens.begin(), tokens.end(), token) != tokens.end(); });
    }
    if (!installed)
        return std::nullopt;
    if (!record)
        return mission.missionFile + " is already in " + list +
               ", from an installation made before records were kept";
    return mission.missionName + " is already installed in this game (installation " +
           std::to_string(number) + ", " + ShownTime(*record) + ")";
}

std::string DamagedRecordsMessage(const std::string& path)
{
    return "The installation records cannot be read: " + path +
           " is cut short, of an unknown version or fails its checksum.";
}

std::vector<GameFinding> CheckInstallationAndHistory(IFileSystem& fileSystem,
                                                     const std::string& gameDirectory,
                                                     const CMissionDefinition& mission,
                                                     const std::string& againAdvice)
{
    std::vector<GameFinding> findings = CheckInstallation(fileSystem, gameDirectory, mission);
    // Only a game whose folder and mission passed has records worth reading.
    if (mission.Check() || UnusableGameDirectoryMessage(gameDirectory, mission) ||
        !fileSystem.GetStatus(gameDirectory + "Korvex.exe"))
        return findings;
    const InstallationHistory history = ReadInstallationHistory(fileSystem, gameDirectory);
    std::optional<std::string> problem;
    if (history.damaged)
        problem = DamagedRecordsMessage(*history.damaged);
    else if (const auto installed = AlreadyInstalled(fileSystem, gameDirectory, mission, history))
        problem = *installed + "; " + againAdvice;
    // What the checks cannot see the run finds: only a run that would complete is no problem.
    if (!problem && !FirstProblem(findings))
    {
        const InstallationPreview preview = PreviewInstallation(fileSystem, gameDirectory, mission);
        if (preview.outcome != RunOutcome::Completed)
            problem = preview.failure;
    }
    if (problem)
        findings.insert(findings.begin(), {GameFinding::Kind::Problem, *problem});
    return findings;
}
