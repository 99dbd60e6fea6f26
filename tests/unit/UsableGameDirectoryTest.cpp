#include "UsableGameDirectory.h"
#include "GameFiles.h"
#include "TestMissions.h"

#include <gtest/gtest.h>

namespace
{

TEST(UsableGameDirectory, TheLongestRunPathDecidesAtTheLimitItself)
{
    const CMissionDefinition mission = SampleMission("Harbor01.kxm");
    const std::size_t limit = 259;
    const std::string shortest = "C:\\";
    const std::size_t base = LongestRunPath(shortest, mission).size() - shortest.size();
    for (const std::size_t length : {limit - 1, limit, limit + 1})
    {
        SCOPED_TRACE(length);
        const std::string directory = "C:\\" + std::string(length - base - 4, 'k') + "\\";
        ASSERT_EQ(LongestRunPath(directory, mission).size(), length);
        const auto message = UnusableGameDirectoryMessage(directory, mission, limit);
        EXPECT_EQ(message.has_value(), length > limit);
        if (message)
        {
            EXPECT_EQ(*message, "The game directory " + directory +
                                    " is too long: the installation would use the path " +
                                    LongestRunPath(directory, mission) +
                                    " of 260 characters, and Windows "
                                    "allows 259. Nothing was changed; the game needs a folder with a shorter "
                                    "path.");
        }
    }
}

TEST(UsableGameDirectory, TheLongestPathIsTheDeepestCopyOfWhicheverFileHasTheLongestName)
{
    CMissionDefinition mission = SampleMission("Harbor01.kxm");
    EXPECT_EQ(LongestRunPath("C:\\Korvex\\", mission),
              "C:\\Korvex\\data\\text\\interface\\english\\tutorial_groupings.txt.kxnew");
    mission.briefingFile = std::string(60, 'b') + ".brf";
    const GameFileEntry briefing = GameFileOf(GameFile::Briefing, mission);
    EXPECT_EQ(LongestRunPath("C:\\Korvex\\", mission),
              "C:\\Korvex\\data\\Backup\\Incoming\\" + briefing.backupName + ".kxnew");
}

TEST(UsableGameDirectory, AQuestionMarkStandsForAnUnspellableLetterOnlyOnWindows)
{
    const CMissionDefinition mission = SampleMission("Harbor01.kxm");
    const auto message = UnusableGameDirectoryMessage("C:\\Users\\?ukasz\\Korvex\\", mission, 259);
#ifdef _WIN32
    ASSERT_TRUE(message);
    EXPECT_EQ(message->rfind("The game directory C:\\Users\\?ukasz\\Korvex\\ has a letter that this system's "
                             "code page cannot spell",
                             0),
              0u);
#else
    EXPECT_FALSE(message);
#endif
}

} // namespace
