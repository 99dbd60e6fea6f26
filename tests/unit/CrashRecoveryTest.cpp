#include "BackupJournal.h"
#include "FaultInjectingFileSystem.h"
#include "GameDrift.h"
#include "KxvuzRun.h"
#include "RecordedInstallation.h"
#include "RecordingFrontEnd.h"
#include "TestGame.h"
#include "TestMissions.h"
#include "Uninstall.h"
#include "UninstallSnapshot.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <regex>
#include <sys/wait.h>
#include <unistd.h>

namespace
{

namespace fs = std::filesystem;

RunOutcome Install(IFileSystem& fileSystem, const fs::path& game, const CMissionDefinition& mission)
{
    CRecordingFrontEnd frontEnd;
    CRecordedInstallation run(fileSystem, frontEnd, game.string() + "/", mission,
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
        fs::remove(game / "kxinstall.log");
    }

    // The run's log with its date made "<date>", since runs start at different times; empty when there is
    // none.
    std::string Log() const
    {
        if (!fs::exists(game / "kxinstall.log"))
            return "";
        return std::regex_replace(ReadBytes(game / "kxinstall.log"), std::regex("Attempted: .{24}"),
                                  "Attempted: <date>");
    }

    int OperationsOf(const std::function<void(IFileSystem&)>& work)
    {
        FreshGame();
        CFaultInjectingFileSystem counting(NativeFileSystem());
        work(counting);
        return counting.Operations();
    }
};

// Until the new backup set is committed the previous installation's set stands, and restore undoes that
// installation; from then on restore undoes the killed one.
TEST_F(CrashRecovery, AnInstallationKilledAfterAnyOperationIsUndoneByRestore)
{
    const CMissionDefinition mission = SampleMission("Glasshouse03.kxm");
    const auto install = [&](IFileSystem& fileSystem) { Install(fileSystem, game, mission); };
    const auto before = GameFilesIn(start);
    const auto original = GameFilesIn(KX_SAMPLE_DIR "/game");
    const std::string previousJournal = ReadBytes(start / "data/Backup/journal.txt");
    const int n = OperationsOf(install);
    const std::string fullLog = Log();
    std::size_t logKept = 0;

    int previousKept = 0;
    for (int k = 1; k <= n + 1; ++k)
    {
        SCOPED_TRACE("killed after operation " + std::to_string(k) + " of " + std::to_string(n));
        FreshGame();
        CrashAfter(k, install);
        // Every line written before the kill is on the disk, where the log stands.
        const std::string log = Log();
        ASSERT_EQ(fullLog.compare(0, log.size(), log), 0) << log;
        ASSERT_GE(log.size(), logKept);
        logKept = log.size();
        ASSERT_FALSE(fs::exists(game / "kxinstall.log.kxnew"));
        const bool previousStands = ReadBytes(game / "data/Backup/journal.txt") == previousJournal;
        if (previousStands)
        {
            ASSERT_EQ(GameFilesIn(game), before) << "the game changed before its backup was committed";
        }
        ASSERT_EQ(Restore(game), 0);
        ASSERT_EQ(GameFilesIn(game), previousStands ? original : before);
        // The records agree with the game: the restored installation's record went with it.
        const InstallationHistory history = ReadInstallationHistory(NativeFileSystem(), game.string() + "/");
        ASSERT_FALSE(history.damaged);
        ASSERT_EQ(history.records.size(), previousStands ? 0u : 1u);
        ASSERT_EQ(ChangedSinceLastInstallation(NativeFileSystem(), game.string() + "/", history),
                  std::vector<std::string>{});
        previousKept += previousStands;
    }
    EXPECT_EQ(logKept, fullLog.size());
    EXPECT_NE(fullLog.find("Installation complete for Glasshouse."), std::string::npos);
    EXPECT_GT(previousKept, 0);
    EXPECT_LT(previousKept, n);
    std::cout << "[ crash    ] installation: N = " << n << " operations, " << n + 1 << " killed runs, "
              << previousKept << " before the new backup set was committed\n";
}

// An uninstall of the middle of three installations, killed after any operation, has either not yet changed
// the game or completed, once kxvuz restore has put back the snapshot of one it finds interrupted; the
// records agree with the game either way.
TEST_F(CrashRecovery, AnUninstallKilledAfterAnyOperationIsUndoneByRestoreOrComplete)
{
    for (const char* mission : {"Ridge02.kxm", "MPFoundry.kxm"})
        ASSERT_EQ(Install(NativeFileSystem(), start, SampleMission(mission)), RunOutcome::Completed);
    const auto uninstall = [&](IFileSystem& fileSystem)
    {
        CRecordingFrontEnd frontEnd;
        Uninstall(fileSystem, frontEnd, game.string() + "/", "2", false, (game / "kxinstall.log").string());
    };
    const auto before = GameFilesIn(start);
    const std::string journal = ReadBytes(start / "data/Backup/journal.txt");
    const int n = OperationsOf(uninstall);
    const auto removed = GameFilesIn(game);
    ASSERT_NE(removed, before);

#ifndef KX_UNINSTALL_KILL_STRIDE
#define KX_UNINSTALL_KILL_STRIDE 1
#endif
    int undone = 0;
    int completed = 0;
    int killed = 0;
    for (int k = 1; k <= n + 1; k += KX_UNINSTALL_KILL_STRIDE)
    {
        SCOPED_TRACE("killed after operation " + std::to_string(k) + " of " + std::to_string(n));
        FreshGame();
        CrashAfter(k, uninstall);
        ++killed;
        if (UninstallInterrupted(NativeFileSystem(), game.string() + "/"))
        {
            ASSERT_EQ(Restore(game), 0);
            ++undone;
        }
        const InstallationHistory history = ReadInstallationHistory(NativeFileSystem(), game.string() + "/");
        ASSERT_FALSE(history.damaged);
        ASSERT_TRUE(ChangedSinceLastInstallation(NativeFileSystem(), game.string() + "/", history).empty());
        if (GameFilesIn(game) == removed)
        {
            ASSERT_EQ(history.records.size(), 2u);
            ++completed;
            continue;
        }
        ASSERT_EQ(GameFilesIn(game), before);
        ASSERT_EQ(history.records.size(), 3u);
        ASSERT_EQ(ReadBytes(game / "data/Backup/journal.txt"), journal);
    }
    EXPECT_GT(undone, 0);
    EXPECT_GT(completed, 0);
    std::cout << "[ crash    ] uninstall: N = " << n << " operations, " << killed << " killed runs, "
              << undone << " of them undone by restore, " << completed << " completed\n";
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
    int refused = 0;
    for (int k = 1; k <= n; ++k)
    {
        SCOPED_TRACE("killed after operation " + std::to_string(k) + " of " + std::to_string(n));
        FreshGame();
        CrashAfter(k, restore);
        // A killed restore that had claimed the game keeps it claimed; one that had not yet wrote nothing.
        const auto journal = ReadBackupJournal(NativeFileSystem(), game.string() + "/");
        const auto half = GameFilesIn(game);
        if (journal && ClaimsTheGame(*journal))
        {
            ASSERT_EQ(Install(NativeFileSystem(), game, SampleMission("Glasshouse03.kxm")),
                      RunOutcome::Refused);
            ASSERT_EQ(GameFilesIn(game), half);
            ++refused;
        }
        else if (journal && journal->state == BackupJournal::State::Installed)
        {
            ASSERT_EQ(half, before);
        }
        ASSERT_EQ(Restore(game), 0);
        ASSERT_EQ(GameFilesIn(game), original);
    }
    EXPECT_GT(refused, 0);
    EXPECT_NE(before, original);
    std::cout << "[ crash    ] restore: N = " << n << " operations, " << n << " killed runs, " << refused
              << " of them then refused an installation\n";
}

} // namespace
