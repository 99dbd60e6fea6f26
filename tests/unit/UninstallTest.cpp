#include "Uninstall.h"
#include "BackupJournal.h"
#include "CheckedText.h"
#include "FaultInjectingFileSystem.h"
#include "FileReplace.h"
#include "KxvuzRun.h"
#include "MemoryFileSystem.h"
#include "MissionFile.h"
#include "RecordedInstallation.h"
#include "RecordingFrontEnd.h"
#include "TestGame.h"
#include "TestMissions.h"
#include "UninstallSnapshot.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <functional>

namespace
{

namespace fs = std::filesystem;

const std::string kGame = "C:\\Korvex\\";
const std::string kLog = "C:\\kxinstall.log";

// A multiplayer mission that rewrites a material Glasshouse rewrites too.
CMissionDefinition GlassFoundry()
{
    CMissionDefinition mission = SampleMission("MPFoundry.kxm");
    mission.missionName = "Glass Foundry";
    mission.missionFile = "MPGlass.mis";
    mission.materialNames[0] = "gh_glass_pane";
    for (std::string& token : mission.victoryTokens)
        token += "_GLASS";
    return mission;
}

CMissionDefinition Mission(const std::string& name)
{
    return name == "GlassFoundry" ? GlassFoundry() : SampleMission(name + ".kxm");
}

bool InBackupFolder(const std::string& path)
{
    std::string lower = path;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return std::tolower(c); });
    return lower.find("\\data\\backup\\") != std::string::npos;
}

// The game's files, without the backup folder and the records in it.
std::map<std::string, std::string> GameFiles(const CMemoryFileSystem& fileSystem)
{
    std::map<std::string, std::string> files;
    for (const auto& [path, bytes] : fileSystem.Files())
        if (path.rfind(kGame, 0) == 0 && !InBackupFolder(path))
            files[path] = bytes;
    return files;
}

// Every file but the log, the lock and the runs' working files in Temp: game, backup set and records alike.
std::map<std::string, std::string> Everything(const CMemoryFileSystem& fileSystem)
{
    std::map<std::string, std::string> files;
    for (const auto& [path, bytes] : fileSystem.Files())
        if (path != kLog && path != kGame + "data\\Backup\\kxvuz.lock" &&
            path.rfind(kGame + "data\\Backup\\Temp\\", 0) != 0)
            files[path] = bytes;
    return files;
}

// The paths whose bytes differ between two sets of files, or that only one has.
std::vector<std::string> Differing(const std::map<std::string, std::string>& a,
                                   const std::map<std::string, std::string>& b)
{
    std::vector<std::string> paths;
    for (const auto& [path, bytes] : a)
        if (!b.count(path) || b.at(path) != bytes)
            paths.push_back(path);
    for (const auto& [path, bytes] : b)
        if (!a.count(path))
            paths.push_back(path);
    return paths;
}

std::string Lines(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}

std::vector<std::string> MissionNames(IFileSystem& fileSystem)
{
    std::vector<std::string> names;
    for (const InstallationRecord& record : ReadInstallationHistory(fileSystem, kGame).records)
        names.push_back(record.missionName);
    return names;
}

RunOutcome Install(IFileSystem& fileSystem, const CMissionDefinition& mission)
{
    CRecordingFrontEnd frontEnd;
    CRecordedInstallation run(fileSystem, frontEnd, kGame, mission, kLog);
    return run.RunInstallation();
}

CMemoryFileSystem Installed(const std::vector<std::string>& missions)
{
    CMemoryFileSystem memory(fs::path(KX_SAMPLE_DIR) / "game", kGame);
    for (const std::string& mission : missions)
        EXPECT_EQ(Install(memory, Mission(mission)), RunOutcome::Completed) << mission;
    return memory;
}

Uninstallation Remove(IFileSystem& fileSystem, const std::string& which, bool byName = false)
{
    CRecordingFrontEnd frontEnd;
    return Uninstall(fileSystem, frontEnd, kGame, which, byName, kLog);
}

// A Duskreach mission, which creates its group, a multiplayer-only one and two that rewrite one material, in
// several orders; the last removes the newest, which replays nothing.
TEST(Uninstall, RemovingAnInstallationGivesTheGameOfNeverHavingInstalledIt)
{
    const struct
    {
        std::vector<std::string> missions;
        std::size_t removed;
    } cases[] = {
        {{"Harbor01", "Ridge02", "MPFoundry"}, 2},          {{"Ridge02", "Harbor01", "Glasshouse03"}, 1},
        {{"Glasshouse03", "GlassFoundry", "MPFoundry"}, 1}, {{"MPFoundry", "GlassFoundry", "Ridge02"}, 2},
        {{"Ridge02", "Glasshouse03", "GlassFoundry"}, 1},   {{"Harbor01", "Ridge02", "Glasshouse03"}, 3},
    };
    for (const auto& [missions, removed] : cases)
    {
        SCOPED_TRACE(missions[0] + ", " + missions[1] + ", " + missions[2] + " without " +
                     std::to_string(removed));
        CMemoryFileSystem game = Installed(missions);
        const InstallationHistory before = ReadInstallationHistory(game, kGame);
        std::vector<std::string> rest = missions;
        rest.erase(rest.begin() + static_cast<long>(removed) - 1);
        CMemoryFileSystem expected = Installed(rest);

        const Uninstallation result = Remove(game, std::to_string(removed));
        ASSERT_EQ(result.outcome, UninstallOutcome::Removed) << Lines(result.messages);
        EXPECT_EQ(result.missionName, before.records[removed - 1].missionName);
        EXPECT_EQ(Differing(GameFiles(game), GameFiles(expected)), std::vector<std::string>{});
        // The same records as the installations of the rest, each with its first installation's time.
        const InstallationHistory after = ReadInstallationHistory(game, kGame);
        const InstallationHistory fresh = ReadInstallationHistory(expected, kGame);
        ASSERT_EQ(after.records.size(), 2u);
        for (std::size_t i = 0; i < 2; ++i)
        {
            EXPECT_EQ(after.records[i].installed, before.records[i < removed - 1 ? i : i + 1].installed);
            EXPECT_EQ(after.records[i].mission, fresh.records[i].mission);
            EXPECT_EQ(after.records[i].files.size(), fresh.records[i].files.size());
        }
        EXPECT_FALSE(UninstallInterrupted(game, kGame));

        // Restore undoes the newest installation where the uninstall replayed it, and has nothing else to
        // undo.
        CMemoryFileSystem restored = game;
        const BackupSetRestore restore = RestoreBackupSetAndRecords(restored, kGame);
        if (removed == missions.size())
        {
            EXPECT_EQ(restore.status, BackupSetRestore::Status::NoBackupSet);
            continue;
        }
        ASSERT_TRUE(restore.Complete());
        EXPECT_EQ(GameFiles(restored), GameFiles(Installed({rest[0]})));
        EXPECT_EQ(MissionNames(restored), std::vector<std::string>{after.records[0].missionName});
    }
}

TEST(Uninstall, RemovingEveryInstallationInAnyOrderGivesTheOriginalGame)
{
    const CMemoryFileSystem original(fs::path(KX_SAMPLE_DIR) / "game", kGame);
    std::vector<std::string> order = {"Harbor Lights", "Ridge Line", "Foundry Skirmish"};
    do
    {
        CMemoryFileSystem game = Installed({"Harbor01", "Ridge02", "MPFoundry"});
        for (const std::string& name : order)
            ASSERT_EQ(Remove(game, name).outcome, UninstallOutcome::Removed) << name;
        EXPECT_EQ(GameFiles(game), GameFiles(original));
        EXPECT_TRUE(MissionNames(game).empty());
    } while (std::next_permutation(order.begin(), order.end()));
}

// A number is a number while such a record exists; a name otherwise, or with byName.
TEST(Uninstall, WhichIsANumberWhereSuchARecordExistsAndANameOtherwise)
{
    const struct
    {
        std::string which;
        bool byName;
        std::vector<std::string> left;
    } cases[] = {
        {"1", false, {"2", "7"}},
        {"2", false, {"Harbor Lights", "7"}},
        {"2", true, {"Harbor Lights", "7"}},
        {"7", false, {"Harbor Lights", "2"}},
        {"Harbor Lights", true, {"2", "7"}},
    };
    for (const auto& [which, byName, left] : cases)
    {
        SCOPED_TRACE(which + (byName ? " by name" : ""));
        CMemoryFileSystem game = Installed({"Harbor01"});
        CMissionDefinition two = SampleMission("Ridge02.kxm");
        two.missionName = "2";
        CMissionDefinition seven = SampleMission("MPFoundry.kxm");
        seven.missionName = "7";
        ASSERT_EQ(Install(game, two), RunOutcome::Completed);
        ASSERT_EQ(Install(game, seven), RunOutcome::Completed);
        ASSERT_EQ(Remove(game, which, byName).outcome, UninstallOutcome::Removed);
        EXPECT_EQ(MissionNames(game), left);
    }
}

// Each refusal names what is in the way and writes nothing, not even the log.
TEST(Uninstall, RefusalsNameWhatIsInTheWayAndChangeNothing)
{
    const std::string missionList = kGame + "data\\mission\\mission.lst";
    const struct
    {
        const char* what;
        std::string which;
        std::function<void(CMemoryFileSystem&)> prepare;
        std::string message;
    } cases[] = {
        {"unknown",
         "Nowhere",
         {},
         "No installation of a mission named Nowhere is recorded. Nothing was changed."},
        {"number beyond the records", "9", {}, "No installation number or mission named 9 is recorded."},
        {"installed twice", "Harbor Lights",
         [](CMemoryFileSystem& game) { Install(game, SampleMission("Harbor01.kxm")); },
         "Harbor Lights was installed several times: give the number of one of installations 1, 4."},
        {"a changed file", "2",
         [&](CMemoryFileSystem& game) { game.Write(missionList, *ReadFileBytes(game, missionList) + "x"); },
         "data\\mission\\mission.lst has changed since the installation that last wrote it."},
        {"a damaged record", "2",
         [](CMemoryFileSystem& game)
         {
             const std::string record = kGame + "data\\Backup\\Installed\\records\\000003.txt";
             game.Write(record, *ReadFileBytes(game, record) + " ");
         },
         "The installation records cannot be read: " + kGame +
             "data\\Backup\\Installed\\records\\000003.txt"},
        {"an interrupted uninstall", "2",
         [](CMemoryFileSystem& game) { game.Write(UninstallJournalPath(kGame), "half"); },
         kInterruptedUninstall},
        {"an interrupted installation", "2",
         [](CMemoryFileSystem& game)
         {
             BackupJournal journal = *ReadBackupJournal(game, kGame);
             journal.state = BackupJournal::State::Complete;
             WriteBackupJournal(game, kGame, journal);
         },
         kInterruptedInstallation},
    };
    for (const auto& [what, which, prepare, message] : cases)
    {
        SCOPED_TRACE(what);
        CMemoryFileSystem game = Installed({"Harbor01", "Ridge02", "MPFoundry"});
        if (prepare)
            prepare(game);
        const auto before = Everything(game);
        const auto log = ReadFileBytes(game, kLog);
        const Uninstallation result = Remove(game, which);
        EXPECT_EQ(result.outcome, UninstallOutcome::Refused);
        const std::string all = Lines(result.messages);
        EXPECT_NE(all.find(message), std::string::npos) << all;
        EXPECT_EQ(Differing(Everything(game), before), std::vector<std::string>{});
        EXPECT_EQ(ReadFileBytes(game, kLog), log);
    }
}

// A replay that fails, or a cancel at any step, puts the game, its backup set and its records back.
TEST(Uninstall, AFailedReplayOrACancelAtAnyStepPutsEverythingBack)
{
    const CMemoryFileSystem start = Installed({"Harbor01", "Ridge02", "Glasshouse03"});
    {
        CMemoryFileSystem game = start;
        CFaultInjectingFileSystem faulty(game);
        // Glasshouse's material edit, which only the replay makes now.
        faulty.FailEvery(
            [](const std::string& operation)
            { return operation.find("Open r+") == 0 && operation.find("herman.cxp") != std::string::npos; },
            CFaultInjectingFileSystem::Fault::AccessDenied);
        const Uninstallation result = Remove(faulty, "2");
        EXPECT_EQ(result.outcome, UninstallOutcome::FailedAndRestored);
        ASSERT_EQ(result.messages.size(), 1u);
        EXPECT_EQ(result.messages[0].rfind("Could not install Glasshouse again: ", 0), 0u)
            << result.messages[0];
        EXPECT_TRUE(result.messages[0].ends_with(". Nothing was changed.")) << result.messages[0];
        EXPECT_EQ(Differing(Everything(game), Everything(start)), std::vector<std::string>{});
    }
    int cancelled = 0;
    for (int k = 1;; ++k)
    {
        SCOPED_TRACE("cancelled before step " + std::to_string(k));
        CMemoryFileSystem game = start;
        CRecordingFrontEnd frontEnd;
        frontEnd.cancelBeforeStep = k;
        const Uninstallation result = Uninstall(game, frontEnd, kGame, "2", false, kLog);
        if (result.outcome == UninstallOutcome::Removed)
            break;
        ASSERT_EQ(result.outcome, UninstallOutcome::Cancelled);
        EXPECT_EQ(Differing(Everything(game), Everything(start)), std::vector<std::string>{});
        ++cancelled;
    }
    EXPECT_GT(cancelled, 20);
}

// A copy that is not what the snapshot took never reaches the game, and the journal keeps claiming it.
TEST(Uninstall, ASnapshotCopyThatFailsItsChecksumIsNotPutBack)
{
    CMemoryFileSystem game = Installed({"Harbor01"});
    const std::string missionList = kGame + "data\\mission\\mission.lst";
    ASSERT_EQ(TakeUninstallSnapshot(game, kGame, {"data\\mission\\mission.lst"}), std::nullopt);
    game.Write(missionList, "half");
    game.Write(kGame + "data\\Backup\\Uninstall\\1", "rot");
    const BackupSetRestore restore = RestoreBackupSetAndRecords(game, kGame);
    EXPECT_FALSE(restore.Complete());
    EXPECT_EQ(ReadFileBytes(game, missionList), "half");
    EXPECT_TRUE(UninstallInterrupted(game, kGame));
    EXPECT_EQ(Remove(game, "1").outcome, UninstallOutcome::Refused);
}

// A journal that would lead outside the game is none of ours: nothing is put back, and it keeps the game.
TEST(Uninstall, AJournalNamingAFileOutsideTheGameIsRefused)
{
    CMemoryFileSystem game = Installed({"Harbor01"});
    const std::string outside = "C:\\outside.txt";
    game.Write(outside, "theirs");
    ASSERT_EQ(TakeUninstallSnapshot(game, kGame, {"data\\mission\\mission.lst"}), std::nullopt);
    std::string journal = *ReadFileBytes(game, UninstallJournalPath(kGame));
    journal.replace(journal.find("data\\mission\\mission.lst"), 24, "..\\outside.txt");
    const std::string body = journal.substr(0, journal.rfind("end "));
    game.Write(UninstallJournalPath(kGame), body + "end " + Hash(body) + "\r\n");
    game.Write(kGame + "data\\Backup\\Uninstall\\1", "ours");
    EXPECT_EQ(RestoreBackupSetAndRecords(game, kGame).status, BackupSetRestore::Status::NoBackupSet);
    EXPECT_EQ(ReadFileBytes(game, outside), "theirs");
    EXPECT_TRUE(UninstallInterrupted(game, kGame));
}

// kxvuz on a scratch copy of the sample game, its log in a scratch working folder.
class UninstallCommand : public ::testing::Test
{
protected:
    CScratchWorkingFolder working;
    CTestGame game;
    std::string dir = game.Directory();

    void Install(const char* mission)
    {
        WriteBytes(working.Path() / mission, EncodeMission(SampleMission(mission)));
        ASSERT_EQ(Kxvuz({"install", "--game", dir, mission}).status, 0);
    }
};

TEST_F(UninstallCommand, PrintsEachStepAndTheRemovedMissionAndLogsTheReplays)
{
    Install("Harbor01.kxm");
    Install("Ridge02.kxm");
    Install("MPFoundry.kxm");
    const KxvuzResult removed = Kxvuz({"uninstall", "--game", dir, "Harbor Lights"});
    EXPECT_EQ(removed.status, 0) << removed.err;
    EXPECT_EQ(removed.out, "Removed Harbor Lights.\n");
    for (const char* line : {"Taking back Foundry Skirmish...\n", "Taking back Harbor Lights...\n",
                             "Installing Ridge Line again...\n", "Installing Foundry Skirmish again...\n"})
        EXPECT_NE(removed.err.find(line), std::string::npos) << line << removed.err;
    const std::string log = ReadBytes(working.Path() / "kxinstall.log");
    for (const char* line :
         {"--------Uninstall of Harbor Lights--------", "\r\nTaking back Ridge Line...\r\n",
          "\r\n--------Installation for Foundry Skirmish--------", "Installation complete for Ridge Line.",
          "\r\nUninstall complete for Harbor Lights."})
        EXPECT_NE(log.find(line), std::string::npos) << line << log;
    EXPECT_EQ(log.find("\r\r"), std::string::npos);

    const KxvuzResult refused = Kxvuz({"uninstall", "--game", dir, "Harbor Lights"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.out, "");
    EXPECT_EQ(refused.err,
              "kxvuz: No installation of a mission named Harbor Lights is recorded. Nothing was changed.\n");

    // The newest installation stood last: restore has nothing of the uninstall's to undo but that.
    EXPECT_EQ(Kxvuz({"uninstall", "--game", dir, "2"}).status, 0);
    const KxvuzResult restore = Kxvuz({"restore", "--game", dir});
    EXPECT_EQ(restore.status, 2);
    EXPECT_NE(restore.err.find("nothing was restored"), std::string::npos) << restore.err;
}

} // namespace
