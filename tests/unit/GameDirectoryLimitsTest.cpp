// Windows' limits on a game's folder, met by real installations: a folder at the path limit works to the end,
// and one the program cannot use is refused before anything is written.
#include "KxvuzRun.h"
#include "TestFiles.h"
#include "TestGame.h"
#include "TestMissions.h"
#include "UsableGameDirectory.h"

#include <gtest/gtest.h>

namespace
{

namespace fs = std::filesystem;

const std::string kMission = std::string(KX_SAMPLE_DIR) + "\\missions\\Harbor01.kxm";

// The sample game in folder, under a folder of its own named name.
std::string CopyOfTheGame(const CScratchFolder& folder, const std::string& name)
{
    const fs::path game = folder.Path() / name;
    fs::create_directories(game);
    fs::copy(fs::path(KX_SAMPLE_DIR) / "game", game, fs::copy_options::recursive);
    return game.string() + "\\";
}

TEST(GameDirectoryLimits, AGameAtThePathLimitInstallsAndOneCharacterMoreIsRefusedUnwritten)
{
    const CMissionDefinition mission = SampleMission("Harbor01.kxm");
    for (const std::size_t over : {0, 1})
    {
        SCOPED_TRACE(over);
        CScratchWorkingFolder folder;
        const std::size_t base = LongestRunPath(folder / "k\\", mission).size() - 1;
        const std::string game = CopyOfTheGame(folder, std::string(kLongestPath + over - base, 'k'));
        ASSERT_EQ(LongestRunPath(game, mission).size(), kLongestPath + over);
        const auto before = GameFilesIn(game);
        const KxvuzResult result = Kxvuz({"install", "--game", game, kMission});
        if (over == 0)
        {
            EXPECT_EQ(result.status, 0) << result.err;
            EXPECT_NE(GameFilesIn(game), before);
            continue;
        }
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.err.rfind("kxvuz: The game directory " + game + " is too long", 0), 0u)
            << result.err;
        EXPECT_EQ(GameFilesIn(game), before);
        EXPECT_FALSE(fs::exists(fs::path(game) / "data" / "Backup"));
        EXPECT_FALSE(fs::exists(folder.Path() / "kxinstall.log"));
    }
}

TEST(GameDirectoryLimits, AFolderTheCodePageCannotSpellIsRefusedUnwritten)
{
    CScratchWorkingFolder folder;
    const std::string game = folder / "?ukasz";
    const KxvuzResult result = Kxvuz({"install", "--game", game, kMission});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("has a letter that this system's code page cannot spell"), std::string::npos)
        << result.err;
    EXPECT_TRUE(fs::is_empty(folder.Path()));
}

} // namespace
