#include "FileSystem.h"
#include "GameLock.h"
#include "InstallationRecords.h"
#include "InstallationRun.h"
#include "InstallerSteps.h"
#include "MissionFile.h"
#include "RecordingFrontEnd.h"
#include "TestGame.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace
{

namespace fs = std::filesystem;

const std::string kMissions = KX_SAMPLE_DIR "/missions/";
const std::string kIntelNames = "data/text/intel/english/intelnames.txt";
// Enough for a slow machine; a run that hangs in a dialog fails the test instead of the suite.
constexpr DWORD kRunTimeout = 60000;

struct CWindowRun
{
    DWORD exitCode = 0;
    std::vector<std::pair<std::string, std::string>> report;

    std::vector<std::string> Values(const std::string& key) const
    {
        std::vector<std::string> values;
        for (const auto& [name, value] : report)
            if (name == key)
                values.push_back(value);
        return values;
    }
};

std::string Quoted(const std::string& argument)
{
    return "\"" + argument + "\"";
}

std::string ThisProgram()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return path;
}

CMissionDefinition LoadMission(const std::string& name)
{
    CMissionDefinition mission;
    EXPECT_TRUE(LoadMissionFile(NativeFileSystem(), kMissions + name, mission).Ok()) << name;
    return mission;
}

// Makes the count of intel names larger than the names the file holds, so that the run fails while it
// edits intelnames.txt, after it has edited the mission list and the mission names.
void BreakIntelNamesCount(const CTestGame& game)
{
    std::istringstream lines(game.Read(kIntelNames));
    std::string broken;
    bool countFound = false;
    for (std::string line; std::getline(lines, line);)
    {
        const bool comment = line.rfind("//", 0) == 0 || line.find_first_not_of(" \t\r") == std::string::npos;
        if (!countFound && !comment)
        {
            line = "9999\r";
            countFound = true;
        }
        broken += line + "\n";
    }
    game.Write(kIntelNames, broken);
}

class WindowRunTest : public ::testing::Test
{
protected:
    CTestGame game;
    // The same run with the recording front end, on a copy of its own: what the windows must show.
    CTestGame recordedGame;
    CRecordingFrontEnd recorder;
    CScratchFolder reports;
    std::map<std::string, std::string> filesBefore;

    CWindowRun RunInWindows(const std::string& scenario, const std::string& mission)
    {
        filesBefore = game.GameFiles();
        const std::string reportPath = reports / (scenario + ".txt");
        std::string directory = game.Directory();
        directory.pop_back();
        std::string command = Quoted(ThisProgram()) + " --scenario " + scenario + " " +
                              Quoted(kMissions + mission) + " " + Quoted(directory) + " " +
                              Quoted(game.LogPath()) + " " + Quoted(reportPath);
        STARTUPINFOA startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION process{};
        CWindowRun run;
        if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                            &process))
        {
            ADD_FAILURE() << "cannot start " << command;
            return run;
        }
        if (WaitForSingleObject(process.hProcess, kRunTimeout) != WAIT_OBJECT_0)
        {
            ADD_FAILURE() << scenario << " did not end";
            TerminateProcess(process.hProcess, 99);
            WaitForSingleObject(process.hProcess, INFINITE);
        }
        GetExitCodeProcess(process.hProcess, &run.exitCode);
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);

        std::ifstream report(reportPath);
        for (std::string line; std::getline(report, line);)
        {
            const std::size_t colon = line.find(": ");
            run.report.emplace_back(line.substr(0, colon), line.substr(colon + 2));
        }
        EXPECT_EQ(run.exitCode, 0u);
        EXPECT_EQ(run.Values("failure"), std::vector<std::string>{});
        return run;
    }

    void RunRecorded(const std::string& mission)
    {
        CInstallationRun run(NativeFileSystem(), recorder, recordedGame.Directory(), LoadMission(mission),
                             recordedGame.LogPath());
        run.RunInstallation();
    }

    // The texts with the game folder replaced by a placeholder, the same for both copies.
    static std::vector<std::string> InAnyGame(std::vector<std::string> texts, const CTestGame& from)
    {
        const std::string directory = from.Directory();
        for (std::string& text : texts)
            for (std::size_t at = text.find(directory); at != std::string::npos;
                 at = text.find(directory, at))
                text.replace(at, directory.size(), "<game>\\");
        return texts;
    }

    // The log with its date and game folder replaced by placeholders.
    static std::string Log(const CTestGame& from)
    {
        std::string log = ReadBytes(from.LogPath());
        const std::size_t date = log.find("Attempted: ");
        if (date != std::string::npos)
            log.replace(date + 11, log.find("\r\n", date) - date - 11, "<date>");
        return InAnyGame({log}, from).front();
    }

    // The windows showed what the run asked for, one step after another, and the run did the same.
    void ExpectSameAsRecorded(const CWindowRun& run)
    {
        EXPECT_EQ(run.Values("operation"), std::vector<std::string>{recorder.operation});
        EXPECT_EQ(InAnyGame(run.Values("shown"), game), InAnyGame(recorder.shown, recordedGame));
        EXPECT_EQ(InAnyGame(run.Values("error"), game), InAnyGame(recorder.errors, recordedGame));
        EXPECT_EQ(game.GameFiles(), recordedGame.GameFiles());
        EXPECT_EQ(Log(game), Log(recordedGame));
    }
};

TEST_F(WindowRunTest, ACompleteRunShowsEveryStepAndEndsWithDone)
{
    RunRecorded("Glasshouse03.kxm");
    const CWindowRun run = RunInWindows("complete", "Glasshouse03.kxm");
    ExpectSameAsRecorded(run);
    EXPECT_EQ(run.Values("operation"), std::vector<std::string>{"Glasshouse"});
    const std::vector<std::string> shown = run.Values("shown");
    ASSERT_GE(shown.size(), 3u);
    EXPECT_EQ(shown.front(), "0% Opening log file...");
    EXPECT_EQ(shown[1], "3% Searching for directory...");
    EXPECT_EQ(shown.back(), "100% Finished installation.");
    EXPECT_EQ(run.Values("message"), std::vector<std::string>{"Done"});
    EXPECT_EQ(run.Values("owner"), std::vector<std::string>{"Installing..., in front"});
    EXPECT_NE(game.GameFiles(), filesBefore);
}

TEST_F(WindowRunTest, AnErrorShowsTheErrorDialogAndPutsTheFilesBack)
{
    BreakIntelNamesCount(game);
    BreakIntelNamesCount(recordedGame);
    RunRecorded("Harbor01.kxm");
    const CWindowRun run = RunInWindows("failure", "Harbor01.kxm");
    ExpectSameAsRecorded(run);
    EXPECT_EQ(run.Values("error"), std::vector<std::string>{"Unexpected end of file found."});
    EXPECT_EQ(run.Values("beeps"), std::vector<std::string>{"1"});
    EXPECT_EQ(run.Values("owner"), std::vector<std::string>{"Installing..., in front"});
    EXPECT_EQ(run.Values("opened"), std::vector<std::string>{"More Information"});
    EXPECT_EQ(run.Values("back in"), std::vector<std::string>{"Unexpected end of file found."});
    EXPECT_EQ(run.Values("message"), std::vector<std::string>{});
    EXPECT_EQ(game.GameFiles(), filesBefore);
}

TEST_F(WindowRunTest, CancelBetweenStepsIsActedOnBeforeTheNextStep)
{
    // The click comes while "Updating mission.lst..." is shown, the fourth step; the fifth does not begin.
    recorder.cancelBeforeStep = 5;
    RunRecorded("Harbor01.kxm");
    const CWindowRun run = RunInWindows("cancel-between-steps", "Harbor01.kxm");
    ExpectSameAsRecorded(run);
    ASSERT_FALSE(run.Values("shown").empty());
    EXPECT_EQ(run.Values("shown").back(), "20% Updating mission.lst...");
    EXPECT_EQ(run.Values("error"), std::vector<std::string>{"User cancelled installation."});
    EXPECT_EQ(game.GameFiles(), filesBefore);
}

TEST_F(WindowRunTest, DoneHoldsTheProgressWindowSoACancelCannotUndoACompletedRun)
{
    // A multiplayer mission's steps pass the end of the bar, which stays full.
    RunRecorded("MPFoundry.kxm");
    const CWindowRun run = RunInWindows("cancel-while-done", "MPFoundry.kxm");
    ExpectSameAsRecorded(run);
    EXPECT_EQ(run.Values("message"), std::vector<std::string>{"Done"});
    EXPECT_EQ(run.Values("progress window"), std::vector<std::string>{"disabled"});
    EXPECT_NE(game.GameFiles(), filesBefore);
}

TEST_F(WindowRunTest, ACancelThatReachesTheRunWhileDoneIsShownPutsTheFilesBackAndTheLogSaysSo)
{
    const CWindowRun run = RunInWindows("cancel-pressed-while-done", "Harbor01.kxm");
    EXPECT_EQ(run.Values("message"), std::vector<std::string>{"Done"});
    EXPECT_EQ(run.Values("error"), std::vector<std::string>{"User cancelled installation."});
    EXPECT_EQ(game.GameFiles(), filesBefore);
    const std::string log = Log(game);
    const std::string end = "\r\nInstallation complete for Harbor Lights.\r\n-! Error encountered !-\r\n"
                            "Restoring files...\r\nRestoration complete.\r\nExit KX VUZ Odezodure with no "
                            "changes made.";
    EXPECT_EQ(log.substr(log.size() - std::min(log.size(), end.size())), end);
}

TEST_F(WindowRunTest, ARefusalBeforeTheRunsWindowsBelongsToTheMainDialog)
{
    const CWindowRun run = RunInWindows("busy-from-main-dialog", "Harbor01.kxm");
    EXPECT_EQ(run.Values("refusal"), std::vector<std::string>{GameBusyMessage(game.Directory())});
    EXPECT_EQ(run.Values("owner"), std::vector<std::string>{kInstallerCaption});
    EXPECT_EQ(game.GameFiles(), filesBefore);
}

TEST_F(WindowRunTest, CommandsThatReachTheMainDialogDuringItsRunDoNothing)
{
    RunRecorded("Glasshouse03.kxm");
    const CWindowRun run = RunInWindows("main-dialog", "Glasshouse03.kxm");
    // No second Confirm dialog came (the scenario expects none) and no second run.
    EXPECT_EQ(run.Values("message"), std::vector<std::string>{"Done"});
    EXPECT_EQ(
        run.Values("windows"),
        std::vector<std::string>{"Installing... (disabled), KX Vuz Odezodure (disabled), kx_gui_tests"});
    EXPECT_EQ(game.GameFiles(), recordedGame.GameFiles());
    EXPECT_EQ(Log(game), Log(recordedGame));
    // The dialogs' installation is recorded as kxvuz's is.
    const InstallationHistory history = ReadInstallationHistory(NativeFileSystem(), game.Directory());
    ASSERT_EQ(history.records.size(), 1u);
    EXPECT_EQ(history.records[0].mission, EncodeMission(LoadMission("Glasshouse03.kxm")));
    EXPECT_EQ(history.records[0].log, ReadBytes(game.LogPath()));
}

TEST_F(WindowRunTest, CancelDuringTheErrorOfAnEarlyStopRestoresNothing)
{
    fs::remove(game.Path("Korvex.exe"));
    const CWindowRun run = RunInWindows("cancel-during-stop", "Harbor01.kxm");
    EXPECT_EQ(run.Values("error"), (std::vector<std::string>{"Could not find Korvex.exe in the directory " +
                                                                 game.Directory() + ".",
                                                             "User cancelled installation."}));
    EXPECT_EQ(run.Values("beeps"), (std::vector<std::string>{"1", "2"}));
    EXPECT_EQ(game.GameFiles(), filesBefore);
    EXPECT_FALSE(fs::exists(game.Path("data/Backup")));
    EXPECT_EQ(Log(game),
              "--------Installation for Harbor Lights--------\r\n          Attempted: <date>\r\n"
              "\r\nSearching for directory <game>\\...\r\n-! Error encountered !-\r\nRestoring files..."
              "\r\nRestoration complete.\r\nExit KX VUZ Odezodure with no changes made.");
}

} // namespace
