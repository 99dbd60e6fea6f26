#include "InstallationRun.h"
#include "LineBounds.h"
#include "MemoryFileSystem.h"
#include "MissionDefinition.h"
#include "RecordingFrontEnd.h"
#include "TestMissions.h"

#include <gtest/gtest.h>

#include <algorithm>
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
    {"scroll .", [](auto& m) { m.scrollX[0] = '.'; },
     "The scroll X value of material neon must be a decimal number."},
    {"scroll 1.2.3", [](auto& m) { m.scrollX[0] = "1.2.3"; },
     "The scroll X value of material neon must be a decimal number."},
    {"scroll -", [](auto& m) { m.scrollX[0] = '-'; },
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

// The lines of a file's bytes on disk, without their line breaks.
std::vector<std::string> LinesOf(const std::string& bytes)
{
    std::vector<std::string> lines;
    for (std::size_t start = 0;;)
    {
        const std::size_t end = bytes.find("\r\n", start);
        lines.push_back(bytes.substr(start, end - start));
        if (end == std::string::npos)
            return lines;
        start = end + 2;
    }
}

struct LineDiff
{
    std::vector<std::string> added;
    std::vector<std::string> removed;
};

// The lines outside a longest common subsequence of the two files' lines.
LineDiff Diff(const std::vector<std::string>& before, const std::vector<std::string>& after)
{
    const std::size_t n = before.size();
    const std::size_t m = after.size();
    std::vector<std::vector<int>> common(n + 1, std::vector<int>(m + 1));
    for (std::size_t i = n; i-- > 0;)
        for (std::size_t j = m; j-- > 0;)
            common[i][j] = before[i] == after[j] ? common[i + 1][j + 1] + 1
                                                 : std::max(common[i + 1][j], common[i][j + 1]);
    LineDiff diff;
    for (std::size_t i = 0, j = 0; i < n || j < m;)
        if (i < n && j < m && before[i] == after[j])
            ++i, ++j;
        else if (j < m && (i == n || common[i][j + 1] >= common[i + 1][j]))
            diff.added.push_back(after[j++]);
        else
            diff.removed.push_back(before[i++]);
    return diff;
}

// How many entries the run's own entry search finds in a file of these bytes.
int EntriesIn(CMemoryFileSystem& memory, const std::string& bytes)
{
    const std::string path = "C:\\entries.txt";
    memory.Write(path, bytes);
    CTextFile file;
    EXPECT_TRUE(file.Open(memory, path, "r"));
    int entries = 0;
    while (NextEntry(file))
        ++entries;
    return entries;
}

int EntriesOfLinesAlone(CMemoryFileSystem& memory, const std::vector<std::string>& lines)
{
    int entries = 0;
    for (const std::string& line : lines)
        entries += EntriesIn(memory, line + "\r\n");
    return entries;
}

// FilledSinglePlayerMission with the briefing and intel files of Harbor01, whose intel file numbers two
// items: it installs into the sample game, through MPMission.lst and a material of each kind.
CMissionDefinition InstallableFilledMission()
{
    CMissionDefinition mission = FilledSinglePlayerMission();
    const CMissionDefinition harbor = SampleMission("Harbor01.kxm");
    mission.briefingFile = harbor.briefingFile;
    mission.intelFile = harbor.intelFile;
    return mission;
}

TEST(MissionRules, EveryLineTheRunWritesForAValidMissionIsOneEntryOrOneOfItsOwnComments)
{
    std::vector<std::pair<std::string, CMissionDefinition>> missions;
    for (const char* name : {"Harbor01.kxm", "Ridge02.kxm", "Glasshouse03.kxm", "MPFoundry.kxm"})
        missions.emplace_back(name, SampleMission(name));
    for (const RuleCase& c : kCases)
        if (*c.message == '\0')
        {
            CMissionDefinition mission = InstallableFilledMission();
            c.make(mission);
            missions.emplace_back(c.mistake, mission);
        }

    const std::string game = "C:\\Korvex\\";
    const CMemoryFileSystem pristine(std::filesystem::path(KX_SAMPLE_DIR) / "game", game);
    for (const auto& [what, mission] : missions)
    {
        SCOPED_TRACE(what);
        ASSERT_FALSE(mission.Check());
        CMemoryFileSystem memory = pristine;
        CRecordingFrontEnd frontEnd;
        ASSERT_EQ(CInstallationRun(memory, frontEnd, game, mission, "C:\\kxinstall.log").RunInstallation(),
                  RunOutcome::Completed);
        // The string table's header names the mission in comment lines, and a record ends in an empty line.
        const std::vector<std::string> ownComments = {"", "//", "//-- " + mission.missionName};
        const std::map<std::string, std::string> before = pristine.Files();
        int edited = 0;
        for (const auto& [path, bytes] : memory.Files())
        {
            const auto original = before.find(path);
            // The material file's comments follow rules of their own.
            if (original == before.end() || original->second == bytes || path.ends_with("sherman.cxp"))
                continue;
            SCOPED_TRACE(path);
            ++edited;
            const LineDiff diff = Diff(LinesOf(original->second), LinesOf(bytes));
            for (const std::string& line : diff.added)
            {
                const bool ownComment =
                    std::find(ownComments.begin(), ownComments.end(), line) != ownComments.end();
                EXPECT_EQ(EntriesIn(memory, line + "\r\n"), ownComment ? 0 : 1) << line;
            }
            EXPECT_EQ(EntriesIn(memory, bytes) - EntriesIn(memory, original->second),
                      EntriesOfLinesAlone(memory, diff.added) - EntriesOfLinesAlone(memory, diff.removed));
        }
        // The mission list, the names, the briefing, the intel names, the intel file and the string table.
        EXPECT_GE(edited, mission.multiplayer == 1 ? 1 : 6);
    }
}

} // namespace
