#include "FaultInjectingFileSystem.h"
#include "InstallationRun.h"
#include "KxvuzRun.h"
#include "RecordingFrontEnd.h"
#include "TestGame.h"
#include "TestMissions.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <sys/wait.h>
#include <unistd.h>

namespace
{

namespace fs = std::filesystem;

RunOutcome Install(IFileSystem& fileSystem, const fs::path& game, const CMissionDefinition& mission)
{
    CRecordingFrontEnd frontEnd;
    CInstallationRun run(fileSystem, frontEnd, game.string() + "/", mission,
                         (game / "kxinstall.log").string());
    return run.RunInstallation();
}

int Restore(const fs::path& game)
{
    return Kxvuz({"restore", "--game", game.string()}).status;
}

// Runs work in a child process that ends itself, as a killed program would, right after file operation k.
void CrashAfter(int k, const std::function<void(IFileSystem&)>& work)
{
    const pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0)
    {
        CFaultInjectingFileSystem fileSystem(NativeFileSystem());
        fileSystem.afterOperation = [k](int operation)
        {
            if (operation == k)
                std::_Exit(0);
        };
        work(fileSystem);
        std::_Exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
}

class CrashRecovery : public ::testing::Test
{
protected:
    CScratchFolder folder;
    const fs::path start = folder.Path() / "start";
    const fs::path game = folder.Path() / "game";

    // The game after a completed installation, whose backup set must never be taken for the next run's.
    void SetUp() override
    {
        fs::copy(fs::path(KX_SAMPLE_DIR) / "game", start, fs::copy_options::recursive);
        ASSERT_EQ(Install(NativeFileSystem(), start, SampleMission("Harbor01.kxm")), RunOutcome::Completed);
    }

    void FreshGame()
    {
        fs::remove_all(game);
        fs::copy(start, game, fs::copy_options::recursive);
    }

    int OperationsOf(const std::function<void(IFileSystem&)>& work)
    {
        FreshGame();
        CFaultInjectingFileSystem counting(NativeFileSystem());
        work(counting);
        return counting.Operations();
    }
};

TEST_F(CrashRecovery, AnInstallationKilledAfterAnyOperationIsUndoneByRestore)
{
    const CMissionDefinition mission = SampleMission("Glasshouse03.kxm");
    const auto install = [&](IFileSystem& fileSystem) { Install(fileSystem, game, mission); };
    const auto before = GameFilesIn(start);
    const int n = OperationsOf(install);

    int refused = 0;
    for (int k = 1; k <= n + 1; ++k)
    {
        SCOPED_TRACE("killed after operation " + std::to_string(k) + " of " + std::to_string(n));
        FreshGame();
        CrashAfter(k, install);
        const int status = Restore(game);
        // Before the new backup set is complete there is nothing to restore, and nothing was changed.
        ASSERT_TRUE(status == 0 || status == 2) << status;
        refused += status == 2;
        ASSERT_EQ(GameFilesIn(game), before);
    }
    EXPECT_GT(refused, 0);
    EXPECT_LT(refused, n);
    std::cout << "[ crash    ] installation: N = " << n << " operations, " << n + 1 << " killed runs, "
              << refused << " before the backup set was complete\n";
}

TEST_F(CrashRecovery, AnInterruptedRestoreFinishesWhenRunAgain)
{
    const auto before = GameFilesIn(folder.Path() / "start");
    // Undoing the completed installation of the setup.
    fs::copy(fs::path(KX_SAMPLE_DIR) / "game", folder.Path() / "original", fs::copy_options::recursive);
    const auto original = GameFilesIn(folder.Path() / "original");
    const auto restore = [&](IFileSystem& fileSystem) {
        Kxvuz({"restore", "--game", game.string()}, fileSystem);
    };
    const int n = OperationsOf(restore);
    for (int k = 1; k <= n; ++k)
    {
        SCOPED_TRACE("killed after operation " + std::to_string(k) + " of " + std::to_string(n));
        FreshGame();
        CrashAfter(k, restore);
        ASSERT_EQ(Restore(game), 0);
        ASSERT_EQ(GameFilesIn(game), original);
    }
    EXPECT_NE(before, original);
    std::cout << "[ crash    ] restore: N = " << n << " operations, " << n << " killed runs\n";
}

} // namespace
