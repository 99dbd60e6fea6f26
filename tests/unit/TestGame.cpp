#include "TestGame.h"

#include <algorithm>

namespace fs = std::filesystem;

// A copy of the sample game, whose files suit every edit; tests change what they need.
CTestGame::CTestGame()
{
    fs::copy(fs::path(KX_SAMPLE_DIR) / "game", folder.Path(), fs::copy_options::recursive);
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

std::map<std::string, std::string> GameFilesIn(const fs::path& folder)
{
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
    {
        const std::string relative = fs::relative(entry.path(), folder).generic_string();
        if (entry.is_regular_file() && relative.rfind("data/Backup", 0) != 0 &&
            relative.rfind("kxinstall.log", 0) != 0)
            files[relative] = ReadBytes(entry.path());
    }
    return files;
}

std::vector<std::string> CTestGame::BackupFolder() const
{
    std::vector<std::string> held;
    if (fs::exists(Path("data/Backup")))
        for (const auto& entry : fs::recursive_directory_iterator(Path("data/Backup")))
            held.push_back(fs::relative(entry.path(), Path("data/Backup")).generic_string());
    std::sort(held.begin(), held.end());
    return held;
}

RunOutcome CTestGame::Install(const CMissionDefinition& mission, IInstallFrontEnd& frontEnd,
                              IFileSystem& fileSystem) const
{
    CInstallationRun run(fileSystem, frontEnd, Directory(), mission, LogPath());
    return run.RunInstallation();
}

CMissionDefinition CTestGame::Mission()
{
    CMissionDefinition mission;
    mission.missionName = "Test Run";
    mission.timeDateStamp = "0400 hrs";
    mission.tutorialGroup = "Night Operations";
    mission.missionFile = "Harbor01.mis";
    mission.briefingFile = "Harbor01.brf";
    mission.intelFile = "Harbor01.int";
    mission.splashFile = "Harbor01.spl";
    // One name for each item of the sample intel file.
    mission.intelEntries = {"Patrol routes", "Dock roster"};
    return mission;
}
