#include "TestGame.h"

namespace fs = std::filesystem;

CTestGame::CTestGame()
{
    Write("Korvex.exe", "not a real game");
    Write("data/mission/mission.lst", "2\r\n// missions\r\nm1.mis\r\n");
    Write("data/mission/MPMission.lst", "1\r\nmp.mis\r\n");
    Write("data/text/briefing/english/missionnames.txt", "2\r\nOne\r\nTwo\r\n");
    Write("data/text/intel/english/intelnames.txt", "1\r\nMap\r\n");
    Write("data/text/interface/english/tutorial_groupings.txt", "1\r\n\"Basics\"\r\n");
    Write("data/text/interface/english/kx_string_table.txt", "OVERLAY_SUCCESS \"Success\"\r\n");
    Write("data/text/briefing/Test01.brf", "0\r\nBriefing\r\n");
    Write("data/text/intel/Test01.int", "1 Item\r\n");
    Write("data/texture/sherman.cxp", "Material wall\r\nEnd\r\n");
}

std::string CTestGame::Directory() const
{
#ifdef _WIN32
    return folder.Path().string() + "\\";
#else
    return folder.Path().string() + "/";
#endif
}

void CTestGame::Write(const std::string& relative, const std::string& bytes) const
{
    fs::create_directories(Path(relative).parent_path());
    WriteBytes(Path(relative), bytes);
}

std::map<std::string, std::string> CTestGame::GameFiles() const
{
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder.Path()))
    {
        const std::string relative = fs::relative(entry.path(), folder.Path()).generic_string();
        if (entry.is_regular_file() && relative.rfind("data/Backup", 0) != 0 && relative != "kxinstall.log")
            files[relative] = ReadBytes(entry.path());
    }
    return files;
}

CMissionDefinition CTestGame::Mission()
{
    CMissionDefinition mission;
    mission.missionName = "Test Run";
    mission.timeDateStamp = "0400 hrs";
    mission.tutorialGroup = "Basics";
    mission.missionFile = "Test01.mis";
    mission.briefingFile = "Test01.brf";
    mission.intelFile = "Test01.int";
    mission.splashFile = "Test01.spl";
    return mission;
}
