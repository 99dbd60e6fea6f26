#include "InstallationRun.h"
#include "RecordingFrontEnd.h"
#include "TestGame.h"

#include <gtest/gtest.h>

namespace
{

namespace fs = std::filesystem;

using Groups = std::vector<std::vector<std::string>>;

std::string Record(const std::string& name)
{
    return "\"" + name + ".mis\"\r\n\"" + name + ".brf\"\r\n\"" + name + ".int\"\r\n\"" + name +
           ".spl\"\r\n\"\"\t\"\"\t\"\"\t\t\"\"\r\n\r\n";
}

// A mission list in the game's layout: the mission count, 81 entries of other data, the tutorial mission
// count, the group count, each group's count line and five-line records, then further data.
std::string MissionList(const std::string& count, int tutorialMissions, const Groups& groups)
{
    std::string list = "// Missions\r\n" + count + "\r\n";
    for (int i = 1; i <= 81; ++i)
        list += "data " + std::to_string(i) + "\r\n";
    list += "\r\n" + std::to_string(tutorialMissions) + "\r\n" + std::to_string(groups.size()) + "\r\n";
    for (const auto& group : groups)
    {
        list += std::to_string(group.size()) + "\r\n";
        for (const std::string& name : group)
            list += Record(name);
    }
    return list + "further data\r\n";
}

// The list after the run: as built, but the empty line after the record that the new lines follow now
// stands after the new record only.
std::string Installed(const std::string& count, int tutorialMissions, const Groups& groups,
                      bool newGroup = false)
{
    std::string list = MissionList(count, tutorialMissions, groups);
    const std::size_t added = list.find(newGroup ? "\r\n1\r\n\"Harbor01.mis\"" : "\r\n\"Harbor01.mis\"");
    if (list.compare(added - 2, 4, "\r\n\r\n") == 0)
        list.erase(added, 2);
    return list;
}

class MissionListUpdateTest : public ::testing::Test
{
protected:
    CTestGame game;
    CMissionDefinition mission = CTestGame::Mission();
    CRecordingFrontEnd frontEnd;
    const std::string listPath = "data/mission/mission.lst";
    const std::string groupingsPath = "data/text/interface/english/tutorial_groupings.txt";

    RunOutcome Run() { return game.Install(mission, frontEnd); }

    void Install(const std::string& group, const std::string& before, const std::string& expected)
    {
        mission.tutorialGroup = group;
        game.Write(listPath, before);
        ASSERT_EQ(Run(), RunOutcome::Completed) << (frontEnd.errors.empty() ? "" : frontEnd.errors[0]);
        EXPECT_EQ(game.Read(listPath), expected);
    }
};

TEST_F(MissionListUpdateTest, AFoundGroupGainsTheRecordAfterItsLast)
{
    game.Write(groupingsPath, "2\r\n\"A\"\r\n\"B\"");
    Install("B", MissionList("50", 3, {{"a1"}, {"b1", "b2"}}),
            Installed("51", 4, {{"a1"}, {"b1", "b2", "Harbor01"}}));
    EXPECT_EQ(game.Read(groupingsPath), "2\r\n\"A\"\r\n\"B\"") << "a found group leaves the file as it was";
    EXPECT_NE(ReadBytes(game.LogPath()).find("\r\nIncreased number of tutorial missions in \"B\" to 3."),
              std::string::npos);
}

TEST_F(MissionListUpdateTest, TheFirstGroupIsReachedWithoutWalking)
{
    game.Write(groupingsPath, "2\r\n\"A\"\r\n\"B\"");
    Install("A", MissionList("50", 3, {{"a1"}, {"b1", "b2"}}),
            Installed("51", 4, {{"a1", "Harbor01"}, {"b1", "b2"}}));
}

TEST_F(MissionListUpdateTest, ACreatedGroupFollowsTheLastGroup)
{
    game.Write(groupingsPath, "2\r\n\"A\"\r\n\"B\"");
    const std::string expected = Installed("51", 4, {{"a1"}, {"b1", "b2"}, {"Harbor01"}}, true);
    Install("C", MissionList("50", 3, {{"a1"}, {"b1", "b2"}}), expected);
    EXPECT_EQ(game.Read(groupingsPath), "3\r\n\"A\"\r\n\"B\"\r\n\"C\"");
    const std::string log = ReadBytes(game.LogPath());
    EXPECT_NE(log.find("\r\nCreating tutorial group...\r\nTutorial group created.\r\nClosing "),
              std::string::npos);
    EXPECT_NE(log.find("\r\nIncreased number of tutorial groups to 3."), std::string::npos);
}

TEST_F(MissionListUpdateTest, EmptyGroupsTakeTheRecordAfterTheirCountLine)
{
    game.Write(groupingsPath, "2\r\n\"A\"\r\n\"B\"");
    Install("A", MissionList("50", 1, {{}, {"b1"}}), Installed("51", 2, {{"Harbor01"}, {"b1"}}));
}

TEST_F(MissionListUpdateTest, ANewGroupAfterAnEmptyLastGroupFollowsItsCountLine)
{
    game.Write(groupingsPath, "2\r\n\"A\"\r\n\"B\"");
    Install("C", MissionList("50", 1, {{"a1"}, {}}), Installed("51", 2, {{"a1"}, {}, {"Harbor01"}}, true));
}

TEST_F(MissionListUpdateTest, TheFirstGroupOfAListWithoutGroups)
{
    game.Write(groupingsPath, "0\r\n// no groups yet\r\n");
    Install("A", MissionList("50", 0, {}), Installed("51", 1, {{"Harbor01"}}, true));
    EXPECT_EQ(game.Read(groupingsPath), "1\r\n\"A\"\r\n// no groups yet\r\n");
}

TEST_F(MissionListUpdateTest, CountsThatGainADigitKeepTheirLineEnds)
{
    game.Write(groupingsPath, "1\r\n\"A\"");
    const Groups eight = {{"a1", "a2", "a3", "a4", "a5", "a6", "a7", "a8", "a9"}};
    Groups ten = eight;
    ten[0].push_back("Harbor01");
    std::string expected = Installed("10", 10, ten);
    Install("A", MissionList("9", 9, eight), expected);
}

TEST_F(MissionListUpdateTest, ShorterNumbersLeaveNoOldDigitsBehind)
{
    game.Write(groupingsPath, "1\r\n\"A\"");
    std::string before = MissionList("  0120  // count", 3, {{"a1"}});
    std::string expected = Installed("  121   // count", 4, {{"a1", "Harbor01"}});
    Install("A", before, expected);
}

TEST_F(MissionListUpdateTest, DuskreachMissionsGoToTheTrainingList)
{
    mission.duskreachTraining = 1;
    mission.tutorialGroup = "A";
    game.Write(groupingsPath, "1\r\n\"A\"");
    game.Write("data/mission/MPMission.lst", MissionList("5", 0, {{}}));
    const std::string standard = game.Read(listPath);
    ASSERT_EQ(Run(), RunOutcome::Completed);
    EXPECT_EQ(game.Read("data/mission/MPMission.lst"), Installed("6", 1, {{"Harbor01"}}));
    EXPECT_EQ(game.Read(listPath), standard);
}

TEST_F(MissionListUpdateTest, RecordFieldsAreQuotedAndKitsTabbed)
{
    mission.reconKit = "r.kit";
    mission.assaultKit = "a.kit";
    mission.demolitionsKit = "";
    mission.electronicsKit = "e.kit";
    game.Write(groupingsPath, "1\r\n\"A\"");
    game.Write(listPath, MissionList("5", 0, {{}}));
    ASSERT_EQ(Run(), RunOutcome::Completed);
    EXPECT_NE(game.Read(listPath).find(
                  "\"Harbor01.spl\"\r\n\"r.kit\"\t\"a.kit\"\t\"\"\t\t\"e.kit\"\r\n\r\nfurther"),
              std::string::npos);
}

TEST_F(MissionListUpdateTest, CommentsAfterTheInsertionLineAreDroppedAndLongLinesKept)
{
    game.Write(groupingsPath, "1\r\n\"A\"");
    const std::string longLine = "\"" + std::string(400, 'x') + ".mis\"";
    std::string before = MissionList("5", 1, {{"a1"}});
    before.replace(before.find("\"a1.mis\""), 8, longLine);
    before.insert(before.find("further data"), "// trailing comment\r\n\r\n");
    std::string expected = Installed("6", 2, {{"a1", "Harbor01"}});
    expected.replace(expected.find("\"a1.mis\""), 8, longLine);
    Install("A", before, expected);
}

TEST_F(MissionListUpdateTest, GroupNamesMatchWithTheirQuotesAndCase)
{
    game.Write(groupingsPath, "2\r\n\"Basic Training\"\r\n\"B\"");
    Install("Basic", MissionList("50", 0, {{}, {}}), Installed("51", 1, {{}, {}, {"Harbor01"}}, true));
    EXPECT_EQ(game.Read(groupingsPath), "3\r\n\"Basic Training\"\r\n\"B\"\r\n\"Basic\"");

    CTestGame second;
    second.Write(groupingsPath, "1\r\n\"B\"");
    mission.tutorialGroup = "b";
    ASSERT_EQ(second.Install(mission, frontEnd), RunOutcome::Completed);
    EXPECT_EQ(second.Read(groupingsPath), "2\r\n\"B\"\r\n\"b\"");
}

TEST_F(MissionListUpdateTest, GroupLinesAreEntriesAndWhatFollowsThemStays)
{
    const std::string groupings =
        "// groups\r\n3\r\n\"A\"\r\n\r\n// between\r\n\"B\"\r\n/* x */\r\n  \"C\"  \r\n// after\r\nmore\r\n";
    game.Write(groupingsPath, groupings);
    Install("C", MissionList("50", 3, {{"a1"}, {"b1"}, {"c1"}}),
            Installed("51", 4, {{"a1"}, {"b1"}, {"c1", "Harbor01"}}));
    EXPECT_EQ(game.Read(groupingsPath), groupings);

    CTestGame second;
    second.Write(groupingsPath, groupings);
    second.Write(listPath, MissionList("50", 3, {{"a1"}, {"b1"}, {"c1"}}));
    mission.tutorialGroup = "D";
    ASSERT_EQ(second.Install(mission, frontEnd), RunOutcome::Completed);
    EXPECT_EQ(second.Read(groupingsPath), "// groups\r\n4\r\n\"A\"\r\n\r\n// between\r\n\"B\"\r\n/* x */\r\n "
                                          " \"C\"  \r\n\"D\"\r\n// after\r\nmore\r\n");
    EXPECT_EQ(second.Read(listPath), Installed("51", 4, {{"a1"}, {"b1"}, {"c1"}, {"Harbor01"}}, true));
}

TEST_F(MissionListUpdateTest, FailuresPutEveryFileBack)
{
    using Change = std::function<void(CTestGame&)>;
    struct Case
    {
        const char* name;
        Change prepare;
        int actBeforeStep;
        Change act;
        // From the game directory.
        std::function<std::string(const std::string&)> message;
    };
    const std::string list = listPath;
    const std::string groupings = groupingsPath;
    const Case cases[] = {
        {"mission list gone", [](CTestGame&) {}, 3, [&](CTestGame& g) { fs::remove(g.Path(list)); },
         [](const std::string& d) { return "Could not open the file " + d + "data\\mission\\mission.lst"; }},
        {"groupings gone", [](CTestGame&) {}, 5, [&](CTestGame& g) { fs::remove(g.Path(groupings)); },
         [](const std::string& d) {
             return "Error opening the file " + d + "data\\text\\interface\\english\\tutorial_groupings.txt.";
         }},
        {"list too short", [&](CTestGame& g) { g.Write(list, "3\r\n1\r\n2\r\n"); }, 0, nullptr,
         [](const std::string&) { return "Unexpected end of file found."; }},
        {"nothing after the insertion line",
         [&](CTestGame& g)
         {
             g.Write(groupings, "1\r\n\"Night Operations\"");
             const std::string full = MissionList("5", 1, {{"a1"}});
             g.Write(list, full.substr(0, full.find("further data")));
         },
         0, nullptr, [](const std::string&) { return "Unexpected end of file found."; }},
        {"temporary file blocked",
         [](CTestGame& g) { fs::create_directories(g.Path("data/Backup/Temp/missionlst.txt")); }, 0, nullptr,
         [](const std::string& d)
         { return "Error opening temporary file " + d + "data\\Backup\\Temp\\missionlst.txt."; }},
    };
    for (const Case& c : cases)
    {
        CTestGame fresh;
        CRecordingFrontEnd recorder;
        c.prepare(fresh);
        const auto before = fresh.GameFiles();
        recorder.actBeforeStep = c.actBeforeStep;
        recorder.action = [&] { c.act(fresh); };
        EXPECT_EQ(fresh.Install(mission, recorder), RunOutcome::FailedAndRestored) << c.name;
        EXPECT_EQ(recorder.errors, std::vector<std::string>{c.message(fresh.Directory())}) << c.name;
        EXPECT_EQ(fresh.GameFiles(), before) << c.name;
    }
}

} // namespace
