#include "MissionDefinition.h"
#include "TestMissions.h"

#include <gtest/gtest.h>

namespace
{

TEST(ValidateTest, CompletenessAndTheMultiplayerShortcut)
{
    CMissionDefinition mission;
    EXPECT_EQ(mission.Validate(), "Please fill in all information.");
    mission.multiplayer = 1;
    EXPECT_EQ(mission.Validate(), std::nullopt);

    CMissionDefinition withoutKits = FilledSinglePlayerMission();
    EXPECT_EQ(withoutKits.Validate(), std::nullopt);
    withoutKits.reconKit.clear();
    withoutKits.assaultKit.clear();
    withoutKits.demolitionsKit.clear();
    withoutKits.electronicsKit.clear();
    EXPECT_EQ(withoutKits.Validate(), std::nullopt) << "kit files are never required";
    for (CString CMissionDefinition::*field :
         {&CMissionDefinition::missionName, &CMissionDefinition::timeDateStamp,
          &CMissionDefinition::tutorialGroup, &CMissionDefinition::missionFile,
          &CMissionDefinition::briefingFile, &CMissionDefinition::intelFile, &CMissionDefinition::splashFile})
    {
        CMissionDefinition incomplete = FilledSinglePlayerMission();
        incomplete.*field = "";
        EXPECT_EQ(incomplete.Validate(), "Please fill in all information.");
        incomplete.*field = " ";
        EXPECT_EQ(incomplete.Validate(), std::nullopt) << "a text of blanks counts as filled";
    }
}

TEST(ValidateTest, IllegalCharactersComeFirstInFieldOrder)
{
    CMissionDefinition mission;
    mission.multiplayer = 1;
    mission.missionFile = "a:b";
    EXPECT_EQ(mission.Validate(), "The mission (*.mis) file contains the illegal character :.");

    mission.missionFile = "a?b*c";
    EXPECT_EQ(mission.Validate(), "The mission (*.mis) file contains the illegal character ?.");

    mission = FilledSinglePlayerMission();
    mission.briefingFile = "x|y";
    mission.reconKit = "r<";
    EXPECT_EQ(mission.Validate(), "The briefing (*.brf) file contains the illegal character |.");

    const std::pair<CString CMissionDefinition::*, const char*> messages[] = {
        {&CMissionDefinition::intelFile, "The intel (*.int) file contains the illegla character \\."},
        {&CMissionDefinition::splashFile, "The splash (*.spl) file contains the illegal character \\."},
        {&CMissionDefinition::reconKit, "The recon kit file contains the illegal character \\."},
        {&CMissionDefinition::assaultKit, "The assault kit file contains the illegal character \\."},
        {&CMissionDefinition::demolitionsKit, "The demolitions kit file contains the illegal character \\."},
        {&CMissionDefinition::electronicsKit, "The electric kit file contains the illegal character \\."},
    };
    for (const auto& [field, message] : messages)
    {
        CMissionDefinition withIllegal;
        withIllegal.*field = "..\\x";
        EXPECT_EQ(withIllegal.Validate(), message);
        EXPECT_EQ(withIllegal.IllegalFileNameMessage(), message);
    }
    for (char c : CString("/\"*>"))
    {
        CMissionDefinition withIllegal = FilledSinglePlayerMission();
        withIllegal.splashFile = CString("s") + c;
        EXPECT_EQ(withIllegal.Validate(),
                  CString("The splash (*.spl) file contains the illegal character ") + c + ".");
    }
    EXPECT_EQ(FilledSinglePlayerMission().IllegalFileNameMessage(), std::nullopt);
}

TEST(NormaliseFileNameTest, AppendsTheExtensionUnlessItEndsTheText)
{
    EXPECT_EQ(NormaliseFileName("Alpha  ", ".mis", true), "Alpha.mis");
    EXPECT_EQ(NormaliseFileName("", ".mis", true), ".mis");
    EXPECT_EQ(NormaliseFileName("Alpha.MIS", ".mis", true), "Alpha.MIS.mis");
    EXPECT_EQ(NormaliseFileName("Alpha.mis", ".mis", true), "Alpha.mis");
    EXPECT_EQ(NormaliseFileName("Alpha.mis\t\r\n\v\f ", ".mis", true), "Alpha.mis");
    EXPECT_EQ(NormaliseFileName(" \t ", ".brf", true), ".brf");
    EXPECT_EQ(NormaliseFileName("Kit1 ", ".kit", false), "Kit1 .kit");
    EXPECT_EQ(NormaliseFileName("kit", ".kit", false), "kit.kit");
}

TEST(MissionListsTest, TokensKeepTheirDescriptions)
{
    CMissionDefinition mission;
    mission.AddToken("VC_A");
    mission.AddToken("VC_B");
    mission.AddToken("VC_C");
    mission.SetDescription(0, "first");
    mission.SetDescription(2, "third");
    mission.SetDescription(3, "ignored");
    mission.RemoveToken(1);
    mission.RemoveToken(5);
    EXPECT_EQ(mission.victoryTokens, (CStringArray{"VC_A", "VC_C"}));
    EXPECT_EQ(mission.victoryDescriptions, (CStringArray{"first", "third"}));

    mission.AddIntelEntry("one");
    mission.AddIntelEntry("two");
    mission.RemoveIntelEntry(-1);
    mission.RemoveIntelEntry(0);
    EXPECT_EQ(mission.intelEntries, (CStringArray{"two"}));
}

class MaterialTest : public ::testing::Test
{
protected:
    CMissionDefinition mission;

    // Three materials holding [a, b], [c], [d].
    void SetUp() override
    {
        mission.AddMaterial("m0");
        mission.AddTexture(0, "a");
        mission.AddTexture(0, "b");
        mission.AddMaterial("m1");
        mission.AddTexture(1, "c");
        mission.AddMaterial("m2");
        mission.AddTexture(2, "d");
    }
};

TEST_F(MaterialTest, NewMaterialsStartEmptyAtTheEndOfTheTextures)
{
    EXPECT_EQ(mission.textures, (CStringArray{"a", "b", "c", "d"}));
    EXPECT_EQ(mission.textureStarts, (CIntArray{0, 2, 3}));
    mission.AddTexture(2, "e");
    mission.AddMaterial("m3");
    EXPECT_EQ(mission.textureStarts.back(), 5);
    EXPECT_EQ(mission.TexturesOf(3), (std::pair{5, 5}));
    EXPECT_EQ(mission.colorkeyRed.back(), "");
    EXPECT_EQ(mission.scrollZ.back(), "");
    EXPECT_EQ(mission.animationIntervals.back(), "");
    EXPECT_EQ(mission.transparencyFlags.back(), "0");
    EXPECT_EQ(mission.scrollFlags.back(), "0");
    EXPECT_EQ(mission.animationFlags.back(), "0");
    EXPECT_EQ(mission.animationModes.back(), "0");
    EXPECT_TRUE(mission.ListsConsistent());
}

TEST_F(MaterialTest, TextureBookkeepingAcrossMaterials)
{
    mission.AddTexture(0, "n");
    EXPECT_EQ(mission.textures, (CStringArray{"a", "b", "n", "c", "d"}));
    EXPECT_EQ(mission.textureStarts, (CIntArray{0, 3, 4}));
    mission.AddTexture(1, "m");
    EXPECT_EQ(mission.textures, (CStringArray{"a", "b", "n", "c", "m", "d"}));
    EXPECT_EQ(mission.textureStarts, (CIntArray{0, 3, 5}));

    mission.RemoveMaterial(0);
    EXPECT_EQ(mission.textures, (CStringArray{"c", "m", "d"}));
    EXPECT_EQ(mission.textureStarts, (CIntArray{0, 2}));
    EXPECT_EQ(mission.materialNames, (CStringArray{"m1", "m2"}));
    EXPECT_TRUE(mission.ListsConsistent());

    mission.RemoveTexture(0, 1);
    EXPECT_EQ(mission.textures, (CStringArray{"c", "d"}));
    EXPECT_EQ(mission.textureStarts, (CIntArray{0, 1}));
    mission.RemoveTexture(0, 1) /* past its own textures */;
    mission.RemoveTexture(1, -1);
    mission.RemoveTexture(7, 0);
    EXPECT_EQ(mission.textures, (CStringArray{"c", "d"}));
    mission.RemoveTexture(1, 0);
    EXPECT_EQ(mission.TexturesOf(1), (std::pair{1, 1}));
    EXPECT_TRUE(mission.ListsConsistent());
}

TEST_F(MaterialTest, SettersReplaceOneMaterialsEntry)
{
    mission.SetColorkeyRed(1, "10");
    mission.SetColorkeyGreen(1, "20");
    mission.SetColorkeyBlue(1, "30");
    mission.SetScrollX(2, "0.5");
    mission.SetScrollY(2, "-1");
    mission.SetScrollZ(2, "0");
    mission.SetAnimationInterval(0, "250");
    mission.SetTransparencyFlag(1, true);
    mission.SetScrollFlag(2, true);
    mission.SetAnimationFlag(0, true);
    mission.SetAnimationMode(0, 1);
    mission.SetColorkeyRed(3, "ignored");
    EXPECT_EQ(mission.colorkeyRed, (CStringArray{"", "10", ""}));
    EXPECT_EQ(mission.colorkeyGreen[1], "20");
    EXPECT_EQ(mission.colorkeyBlue[1], "30");
    EXPECT_EQ(mission.scrollX[2], "0.5");
    EXPECT_EQ(mission.scrollY[2], "-1");
    EXPECT_EQ(mission.scrollZ[2], "0");
    EXPECT_EQ(mission.animationIntervals[0], "250");
    EXPECT_EQ(mission.transparencyFlags, (CStringArray{"0", "1", "0"}));
    EXPECT_EQ(mission.scrollFlags, (CStringArray{"0", "0", "1"}));
    EXPECT_EQ(mission.animationFlags, (CStringArray{"1", "0", "0"}));
    EXPECT_EQ(mission.animationModes, (CStringArray{"1", "0", "0"}));
    mission.SetTransparencyFlag(1, false);
    mission.SetAnimationMode(0, 0);
    EXPECT_EQ(mission.transparencyFlags[1], "0");
    EXPECT_EQ(mission.animationModes[0], "0");
}

TEST_F(MaterialTest, ListsConsistentCatchesBrokenInvariants)
{
    CMissionDefinition broken = mission;
    broken.scrollY.pop_back();
    EXPECT_FALSE(broken.ListsConsistent());
    broken = mission;
    broken.textureStarts = {1, 2, 3};
    EXPECT_FALSE(broken.ListsConsistent()) << "starts must begin at 0";
    broken.textureStarts = {0, 3, 2};
    EXPECT_FALSE(broken.ListsConsistent()) << "starts must not decrease";
    broken.textureStarts = {0, 2, 5};
    EXPECT_FALSE(broken.ListsConsistent()) << "starts must stay inside textures";
    broken = mission;
    broken.victoryTokens.push_back("VC");
    EXPECT_FALSE(broken.ListsConsistent());
    broken = CMissionDefinition{};
    broken.textures.push_back("orphan");
    EXPECT_FALSE(broken.ListsConsistent()) << "textures without a material";

    CMissionDefinition copy = mission;
    copy.RemoveMaterial(1);
    EXPECT_EQ(mission.MaterialCount(), 3) << "copies share nothing";
    copy.ClearLists();
    EXPECT_EQ(copy, CMissionDefinition{});
}

} // namespace
