#include "MissionDefinition.h"
#include "TestMissions.h"

#include <gtest/gtest.h>

#include <functional>

namespace
{

// FilledMission's materials: 0 "neon" with every effect on and textures neon1.bmp, neon2.bmp; 1 "bare" with
// nothing; 2 "water" scrolling, with texture water.bmp.
struct RuleCase
{
    const char* mistake;
    std::function<void(CMissionDefinition&)> make;
    // Empty: the mission passes, the neighbour of a refused case.
    const char* message;
};

const RuleCase kCases[] = {
    {"a quote in the mission name", [](auto& m) { m.missionName = "Har\"bor"; },
     "The mission name contains a double quote, which the game's files cannot hold."},
    {"an apostrophe in the mission name", [](auto& m) { m.missionName = "Harbor's"; }, ""},
    {"a tab in the time/date stamp", [](auto& m) { m.timeDateStamp = "0400\thrs"; },
     "The time/date stamp contains a tab, which the game's files cannot hold."},
    {"the tutorial group in quotes", [](auto& m) { m.tutorialGroup = "\"Night Operations\""; },
     "The tutorial group contains a double quote, which the game's files cannot hold."},
    {"a line feed in a kit file", [](auto& m) { m.electronicsKit = "e\n.kit"; },
     "The electronics kit file contains a control character, which the game's files cannot hold."},
    {"a control character in an intel entry", [](auto& m) { m.intelEntries[1] = "Guard\x01roster"; },
     "The intel entry Guard\x01roster contains a control character, which the game's files cannot hold."},
    {"an empty intel entry", [](auto& m) { m.AddIntelEntry(""); }, "Intel entry 3 is empty."},
    {"an empty victory token", [](auto& m) { m.AddToken(""); }, "Victory token 3 is empty."},
    {"a blank in a victory token", [](auto& m) { m.victoryTokens[0] = "CAFE CLEARED"; },
     "The victory token CAFE CLEARED contains a blank; a token is one word."},
    {"a victory token twice", [](auto& m) { m.AddToken("VAN_TAKEN"); },
     "The victory token VAN_TAKEN is listed twice."},
    {"a quote in a description", [](auto& m) { m.SetDescription(1, "Take \"the\" van"); },
     "The description of VAN_TAKEN contains a double quote, which the game's files cannot hold."},
    {"/* in the mission name", [](auto& m) { m.missionName = "Harbor /* night"; },
     "The mission name contains /*, which the game's files take for the start of a comment."},
    {"/ * in the mission name", [](auto& m) { m.missionName = "Harbor / * night"; }, ""},
    {"// leading the mission name", [](auto& m) { m.missionName = "// Harbor"; }, ""},
    {"/* in the time/date stamp", [](auto& m) { m.timeDateStamp = "0400/*hrs"; },
     "The time/date stamp contains /*, which the game's files take for the start of a comment."},
    {"*/ in the time/date stamp", [](auto& m) { m.timeDateStamp = "0400 hrs */"; }, ""},
    {"/* in the tutorial group", [](auto& m) { m.tutorialGroup = "/*Night"; },
     "The tutorial group contains /*, which the game's files take for the start of a comment."},
    {"// leading the tutorial group", [](auto& m) { m.tutorialGroup = "//Night"; }, ""},
    {"/* in an intel entry", [](auto& m) { m.intelEntries[1] = "Guard /* roster"; },
     "The intel entry Guard /* roster contains /*, which the game's files take for the start of a comment."},
    {"an intel entry ending in /", [](auto& m) { m.intelEntries[1] = "Guard roster/"; }, ""},
    {"/* in a victory token", [](auto& m) { m.victoryTokens[0] = "CAFE/*CLEARED"; },
     "The victory token CAFE/*CLEARED contains /*, which the game's files take for the start of a comment."},
    {"// leading a victory token", [](auto& m) { m.victoryTokens[0] = "//CAFE_CLEARED"; },
     "The victory token //CAFE_CLEARED begins with //, which the game's files take for the start of a "
     "comment."},
    {"// inside a victory token", [](auto& m) { m.victoryTokens[0] = "CAFE//CLEARED"; }, ""},
    {"a victory token of / and *", [](auto& m) { m.victoryTokens[0] = "/CAFE*/"; }, ""},
    {"/* in a description", [](auto& m) { m.SetDescription(1, "Take the van /* fast"); },
     "The description of VAN_TAKEN contains /*, which the game's files take for the start of a comment."},
    {"// in a description", [](auto& m) { m.SetDescription(1, "// Take the van // fast"); }, ""},
    {"a material without a name", [](auto& m) { m.materialNames[1] = ""; }, "Material 2 has no name."},
    {"a blank in a material name", [](auto& m) { m.materialNames[1] = "bare wall"; },
     "The material name bare wall must be one word, without blanks or a comment start."},
    {"a comment in a material name", [](auto& m) { m.materialNames[1] = "bare//x"; },
     "The material name bare//x must be one word, without blanks or a comment start."},
    {"a material named End", [](auto& m) { m.materialNames[1] = "end"; },
     "The material name end is a keyword of the material file."},
    {"a material named Endless", [](auto& m) { m.materialNames[1] = "Endless"; }, ""},
    {"a material twice", [](auto& m) { m.materialNames[2] = "neon"; }, "The material neon is listed twice."},
    {"colorkey 2555", [](auto& m) { m.colorkeyRed[0] = "2555"; },
     "The colorkey red value of material neon must be a number from 0 to 255."},
    {"colorkey 256", [](auto& m) { m.colorkeyGreen[0] = "256"; },
     "The colorkey green value of material neon must be a number from 0 to 255."},
    {"colorkey abc", [](auto& m) { m.colorkeyBlue[0] = "abc"; },
     "The colorkey blue value of material neon must be a number from 0 to 255."},
    {"an empty colorkey", [](auto& m) { m.colorkeyBlue[0] = ""; },
     "The colorkey blue value of material neon must be a number from 0 to 255."},
    {"an empty colorkey, effect off", [](auto& m) { m.colorkeyRed[2] = ""; }, ""},
    {"colorkey +12", [](auto& m) { m.colorkeyRed[0] = "+12"; },
     "The colorkey red value of material neon must be a number from 0 to 255."},
    {"colorkey 255", [](auto& m) { m.colorkeyRed[0] = "255"; }, ""},
    {"scroll 1,5", [](auto& m) { m.scrollY[0] = "1,5"; },
     "The scroll Y value of material neon must be a decimal number."},
    {"scroll -.25", [](auto& m) { m.scrollY[0] = "-.25"; }, ""},
    {"scroll +7.", [](auto& m) { m.scrollZ[0] = "+7."; }, ""},
    {"scroll .", [](auto& m) { m.scrollX[0] = "."; },
     "The scroll X value of material neon must be a decimal number."},
    {"scroll 1.2.3", [](auto& m) { m.scrollX[0] = "1.2.3"; },
     "The scroll X value of material neon must be a decimal number."},
    {"scroll -", [](auto& m) { m.scrollX[0] = "-"; },
     "The scroll X value of material neon must be a decimal number."},
    {"animation interval 1e3", [](auto& m) { m.animationIntervals[0] = "1e3"; },
     "The animation interval of material neon must be a whole number."},
    {"an empty animation interval", [](auto& m) { m.animationIntervals[0] = ""; },
     "The animation interval of material neon must be a whole number."},
    {"a texture with a blank", [](auto& m) { m.textures[1] = "neon 2.bmp"; },
     "The texture name neon 2.bmp of material neon must be one word."},
    {"a texture with a blank, animation off", [](auto& m) { m.textures[2] = "water 1.bmp"; }, ""},
};

TEST(MissionRules, EachMistakeIsRefusedWithOneMessageNamingItsField)
{
    ASSERT_FALSE(FilledMission().RuleMessage());
    for (const RuleCase& c : kCases)
    {
        SCOPED_TRACE(c.mistake);
        CMissionDefinition mission = FilledSinglePlayerMission();
        c.make(mission);
        if (*c.message == '\0')
        {
            EXPECT_FALSE(mission.Check());
            continue;
        }
        EXPECT_EQ(mission.RuleMessage(), c.message);
        EXPECT_EQ(mission.Check(), c.message);
        mission.multiplayer = 1;
        EXPECT_EQ(mission.Check(), c.message) << "a multiplayer mission writes these files too";
    }
}

TEST(MissionRules, TheSeedsChecksComeFirstAndKeepTheirMessages)
{
    CMissionDefinition mission = FilledSinglePlayerMission();
    mission.missionName = "Har\"bor";
    mission.splashFile.clear();
    EXPECT_EQ(mission.Check(), kFillInAllInformation);
    EXPECT_EQ(mission.FirstEmptyField(), "splash (*.spl) file");
    mission.briefingFile = "b?.brf";
    EXPECT_EQ(mission.Check(), "The briefing (*.brf) file contains the illegal character ?.");
    mission.briefingFile = "CON.brf";
    EXPECT_EQ(mission.Check(), kFillInAllInformation);
    mission.splashFile = "s.spl";
    EXPECT_EQ(mission.Check(), "The file name CON.brf cannot be used for a file in the game's folders.");
}

} // namespace
