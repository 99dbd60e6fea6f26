#include "GameChecks.h"
#include "FaultInjectingFileSystem.h"
#include "FileReplace.h"
#include "InstallationRun.h"
#include "KxvuzRun.h"
#include "MemoryFileSystem.h"
#include "MissionFile.h"
#include "RecordingFrontEnd.h"
#include "TestMissions.h"

#include <gtest/gtest.h>

#include <functional>

namespace
{

const std::string kGame = "C:\\Korvex\\";
const std::string kBriefing = "data\\text\\briefing\\Glasshouse03.brf";
const std::string kIntel = "data\\text\\intel\\Glasshouse03.int";
const std::string kCxp = "data\\texture\\sherman.cxp";
const std::string kGroupings = "data\\text\\interface\\english\\tutorial_groupings.txt";
const std::string kNames = "data\\text\\briefing\\english\\missionnames.txt";
const std::string kIntelNames = "data\\text\\intel\\english\\intelnames.txt";
const std::string kTable = "data\\text\\interface\\english\\kx_string_table.txt";
const std::string kNeon = "Material gh_neon_sign\t\tcolorkey 0 0 0 End";
const std::string kOpenNeon = "Material gh_neon_sign\t\tcolorkey 0 0 0 ";
const std::string kOwn =
    " is not in the game's folders; the mission's own files go there before it is installed.";
const std::string kNeeded = " is not in the game's folders; the game needs it to play the mission.";
const std::string kTaken = "The victory token OVERLAY_SUCCESS is already in data\\text\\interface\\english\\"
                           "kx_string_table.txt with another text: \"Mission accomplished\".";
const std::string kNeonUnclosed =
    "The block of material gh_neon_sign in data\\texture\\sherman.cxp, line 61, has "
    "no End before the next Material line.";

std::string OpenComment(const std::string& path, int line)
{
    return "problem: The file " + path + " has a comment opened with /* on line " + std::to_string(line) +
           " that is never closed.";
}

// The sample game in memory, which holds every file of the sample missions.
class GameChecks : public ::testing::Test
{
protected:
    CMemoryFileSystem memory{std::filesystem::path(KX_SAMPLE_DIR) / "game", kGame};

    void Remove(const std::string& path)
    {
        EXPECT_TRUE(memory.GetStatus(kGame + path)) << path;
        memory.Remove(kGame + path);
    }
    void Replace(const std::string& path, const std::string& from, const std::string& to)
    {
        std::string bytes = ReadFileBytes(memory, kGame + path).value_or("");
        ASSERT_NE(bytes.find(from), std::string::npos) << from;
        memory.Write(kGame + path, bytes.replace(bytes.find(from), from.size(), to));
    }
    // A "/*" left open in each shared text file that the run walks: mission.lst and MPMission.lst on line
    // 637 and 181, tutorial_groupings.txt on 11, missionnames.txt on 8, intelnames.txt on 13 and
    // kx_string_table.txt on 10.
    void OpenCommentsInSharedFiles()
    {
        for (const char* list : {"data\\mission\\mission.lst", "data\\mission\\MPMission.lst"})
            Replace(list, "// Bonus missions", "/* Bonus missions");
        Replace(kGroupings, "\"Electronic Warfare\"", "\"Electronic Warfare\" /*");
        Replace(kNames, "\"Saltmarsh\"", "\"Salt /* marsh\"");
        Replace(kIntelNames, "\"Gate pass sample\"", "\"Gate pass /* sample\"");
        Replace(kTable, "\"Quit Korvex\"", "\"Quit /* Korvex\"");
    }
};

TEST_F(GameChecks, EachMismatchWithTheGameIsFoundAndItsNeighbourPasses)
{
    struct Case
    {
        const char* what;
        const char* mission;
        std::function<void(CMissionDefinition&)> prepare;
        std::vector<std::string> findings;
    };
    const Case cases[] = {
        {"no briefing",
         "Glasshouse03.kxm",
         [&](auto&) { Remove(kBriefing); },
         {"problem: The briefing file " + kBriefing + kOwn}},
        {"no intel file",
         "Glasshouse03.kxm",
         [&](auto&) { Remove(kIntel); },
         {"problem: The intel file " + kIntel + kOwn}},
        {"multiplayer, no briefing or intel",
         "MPFoundry.kxm",
         [&](auto&)
         {
             Remove("data\\text\\briefing\\MPFoundry.brf");
             Remove("data\\text\\intel\\MPFoundry.int");
         },
         {}},
        {"a token with another text",
         "Glasshouse03.kxm",
         [](auto& m) { m.victoryTokens[1] = "OVERLAY_SUCCESS"; },
         {"problem: " + kTaken}},
        {"a token with the same text",
         "Glasshouse03.kxm",
         [](auto& m)
         {
             m.victoryTokens[1] = "VC_CINDER_PASSES";
             m.victoryDescriptions[1] = "Steal a set of gate passes";
         },
         {"warning: The victory token VC_CINDER_PASSES is already in data\\text\\interface\\english\\"
          "kx_string_table.txt with the same text; the table will hold it twice."}},
        {"more intel items",
         "Glasshouse03.kxm",
         [&](auto&) { Replace(kIntel, "1\r\n107", "2\r\n108\r\n107"); },
         {"problem: The intel file " + kIntel +
          " numbers 4 items, more than the mission's 3 intel entries."}},
        {"fewer intel items",
         "Glasshouse03.kxm",
         [](auto& m) { m.AddIntelEntry("Roof"); },
         {"warning: The intel file " + kIntel +
          " numbers 3 items, fewer than the mission's 4 intel entries."}},
        {"an intel file cut short",
         "Glasshouse03.kxm",
         [&](auto&) { Replace(kIntel, "// recordings\r\n0", ""); },
         {"problem: The intel file " + kIntel +
          " cannot be read as four sections of items, each a count and then that many items."}},
        {"a block without End",
         "Glasshouse03.kxm",
         [&](auto&) { Replace(kCxp, kNeon, kOpenNeon); },
         {"problem: " + kNeonUnclosed}},
        {"End on the line of the last value",
         "Glasshouse03.kxm",
         [&](auto&) { Replace(kCxp, kNeon, "Material gh_neon_sign\t\t\r\n\tcolorkey 0 0 0 End"); },
         {}},
        {"a block to the end of the file",
         "Glasshouse03.kxm",
         [&](auto&)
         { Replace(kCxp, "// end of material file", "Material gh_glass_pane\t\tcolorkey 0 255 0"); },
         {"problem: The block of material gh_glass_pane in data\\texture\\sherman.cxp, line 78, has no End "
          "before the end of the file."}},
        {"a comment left open in every text file the run walks",
         "Glasshouse03.kxm",
         [&](auto&)
         {
             OpenCommentsInSharedFiles();
             Replace(kBriefing, "// end of briefing", "/* end of briefing");
             Replace(kIntel, "// end of intel", "/* end of intel");
         },
         {OpenComment("data\\mission\\mission.lst", 637), OpenComment(kGroupings, 11), OpenComment(kNames, 8),
          OpenComment(kBriefing, 14), OpenComment(kIntelNames, 13), OpenComment(kIntel, 20),
          OpenComment(kTable, 10)}},
        {"comments left open, a Duskreach mission",
         "Ridge02.kxm",
         [&](auto&) { OpenCommentsInSharedFiles(); },
         {OpenComment("data\\mission\\MPMission.lst", 181), OpenComment(kGroupings, 11),
          OpenComment(kNames, 8), OpenComment(kIntelNames, 13), OpenComment(kTable, 10)}},
        {"comments left open, a multiplayer mission",
         "MPFoundry.kxm",
         [&](auto&) { OpenCommentsInSharedFiles(); },
         {OpenComment(kTable, 10)}},
        {"a comment closed on a later line, and /* behind //",
         "Glasshouse03.kxm",
         [&](auto&)
         {
             Replace(kIntelNames, "\"Gate pass sample\"", "\"Gate pass /* sample\"\r\n*/");
             Replace(kNames, "\"Saltmarsh\"", "\"Saltmarsh\" // not /* a comment");
         },
         {}},
        {"no mission, splash or kit file; empty kit names",
         "Ridge02.kxm",
         [&](auto&)
         {
             for (const char* path : {"data\\mission\\Ridge02.mis", "data\\mission\\Ridge02.spl",
                                      "data\\kits\\Ridge02_recon.kit"})
                 Remove(path);
         },
         {"warning: The mission file data\\mission\\Ridge02.mis" + kNeeded,
          "warning: The splash file data\\mission\\Ridge02.spl" + kNeeded,
          "warning: The recon kit file data\\kits\\Ridge02_recon.kit" + kNeeded}},
    };
    const CMemoryFileSystem pristine = memory;
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        memory = pristine;
        CMissionDefinition mission = SampleMission(c.mission);
        c.prepare(mission);
        std::vector<std::string> findings;
        for (const GameFinding& finding : CheckAgainstGame(memory, kGame, mission))
            findings.push_back(FindingText(finding));
        EXPECT_EQ(findings, c.findings);
    }
}

TEST_F(GameChecks, BeforeAnInstallationTheMissionComesFirstThenTheFolderThenProblemsBeforeWarnings)
{
    const CMissionDefinition sample = SampleMission("Glasshouse03.kxm");
    CMissionDefinition twice = sample;
    twice.victoryTokens[1] = "VC_CINDER_PASSES";
    twice.victoryDescriptions[1] = "Steal a set of gate passes";
    CMissionDefinition unnamed = twice;
    unnamed.missionName.clear();
    const std::string twiceWarning = "warning: The victory token VC_CINDER_PASSES is already in " + kTable +
                                     " with the same text; the table will hold it twice.";
    const struct
    {
        const char* what;
        const CMissionDefinition& mission;
        std::function<void()> prepare;
        std::vector<std::string> findings;
    } cases[] = {
        {"an incomplete mission, whatever the game",
         unnamed,
         [&] { Remove("Korvex.exe"); },
         {std::string("problem: ") + kFillInAllInformation}},
        {"a folder without the game",
         twice,
         [&] { Remove("Korvex.exe"); },
         {"problem: Could not find Korvex.exe in the directory " + kGame + "."}},
        {"a warning found before a problem",
         twice,
         [&] { Replace(kCxp, kNeon, kOpenNeon); },
         {"problem: " + kNeonUnclosed, twiceWarning}},
        {"a clean mission", sample, [] {}, {}},
    };
    const CMemoryFileSystem pristine = memory;
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        memory = pristine;
        c.prepare();
        std::vector<std::string> findings;
        for (const GameFinding& finding : CheckInstallation(memory, kGame, c.mission))
            findings.push_back(FindingText(finding));
        EXPECT_EQ(findings, c.findings);
    }
}

TEST_F(GameChecks, AProblemStopsKxvuzInstallAndTheRunBeforeAnyChangeAndAWarningDoesNot)
{
    const std::string missionFile = "C:\\missions\\mission.kxm";
    ASSERT_TRUE(memory.CreateFolder("C:\\missions"));
    Remove("data\\mission\\Glasshouse03.spl");
    CMissionDefinition mission = SampleMission("Glasshouse03.kxm");
    mission.victoryTokens[1] = "OVERLAY_SUCCESS";
    memory.Write(missionFile, EncodeMission(mission));
    const std::string warning = "warning: The splash file data\\mission\\Glasshouse03.spl" + kNeeded + "\n";
    KxvuzResult result = Kxvuz({"check", "--game", "C:\\Korvex", missionFile}, memory);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "problem: " + kTaken + "\n" + warning);

    const auto before = memory.Files();
    CFaultInjectingFileSystem recorder(memory);
    result = Kxvuz({"install", "--game", "C:\\Korvex", missionFile}, recorder);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "kxvuz: " + missionFile + ": " + kTaken + "\n");
    for (const std::string& record : recorder.Touched())
        EXPECT_TRUE(record.rfind("Open r ", 0) == 0 || record.rfind("GetStatus ", 0) == 0) << record;
    CRecordingFrontEnd frontEnd;
    CInstallationRun refused(memory, frontEnd, kGame, mission, "C:\\kxinstall.log");
    EXPECT_EQ(refused.RunInstallation(), RunOutcome::StoppedBeforeChange);
    EXPECT_EQ(frontEnd.errors, std::vector<std::string>{kTaken});
    auto after = memory.Files();
    after.erase("C:\\kxinstall.log");
    after.erase(kGame + "data\\Backup\\kxvuz.lock");
    EXPECT_TRUE(after == before);

    memory.Write(missionFile, EncodeMission(SampleMission("Glasshouse03.kxm")));
    result = Kxvuz({"check", "--game", "C:\\Korvex", missionFile}, memory);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, warning);
    CInstallationRun warned(memory, frontEnd, kGame, SampleMission("Glasshouse03.kxm"), "C:\\kxinstall.log");
    EXPECT_EQ(warned.RunInstallation(), RunOutcome::Completed);
}

TEST(KxvuzCheck, EverySampleMissionIsOkInTheSampleGame)
{
    for (const char* name : {"Harbor01.kxm", "Ridge02.json", "Glasshouse03.kxm", "MPFoundry.json"})
    {
        const KxvuzResult result = Kxvuz(
            {"check", "--game", KX_SAMPLE_DIR "/game", std::string(KX_SAMPLE_DIR) + "/missions/" + name});
        EXPECT_EQ(result.status, 0) << name;
        EXPECT_EQ(result.out + result.err, "OK\n") << name;
    }
}

} // namespace
