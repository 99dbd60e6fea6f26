#include "InstallationRun.h"
#include "RecordingFrontEnd.h"
#include "TestGame.h"

#include <gtest/gtest.h>

namespace
{

namespace fs = std::filesystem;

const std::string kNames = "data/text/briefing/english/missionnames.txt";
const std::string kBriefing = "data/text/briefing/Harbor01.brf";
const std::string kNewEntry = "\"Test Run\"\t\t\"0400 hrs\"";

// Acts as a user would once the run shows the step actAt, before the step does anything.
class CActingFrontEnd : public CRecordingFrontEnd
{
public:
    std::string actAt;
    void SetDetailText(const std::string& text) override
    {
        if (text == actAt && action)
            action();
        CRecordingFrontEnd::SetDetailText(text);
    }
};

// count names, each on a line of its own, the last one without a line end.
std::string NameLines(int count)
{
    std::string lines;
    for (int i = 0; i < count; ++i)
        lines += (i > 0 ? "\r\n\"Name " : "\"Name ") + std::to_string(i) + "\"\t\t\"0" + std::to_string(i) +
                 "00 hrs\"";
    return lines;
}

std::string Replaced(std::string text, const std::string& from, const std::string& to)
{
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

// A completed run on a names file and a briefing file of the test's making.
void RunWith(const CTestGame& game, const std::string& names, const std::string& briefing)
{
    game.Write(kNames, names);
    game.Write(kBriefing, briefing);
    CRecordingFrontEnd frontEnd;
    EXPECT_EQ(game.Install(CTestGame::Mission(), frontEnd), RunOutcome::Completed)
        << (frontEnd.errors.empty() ? "" : frontEnd.errors[0]);
}

class MissionNamesUpdate : public ::testing::Test
{
protected:
    CTestGame game;
    CMissionDefinition mission = CTestGame::Mission();
    CActingFrontEnd frontEnd;

    RunOutcome Run() { return game.Install(mission, frontEnd); }

    std::string Log() const { return ReadBytes(game.LogPath()); }
};

TEST_F(MissionNamesUpdate, SampleGameNumbersTheBriefingAndAppendsTheName)
{
    const std::string names = game.Read(kNames);
    const std::string briefing = game.Read(kBriefing);
    EXPECT_EQ(Run(), RunOutcome::Completed);
    EXPECT_EQ(game.Read(kNames), Replaced(names, "\r\n129\r\n", "\r\n130\r\n") + "\r\n" + kNewEntry);
    EXPECT_EQ(game.Read(kBriefing), Replaced(briefing, "\r\n999\r\n", "\r\n129\r\n"))
        << "the comments above the number are passed over";

    const std::string d = game.Directory();
    EXPECT_NE(Log().find("\r\nOpening " + d +
                         "data\\text\\briefing\\english\\missionnames.txt.\r\nFile opened "
                         "successfully.\r\nOpening briefing file " +
                         d +
                         "data\\text\\briefing\\Harbor01.brf...\r\nFile opened successfully.\r\nChanged the "
                         "number of the mission in localization file to 129.\r\nBriefing file "
                         "closed.\r\nIncreased number of mission names to 130.\r\nAdded mission name to "
                         "missionnames.txt.\r\nMissionnames.txt file closed.\r\n"),
              std::string::npos)
        << Log();
    std::string details;
    for (const std::string& shown : frontEnd.shown)
        details += shown.substr(shown.find(' ') + 1) + "|";
    EXPECT_NE(details.find("|Opening missionnames.txt...|Updating the new mission's briefing "
                           "file...|Updating missionnames.txt...|"),
              std::string::npos)
        << details;
}

TEST_F(MissionNamesUpdate, NoNamesYetPutsTheFirstAfterTheCount)
{
    mission.missionName = "100% %s";
    mission.timeDateStamp = "";
    game.Write(kNames, "0");
    game.Write(kBriefing, "999\r\n");
    EXPECT_EQ(Run(), RunOutcome::Completed);
    EXPECT_EQ(game.Read(kNames), "1\r\n\"100% %s\"\t\t\"\"");
    EXPECT_EQ(game.Read(kBriefing), "0  \r\n");
}

TEST_F(MissionNamesUpdate, CommentsAndBlankLinesAboveTheCountAreNotNames)
{
    RunWith(game, "// names\r\n\r\n17\r\n" + NameLines(17), "120\r\nPAGE\r\n");
    EXPECT_EQ(game.Read(kNames), "// names\r\n\r\n18\r\n" + NameLines(17) + "\r\n" + kNewEntry);
    EXPECT_EQ(game.Read(kBriefing), "17 \r\nPAGE\r\n");
}

TEST_F(MissionNamesUpdate, NumbersOfAnyWidthKeepTheirLines)
{
    struct Case
    {
        std::string count;
        int names;
        std::string newCount, briefing, newBriefing;
    };
    for (const Case& c : {Case{"35", 35, "36", "120", "35 "}, Case{"35", 35, "36", "12", "35"},
                          Case{"5", 5, "6", "120", "5  "}, Case{"5", 5, "6", "12", "5 "},
                          Case{"9 // names", 9, "10 // names", "7", "9"},
                          Case{"99", 99, "100", "  7", "  99"}, Case{"009", 9, "10 ", "-3 x", "9  x"}})
    {
        CTestGame other;
        RunWith(other, c.count + "\r\n" + NameLines(c.names),
                "// first number\r\n" + c.briefing + "\r\n\r\nPAGE\t\"Situation\"\r\n");
        EXPECT_EQ(other.Read(kNames), c.newCount + "\r\n" + NameLines(c.names) + "\r\n" + kNewEntry)
            << c.count;
        EXPECT_EQ(other.Read(kBriefing),
                  "// first number\r\n" + c.newBriefing + "\r\n\r\nPAGE\t\"Situation\"\r\n")
            << c.briefing << " renumbered to " << c.names;
    }
}

TEST_F(MissionNamesUpdate, WhatFollowsTheLastNameFollowsTheNewOne)
{
    RunWith(game, "2\r\n" + NameLines(2) + "\r\n// end of names\r\n\r\n", "0\r\n");
    EXPECT_EQ(game.Read(kNames), "3\r\n" + NameLines(2) + "\r\n" + kNewEntry + "\r\n// end of names\r\n\r\n");

    CTestGame other;
    RunWith(other, "1\r\n" + NameLines(1) + "\r\n", "5\r\n");
    EXPECT_EQ(other.Read(kNames), "2\r\n" + NameLines(1) + "\r\n" + kNewEntry + "\r\n")
        << "the file keeps its last line end";
}

TEST_F(MissionNamesUpdate, LongLinesKeepThePositionsRight)
{
    const std::string comment = "// " + std::string(300, 'c') + "\r\n";
    const std::string longName = "\"" + std::string(250, 'n') + "\"\t\t\"" + std::string(200, 's') + "\"";
    RunWith(game, comment + "3\r\n" + NameLines(2) + "\r\n" + longName, comment + "120\r\n" + comment);
    EXPECT_EQ(game.Read(kNames), comment + "4\r\n" + NameLines(2) + "\r\n" + longName + "\r\n" + kNewEntry);
    EXPECT_EQ(game.Read(kBriefing), comment + "3  \r\n" + comment);
}

TEST_F(MissionNamesUpdate, EveryFailureRestoresAllGameFiles)
{
    struct Case
    {
        const char* what;
        std::string names, briefing;
        // Removes a file once the run shows this step.
        std::string removeAt, removed;
        std::string message;
    };
    const std::string sampleNames = game.Read(kNames);
    const std::string sampleBriefing = game.Read(kBriefing);
    const std::string eof = "Unexpected end of file found.";
    const Case cases[] = {
        {"names file gone", sampleNames, sampleBriefing, "Opening missionnames.txt...", kNames,
         "Could not open the file <d>data\\text\\briefing\\english\\missionnames.txt."},
        {"briefing gone", sampleNames, sampleBriefing, "Updating the new mission's briefing file...",
         kBriefing, "Error opening file <d>data\\text\\briefing\\Harbor01.brf."},
        {"empty names file", "", sampleBriefing, "", "", eof},
        {"briefing of comments", sampleNames, "// no number\r\n\r\n", "", "", eof},
        {"fewer names than counted", Replaced(sampleNames, "\r\n129\r\n", "\r\n200\r\n"), sampleBriefing, "",
         "", eof},
        {"negative count", "-1\r\n" + NameLines(1), sampleBriefing, "", "", eof},
        {"count beyond the largest", "99999999999\r\n" + NameLines(1), sampleBriefing, "", "", eof},
    };
    for (const Case& c : cases)
    {
        CTestGame other;
        other.Write(kNames, c.names);
        other.Write(kBriefing, c.briefing);
        const auto before = other.GameFiles();
        CActingFrontEnd actor;
        if (!c.removeAt.empty())
        {
            actor.actAt = c.removeAt;
            actor.action = [&] { fs::remove(other.Path(c.removed)); };
        }
        EXPECT_EQ(other.Install(mission, actor), RunOutcome::FailedAndRestored) << c.what;
        std::string message = c.message;
        if (const std::size_t at = message.find("<d>"); at != std::string::npos)
            message.replace(at, 3, other.Directory());
        EXPECT_EQ(actor.errors, std::vector<std::string>{message}) << c.what;
        EXPECT_EQ(other.GameFiles(), before) << c.what;
    }

    // Too few names are found only after the briefing was numbered and the count rewritten.
    game.Write(kNames, Replaced(sampleNames, "\r\n129\r\n", "\r\n200\r\n"));
    EXPECT_EQ(Run(), RunOutcome::FailedAndRestored);
    EXPECT_NE(Log().find("\r\nBriefing file closed.\r\nIncreased number of mission names to 201.\r\n-! Error "
                         "encountered !-\r\nRestoring files..."),
              std::string::npos)
        << Log();
}

} // namespace
