#include "InstallationRun.h"
#include "RecordingFrontEnd.h"
#include "TestGame.h"

#include <gtest/gtest.h>

namespace
{

namespace fs = std::filesystem;

const std::string kTable = "data/text/interface/english/kx_string_table.txt";

class StringTableUpdate : public ::testing::Test
{
protected:
    CTestGame game;
    // Multiplayer-only, so that no other edit runs before this one.
    CMissionDefinition mission = []
    {
        CMissionDefinition m = CTestGame::Mission();
        m.multiplayer = 1;
        return m;
    }();
    CRecordingFrontEnd frontEnd;

    RunOutcome Run() { return game.Install(mission, frontEnd); }

    std::string TablePath() const
    {
        return game.Directory() + "data\\text\\interface\\english\\kx_string_table.txt";
    }
    std::string TempPath() const { return game.Directory() + "data\\Backup\\Temp\\stringTable.txt"; }

    // The bytes of the table after a completed run over table (given in memory form).
    std::string Installed(const std::string& table)
    {
        game.Write(kTable, Disk(table));
        EXPECT_EQ(Run(), RunOutcome::Completed) << (frontEnd.errors.empty() ? "" : frontEnd.errors.back());
        return game.Read(kTable);
    }

    void ExpectFailsAndRestores(const std::string& message)
    {
        const auto before = game.GameFiles();
        EXPECT_EQ(Run(), RunOutcome::FailedAndRestored);
        EXPECT_EQ(frontEnd.errors, std::vector<std::string>{message});
        EXPECT_EQ(game.GameFiles(), before);
    }
};

TEST_F(StringTableUpdate, InsertsTheMissionsTokensAfterTheLastEntryBeforeOverlaySuccess)
{
    mission.missionName = "Harbor 100% 'Lights'";
    mission.AddToken("VC_HARBOR_MANIFEST");
    mission.SetDescription(0, "Recover the 'manifest' %s");
    mission.AddToken("VC_HARBOR_QUIET");
    const std::string sample = game.Read(kTable);
    const std::string lastEntry = "VC_CITADEL_COMMANDER\t\t\"Capture the garrison commander alive\"\r\n";
    ASSERT_NE(sample.find(lastEntry), std::string::npos);
    const std::size_t after = sample.find(lastEntry) + lastEntry.size();

    EXPECT_EQ(Run(), RunOutcome::Completed);
    const std::string expected = sample.substr(0, after) +
                                 Disk("\n//-- Harbor 100% 'Lights'\n//\n"
                                      "VC_HARBOR_MANIFEST\t\t\"Recover the 'manifest' %s\"\n"
                                      "VC_HARBOR_QUIET\t\t\"\"\n") +
                                 sample.substr(after);
    EXPECT_EQ(game.Read(kTable), expected);
    EXPECT_EQ(game.Read("data/Backup/Temp/stringTable.txt"), expected) << "the temporary file stays";

    ASSERT_GE(frontEnd.shown.size(), 5u);
    EXPECT_EQ(frontEnd.shown[2], "50% Backing up files...");
    EXPECT_EQ(frontEnd.shown[3], "75% Opening " + TablePath() + "...");
    EXPECT_EQ(frontEnd.shown[4], "100% Updating kx_string_table.txt...");
    const std::string log = ReadBytes(game.LogPath());
    const std::string steps =
        Disk("\nCopying complete.\nOpening " + TablePath() +
             "...\nFile opened successfullly.\nSearching for token 'OVERLAY_SUCCESS'...\nToken found.\n"
             "Opening temp file " +
             TempPath() +
             "...\nFile opened successfully.\nCopying victory conditions information...\nCopying complete.\n"
             "kx_string_table.txt file closed.");
    EXPECT_NE(log.find(steps), std::string::npos) << log;
}

TEST_F(StringTableUpdate, WithoutTokensOnlyTheHeaderGoesInAndCommentsStayBehindIt)
{
    mission.missionName = "Quiet";
    // The first entry that holds the token, even inside a longer word, ends the search.
    EXPECT_EQ(Installed("// strings\nA\t\t\"a\"\n  // about overlays\n\t\nOLD_OVERLAY_SUCCESS_X\t\t\"x\"\n"
                        "OVERLAY_SUCCESS\t\t\"y\"\n"),
              Disk("// strings\nA\t\t\"a\"\n\n//-- Quiet\n//\n  // about overlays\n\t\n"
                   "OLD_OVERLAY_SUCCESS_X\t\t\"x\"\nOVERLAY_SUCCESS\t\t\"y\"\n"));
}

TEST_F(StringTableUpdate, InstallingTwiceAddsASecondHeaderBehindTheFirst)
{
    mission.missionName = "First";
    mission.AddToken("VC_ONE");
    Installed("A\t\t\"a\"\n\nOVERLAY_SUCCESS\t\t\"o\"\n");
    // The token with the same text again: the game checks only warn of it.
    mission.missionName = "Second";
    EXPECT_EQ(Run(), RunOutcome::Completed);
    EXPECT_EQ(game.Read(kTable), Disk("A\t\t\"a\"\n\n//-- First\n//\nVC_ONE\t\t\"\"\n\n//-- Second\n//\n"
                                      "VC_ONE\t\t\"\"\n\nOVERLAY_SUCCESS\t\t\"o\"\n"));
}

TEST_F(StringTableUpdate, WhenOverlaySuccessIsTheFirstEntryTheLinesGoDirectlyBeforeIt)
{
    mission.missionName = "M";
    mission.AddToken("VC_M");
    const std::string inserted = "\n//-- M\n//\nVC_M\t\t\"\"\n";
    EXPECT_EQ(Installed("// strings\n\nOVERLAY_SUCCESS\t\t\"o\"\nB\t\t\"b\"\n"),
              Disk("// strings\n\n" + inserted + "OVERLAY_SUCCESS\t\t\"o\"\nB\t\t\"b\"\n"));
    EXPECT_EQ(Installed("OVERLAY_SUCCESS\t\t\"o\"\n"), Disk(inserted + "OVERLAY_SUCCESS\t\t\"o\"\n"));
    EXPECT_EQ(Installed("// x\n/* note */ OVERLAY_SUCCESS\t\t\"o\"\n"),
              Disk("// x\n" + inserted + "/* note */ OVERLAY_SUCCESS\t\t\"o\"\n"))
        << "an entry behind a closing comment moves with its whole line";
}

TEST_F(StringTableUpdate, LongLinesAndEntriesBehindCommentsAreCopiedWholeAndOnce)
{
    mission.missionName = "Long";
    mission.AddToken("VC_LONG");
    mission.SetDescription(0, std::string(150, 'n'));
    const std::string inserted = "\n//-- Long\n//\nVC_LONG\t\t\"" + std::string(150, 'n') + "\"\n";
    const std::string first = "FIRST\t\t\"" + std::string(200, 'f') + "\"\n";
    const std::string comment = "// " + std::string(400, 'c') + "\n";
    const std::string last = "VC_LAST\t\t\"" + std::string(300, 'd') + "\"\n";
    const std::string overlay = "OVERLAY_SUCCESS\t\t\"" + std::string(250, 'o') + "\"\n";
    // The table's last line has no line end, and keeps it that way.
    const std::string rest = comment + overlay + "END\t\t\"z\"";
    EXPECT_EQ(Installed(first + comment + last + "\n" + rest),
              Disk(first + comment + last + inserted + "\n" + rest));

    EXPECT_EQ(Installed("/* a */ VC_A\t\t\"" + std::string(120, 'a') + "\"\n" + overlay),
              Disk("/* a */ VC_A\t\t\"" + std::string(120, 'a') + "\"\n" + inserted + overlay));
}

TEST_F(StringTableUpdate, ATableWithoutOverlaySuccessFailsAndRestores)
{
    game.Write(kTable, Disk("A\t\t\"a\"\n// OVERLAY_SUCCESS in a comment\nB\t\t\"b\"\n"));
    ExpectFailsAndRestores("Unexpected end of file found.");
}

TEST_F(StringTableUpdate, ATableThatCannotBeOpenedFailsAndRestores)
{
    // Gone after its backup, just before it is opened.
    frontEnd.actBeforeStep = 3;
    frontEnd.action = [&] { fs::remove(game.Path(kTable)); };
    ExpectFailsAndRestores("Error opening file " + TablePath() + ".");
}

TEST_F(StringTableUpdate, ATemporaryFileThatCannotBeOpenedFailsAndRestores)
{
    fs::create_directories(game.Path("data/Backup/Temp/stringTable.txt"));
    ExpectFailsAndRestores("Error opening temporary file " + TempPath() + ".");
}

TEST_F(StringTableUpdate, AFailedCopyBackFailsAndRestores)
{
    mission.AddToken("VC_X");
    // Refuses the copy over it, while it is already open.
    frontEnd.actBeforeStep = 4;
    frontEnd.action = [&] { NativeFileSystem().SetReadOnly(game.Path(kTable).string(), true); };
    ExpectFailsAndRestores("Failed to copy temp file\n" + TempPath() + " to\n" + TablePath() + ".");
}

} // namespace
