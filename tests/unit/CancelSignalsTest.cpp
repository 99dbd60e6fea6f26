#include "CancelSignals.h"
#include "FaultInjectingFileSystem.h"
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

// Commands that Ctrl-C does not cancel end by it, as programs do.
TEST(CancelSignalsOfCommands, OnlyInstallAndRestoreTakeOverCtrlC)
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
