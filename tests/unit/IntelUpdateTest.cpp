#include "InstallationRun.h"
#include "RecordingFrontEnd.h"
#include "RefusingFileSystem.h"
#include "TestGame.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace
{

const std::string kNames = "data/text/intel/english/intelnames.txt";
const std::string kIntel = "data/text/intel/Harbor01.int";

// intelnames.txt with a comment above the count and the names "Name 0" onwards, the last without a line end.
std::string NamesFile(int count, int listed)
{
    std::string text = "// intel names\r\n\r\n" + std::to_string(count);
    for (int i = 0; i < listed; ++i)
        text += "\r\n\"Name " + std::to_string(i) + "\"";
    return text;
}

class IntelUpdateTest : public ::testing::Test
{
protected:
    CTestGame game;
    CMissionDefinition mission = CTestGame::Mission();
    CRecordingFrontEnd frontEnd;
    CRefusingFileSystem fileSystem;

    RunOutcome Run() { return game.Install(mission, frontEnd, fileSystem); }

    // What this edit wrote to the log, from its first line to its last.
    std::string IntelLog() const
    {
        const std::string log = ReadBytes(game.LogPath());
        const std::size_t from = log.find("\r\nOpening " + game.Directory() + "data\\text\\intel\\");
        const std::size_t to = log.find("Intel file closed.");
        if (from == std::string::npos || to == std::string::npos)
            return "";
        return log.substr(from, to + 18 - from);
    }

    // The detail texts of the steps shown, without their percentages.
    std::vector<std::string> Steps() const
    {
        std::vector<std::string> steps;
        for (const std::string& shown : frontEnd.shown)
            steps.push_back(shown.substr(shown.find(' ') + 1));
        return steps;
    }
};

TEST_F(IntelUpdateTest, AppendsTheNamesAndNumbersTheItemsAfterThem)
{
    mission.intelEntries = {"Map of 50%s", "Ledger", "Photo"};
    game.Write(kNames, NamesFile(40, 40));
    const std::string intel =
        "// maps\r\n1\r\n17\t\"a.bmp\"\r\n\r\n// documents\r\n0\r\n\r\n"
        "/* photographs\r\n   */\r\n2\r\n18\t\"b.bmp\"\r\n  19\t\"c.bmp\"\r\n0\r\n// end";
    game.Write(kIntel, intel);

    EXPECT_EQ(Run(), RunOutcome::Completed);
    std::string names = NamesFile(40, 40);
    names.replace(names.find("40"), 2, "43");
    EXPECT_EQ(game.Read(kNames), names + "\r\n\"Map of 50%s\"\r\n\"Ledger\"\r\n\"Photo\"");
    EXPECT_EQ(game.Read(kIntel),
              "// maps\r\n1\r\n40\t\"a.bmp\"\r\n\r\n// documents\r\n0\r\n\r\n"
              "/* photographs\r\n   */\r\n2\r\n41\t\"b.bmp\"\r\n  42\t\"c.bmp\"\r\n0\r\n// end");

    const std::string d = game.Directory();
    EXPECT_EQ(IntelLog(), "\r\nOpening " + d +
                              "data\\text\\intel\\english\\intelnames.txt...\r\nFile opened successfully.\r\n"
                              "Adding entries to intelnames.txt...\r\nEntries added.\r\nIntelnames.txt file "
                              "closed.\r\nOpening intel file " +
                              d +
                              "data\\text\\intel\\Harbor01.int...\r\nFile opened successfully.\r\nChanging "
                              "numbers in intel file...\r\nChanges complete.\r\nIntel file closed.");
    const std::vector<std::string> steps = Steps();
    const auto first = std::find(steps.begin(), steps.end(), "Opening intelnames.txt...");
    ASSERT_GE(std::distance(first, steps.end()), 4);
    EXPECT_EQ(
        std::vector<std::string>(first, first + 4),
        (std::vector<std::string>{"Opening intelnames.txt...", "Updating intelnames.txt...",
                                  "Opening the new mission's intel file...", "Updating the intel file..."}));
}

TEST_F(IntelUpdateTest, NewNamesGoBetweenTheLastNameAndWhatFollowsIt)
{
    mission.intelEntries = {"C", "D"};
    game.Write(kNames, "2\r\n\"A\"\r\n\"B\"\r\n// retired names\r\n\r\n");
    EXPECT_EQ(Run(), RunOutcome::Completed);
    EXPECT_EQ(game.Read(kNames), "4\r\n\"A\"\r\n\"B\"\r\n\"C\"\r\n\"D\"\r\n// retired names\r\n\r\n");

    mission.intelEntries = {"only"};
    game.Write(kNames, "0");
    game.Write(kIntel, "1\r\n0\t\"a.bmp\"\r\n0\r\n0\r\n0\r\n");
    EXPECT_EQ(Run(), RunOutcome::Completed);
    EXPECT_EQ(game.Read(kNames), "1\r\n\"only\"") << "with no names the new one follows the count";
}

TEST_F(IntelUpdateTest, NumbersOfEveryWidthKeepTheirLinesWhole)
{
    mission.intelEntries = {"x", "y", "z"};
    game.Write(kNames, NamesFile(9, 9));
    // The item in the photographs section opens a block comment whose second line must not pass for an item.
    game.Write(
        kIntel,
        "1\r\n105\t\"a.bmp\"\r\n0\r\n2\r\n7\t\"b.bmp\" /* once\r\n8 was here */\r\n12\t\"c.bmp\"\r\n0");
    EXPECT_EQ(Run(), RunOutcome::Completed);
    std::string names = NamesFile(9, 9);
    names.replace(names.find("\r\n9\r\n"), 5, "\r\n12\r\n");
    EXPECT_EQ(game.Read(kNames), names + "\r\n\"x\"\r\n\"y\"\r\n\"z\"") << "the count gains a digit";
    EXPECT_EQ(
        game.Read(kIntel),
        "1\r\n9  \t\"a.bmp\"\r\n0\r\n2\r\n10\t\"b.bmp\" /* once\r\n8 was here */\r\n11\t\"c.bmp\"\r\n0");
}

TEST_F(IntelUpdateTest, LinesFarLongerThanAReadBufferKeepTheirPositions)
{
    const std::string comment = "// " + std::string(300, 'c') + "\r\n";
    const std::string longName = "\"" + std::string(250, 'n') + "\"";
    mission.intelEntries = {"new", "newer", "newest"};
    game.Write(kNames, comment + "2\r\n" + longName + "\r\n" + longName + "\r\n" + comment);
    const std::string tail = "\t\"" + std::string(200, 'p') + ".bmp\"\r\n";
    game.Write(kIntel, comment + "2\r\n0" + tail + comment + "1" + tail + "0\r\n" + comment + "1\r\n99" +
                           tail + "0\r\n");
    EXPECT_EQ(Run(), RunOutcome::Completed);
    EXPECT_EQ(game.Read(kNames), comment + "5\r\n" + longName + "\r\n" + longName +
                                     "\r\n\"new\"\r\n\"newer\"\r\n\"newest\"\r\n" + comment);
    EXPECT_EQ(game.Read(kIntel), comment + "2\r\n2" + tail + comment + "3" + tail + "0\r\n" + comment +
                                     "1\r\n4 " + tail + "0\r\n");
}

// More items than entries never reach the run (the game checks refuse them); fewer are only a warning.
TEST_F(IntelUpdateTest, WithoutEntriesTheNamesStayAndFewerItemsThanEntriesAreStillNumbered)
{
    const std::string names = game.Read(kNames);
    const std::string intel = game.Read(kIntel);
    const std::string noItems = "// none\r\n0\r\n0\r\n0\r\n0\r\n";
    game.Write(kIntel, noItems);
    mission.intelEntries.clear();
    EXPECT_EQ(Run(), RunOutcome::Completed);
    EXPECT_EQ(game.Read(kNames), names);
    EXPECT_EQ(game.Read(kIntel), noItems);

    ASSERT_NE(intel.find("\r\n00\t"), std::string::npos);
    ASSERT_NE(intel.find("\r\n01\t"), std::string::npos);
    game.Write(kIntel, intel);
    mission.intelEntries = {"Patrol routes", "Dock roster", "Spare"};
    EXPECT_EQ(Run(), RunOutcome::Completed);
    std::string numbered = intel;
    numbered.replace(numbered.find("\r\n00\t"), 5, "\r\n57\t");
    numbered.replace(numbered.find("\r\n01\t"), 5, "\r\n58\t");
    EXPECT_EQ(game.Read(kIntel), numbered) << "the sample game counts 57 names";
}

TEST_F(IntelUpdateTest, AMultiplayerMissionLeavesTheIntelAlone)
{
    mission.multiplayer = 1;
    mission.intelEntries = {"x"};
    const auto before = game.GameFiles();
    EXPECT_EQ(Run(), RunOutcome::Completed);
    EXPECT_EQ(game.Read(kNames), before.at(kNames));
    EXPECT_EQ(game.Read(kIntel), before.at(kIntel));
    EXPECT_EQ(IntelLog(), "");
    const std::vector<std::string> steps = Steps();
    EXPECT_EQ(std::find(steps.begin(), steps.end(), "Opening intelnames.txt..."), steps.end());
}

TEST_F(IntelUpdateTest, EveryFailureRestoresAllGameFiles)
{
    struct Case
    {
        const char* what;
        std::string names;
        std::string intel;
        std::string refused;
        std::string message;
        // An intel file that the edit would run off the end of is refused by the game checks first.
        RunOutcome outcome = RunOutcome::FailedAndRestored;
    };
    const std::string endOfFile = "Unexpected end of file found.";
    const std::string notFourSections =
        "The intel file data\\text\\intel\\Harbor01.int cannot be read as four "
        "sections of items, each a count and then that many items.";
    const std::string intel = "1\r\n0\r\n0\r\n0\r\n0\r\n";
    const Case cases[] = {
        {"names file not openable", NamesFile(1, 1), intel, "data\\text\\intel\\english\\intelnames.txt",
         "Error opening file <d>data\\text\\intel\\english\\intelnames.txt."},
        {"intel file not openable", NamesFile(1, 1), intel, "data\\text\\intel\\Harbor01.int",
         "Error opening file <d>data\\text\\intel\\Harbor01.int."},
        {"fewer names than counted", NamesFile(5, 4), intel, "", endOfFile},
        {"names file without entries", "// nothing\r\n\r\n", intel, "", endOfFile},
        {"negative count", "-1\r\n\"Name 0\"", intel, "", endOfFile},
        {"count that cannot grow", "2147483647\r\n\"Name 0\"", intel, "", endOfFile},
        {"fewer items than counted", NamesFile(1, 1), "1\r\n0\r\n0\r\n3\r\n0\r\n0\r\n", "", notFourSections,
         RunOutcome::StoppedBeforeChange},
        {"three sections only", NamesFile(1, 1), "0\r\n0\r\n1\r\n0\r\n// end\r\n", "", notFourSections,
         RunOutcome::StoppedBeforeChange},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        CTestGame scratch;
        scratch.Write(kNames, c.names);
        scratch.Write(kIntel, c.intel);
        CRecordingFrontEnd recorder;
        CRefusingFileSystem refusing;
        if (!c.refused.empty())
            refusing.Refuse(scratch.Directory() + c.refused, OpenMode::ReadWrite, 1);
        mission.intelEntries = {"added"};
        const auto before = scratch.GameFiles();
        EXPECT_EQ(scratch.Install(mission, recorder, refusing), c.outcome);
        std::string message = c.message;
        if (const std::size_t at = message.find("<d>"); at != std::string::npos)
            message.replace(at, 3, scratch.Directory());
        EXPECT_EQ(recorder.errors, std::vector<std::string>{message});
        EXPECT_EQ(scratch.GameFiles(), before);
    }
}

} // namespace
