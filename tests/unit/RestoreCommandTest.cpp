#include "BackupJournal.h"
#include "InstallationRun.h"
#include "KxvuzRun.h"
#include "RecordingFrontEnd.h"
#include "TerminalFrontEnd.h"
#include "TestGame.h"

#include <gtest/gtest.h>

namespace
{

class RestoreCommand : public ::testing::Test
{
protected:
    CTestGame game;

    RunOutcome Install()
    {
        CRecordingFrontEnd frontEnd;
        return game.Install(CTestGame::Mission(), frontEnd);
    }
    KxvuzResult Restore() { return Kxvuz({"restore", "--game", game.Directory()}); }
};

TEST_F(RestoreCommand, UndoesTheLastCompletedInstallationAndSaysWhat)
{
    const auto before = game.GameFiles();
    ASSERT_EQ(Install(), RunOutcome::Completed);
    ASSERT_NE(game.GameFiles(), before);
    EXPECT_NE(game.Read("data/Backup/journal.txt").find("state installed\r\n"), std::string::npos);

    const KxvuzResult restored = Restore();
    EXPECT_EQ(restored.status, 0) << restored.err;
    EXPECT_EQ(game.GameFiles(), before);
    EXPECT_NE(restored.out.find("Restored: data\\mission\\mission.lst\n"), std::string::npos) << restored.out;
    EXPECT_NE(restored.out.find("Already as backed up: data\\texture\\sherman.cxp\n"), std::string::npos)
        << "the test mission has no materials";
    EXPECT_NE(game.Read("data/Backup/journal.txt").find("state restored\r\n"), std::string::npos);

    // Again: nothing left to change.
    const KxvuzResult again = Restore();
    EXPECT_EQ(again.status, 0);
    EXPECT_EQ(again.out.find("Restored:"), std::string::npos) << again.out;
    EXPECT_EQ(game.GameFiles(), before);
}

TEST_F(RestoreCommand, ACancelStopsItBeforeItsNextFileAndARunAgainFinishes)
{
    const auto before = game.GameFiles();
    ASSERT_EQ(Install(), RunOutcome::Completed);
    const auto installed = game.GameFiles();

    RequestCancel();
    const KxvuzResult stopped = Restore();
    EXPECT_EQ(stopped.status, 2);
    EXPECT_EQ(stopped.err, "kxvuz: The restore was stopped; run kxvuz restore again to finish it.\n");
    EXPECT_EQ(stopped.out, "") << "stopped before its first file";
    EXPECT_TRUE(game.GameFiles() == installed);

    const KxvuzResult finished = Restore();
    EXPECT_EQ(finished.status, 0) << finished.err;
    EXPECT_EQ(game.GameFiles(), before);
}

TEST_F(RestoreCommand, RefusesWithoutACompleteBackupSet)
{
    const auto before = game.GameFiles();
    const auto expectRefused = [&](const char* why)
    {
        const KxvuzResult result = Restore();
        EXPECT_EQ(result.status, 2) << why;
        EXPECT_EQ(result.out, "") << why;
        EXPECT_NE(result.err.find("No complete backup set in " + game.Directory() + "data\\Backup"),
                  std::string::npos)
            << why << ": " << result.err;
        EXPECT_TRUE(game.GameFiles() == before) << why;
    };
    expectRefused("no backup folder");

    ASSERT_EQ(Install(), RunOutcome::Completed);
    const std::string journal = game.Read("data/Backup/journal.txt");
    const auto installed = game.GameFiles();
    const auto expectRefusedJournal = [&](const std::string& text, const char* why)
    {
        game.Write("data/Backup/journal.txt", text);
        const KxvuzResult result = Restore();
        EXPECT_EQ(result.status, 2) << why;
        EXPECT_TRUE(game.GameFiles() == installed) << why;
    };
    expectRefusedJournal(journal.substr(0, journal.size() - 7), "a journal cut before its end");
    expectRefusedJournal(journal.substr(0, journal.find("state")) + "state writing\r\n" +
                             journal.substr(journal.find("mission.lst")),
                         "an unknown state");
    for (const char* outside :
         {"..\\outside.txt", "C:\\outside.txt", "\\outside.txt", "data\\..\\..\\outside.txt"})
    {
        SCOPED_TRACE(outside);
        game.Write("data/Backup/outside-copy.txt", "copy");
        expectRefusedJournal(
            std::string("KX VUZ Odezodure backup journal\r\nstate complete\r\noutside-copy.txt\t") + outside +
                "\r\nend\r\n",
            "a path out of the game");
        expectRefusedJournal(std::string("KX VUZ Odezodure backup journal\r\nstate complete\r\n") + outside +
                                 "\tdata\\mission\\mission.lst\r\nend\r\n",
                             "a copy out of the backup folder");
        EXPECT_FALSE(std::filesystem::exists(game.Path("../outside.txt")));
    }
}

} // namespace
