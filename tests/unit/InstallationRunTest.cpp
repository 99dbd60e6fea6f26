#include "InstallationRun.h"
#include "RecordingFrontEnd.h"
#include "TestGame.h"

#include <gtest/gtest.h>
#include <regex>

namespace
{

namespace fs = std::filesystem;

const char* const kGameFiles[] = {
    "data/mission/mission.lst",
    "data/text/briefing/english/missionnames.txt",
    "data/text/intel/english/intelnames.txt",
    "data/text/interface/english/tutorial_groupings.txt",
    "data/text/interface/english/kx_string_table.txt",
    "data/text/briefing/Harbor01.brf",
    "data/text/intel/Harbor01.int",
    "data/texture/sherman.cxp",
};

class InstallationRunTest : public ::testing::Test
{
protected:
    CTestGame game;
    CMissionDefinition mission = CTestGame::Mission();
    CRecordingFrontEnd frontEnd;
    std::string logPath = game.LogPath();

    RunOutcome Run()
    {
        CInstallationRun run(NativeFileSystem(), frontEnd, game.Directory(), mission, logPath);
        return run.RunInstallation();
    }

    // The log with its date replaced by "<date>", after checking the date's form.
    std::string Log() const
    {
        std::string log = ReadBytes(logPath);
        const std::size_t date = log.find("Attempted: ");
        if (date == std::string::npos)
            return log;
        const std::size_t start = date + 11;
        const std::size_t end = log.find("\r\n", start);
        EXPECT_TRUE(std::regex_match(
            log.substr(start, end - start),
            std::regex("[A-Z][a-z]{2} [A-Z][a-z]{2} [ 0-3][0-9] \\d\\d:\\d\\d:\\d\\d \\d{4}")))
            << log.substr(start, end - start);
        return log.replace(start, end - start, "<date>");
    }

    std::string Header() const
    {
        return "--------Installation for " + mission.missionName +
               "--------\r\n          Attempted: <date>\r\n";
    }
};

TEST_F(InstallationRunTest, CompletedRunShowsEachStepLogsItAndEndsWithDone)
{
    EXPECT_EQ(Run(), RunOutcome::Completed);
    EXPECT_EQ(frontEnd.operation, "Test Run");
    const std::string d = game.Directory();
    const std::vector<std::string> steps = {
        "0% Opening log file...",
        "5% Searching for directory...",
        "10% Backing up files...",
        "15% Opening mission.lst...",
        "20% Updating mission.lst...",
        "25% Opening tutorial_groupings.txt...",
        "30% Searching tutorial_groupings.txt...",
        "35% Updating tutorial_groupings.txt...",
        "40% Adding new mission to mission.lst...",
        "45% Opening missionnames.txt...",
        "50% Updating the new mission's briefing file...",
        "55% Updating missionnames.txt...",
        "60% Opening intelnames.txt...",
        "65% Updating intelnames.txt...",
        "70% Opening the new mission's intel file...",
        "75% Updating the intel file...",
        "80% Opening " + d + "data\\text\\interface\\english\\kx_string_table.txt...",
        "85% Updating kx_string_table.txt...",
        "90% Opening Sherman.cxp...",
        "95% Finished installation.",
        "100% Finished installation.",
    };
    EXPECT_EQ(frontEnd.shown, steps);
    EXPECT_EQ(frontEnd.messages, std::vector<std::string>{"Done"});
    EXPECT_TRUE(frontEnd.errors.empty());
    EXPECT_FALSE(frontEnd.waitCursor);
    const std::string log = Log();
    const std::string start =
        Header() + "\r\nSearching for directory " + d +
        "...\r\nDirectory found.\r\nCopying localization files to backup folder...\r\nCopying "
        "complete.\r\nOpening " +
        d + "data\\mission\\mission.lst...";
    EXPECT_EQ(log.substr(0, start.size()), start);
    const std::string end = "\r\nSherman.cxp file closed.\r\nInstallation complete for Test Run.";
    EXPECT_EQ(log.substr(log.size() - end.size()), end);
}

TEST_F(InstallationRunTest, StepSizeFollowsTheBudget)
{
    struct Case
    {
        int materials;
        int multiplayer;
        const char* firstStep;
    };
    for (const Case& c : {Case{0, 0, "5%"}, Case{2, 0, "3%"}, Case{0, 1, "25%"}, Case{27, 0, "0%"},
                          Case{32, 1, "1%"}, Case{33, 1, "0%"}})
    {
        CRecordingFrontEnd recorder;
        CMissionDefinition withMaterials = mission;
        withMaterials.multiplayer = c.multiplayer;
        for (int i = 0; i < c.materials; ++i)
            withMaterials.AddMaterial(std::string("m").append(std::to_string(i)));
        CInstallationRun run(NativeFileSystem(), recorder, game.Directory(), withMaterials, logPath);
        run.RunInstallation();
        ASSERT_GE(recorder.shown.size(), 2u);
        EXPECT_EQ(recorder.shown[1], std::string(c.firstStep) + " Searching for directory...")
            << c.materials << " materials, multiplayer " << c.multiplayer;
        EXPECT_EQ(recorder.shown.back(), "100% Finished installation.");
    }
}

TEST_F(InstallationRunTest, AnEmptyMissionNameLeavesGapsInTheLog)
{
    mission.missionName = "";
    mission.multiplayer = 1;
    EXPECT_EQ(Run(), RunOutcome::Completed);
    EXPECT_EQ(frontEnd.operation, "");
    const std::string log = Log();
    EXPECT_EQ(log.rfind("--------Installation for --------\r\n", 0), 0u) << log;
    EXPECT_EQ(log.substr(log.size() - 29), "\r\nInstallation complete for .");
}

TEST_F(InstallationRunTest, ATextWithPercentSignsIsLoggedVerbatim)
{
    mission.missionName = "100% %s %n \\ raid";
    EXPECT_EQ(Run(), RunOutcome::Completed);
    EXPECT_EQ(Log().rfind("--------Installation for 100% %s %n \\ raid--------\r\n", 0), 0u);
}

TEST_F(InstallationRunTest, ALogThatCannotBeCreatedStopsTheRunAtOnce)
{
    const auto before = game.GameFiles();
    logPath = game.Directory() + "no-such-folder/kxinstall.log";
    EXPECT_EQ(Run(), RunOutcome::StoppedBeforeChange);
    EXPECT_EQ(frontEnd.errors, std::vector<std::string>{"Could not open log file kxinstall.log"});
    EXPECT_EQ(frontEnd.shown, std::vector<std::string>{"0% Opening log file..."});
    EXPECT_EQ(game.BackupFolder(), std::vector<std::string>{"kxvuz.lock"});
    EXPECT_EQ(game.GameFiles(), before);
}

TEST_F(InstallationRunTest, AMissingGameExecutableStopsAfterTheSearchLine)
{
    fs::remove(game.Path("Korvex.exe"));
    const auto before = game.GameFiles();
    EXPECT_EQ(Run(), RunOutcome::StoppedBeforeChange);
    const std::string d = game.Directory();
    EXPECT_EQ(frontEnd.errors,
              std::vector<std::string>{"Could not find Korvex.exe in the directory " + d + "."});
    EXPECT_EQ(Log(), Header() + "\r\nSearching for directory " + d + "...");
    EXPECT_FALSE(fs::exists(game.Path("data/Backup")));
    EXPECT_EQ(game.GameFiles(), before);
    EXPECT_TRUE(frontEnd.messages.empty());
}

TEST_F(InstallationRunTest, AnIllegalFileNameStopsBeforeTheBackup)
{
    mission.intelFile = "..\\..\\outside.int";
    const auto before = game.GameFiles();
    EXPECT_EQ(Run(), RunOutcome::StoppedBeforeChange);
    EXPECT_EQ(frontEnd.errors,
              std::vector<std::string>{"The intel (*.int) file contains the illegla character \\."});
    EXPECT_EQ(Log(),
              Header() + "\r\nSearching for directory " + game.Directory() + "...\r\nDirectory found.");
    EXPECT_EQ(game.BackupFolder(), std::vector<std::string>{"kxvuz.lock"});
    EXPECT_EQ(game.GameFiles(), before);
}

TEST_F(InstallationRunTest, BackupHoldsTheEightFilesAndTheirPlaces)
{
    const auto before = game.GameFiles();
    EXPECT_EQ(Run(), RunOutcome::Completed);
    const char* const backupNames[] = {
        "mission.lst",         "missionnames.txt", "intelnames.txt", "tutorial_groupings.txt",
        "kx_string_table.txt", "Harbor01.brf",     "Harbor01.int",   "Sherman.cxp"};
    for (std::size_t i = 0; i < 8; ++i)
        EXPECT_EQ(game.Read(std::string("data/Backup/") + backupNames[i]), before.at(kGameFiles[i]))
            << backupNames[i];
    EXPECT_TRUE(fs::is_directory(game.Path("data/Backup/Temp")));
    EXPECT_EQ(
        game.Read("data/Backup/files.txt"),
        "This file contains information about where each file that is being backed up goes in the Korvex "
        "directory.\r\nYour Korvex directory: " +
            game.Directory() +
            "\r\n\r\nmission.lst - data\\mission\\\r\nmissionnames.txt - data\\text\\briefing\\english\\\r\n"
            "intelnames.txt - data\\text\\intel\\english\\\r\ntutorial_groupings.txt - "
            "data\\text\\interface\\english\\\r\nkx_string_table.txt - data\\text\\interface\\english\\\r\n"
            "sherman.cxp - data\\texture\\\r\nHarbor01.brf - data\\text\\briefing\\\r\nHarbor01.int - "
            "data\\text\\intel\\");
}

TEST_F(InstallationRunTest, DuskreachRunBacksUpTheTrainingMissionList)
{
    mission.duskreachTraining = 1;
    const std::string list = game.Read("data/mission/MPMission.lst");
    EXPECT_EQ(Run(), RunOutcome::Completed);
    EXPECT_EQ(game.Read("data/Backup/MPMission.lst"), list);
    EXPECT_FALSE(fs::exists(game.Path("data/Backup/mission.lst")));
    EXPECT_NE(game.Read("data/Backup/files.txt").find("\r\n\r\nmission.lst - data\\mission\\"),
              std::string::npos);
}

TEST_F(InstallationRunTest, AFailedBackupCopyStopsWithoutRestoring)
{
    // The last file of the backup, which the game checks leave alone for a mission without materials.
    fs::remove(game.Path("data/texture/sherman.cxp"));
    game.Write("data/Backup/sherman.cxp", "an older run's copy");
    const auto before = game.GameFiles();
    EXPECT_EQ(Run(), RunOutcome::StoppedBeforeChange);
    const std::string source = game.Directory() + "data\\texture\\sherman.cxp";
    EXPECT_EQ(frontEnd.errors, std::vector<std::string>{"Could not copy the file " + source +
                                                        " to backup folder data\\Backup."});
    ASSERT_EQ(frontEnd.reasons.size(), 1u);
    EXPECT_NE(frontEnd.reasons[0], "") << "the system says why the copy failed";
    EXPECT_EQ(Log(),
              Header() + "\r\nSearching for directory " + game.Directory() +
                  "...\r\nDirectory found.\r\nCopying localization files to backup folder...-! Error backing "
                  "up file " +
                  source + " !-");
    EXPECT_EQ(game.GameFiles(), before);
    EXPECT_EQ(game.Read("data/Backup/Incoming/Harbor01.brf"), game.Read("data/text/briefing/Harbor01.brf"))
        << "copies made before the failure stay";
    EXPECT_EQ(game.Read("data/Backup/sherman.cxp"), "an older run's copy");
}

TEST_F(InstallationRunTest, ReadOnlyGameFilesAreMadeWritable)
{
    const fs::path path = game.Path("data/texture/sherman.cxp");
    NativeFileSystem().SetReadOnly(path.string(), true);
    const auto written = fs::last_write_time(path);
    EXPECT_EQ(Run(), RunOutcome::Completed);
    EXPECT_FALSE(NativeFileSystem().GetStatus(path.string())->readOnly);
    EXPECT_EQ(fs::last_write_time(path), written);
}

TEST_F(InstallationRunTest, CancelAfterTheBackupPutsEveryFileBack)
{
    const auto before = game.GameFiles();
    // Stands in for edits: every game file changes before the run is cancelled.
    frontEnd.actBeforeStep = frontEnd.cancelBeforeStep = 3;
    frontEnd.action = [&]
    {
        for (const char* file : kGameFiles)
            game.Write(file, "edited");
    };
    EXPECT_EQ(Run(), RunOutcome::Cancelled);
    EXPECT_EQ(game.GameFiles(), before);
    EXPECT_EQ(frontEnd.errors, std::vector<std::string>{"User cancelled installation."});
    EXPECT_EQ(frontEnd.reasons, std::vector<std::string>{""}) << "no file operation failed";
    EXPECT_TRUE(frontEnd.messages.empty());
    const std::string log = Log();
    const std::string ending =
        "\r\nCopying complete.\r\n-! Error encountered !-\r\nRestoring files...\r\nRestoration "
        "complete.\r\nExit KX VUZ Odezodure with no changes made.";
    EXPECT_EQ(log.substr(log.size() - ending.size()), ending);
}

TEST_F(InstallationRunTest, CancelWhileDoneIsShownPutsEveryFileBackAndTheLogSaysSo)
{
    CRecordingFrontEnd cancelling;
    const auto before = game.GameFiles();
    CInstallationRun run(NativeFileSystem(), cancelling, game.Directory(), mission, logPath);
    // The progress window's Cancel, pressed while the closing "Done" box is open.
    cancelling.whileMessageShown = [&run] { run.Cancel(); };
    EXPECT_EQ(run.RunInstallation(), RunOutcome::Cancelled);
    EXPECT_EQ(cancelling.messages, std::vector<std::string>{"Done"});
    EXPECT_EQ(cancelling.errors, std::vector<std::string>{"User cancelled installation."});
    EXPECT_EQ(game.GameFiles(), before);
    const std::string log = Log();
    const std::string end =
        "\r\nInstallation complete for Test Run.\r\n-! Error encountered !-\r\nRestoring "
        "files...\r\nRestoration complete.\r\nExit KX VUZ Odezodure with no changes made.";
    EXPECT_EQ(log.substr(log.size() - end.size()), end);
}

TEST_F(InstallationRunTest, CancelBeforeTheBackupNeverCopiesAnOlderBackup)
{
    game.Write("data/Backup/mission.lst", "an older run's copy");
    game.Write("data/Backup/Sherman.cxp", "an older run's copy");
    const auto before = game.GameFiles();
    frontEnd.cancelBeforeStep = 2;
    EXPECT_EQ(Run(), RunOutcome::Cancelled);
    EXPECT_EQ(game.GameFiles(), before);
    EXPECT_EQ(Log(),
              Header() + "\r\nSearching for directory " + game.Directory() +
                  "...\r\nDirectory found.\r\nCopying localization files to backup folder...\r\n-! Error "
                  "encountered !-\r\nRestoring files...\r\nRestoration complete.\r\nExit KX VUZ Odezodure "
                  "with no changes made.");
}

TEST_F(InstallationRunTest, ASecondRunReplacesTheLogAndTheBackups)
{
    EXPECT_EQ(Run(), RunOutcome::Completed);
    game.Write("data/texture/sherman.cxp", "changed between runs");
    mission.missionName = "Second";
    EXPECT_EQ(Run(), RunOutcome::Completed);
    EXPECT_EQ(game.Read("data/Backup/Sherman.cxp"), "changed between runs");
    EXPECT_EQ(Log().rfind("--------Installation for Second--------", 0), 0u);
}

} // namespace
