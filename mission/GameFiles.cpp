#include "GameFiles.h"

namespace
{

constexpr char kBriefingFolder[] = "data\\text\\briefing\\";
constexpr char kIntelFolder[] = "data\\text\\intel\\";
constexpr char kInterfaceFolder[] = "data\\text\\interface\\english\\";

GameFileEntry Shared(std::string folder, std::string name, std::string backupName, std::string listedAs)
{
    return {folder + name, std::move(backupName), std::move(listedAs), false};
}

} // namespace

GameFileEntry GameFileOf(GameFile file, const CMissionDefinition& mission)
{
    switch (file)
    {
    case GameFile::MissionList:
    {
        // files.txt names it mission.lst also when it is the Duskreach Training list.
        const std::string name = mission.duskreachTraining == 1 ? "MPMission.lst" : "mission.lst";
        return Shared(kMissionFolder, name, name, "mission.lst");
    }
    case GameFile::MissionNames:
        return Shared(std::string(kBriefingFolder) + "english\\", "missionnames.txt", "missionnames.txt",
                      "missionnames.txt");
    case GameFile::IntelNames:
        return Shared(std::string(kIntelFolder) + "english\\", "intelnames.txt", "intelnames.txt",
                      "intelnames.txt");
    case GameFile::TutorialGroupings:
        return Shared(kInterfaceFolder, "tutorial_groupings.txt", "tutorial_groupings.txt",
                      "tutorial_groupings.txt");
    case GameFile::StringTable:
        return Shared(kInterfaceFolder, "kx_string_table.txt", "kx_string_table.txt", "kx_string_table.txt");
    case GameFile::Briefing:
        return {kBriefingFolder + mission.briefingFile, mission.briefingFile, mission.briefingFile, true};
    case GameFile::Intel:
        return {kIntelFolder + mission.intelFile, mission.intelFile, mission.intelFile, true};
    case GameFile::MaterialFile:
        break;
    }
    return Shared("data\\texture\\", "sherman.cxp", "Sherman.cxp", "sherman.cxp");
}

std::string FolderOf(const std::string& path)
{
    return path.substr(0, path.rfind('\\') + 1);
}
