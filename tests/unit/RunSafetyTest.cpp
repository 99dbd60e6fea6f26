#include "BackupSetRestore.h"
#include "CodePage.h"
#include "FaultInjectingFileSystem.h"
#include "FileReplace.h"
#include "GameLock.h"
#include "InstallationRun.h"
#include "KxvuzRun.h"
#include "MemoryFileSystem.h"
#include "MissionFile.h"
#include "RecordingFrontEnd.h"
#include "TestGame.h"
#include "TestMissions.h"

#include <gtest/gtest.h>

#include <cctype>
#include <functional>
#include <new>

namespace
{

namespace fs = std::filesystem;

const std::string kGame = "C:\\Korvex\\";
const std::string kBackup = kGame + "data\\Backup\\";
const std::string kMissionFile = "C:\\missions\\mission.kxm";

bool Writes(const std::string& record)
{
    return record.rfind("Open r ", 0) != 0 && record.rfind("GetStatus ", 0) != 0 &&
           record.rfind("Lock ", 0) != 0;
}

std::string Upper(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// A memory copy of the sample game, where kxvuz and the run meet ordinary mistakes.
class RunSafety : public ::testing::Test
{
protected:
    CMemoryFileSystem memory{fs::path(KX_SAMPLE_DIR) / "game", kGame};
    CFaultInjectingFileSystem recorder{memory};
    CRecordingFrontEnd frontEnd;
    std::string logPath = "C:\\kxinstall.log";
    const std::map<std::string, std::string> original = GameFiles();

    void SetUp() override { ASSERT_TRUE(memory.CreateFolder("C:\\missions")); }

    std::map<std::string, std::string> GameFiles() const
    {
        std::map<std::string, std::string> files;
        for (const auto& [path, bytes] : memory.Files())
            if (path.rfind(kGame, 0) == 0 && path.rfind(kBackup, 0) != 0)
                files[path] = bytes;
        return files;
    }

    // The journal and the copies it names: what undoes the last installation.
    std::map<std::string, std::string> BackupSet()
    {
        std::map<std::string, std::string> set;
        const auto journal = ReadBackupJournal(memory, kGame);
        if (!journal)
            return set;
        set["journal.txt"] = *ReadFileBytes(memory, kBackup + "journal.txt");
        for (const BackupJournal::Entry& entry : journal->files)
            set[entry.backupName] = ReadFileBytes(memory, kBackup + entry.backupName).value_or("(missing)");
        return set;
    }

    RunOutcome Run(const CMissionDefinition& mission, IFileSystem& fileSystem)
    {
        CInstallationRun run(fileSystem, frontEnd, kGame, mission, logPath);
        return run.RunInstallation();
    }

    KxvuzResult KxvuzInstall(const CMissionDefinition& mission)
    {
        memory.Write(kMissionFile, EncodeMission(mission));
        return Kxvuz({"install", "--game", "C:\\Korvex", kMissionFile}, recorder);
    }

    // kxvuz writes nothing at all; the run, given the mission unchecked, stops before its backup.
    void ExpectRefusedBeforeAnyWrite(const CMissionDefinition& mission, const std::string& message)
    {
        const KxvuzResult result = KxvuzInstall(mission);
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.err, SystemTextFromCodePage("kxvuz: " + kMissionFile + ": " + message + "\n"));
        EXPECT_TRUE(WritesRecorded().empty());
        EXPECT_EQ(Run(mission, memory), RunOutcome::StoppedBeforeChange);
        EXPECT_EQ(frontEnd.errors.back(), message);
        EXPECT_EQ(GameFiles(), original);
        EXPECT_EQ(BackupSet(), (std::map<std::string, std::string>{}));
        EXPECT_FALSE(memory.GetStatus(kBackup + "Temp"));
    }

    std::vector<std::string> WritesRecorded() const
    {
        std::vector<std::string> writes;
        for (const std::string& record : recorder.Touched())
            if (Writes(record))
                writes.push_back(record);
        return writes;
    }
};

TEST_F(RunSafety, NamesWhoseBackupCopiesWouldCollideAreRefusedBeforeAnyWrite)
{
    struct Case
    {
        std::string briefing;
        std::string intel;
        bool refused;
    };
    std::vector<Case> cases = {
        {"Same.txt", "Same.txt", true},
        {"same.TXT", "SAME.txt", true},
        {"Harbor01.brf", "Harbor01.int", false},
        {"mission.lst.brf", "files.int", false},
        // NTFS folds case beyond ASCII; a letter without a one-letter capital stays itself.
        {"kx\xE9t\xE9.txt", "KX\xC9T\xC9.TXT", true},
        {"\xFF\x9A\x9C\x9E.txt", "\x9F\x8A\x8C\x8E.txt", true},
        {"\xE9.txt", "e.txt", false},
        {"\xDF.txt", "SS.txt", false},
        {"\xB5.txt", "M.txt", false},
    };
    for (const std::string taken : {"mission.lst", "MPMission.lst", "missionnames.txt", "intelnames.txt",
                                    "tutorial_groupings.txt", "kx_string_table.txt", "Sherman.cxp",
                                    "files.txt", "journal.txt", "kxvuz.lock", "Temp", "Incoming", "Staging"})
    {
        cases.push_back({taken, "Harbor01.int", true});
        cases.push_back({"Harbor01.brf", Upper(taken), true});
    }
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.briefing + " / " + c.intel);
        CMissionDefinition mission = CTestGame::Mission();
        mission.briefingFile = c.briefing;
        mission.intelFile = c.intel;
        ASSERT_EQ(mission.CollidingFileNameMessage().has_value(), c.refused);
        if (!c.refused)
            continue;
        EXPECT_EQ(mission.Validate(), mission.CollidingFileNameMessage()) << "every front end validates";
        CMissionDefinition multiplayer = mission;
        multiplayer.multiplayer = 1;
        EXPECT_EQ(multiplayer.Validate(), mission.CollidingFileNameMessage())
            << "its files are backed up too";

        ExpectRefusedBeforeAnyWrite(mission, *mission.CollidingFileNameMessage());
    }
    CMissionDefinition bothEmpty;
    bothEmpty.multiplayer = 1;
    EXPECT_FALSE(bothEmpty.Validate()) << "a multiplayer mission may leave both names empty";
}

TEST_F(RunSafety, AMissionThatWouldBreakAGameFileIsRefusedBeforeAnyWrite)
{
    const std::function<void(CMissionDefinition&)> mistakes[] = {
        [](CMissionDefinition& m) { m.missionName = "Har\"bor"; },
        [](CMissionDefinition& m) { m.tutorialGroup = "\"Night Operations\""; },
        [](CMissionDefinition& m) { m.AddToken(""); },
        [](CMissionDefinition& m) { m.colorkeyRed[0] = "2555"; },
    };
    for (const auto& mistake : mistakes)
    {
        CMissionDefinition mission = SampleMission("Glasshouse03.kxm");
        mistake(mission);
        const auto message = mission.RuleMessage();
        ASSERT_TRUE(message);
        SCOPED_TRACE(*message);
        ExpectRefusedBeforeAnyWrite(mission, *message);
    }
}

// Every way a run can stop before its first change, on a game that an earlier installation left behind.
TEST_F(RunSafety, AStopBeforeTheFirstChangeKeepsThePreviousInstallationsUndo)
{
    ASSERT_EQ(Run(SampleMission("Harbor01.kxm"), memory), RunOutcome::Completed);
    const CMemoryFileSystem installed = memory;
    const auto previousSet = BackupSet();
    ASSERT_EQ(previousSet.size(), 9u);

    struct Stop
    {
        std::string why;
        std::function<void(CMissionDefinition&)> prepare;
    };
    std::vector<Stop> stops = {
        {"the log cannot be created", [&](CMissionDefinition&) { logPath = "C:\\missing\\kxinstall.log"; }},
        {"no game executable", [&](CMissionDefinition&) { memory.Remove(kGame + "Korvex.exe"); }},
        {"an illegal name", [](CMissionDefinition& m) { m.briefingFile = "..\\x.brf"; }},
        {"an unusable name", [](CMissionDefinition& m) { m.intelFile = "NUL"; }},
        {"colliding names", [](CMissionDefinition& m) { m.intelFile = m.briefingFile; }},
    };
    // A failure at each backup copy: its game file cannot be read.
    for (const char* file :
         {"data\\mission\\mission.lst", "data\\text\\briefing\\english\\missionnames.txt",
          "data\\text\\intel\\english\\intelnames.txt",
          "data\\text\\interface\\english\\tutorial_groupings.txt",
          "data\\text\\interface\\english\\kx_string_table.txt", "data\\text\\briefing\\Glasshouse03.brf",
          "data\\text\\intel\\Glasshouse03.int", "data\\texture\\sherman.cxp"})
        stops.push_back({std::string("no ") + file, [this, file](CMissionDefinition&)
                         {
                             memory.Remove(kGame + file);
                             memory.CreateFolder(kGame + file);
                         }});
    for (const Stop& stop : stops)
    {
        SCOPED_TRACE(stop.why);
        memory = installed;
        logPath = "C:\\kxinstall.log";
        CMissionDefinition mission = SampleMission("Glasshouse03.kxm");
        stop.prepare(mission);
        const auto before = GameFiles();
        EXPECT_EQ(Run(mission, memory), RunOutcome::StoppedBeforeChange);
        EXPECT_EQ(GameFiles(), before);
        EXPECT_EQ(BackupSet(), previousSet);
        memory = installed;
        ASSERT_TRUE(RestoreBackupSet(memory, kGame).Complete());
        EXPECT_EQ(GameFiles(), original);
    }
}

TEST_F(RunSafety, AnInterruptedInstallationOrAnotherProcessRefusesTheRunWithZeroWrites)
{
    const CMissionDefinition mission = SampleMission("Harbor01.kxm");
    ASSERT_EQ(Run(mission, memory), RunOutcome::Completed);
    const auto installed = GameFiles();
    const std::string journal = *ReadFileBytes(memory, kBackup + "journal.txt");
    const std::size_t state = journal.find("state installed");
    ASSERT_NE(state, std::string::npos);
    // As a run killed after its backup leaves it.
    memory.Write(kBackup + "journal.txt", std::string(journal).replace(state, 15, "state complete"));
    memory.Write(kMissionFile, EncodeMission(SampleMission("Ridge02.kxm")));
    const auto files = memory.Files();

    KxvuzResult result = Kxvuz({"install", "--game", "C:\\Korvex", kMissionFile}, recorder);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err.rfind("kxvuz: " + std::string(kInterruptedInstallation) +
                                   " Run kxvuz restore --game C:\\Korvex",
                               0),
              0u)
        << result.err;
    EXPECT_TRUE(WritesRecorded().empty());
    EXPECT_TRUE(memory.Files() == files) << "not even the log";

    {
        const GameLock other = LockGame(memory, kGame);
        ASSERT_TRUE(other.lock);
        result = Kxvuz({"install", "--game", "C:\\Korvex", kMissionFile}, recorder);
        const std::string busy =
            "kxvuz: Another installation or restore is working on the game in C:\\Korvex";
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.err.rfind(busy, 0), 0u) << result.err;
        result = Kxvuz({"restore", "--game", "C:\\Korvex"}, recorder);
        EXPECT_EQ(result.status, 2);
        EXPECT_EQ(result.err.rfind(busy, 0), 0u) << result.err;
        EXPECT_TRUE(WritesRecorded().empty());
        EXPECT_TRUE(memory.Files() == files);
    }
    result = Kxvuz({"restore", "--game", "C:\\Korvex"}, recorder);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(GameFiles(), original);
    EXPECT_NE(installed, original);
}

TEST_F(RunSafety, AGameLockThatCannotBeHadRefusesInstallAndRestoreBeforeTheLogAndAnyWrite)
{
    const std::string lockPath = kBackup + "kxvuz.lock";
    const std::string busy = "Another installation or restore is working on the game in C:\\Korvex";
    const std::string unopenable =
        "kxvuz.lock that keeps other installations out cannot be opened, so nothing "
        "was changed";
    struct Case
    {
        const char* what;
        bool installed;
        std::function<void()> arrange;
        std::string refusal;
    };
    GameLock holder;
    const Case cases[] = {
        {"another process holds it on a game never installed into", false,
         [&]
         {
             ASSERT_TRUE(memory.CreateFolder(kGame + "data\\Backup"));
             holder = LockGame(memory, kGame);
             ASSERT_TRUE(holder.lock);
         },
         busy},
        {"a folder has its name", true,
         [&] { ASSERT_TRUE(memory.Remove(lockPath) && memory.CreateFolder(lockPath)); }, unopenable},
        {"the system refuses it", true,
         [&]
         {
             recorder.FailEvery([](const std::string& record)
                                { return record.starts_with("Lock ") && record.ends_with("kxvuz.lock"); },
                                CFaultInjectingFileSystem::Fault::AccessDenied);
         },
         unopenable + ": Injected fault: access denied"},
    };
    const CMemoryFileSystem pristine = memory;
    for (const Case& test : cases)
    {
        SCOPED_TRACE(test.what);
        memory = pristine;
        if (test.installed)
        {
            ASSERT_EQ(Run(SampleMission("Harbor01.kxm"), memory), RunOutcome::Completed);
        }
        // The other process's log, which the refused one must not empty.
        memory.Write("kxinstall.log", "--------Installation for Another--------");
        memory.Write(kMissionFile, EncodeMission(SampleMission("Ridge02.kxm")));
        test.arrange();
        const auto files = memory.Files();
        for (const auto& arguments :
             {std::vector<std::string>{"install", "--game", "C:\\Korvex", kMissionFile},
              std::vector<std::string>{"restore", "--game", "C:\\Korvex"}})
        {
            SCOPED_TRACE(arguments[0]);
            const KxvuzResult result = Kxvuz(arguments, recorder);
            EXPECT_EQ(result.status, arguments[0] == "install" ? 1 : 2);
            EXPECT_EQ(result.err.rfind("kxvuz: ", 0), 0u) << result.err;
            EXPECT_NE(result.err.find(test.refusal), std::string::npos) << result.err;
            EXPECT_TRUE(memory.Files() == files);
        }
        recorder.FailEvery({}, CFaultInjectingFileSystem::Fault::IoError);
        holder = {};
    }
}

TEST_F(RunSafety, RestoreNamesTheSystemsReasonUnderAFileItCouldNotPutBack)
{
    ASSERT_EQ(Run(SampleMission("Harbor01.kxm"), memory), RunOutcome::Completed);
    const CMemoryFileSystem installed = memory;
    int renameOperation = 0;
    recorder.afterOperation = [&](int operation)
    {
        if (renameOperation == 0 && !recorder.Touched().empty() &&
            recorder.Touched().back().rfind("Rename ", 0) == 0 &&
            recorder.Touched().back().ends_with("mission.lst"))
            renameOperation = operation;
    };
    RestoreBackupSet(recorder, kGame);
    ASSERT_GT(renameOperation, 0);

    memory = installed;
    CFaultInjectingFileSystem failing(memory);
    failing.FailAt(renameOperation, true, CFaultInjectingFileSystem::Fault::AccessDenied);
    const BackupSetRestore restore = RestoreBackupSet(failing, kGame);
    ASSERT_FALSE(restore.Complete());
    const std::string report = RestoredFilesReport(restore.files);
    EXPECT_NE(report.find("COULD NOT RESTORE: data\\mission\\mission.lst\nInjected fault: access denied\n"),
              std::string::npos)
        << report;
}

TEST_F(RunSafety, AMultiplayerMissionWithoutBriefingOrIntelInstallsAndRestores)
{
    CMissionDefinition mission = SampleMission("MPFoundry.kxm");
    mission.briefingFile.clear();
    mission.intelFile.clear();
    ASSERT_FALSE(mission.Validate());
    EXPECT_EQ(Run(mission, memory), RunOutcome::Completed);
    const auto journal = ReadBackupJournal(memory, kGame);
    ASSERT_TRUE(journal);
    EXPECT_EQ(journal->files.size(), 6u);
    const std::string list = *ReadFileBytes(memory, kBackup + "files.txt");
    EXPECT_EQ(list.substr(list.size() - 27), "sherman.cxp - data\\texture\\")
        << "no lines for the empty names";
    EXPECT_NE(GameFiles(), original);
    EXPECT_TRUE(RestoreBackupSet(memory, kGame).Complete());
    EXPECT_EQ(GameFiles(), original);

    frontEnd = CRecordingFrontEnd();
    frontEnd.cancelBeforeStep = 5;
    EXPECT_EQ(Run(mission, memory), RunOutcome::Cancelled);
    EXPECT_EQ(GameFiles(), original);
}

TEST_F(RunSafety, AnExceptionFromAnywhereInTheRunPutsEveryFileBack)
{
    const CMissionDefinition mission = SampleMission("Glasshouse03.kxm");
    for (const int step : {1, 3, 4, 8, 11, 15, 17, 20, 25})
    {
        SCOPED_TRACE("thrown before step " + std::to_string(step));
        memory = CMemoryFileSystem(fs::path(KX_SAMPLE_DIR) / "game", kGame);
        CRecordingFrontEnd throwing;
        throwing.actBeforeStep = step;
        throwing.action = [] { throw std::bad_alloc(); };
        CInstallationRun run(memory, throwing, kGame, mission, logPath);
        EXPECT_EQ(run.RunInstallation(), RunOutcome::FailedAndRestored);
        EXPECT_EQ(GameFiles(), original);
        EXPECT_EQ(throwing.errors, std::vector<std::string>{"An unexpected error occurred: std::bad_alloc."});
    }
}

// The number of the first operation of work, run on a copy of the game as it is now, whose record is record.
int OperationOf(const CMemoryFileSystem& game, const std::function<void(IFileSystem&)>& work,
                const std::string& record)
{
    CMemoryFileSystem copy = game;
    CFaultInjectingFileSystem counting(copy);
    int found = 0;
    counting.afterOperation = [&](int operation)
    {
        if (found == 0 && !counting.Touched().empty() && counting.Touched().back() == record)
            found = operation;
    };
    work(counting);
    return found;
}

// A restore that did not finish keeps the game claimed: the next installation is refused and changes
// nothing, and a restore then gives the original game.
TEST_F(RunSafety, AnUnfinishedRestoreRefusesTheNextInstallation)
{
    const std::string firstRename =
        "Rename " + kGame + "data\\mission\\mission.lst.kxnew > " + kGame + "data\\mission\\mission.lst";
    const std::vector<std::pair<const char*, std::function<BackupSetRestore(IFileSystem&)>>> restores = {
        {"a failed restore",
         [&](IFileSystem& fileSystem)
         {
             CFaultInjectingFileSystem failing(fileSystem);
             failing.FailAt(OperationOf(
                                memory, [](IFileSystem& f) { RestoreBackupSet(f, kGame); }, firstRename) +
                                1,
                            true, CFaultInjectingFileSystem::Fault::IoError);
             return RestoreBackupSet(failing, kGame);
         }},
        {"a restore stopped after one file",
         [](IFileSystem& fileSystem)
         {
             int asked = 0;
             return RestoreBackupSet(fileSystem, kGame, [&] { return ++asked > 1; });
         }},
    };
    for (const auto& [what, restore] : restores)
    {
        SCOPED_TRACE(what);
        memory = CMemoryFileSystem(fs::path(KX_SAMPLE_DIR) / "game", kGame);
        ASSERT_EQ(Run(SampleMission("Harbor01.kxm"), memory), RunOutcome::Completed);
        const BackupSetRestore unfinished = restore(memory);
        ASSERT_FALSE(unfinished.Complete());
        ASSERT_EQ(unfinished.files.size() > 0, true);
        const auto half = GameFiles();
        ASSERT_NE(half, original);
        EXPECT_EQ(Run(SampleMission("Glasshouse03.kxm"), memory), RunOutcome::Refused);
        EXPECT_EQ(GameFiles(), half);
        EXPECT_TRUE(RestoreBackupSet(memory, kGame).Complete());
        EXPECT_EQ(GameFiles(), original);
    }
}

// Whatever the run before left, a run that stops before its commit leaves the previous set whole, the
// previous journal byte for byte, and every read-only attribute as it was.
TEST_F(RunSafety, AStopBeforeTheCommitLeavesThePreviousSetAndAttributes)
{
    using Fault = CFaultInjectingFileSystem::Fault;
    const std::string settleCopy = "Open w " + kBackup + "mission.lst.kxnew";
    const std::string journalRename = "Rename " + kBackup + "journal.txt.kxnew > " + kBackup + "journal.txt";
    struct Case
    {
        const char* what;
        // Fails the settling of the first installation's copies into data\Backup.
        bool settleFails;
        std::string stopAt;
        Fault fault;
    };
    const Case cases[] = {
        {"a staging copy fails", false, "Open w " + kBackup + "Incoming\\intelnames.txt.kxnew",
         Fault::IoError},
        {"a staging copy fails after a failed settle", true,
         "Open w " + kBackup + "Staging\\intelnames.txt.kxnew", Fault::IoError},
        {"the commit fails", false, journalRename, Fault::IoError},
        {"the commit's rename is not confirmed", false, journalRename, Fault::UnconfirmedRename},
        {"the commit's rename is not confirmed after a failed settle", true, journalRename,
         Fault::UnconfirmedRename},
    };
    const CMissionDefinition first = SampleMission("Harbor01.kxm");
    const CMissionDefinition second = SampleMission("Glasshouse03.kxm");
    const auto run = [&](const CMissionDefinition& mission)
    { return [&, mission](IFileSystem& fileSystem) { Run(mission, fileSystem); }; };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        memory = CMemoryFileSystem(fs::path(KX_SAMPLE_DIR) / "game", kGame);
        CFaultInjectingFileSystem settling(memory);
        if (c.settleFails)
            settling.FailAt(OperationOf(memory, run(first), settleCopy), false, Fault::IoError);
        ASSERT_EQ(Run(first, settling), RunOutcome::Completed);
        const auto installed = GameFiles();
        const auto previousSet = BackupSet();
        ASSERT_EQ(ReadBackupJournal(memory, kGame)->files[0].backupName,
                  c.settleFails ? "Incoming\\mission.lst" : "mission.lst");
        for (const auto& [path, bytes] : installed)
            memory.SetReadOnly(path, true);

        CFaultInjectingFileSystem failing(memory);
        const int k = OperationOf(memory, run(second), c.stopAt);
        ASSERT_GT(k, 0);
        failing.FailAt(k, false, c.fault);
        EXPECT_EQ(Run(second, failing), RunOutcome::StoppedBeforeChange);
        EXPECT_EQ(GameFiles(), installed);
        EXPECT_EQ(BackupSet(), previousSet);
        for (const auto& [path, bytes] : installed)
            EXPECT_TRUE(memory.GetStatus(path)->readOnly) << path;
        EXPECT_TRUE(RestoreBackupSet(memory, kGame).Complete());
        EXPECT_EQ(GameFiles(), original);
    }
}

} // namespace
