#include "MissionJson.h"
#include "MissionFile.h"
#include "TestMissions.h"

#include <gtest/gtest.h>

namespace
{

std::string JsonError(const std::string& json)
{
    try
    {
        MissionFromJson(json);
    }
    catch (const CMissionJsonError& error)
    {
        return error.what();
    }
    return "(no error)";
}

} // namespace

TEST(MissionJson, RoundTripGivesBackTheSameMissionFileBytes)
{
    for (const CMissionDefinition& mission : {CMissionDefinition(), FilledMission()})
    {
        const CMissionDefinition back = MissionFromJson(MissionToJson(mission));
        EXPECT_EQ(back, mission);
        EXPECT_EQ(EncodeMission(back), EncodeMission(mission));
    }
}

TEST(MissionJson, TextsAreUtf8ReadAsWindows1252)
{
    const std::string json = MissionToJson(FilledMission());
    EXPECT_NE(json.find("\"Caf\xC3\xA9 Raid \xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D\""), std::string::npos);
    EXPECT_NE(json.find("\"2300 hrs \xE2\x80\x93 Port Veldt\""), std::string::npos);
}

TEST(MissionJson, WritesMaterialsNestedWithTheirEffectsAndTextures)
{
    CMissionDefinition mission;
    mission.multiplayer = 1;
    mission.AddToken("T");
    mission.SetDescription(0, "Win");
    mission.AddMaterial("lava");
    mission.SetColorkeyGreen(0, "7");
    mission.SetScrollFlag(0, true);
    mission.SetAnimationMode(0, 1);
    mission.AddTexture(0, "lava.bmp");
    EXPECT_EQ(MissionToJson(mission), R"({
  "missionName": "",
  "timeDateStamp": "",
  "tutorialGroup": "",
  "files": {
    "mission": "",
    "briefing": "",
    "intel": "",
    "splash": ""
  },
  "duskreachTraining": false,
  "multiplayer": true,
  "kits": {
    "recon": "",
    "assault": "",
    "demolitions": "",
    "electronics": ""
  },
  "intelEntries": [],
  "victoryConditions": [
    {
      "token": "T",
      "description": "Win"
    }
  ],
  "materials": [
    {
      "name": "lava",
      "colorkey": {
        "enabled": false,
        "red": "",
        "green": "7",
        "blue": ""
      },
      "scroll": {
        "enabled": true,
        "x": "",
        "y": "",
        "z": ""
      },
      "animation": {
        "enabled": false,
        "mode": "oscillated",
        "interval": ""
      },
      "textures": [
        "lava.bmp"
      ]
    }
  ]
}
)");
}

TEST(MissionJson, MissingKeysTakeTheDefaultsAndTexturesFollowTheirMaterial)
{
    EXPECT_EQ(MissionFromJson("{}"), CMissionDefinition());

    const CMissionDefinition mission = MissionFromJson(R"({"materials": [
        {"name": "a", "textures": ["a1", "a2"]}, {}, {"textures": ["c1"]}, {"name": "d"}]})");
    CMissionDefinition expected;
    expected.AddMaterial("a");
    expected.AddMaterial("");
    expected.AddMaterial("");
    expected.AddMaterial("d");
    expected.AddTexture(0, "a1");
    expected.AddTexture(0, "a2");
    expected.AddTexture(2, "c1");
    EXPECT_EQ(mission, expected);
    EXPECT_EQ(mission.textureStarts, (CIntArray{0, 2, 2, 3}));
}

TEST(MissionJson, RejectsJsonThatDescribesNoMissionWithOneLine)
{
    const std::pair<const char*, const char*> cases[] = {
        {"{\"missionName\": ", "parse error at line 1"},
        {"[]", "the top level must be an object, not an array"},
        {R"({"missionName": 5})", "missionName must be a string, not 5"},
        {R"({"files": {"mision": "a.mis"}})", "unknown key \"files.mision\""},
        {R"({"materials": [{"colorkey": {"alpha": "1"}}]})", "unknown key \"materials[0].colorkey.alpha\""},
        {R"({"materials": [{"colorkey": {"enabled": "1"}}]})",
         "materials[0].colorkey.enabled must be true or false, not \"1\""},
        {R"({"multiplayer": 1})", "multiplayer must be true or false, not 1"},
        {R"({"materials": [{}, {"animation": {"mode": "loop"}}]})",
         "materials[1].animation.mode must be \"cycle\" or \"oscillated\", not \"loop\""},
        {R"({"intelEntries": "map"})", "intelEntries must be an array, not \"map\""},
        {R"({"victoryConditions": [{"token": null}]})",
         "victoryConditions[0].token must be a string, not null"},
        {R"({"kits": {"recon": "a", "recon": "b"}})", "repeated key \"recon\""},
        {R"({"missionName": "\u4e00"})", "missionName holds a character that Windows-1252 lacks"},
        {R"({"intelEntries": ["a\nb"]})", "intelEntries[0] must not hold a line break"},
    };
    for (const auto& [json, message] : cases)
    {
        const std::string error = JsonError(json);
        EXPECT_NE(error.find(message), std::string::npos) << json << " gave: " << error;
        EXPECT_EQ(error.find('\n'), std::string::npos) << error;
    }
}

TEST(MissionJson, RefusesRecordsThatTheJsonFormCannotHold)
{
    auto flagTwo = FilledMission();
    flagTwo.transparencyFlags[1] = '2';
    auto modeTwo = FilledMission();
    modeTwo.animationModes[0] = '2';
    auto duskreachFive = FilledMission();
    duskreachFive.duskreachTraining = 5;
    auto orphanTexture = CMissionDefinition();
    orphanTexture.textures.push_back("lost.bmp");
    auto missingDescription = FilledMission();
    missingDescription.victoryDescriptions.clear();

    EXPECT_THROW(MissionToJson(flagTwo), CMissionJsonError);
    EXPECT_THROW(MissionToJson(modeTwo), CMissionJsonError);
    EXPECT_THROW(MissionToJson(duskreachFive), CMissionJsonError);
    EXPECT_THROW(MissionToJson(orphanTexture), CMissionJsonError);
    EXPECT_THROW(MissionToJson(missingDescription), CMissionJsonError);
    try
    {
        MissionToJson(flagTwo);
    }
    catch (const CMissionJsonError& error)
    {
        EXPECT_STREQ(error.what(),
                     "materials[1].colorkey.enabled holds \"2\", which is neither \"0\" nor \"1\"");
    }
}
