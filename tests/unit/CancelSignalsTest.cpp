#include "CancelSignals.h"
#include "FaultInjectingFileSystem.h"
#include "InstallationRecords.h"
#include "KxvuzRun.h"
#include "TerminalFrontEnd.h"
#include "TestGame.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <iterator>
#include <sys/wait.h>
#include <unistd.h>

namespace
{

namespace fs = std::filesystem;

const std::string kMission = std::string(KX_SAMPLE_DIR) + "/missions/Harbor01.kxm";
constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

// kxvuz's handlers in this process, and the process as it was afterwards.
class CancelSignals : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (std::size_t i = 0; i < std::size(kSignals); ++i)
            sigaction(kSignals[i], nullptr, &previous[i]);
        InstallCancelHandlers();
    }

    void TearDown() override
    {
        for (std::size_t i = 0; i < std::size(kSignals); ++i)
            sigaction(kSignals[i], &previous[i], nullptr);
    }

    KxvuzResult Install(const CTestGame& game, IFileSystem& fileSystem)
    {
        return Kxvuz({"install", "--game", game.Directory(), kMission}, fileSystem);
    }

    struct sigaction previous[std::size(kSignals)] = {};
    CScratchWorkingFolder work;
};

TEST_F(CancelSignals, EndingTheProcessOrItsTerminalCancelsTheRunAndRestoresEveryGameFile)
{
    // Halfway between the backup set's completion and the run's end: well into the run's edits.
    int target = 0;
    {
        const CTestGame game;
        CFaultInjectingFileSystem counting(NativeFileSystem());
        int backupDone = 0;
        counting.afterOperation = [&](int operation)
        {
            const std::string& last = counting.Touched().back();
            if (backupDone == 0 && last.rfind("Rename ", 0) == 0 &&
                last.find("journal.txt") != std::string::npos)
                backupDone = operation;
        };
        ASSERT_EQ(Install(game, counting).status, 0);
        ASSERT_GT(backupDone, 0);
        target = (backupDone + counting.Operations()) / 2;
    }

    struct Case
    {
        int signal;
        // Raised once more when the restore reads its first backup copy; 0 for none.
        int again;
    };
    for (const Case& c : {Case{SIGTERM, 0}, Case{SIGHUP, 0}, Case{SIGINT, 0}, Case{SIGTERM, SIGTERM}})
    {
        // Structured bindings cannot be captured by the lambda below under clang 14.
        const int signal = c.signal;
        const int again = c.again;
        SCOPED_TRACE(strsignal(signal) + std::string(again != 0 ? " twice" : ""));
        const CTestGame game;
        const auto before = game.GameFiles();
        CFaultInjectingFileSystem fileSystem(NativeFileSystem());
        bool raisedAgain = false;
        fileSystem.afterOperation = [&](int operation)
        {
            // The restore reads the copies in data\Backup; edits read only their scratch files in its Temp.
            const std::string& last = fileSystem.Touched().back();
            const bool readsCopy = last.rfind("Open r ", 0) == 0 &&
                                   last.find("\\Backup\\") != std::string::npos &&
                                   last.find("\\Backup\\Temp\\") == std::string::npos;
            if (operation == target)
                std::raise(signal);
            else if (again != 0 && operation > target && readsCopy && !raisedAgain)
            {
                raisedAgain = true;
                std::raise(again);
            }
        };
        const KxvuzResult result = Install(game, fileSystem);
        EXPECT_EQ(result.status, 1) << result.err;
        EXPECT_NE(result.err.find("User cancelled installation."), std::string::npos) << result.err;
        EXPECT_TRUE(game.GameFiles() == before);
        EXPECT_EQ(raisedAgain, again != 0);
        EXPECT_EQ(TakeCancelRequest(), again != 0) << "the signal during the restore reached the handler";
    }
}

// Halfway through an uninstall of the middle of three, in the middle of its replay: everything goes back.
TEST_F(CancelSignals, EndingTheProcessCancelsAnUninstallAndPutsEverythingBack)
{
    const auto installedThree = [&](const CTestGame& game)
    {
        for (const char* mission : {"Harbor01.kxm", "Ridge02.kxm", "MPFoundry.kxm"})
            ASSERT_EQ(Kxvuz({"install", "--game", game.Directory(),
                             std::string(KX_SAMPLE_DIR) + "/missions/" + mission})
                          .status,
                      0);
    };
    int target = 0;
    {
        const CTestGame game;
        installedThree(game);
        CFaultInjectingFileSystem counting(NativeFileSystem());
        ASSERT_EQ(Kxvuz({"uninstall", "--game", game.Directory(), "2"}, counting).status, 0);
        target = counting.Operations() / 2;
    }
    for (const int signal : kSignals)
    {
        SCOPED_TRACE(strsignal(signal));
        const CTestGame game;
        installedThree(game);
        const auto before = game.GameFiles();
        CFaultInjectingFileSystem fileSystem(NativeFileSystem());
        fileSystem.afterOperation = [&](int operation)
        {
            if (operation == target)
                std::raise(signal);
        };
        const KxvuzResult result = Kxvuz({"uninstall", "--game", game.Directory(), "2"}, fileSystem);
        EXPECT_EQ(result.status, 1) << result.err;
        EXPECT_NE(result.err.find("User cancelled the uninstall. Nothing was changed."), std::string::npos)
            << result.err;
        EXPECT_TRUE(game.GameFiles() == before);
        EXPECT_EQ(ReadInstallationHistory(NativeFileSystem(), game.Directory()).records.size(), 3u);
    }
}

// Commands that Ctrl-C does not cancel end by it, as programs do.
TEST(CancelSignalsOfCommands, OnlyInstallUninstallAndRestoreTakeOverCtrlC)
{
    const CTestGame game;
    const CScratchWorkingFolder work;
    struct Case
    {
        std::vector<std::string> line;
        bool endsBySignal;
    };
    for (const Case& c : {
             Case{{"show", kMission}, true},
             Case{{"restore", "--game", game.Directory()}, false},
             Case{{"install", "--game", game.Directory(), kMission}, false},
             Case{{"uninstall", "--game", game.Directory(), "1"}, false},
             Case{{"install", "--dry-run", "--game", game.Directory(), kMission}, true},
         })
    {
        SCOPED_TRACE(c.line[0]);
        const pid_t child = fork();
        ASSERT_NE(child, -1);
        if (child == 0)
        {
            // As a new process starts.
            std::signal(SIGINT, SIG_DFL);
            Kxvuz(c.line, NativeFileSystem(), InstallCancelHandlers);
            std::raise(SIGINT);
            std::_Exit(0);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_EQ(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT, c.endsBySignal) << status;
    }
}

} // namespace
