#include "Preview.h"
#include "AlreadyInstalled.h"
#include "FaultInjectingFileSystem.h"
#include "FileReplace.h"
#include "GameLock.h"
#include "KxvuzRun.h"
#include "MemoryFileSystem.h"
#include "MissionFile.h"
#include "OverlayFileSystem.h"
#include "RecordedInstallation.h"
#include "RecordingFrontEnd.h"
#include "TestGame.h"
#include "TestMissions.h"
#include "UnifiedDiff.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <regex>

namespace
{

namespace fs = std::filesystem;

const std::string kGame = "C:\\Korvex\\";
const std::string kLog = "C:\\kxinstall.log";

CMemoryFileSystem SampleGame()
{
    return CMemoryFileSystem(fs::path(KX_SAMPLE_DIR) / "game", kGame);
}

// The game's own files, without the backup folder.
std::map<std::string, std::string> GameFiles(const CMemoryFileSystem& fileSystem)
{
    std::map<std::string, std::string> files;
    for (const auto& [path, bytes] : fileSystem.Files())
        if (path.rfind(kGame, 0) == 0 && path.rfind(kGame + "data\\Backup\\", 0) != 0)
            files[path] = bytes;
    return files;
}

// Writes what a preview says the game's files would hold.
void Apply(CMemoryFileSystem& game, const Preview& preview)
{
    for (const PreviewedFile& file : preview.gameFiles)
        if (file.after)
            game.Write(kGame + file.gamePath, *file.after);
        else
            game.Remove(kGame + file.gamePath);
}

void Replace(CMemoryFileSystem& game, const std::string& path, const std::string& from, const std::string& to)
{
    std::string bytes = *ReadFileBytes(game, kGame + path);
    ASSERT_NE(bytes.find(from), std::string::npos) << from;
    bytes.replace(bytes.find(from), from.size(), to);
    game.Write(kGame + path, bytes);
}

TEST(Overlay, ReadsWhatIsBelowAndKeepsEveryChangeInMemory)
{
    CMemoryFileSystem below = SampleGame();
    const auto files = below.Files();
    COverlayFileSystem overlay(below);
    const std::string list = kGame + "data\\mission\\mission.lst";
    const std::string table = kGame + "data\\text\\interface\\english\\kx_string_table.txt";
    EXPECT_EQ(ReadFileBytes(overlay, list), ReadFileBytes(below, list));
    // Windows' names: one file whatever the case.
    ASSERT_TRUE(ReplaceFile(overlay, kGame + "DATA\\Mission\\MISSION.LST", "new"));
    EXPECT_EQ(ReadFileBytes(overlay, list), "new");
    ASSERT_TRUE(overlay.CreateFolder(kGame + "data\\Fresh"));
    ASSERT_TRUE(ReplaceFile(overlay, kGame + "data\\Fresh\\made.txt", "made"));
    EXPECT_TRUE(overlay.Remove(table));
    EXPECT_FALSE(overlay.GetStatus(table));
    EXPECT_FALSE(ReplaceFile(overlay, kGame + "data\\Missing\\x.txt", "x"));
    // A read-only file refuses writes until the attribute is cleared, in memory too.
    const std::string names = kGame + "data\\text\\briefing\\english\\missionnames.txt";
    ASSERT_TRUE(overlay.SetReadOnly(names, true));
    EXPECT_FALSE(overlay.Open(names, OpenMode::ReadWrite));
    EXPECT_FALSE(ReplaceFile(overlay, names, "x"));
    ASSERT_TRUE(overlay.SetReadOnly(names, false));
    EXPECT_TRUE(overlay.Open(names, OpenMode::ReadWrite));

    EXPECT_EQ(below.Files(), files);
    const std::vector<COverlayFileSystem::Change> changes = overlay.Changes();
    ASSERT_EQ(changes.size(), 3u);
    EXPECT_EQ(changes[0].path, kGame + "DATA\\Mission\\MISSION.LST");
    EXPECT_EQ(changes[0].before, ReadFileBytes(below, list));
    EXPECT_EQ(changes[0].after, "new");
    EXPECT_EQ(changes[1].path, kGame + "data\\Fresh\\made.txt");
    EXPECT_EQ(changes[1].before, std::nullopt);
    EXPECT_EQ(changes[2].path, table);
    EXPECT_EQ(changes[2].after, std::nullopt);
}

// The sample missions, and games on which the run fails at each kind of step.
const struct
{
    const char* what;
    const char* mission;
    std::function<void(CMemoryFileSystem&)> prepare;
} kRuns[] = {
    {"standard", "Harbor01.kxm", {}},
    {"Duskreach", "Ridge02.kxm", {}},
    {"multiplayer-only", "MPFoundry.kxm", {}},
    {"materials", "Glasshouse03.kxm", {}},
    {"no Korvex.exe", "Harbor01.kxm", [](CMemoryFileSystem& game) { game.Remove(kGame + "Korvex.exe"); }},
    {"a mission list too short", "Harbor01.kxm",
     [](CMemoryFileSystem& game) { game.Write(kGame + "data\\mission\\mission.lst", "3\r\n1\r\n2\r\n"); }},
    {"no OVERLAY_SUCCESS", "MPFoundry.kxm",
     [](CMemoryFileSystem& game) {
         Replace(game, "data\\text\\interface\\english\\kx_string_table.txt", "OVERLAY_SUCCESS",
                 "OVERLAY_GONE");
     }},
    {"a material block that cannot be read", "Glasshouse03.kxm",
     [](CMemoryFileSystem& game)
     {
         Replace(game, "data\\texture\\sherman.cxp", "\t200\r\n\t2\r\n\tgh_water01.bmp",
                 "\t200\r\n\tgh_water01.bmp");
     }},
};

// The dry run's outcome is the real run's, and its changed files applied to the game give the real run's
// game; the game it previews is left as it was.
TEST(Preview, ADryRunAgreesWithTheRealRun)
{
    for (const auto& [what, missionFile, prepare] : kRuns)
    {
        SCOPED_TRACE(what);
        CMemoryFileSystem real = SampleGame();
        if (prepare)
            prepare(real);
        CMemoryFileSystem previewed = real;
        const CMissionDefinition mission = SampleMission(missionFile);
        CRecordingFrontEnd frontEnd;
        CRecordedInstallation run(real, frontEnd, kGame, mission, kLog);
        const RunOutcome outcome = run.RunInstallation();
        ASSERT_EQ(outcome == RunOutcome::Completed, !prepare) << "each prepared game fails the run";

        const auto files = previewed.Files();
        const InstallationPreview preview = PreviewInstallation(previewed, kGame, mission, kLog);
        EXPECT_EQ(previewed.Files(), files);
        EXPECT_EQ(preview.outcome, outcome);
        EXPECT_EQ(preview.failure, frontEnd.errors.empty() ? "" : frontEnd.errors.front());
        // The two runs may start in different seconds.
        const auto undated = [](const std::string& log)
        { return std::regex_replace(log, std::regex("Attempted: .{24}"), "Attempted: <date>"); };
        EXPECT_EQ(undated(preview.preview.log), undated(ReadFileBytes(real, kLog).value_or("")));
        Apply(previewed, preview.preview);
        EXPECT_EQ(GameFiles(previewed), GameFiles(real));
        if (outcome == RunOutcome::Completed)
        {
            EXPECT_FALSE(preview.preview.gameFiles.empty());
            EXPECT_FALSE(preview.preview.otherFiles.empty());
            continue;
        }
        // What check says of that game: the run's own message among its problems.
        CMemoryFileSystem checked = real;
        const std::vector<GameFinding> findings = CheckInstallationAndHistory(checked, kGame, mission, "");
        ASSERT_FALSE(findings.empty());
        EXPECT_EQ(findings.front().kind, GameFinding::Kind::Problem);
        EXPECT_EQ(findings.front().message, frontEnd.errors.front());
    }
}

TEST(Preview, AnUninstallAndARestorePreviewedGiveWhatTheyDo)
{
    CMemoryFileSystem real = SampleGame();
    for (const char* mission : {"Harbor01.kxm", "Ridge02.kxm", "Glasshouse03.kxm"})
    {
        CRecordingFrontEnd frontEnd;
        CRecordedInstallation run(real, frontEnd, kGame, SampleMission(mission), kLog);
        ASSERT_EQ(run.RunInstallation(), RunOutcome::Completed);
    }
    for (const char* which : {"2", "3", "Nowhere"})
    {
        SCOPED_TRACE(which);
        CMemoryFileSystem removed = real;
        CMemoryFileSystem previewed = real;
        CRecordingFrontEnd frontEnd;
        const Uninstallation uninstall = Uninstall(removed, frontEnd, kGame, which, false, kLog);
        const UninstallPreview preview = PreviewUninstall(previewed, kGame, which, false, kLog);
        EXPECT_EQ(previewed.Files(), real.Files());
        EXPECT_EQ(preview.uninstall.outcome, uninstall.outcome);
        EXPECT_EQ(preview.uninstall.messages, uninstall.messages);
        EXPECT_EQ(preview.uninstall.replayed, uninstall.replayed);
        Apply(previewed, preview.preview);
        EXPECT_EQ(GameFiles(previewed), GameFiles(removed));
    }
    CMemoryFileSystem restored = real;
    CMemoryFileSystem previewed = real;
    EXPECT_TRUE(RestoreBackupSetAndRecords(restored, kGame).Complete());
    const RestorePreview preview = PreviewRestore(previewed, kGame);
    EXPECT_TRUE(preview.restore.Complete());
    Apply(previewed, preview.preview);
    EXPECT_EQ(GameFiles(previewed), GameFiles(restored));
}

// Beside another preview it runs; while an installation or restore holds the lock it does not.
TEST(Preview, ItSharesTheLockWithPreviewsOnly)
{
    CMemoryFileSystem game = SampleGame();
    const CMissionDefinition mission = SampleMission("Harbor01.kxm");
    ASSERT_TRUE(game.CreateFolder(kGame + "data\\Backup"));
    {
        const GameLock installing = LockGame(game, kGame);
        ASSERT_TRUE(installing.lock);
        const InstallationPreview refused = PreviewInstallation(game, kGame, mission, kLog);
        EXPECT_EQ(refused.outcome, RunOutcome::Refused);
        EXPECT_EQ(refused.failure, GameBusyMessage(kGame));
    }
    const GameLock previewing = ShareGameLock(game, kGame);
    ASSERT_TRUE(previewing.lock);
    EXPECT_EQ(PreviewInstallation(game, kGame, mission, kLog).outcome, RunOutcome::Completed);
    EXPECT_TRUE(LockGame(game, kGame).busy);
}

// On the real disk a dry run opens nothing for writing, renames, removes, creates or changes nothing: not in
// the game, not in the working folder. So it works where every write is refused, as in a read-only folder.
TEST(Preview, ADryRunOnTheDiskWritesNothing)
{
    const CTestGame game;
    const CScratchWorkingFolder working;
    WriteBytes(working.Path() / "Glasshouse03.kxm", EncodeMission(SampleMission("Glasshouse03.kxm")));
    CFaultInjectingFileSystem readOnly(NativeFileSystem());
    readOnly.FailEvery(
        [](const std::string& operation)
        {
            for (const char* writing :
                 {"Open w ", "Open r+ ", "Rename ", "Remove ", "CreateFolder ", "SetReadOnly ", "Lock "})
                if (operation.rfind(writing, 0) == 0)
                    return true;
            return false;
        },
        CFaultInjectingFileSystem::Fault::AccessDenied);
    const KxvuzResult result =
        Kxvuz({"install", "--dry-run", "--game", game.Directory(), "Glasshouse03.kxm"}, readOnly);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(readOnly.Injected(), 0) << "a write was tried";
    EXPECT_FALSE(fs::exists(working.Path() / "kxinstall.log"));
    EXPECT_FALSE(fs::exists(game.Path("data/Backup")));
}

TEST(Preview, TheDiffShowsChangedLinesWithThreeLinesOfContextAndNoLineEnds)
{
    const std::string before = "one\r\ntwo\r\nthree\r\nfour\r\nfive\r\nsix\r\nseven\r\neight\r\n";
    const std::string after = "one\r\ntwo\r\nthree\r\nfour\r\nFIVE\r\nsix\r\nseven\r\neight\r\nnine\xe9\r\n";
    EXPECT_EQ(UnifiedDiff("data\\x.txt", before, after), "--- a/data/x.txt\n"
                                                         "+++ b/data/x.txt\n"
                                                         "@@ -2,7 +2,8 @@\n"
                                                         " two\n"
                                                         " three\n"
                                                         " four\n"
                                                         "-five\n"
                                                         "+FIVE\n"
                                                         " six\n"
                                                         " seven\n"
                                                         " eight\n"
                                                         "+nine\xc3\xa9\n");
    Preview preview;
    preview.gameFiles = {{"data\\y.txt", std::string("a\r\nb\r\n"), std::string("a\nb\n")}};
    preview.otherFiles = {"data\\Backup\\journal.txt", "data\\Backup\\Temp\\t.txt"};
    EXPECT_EQ(PreviewText(preview),
              "Only the line ends would change in: data\\y.txt\n"
              "Also written, not shown: data\\Backup\\journal.txt, data\\Backup\\Temp\\t.txt\n");
}

} // namespace
