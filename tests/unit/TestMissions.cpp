#include "TestMissions.h"

#include "FileSystem.h"
#include "MissionFile.h"

#include <filesystem>
#include <gtest/gtest.h>

CMissionDefinition FilledMission()
{
    CMissionDefinition mission;
    mission.missionName = "Caf\xE9 Raid \x81\x8D\x8F\x90\x9D";
    mission.timeDateStamp = "2300 hrs \x96 Port Veldt";
    mission.tutorialGroup = "Night Operations";
    mission.missionFile = "Cafe01.mis";
    mission.briefingFile = "Cafe01.brf";
    mission.intelFile = "Cafe01.int";
    mission.splashFile = "Cafe01.spl";
    mission.duskreachTraining = 1;
    mission.reconKit = "Recon01.kit";
    mission.assaultKit = "Assault01.kit";
    mission.demolitionsKit = "Demolitions01.kit";
    mission.electronicsKit = "Electronics \xE9.kit";
    mission.multiplayer = 1;
    mission.AddIntelEntry("Caf\xE9 floor plan");
    mission.AddIntelEntry("Guard roster");
    mission.AddToken("CAFE_CLEARED");
    mission.SetDescription(0, "Clear the caf\xE9");
    mission.AddToken("VAN_TAKEN");
    mission.SetDescription(1, "Take the van");

    mission.AddMaterial("neon");
    mission.SetTransparencyFlag(0, true);
    mission.SetColorkeyRed(0, "255");
    mission.SetColorkeyGreen(0, "128");
    mission.SetColorkeyBlue(0, "64");
    mission.SetScrollFlag(0, true);
    mission.SetScrollX(0, "0.25");
    mission.SetScrollY(0, "-0.5");
    mission.SetScrollZ(0, "1");
    mission.SetAnimationFlag(0, true);
    mission.SetAnimationMode(0, 1);
    mission.SetAnimationInterval(0, "150");
    mission.AddTexture(0, "neon1.bmp");
    mission.AddTexture(0, "neon2.bmp");
    mission.AddMaterial("bare");
    mission.AddMaterial("water");
    mission.SetScrollFlag(2, true);
    mission.SetScrollX(2, "2");
    mission.SetScrollY(2, "0.75");
    mission.SetScrollZ(2, ".5");
    mission.AddTexture(2, "water.bmp");
    return mission;
}

CMissionDefinition FilledSinglePlayerMission()
{
    CMissionDefinition mission = FilledMission();
    mission.multiplayer = 0;
    return mission;
}

CMissionDefinition SampleMission(const std::string& fileName)
{
    CMissionDefinition mission;
    const std::string path = (std::filesystem::path(KX_SAMPLE_DIR) / "missions" / fileName).string();
    EXPECT_TRUE(LoadMissionFile(NativeFileSystem(), path, mission).Ok()) << path;
    return mission;
}
