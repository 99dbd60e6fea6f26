#include "BackupSetRestore.h"
#include "FaultInjectingFileSystem.h"
#include "FileReplace.h"
#include "GameDrift.h"
#include "InstallationRun.h"
#include "MemoryFileSystem.h"
#include "RecordedInstallation.h"
#include "RecordingFrontEnd.h"
#include "TestMissions.h"
#include "Uninstall.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <functional>
#include <iostream>
#include <tuple>

namespace
{

namespace fs = std::filesystem;
using Fault = CFaultInjectingFileSystem::Fault;

const std::string kGame = "C:\\Korvex\\";
const std::string kLog = "C:\\kxinstall.log";

std::string Lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// Every file of the game but the backup folder, by path.
std::map<std::string, std::string> GameFiles(const CMemoryFileSystem& fileSystem)
{
    const std::string backup = Lower(kGame + "data\\Backup\\");
    std::map<std::string, std::string> files;
    for (const auto& [path, bytes] : fileSystem.Files())
        if (Lower(path).rfind(Lower(kGame), 0) == 0 && Lower(path).rfind(backup, 0) != 0)
            files[path] = bytes;
    return files;
}

// The journal and the copies it names: what undoes the last installation.
std::map<std::string, std::string> BackupSet(CMemoryFileSystem& fileSystem)
{
    std::map<std::string, std::string> set;
    const auto journal = ReadBackupJournal(fileSystem, kGame);
    if (!journal)
        return set;
    const std::string backup = kGame + "data\\Backup\\";
    set["journal.txt"] = *ReadFileBytes(fileSystem, backup + "journal.txt");
    for (const BackupJournal::Entry& entry : journal->files)
        set[entry.backupName] = ReadFileBytes(fileSystem, backup + entry.backupName).value_or("(missing)");
    return set;
}

RunOutcome Install(IFileSystem& fileSystem, const CMissionDefinition& mission)
{
    CRecordingFrontEnd frontEnd;
    CRecordedInstallation run(fileSystem, frontEnd, kGame, mission, kLog);
    return run.RunInstallation();
}

// The records as the index names them; a content no record names is no record.
std::string Records(CMemoryFileSystem& fileSystem)
{
    EXPECT_FALSE(ReadInstallationHistory(fileSystem, kGame).damaged);
    return ReadFileBytes(fileSystem, RecordsFolder(kGame) + "index.txt").value_or("(none)");
}

// Calls check on a copy of pristine whose k-th operation fails, once and from then on, with each kind of
// fault, for every k up to n; the number of runs, up to the first fatal failure.
int SweepFaults(const CMemoryFileSystem& pristine, int n,
                const std::function<void(CMemoryFileSystem&, CFaultInjectingFileSystem&, bool)>& check)
{
    int runs = 0;
    for (const bool persistent : {false, true})
        for (const Fault fault :
             {Fault::IoError, Fault::DiskFull, Fault::AccessDenied, Fault::UnconfirmedRename})
            for (int k = 1; k <= n; ++k)
            {
                // A rename that went through is no reason for a persistent fault's later refusals.
                if (persistent && fault == Fault::UnconfirmedRename)
                    break;
                SCOPED_TRACE(std::string(persistent ? "from operation " : "operation ") + std::to_string(k) +
                             " fails, fault " + std::to_string(static_cast<int>(fault)));
                CMemoryFileSystem memory = pristine;
                CFaultInjectingFileSystem faulty(memory);
                faulty.FailAt(k, persistent, fault);
                check(memory, faulty, persistent);
                ++runs;
                if (::testing::Test::HasFatalFailure())
                    return runs;
            }
    return runs;
}

// Fails each operation of a whole run in turn, once and from then on, with each kind of fault. Afterwards
// the game and its records must be as before, or fully installed and recorded when the run says it completed;
// where the run says it could not restore everything, kxvuz restore's work must finish the job once the disk
// works again. A run that follows an earlier installation and stops before it changes a game file leaves that
// installation's undo as it was.
void Sweep(const char* kind, const std::string& missionFile, const char* previousMission = nullptr)
{
    const CMissionDefinition mission = SampleMission(missionFile);
    CMemoryFileSystem pristine(fs::path(KX_SAMPLE_DIR) / "game", kGame);
    const auto original = GameFiles(pristine);
    if (previousMission)
    {
        ASSERT_EQ(Install(pristine, SampleMission(previousMission)), RunOutcome::Completed);
    }
    const auto before = GameFiles(pristine);
    const auto previousSet = BackupSet(pristine);
    const std::string recordsBefore = Records(pristine);
    const std::size_t recorded = ReadInstallationHistory(pristine, kGame).records.size();

    CMemoryFileSystem clean = pristine;
    CFaultInjectingFileSystem counting(clean);
    ASSERT_EQ(Install(counting, mission), RunOutcome::Completed);
    const auto installed = GameFiles(clean);
    ASSERT_NE(installed, before);
    const int n = counting.Operations();

    int restoredAfterwards = 0;
    int previousUndone = 0;
    const int runs =
        SweepFaults(pristine, n,
                    [&](CMemoryFileSystem& memory, CFaultInjectingFileSystem& faulty, bool persistent)
                    {
                        const RunOutcome outcome = Install(faulty, mission);
                        ASSERT_EQ(faulty.Injected() > 0, true);
                        switch (outcome)
                        {
                        case RunOutcome::Completed:
                        {
                            ASSERT_EQ(GameFiles(memory), installed);
                            const InstallationHistory history = ReadInstallationHistory(memory, kGame);
                            ASSERT_EQ(history.records.size(), recorded + 1);
                            for (const InstallationRecord::File& file : history.records.back().files)
                                ASSERT_EQ(ReadFileBytes(memory, kGame + file.gamePath), file.after);
                            break;
                        }
                        case RunOutcome::RestoreIncomplete:
                        {
                            ASSERT_TRUE(persistent)
                                << "a single fault must never keep the run from restoring";
                            ASSERT_TRUE(RestoreBackupSetAndRecords(memory, kGame).Complete());
                            ASSERT_EQ(GameFiles(memory), before);
                            ASSERT_EQ(Records(memory), recordsBefore);
                            ++restoredAfterwards;
                            break;
                        }
                        default:
                            ASSERT_EQ(GameFiles(memory), before) << "outcome " << static_cast<int>(outcome);
                            if (Records(memory) != recordsBefore)
                            {
                                // The record could not be taken back: the journal keeps the game for the
                                // restore.
                                ASSERT_TRUE(persistent);
                                ASSERT_TRUE(ClaimsTheGame(ReadBackupJournal(memory, kGame).value()));
                                ASSERT_TRUE(RestoreBackupSetAndRecords(memory, kGame).Complete());
                                ASSERT_EQ(Records(memory), recordsBefore);
                                ++restoredAfterwards;
                                break;
                            }
                            if (!previousMission || outcome != RunOutcome::StoppedBeforeChange)
                                break;
                            ASSERT_EQ(BackupSet(memory), previousSet);
                            ASSERT_TRUE(RestoreBackupSetAndRecords(memory, kGame).Complete());
                            ASSERT_EQ(GameFiles(memory), original);
                            ASSERT_TRUE(ReadInstallationHistory(memory, kGame).records.empty());
                            ++previousUndone;
                        }
                    });
    std::cout << "[ sweep    ] " << kind << " run: N = " << n << " operations, " << runs
              << " runs with faults injected, " << restoredAfterwards
              << " of them finished by the restore command";
    if (previousMission)
        std::cout << ", " << previousUndone << " stopped before a change and then undid " << previousMission;
    std::cout << "\n";
}

// Fails each operation of a restore that undoes a completed installation. While the journal says that the
// restore is unfinished, the next installation is refused and changes nothing; a restore then finishes.
TEST(FaultSweep, RestoreFollowedByAnInstallationAttempt)
{
    CMemoryFileSystem installed(fs::path(KX_SAMPLE_DIR) / "game", kGame);
    const auto original = GameFiles(installed);
    ASSERT_EQ(Install(installed, SampleMission("Harbor01.kxm")), RunOutcome::Completed);
    CMemoryFileSystem clean = installed;
    CFaultInjectingFileSystem counting(clean);
    ASSERT_TRUE(RestoreBackupSet(counting, kGame).Complete());
    const int n = counting.Operations();

    int refused = 0;
    for (const bool persistent : {false, true})
        for (const Fault fault : {Fault::IoError, Fault::DiskFull, Fault::UnconfirmedRename})
            for (int k = 1; k <= n; ++k)
            {
                SCOPED_TRACE(std::string(persistent ? "from operation " : "operation ") + std::to_string(k) +
                             " fails, fault " + std::to_string(static_cast<int>(fault)));
                CMemoryFileSystem memory = installed;
                CFaultInjectingFileSystem faulty(memory);
                faulty.FailAt(k, persistent, fault);
                if (RestoreBackupSet(faulty, kGame).Complete())
                {
                    ASSERT_EQ(GameFiles(memory), original);
                    continue;
                }
                const auto journal = ReadBackupJournal(memory, kGame);
                const auto half = GameFiles(memory);
                if (journal && ClaimsTheGame(*journal))
                {
                    ASSERT_EQ(Install(memory, SampleMission("Glasshouse03.kxm")), RunOutcome::Refused);
                    ASSERT_EQ(GameFiles(memory), half);
                    ++refused;
                }
                else
                {
                    ASSERT_EQ(half, GameFiles(installed)) << "a restore wrote before it claimed the game";
                }
                ASSERT_TRUE(RestoreBackupSet(memory, kGame).Complete());
                ASSERT_EQ(GameFiles(memory), original);
            }
    EXPECT_GT(refused, 0);
    std::cout << "[ sweep    ] restore: N = " << n << " operations, " << 6 * n
              << " runs with faults injected, " << refused
              << " left it unfinished and refused the next installation\n";
}

// Fails each operation of an uninstall of the middle of three installations, once and from then on. Each
// outcome is the completed uninstall, or the game, its backup set and its records as before; where the
// snapshot could not all go back, installations and uninstalls are refused until the restore command's work
// puts it back once the disk works again.
TEST(FaultSweep, UninstallOfTheMiddleOfThreeInstallations)
{
    CMemoryFileSystem pristine(fs::path(KX_SAMPLE_DIR) / "game", kGame);
    for (const char* mission : {"Harbor01.kxm", "Ridge02.kxm", "MPFoundry.kxm"})
        ASSERT_EQ(Install(pristine, SampleMission(mission)), RunOutcome::Completed);
    const auto kept = [](CMemoryFileSystem& memory)
    { return std::tuple(GameFiles(memory), BackupSet(memory), Records(memory)); };
    const auto before = kept(pristine);
    const auto uninstall = [](IFileSystem& fileSystem)
    {
        CRecordingFrontEnd frontEnd;
        return Uninstall(fileSystem, frontEnd, kGame, "2", false, kLog).outcome;
    };
    CMemoryFileSystem clean = pristine;
    CFaultInjectingFileSystem counting(clean);
    ASSERT_EQ(uninstall(counting), UninstallOutcome::Removed);
    const auto removed = GameFiles(clean);
    const int n = counting.Operations();

    int finishedByRestore = 0;
    const int runs = SweepFaults(
        pristine, n,
        [&](CMemoryFileSystem& memory, CFaultInjectingFileSystem& faulty, bool persistent)
        {
            const UninstallOutcome outcome = uninstall(faulty);
            if (outcome == UninstallOutcome::Removed)
            {
                ASSERT_EQ(GameFiles(memory), removed);
                const InstallationHistory history = ReadInstallationHistory(memory, kGame);
                ASSERT_EQ(history.records.size(), 2u);
                ASSERT_EQ(history.records[1].missionName, "Foundry Skirmish");
                ASSERT_TRUE(ChangedSinceLastInstallation(memory, kGame, history).empty());
                return;
            }
            if (outcome == UninstallOutcome::RestoreIncomplete)
            {
                ASSERT_TRUE(persistent) << "a single fault must never keep the snapshot from going back";
                ASSERT_EQ(Install(memory, SampleMission("Glasshouse03.kxm")), RunOutcome::Refused);
                ASSERT_EQ(uninstall(memory), UninstallOutcome::Refused);
                ASSERT_TRUE(RestoreBackupSetAndRecords(memory, kGame).Complete());
                ++finishedByRestore;
            }
            ASSERT_EQ(kept(memory), before) << "outcome " << static_cast<int>(outcome);
        });
    EXPECT_GT(finishedByRestore, 0);
    std::cout << "[ sweep    ] uninstall of the middle of three: N = " << n << " operations, " << runs
              << " runs with faults injected, " << finishedByRestore
              << " of them finished by the restore command\n";
}

TEST(FaultSweep, StandardRun)
{
    Sweep("standard", "Harbor01.kxm");
}

TEST(FaultSweep, DuskreachRun)
{
    Sweep("Duskreach", "Ridge02.kxm");
}

TEST(FaultSweep, MultiplayerOnlyRun)
{
    Sweep("multiplayer-only", "MPFoundry.kxm");
}

TEST(FaultSweep, RunWithFoundAndNewMaterials)
{
    Sweep("found and new materials", "Glasshouse03.kxm");
}

TEST(FaultSweep, RunAfterACompletedInstallation)
{
    Sweep("after an installation", "Glasshouse03.kxm", "Harbor01.kxm");
}

} // namespace
