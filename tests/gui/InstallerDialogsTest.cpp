#include "BackupSetRestore.h"
#include "BeepCounter.h"
#include "DialogScript.h"
#include "GameLock.h"
#include "InstallerDialog.h"
#include "InstallerSteps.h"
#include "LayoutCheck.h"
#include "MissionFile.h"
#include "OptionsDialog.h"
#include "RecordedInstallation.h"
#include "RecordingFrontEnd.h"
#include "Screenshot.h"
#include "TestGame.h"
#include "UninstallSnapshot.h"
#include "resource.h"

#include <commdlg.h>
#include <dlgs.h>
#include <gtest/gtest.h>

#include <optional>
#include <regex>

namespace
{

const char* const kMessageCaption = "kx_gui_tests";

// A game directory of the given length, ending in a backslash.
std::string DirectoryOfLength(std::size_t length)
{
    const std::string start = "C:\\Program Files (x86)\\Veltrane\\Korvex\\Campaigns\\";
    return start + std::string(length - start.size() - 1, 'k') + "\\";
}

HICON DialogIcon(HWND dialog, WPARAM size)
{
    return reinterpret_cast<HICON>(SendMessageA(dialog, WM_GETICON, size, 0));
}

void PressKey(HWND dialog, int id, WPARAM key)
{
    PostMessageA(GetDlgItem(dialog, id), WM_KEYDOWN, key, 0);
}

class InstallerDialogsTest : public ::testing::Test
{
protected:
    CDialogScript script;

    void TearDown() override
    {
        EXPECT_TRUE(script.Finished() && script.failures.empty())
            << ::testing::PrintToString(script.failures);
    }

    // The no-help message box, answered with OK.
    CDialogScript& ExpectNoHelp()
    {
        return script.Then(kMessageCaption,
                           [](HWND box)
                           {
                               EXPECT_EQ(MessageBoxText(box), kNoHelpText);
                               Click(box, IDOK);
                           });
    }
};

TEST_F(InstallerDialogsTest, FirstStartConfirmsTheDefaultDirectoryWhichStaysAfterNoAndCancel)
{
    CBeepCounter beeps;
    CInstallerDialog dialog;
    script
        .Then(kInstallerCaption,
              [&](HWND main)
              {
                  EXPECT_EQ(LayoutProblems(main), std::vector<std::string>{});
                  EXPECT_EQ(DefaultButton(main), IDC_START_INSTALLATION);
                  EXPECT_TRUE(GetWindowLongA(main, GWL_EXSTYLE) & WS_EX_APPWINDOW);
                  const HICON icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_KXVUZ));
                  EXPECT_EQ(DialogIcon(main, ICON_BIG), icon);
                  EXPECT_EQ(DialogIcon(main, ICON_SMALL), icon);
                  EXPECT_EQ(reinterpret_cast<HICON>(SendMessageA(main, WM_QUERYDRAGICON, 0, 0)), icon);
                  SaveScreenshot(main, "main-dialog");
                  Click(main, IDC_START_INSTALLATION);
              })
        .Then(kConfirmCaption,
              [&](HWND confirm)
              {
                  EXPECT_EQ(beeps.Beeps(), std::vector<UINT>{MB_ICONASTERISK});
                  EXPECT_EQ(ItemText(confirm, IDC_CONFIRM_DIRECTORY), kDefaultGameDirectory);
                  EXPECT_EQ(ItemText(confirm, IDC_CONFIRM_MISSION_NAME), "(No mission name specified)");
                  EXPECT_EQ(LayoutProblems(confirm), std::vector<std::string>{});
                  EXPECT_EQ(DefaultButton(confirm), IDOK);
                  SaveScreenshot(confirm, "confirm-dialog");
                  Click(confirm, IDCANCEL);
              })
        // No leads into the Options flow.
        .Then(kOptionsCaption,
              [&](HWND options)
              {
                  EXPECT_EQ(ItemText(options, IDC_OPTIONS_DIRECTORY), kDefaultGameDirectory);
                  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(options, IDC_OPTIONS_HELP)));
                  EXPECT_EQ(LayoutProblems(options), std::vector<std::string>{});
                  EXPECT_EQ(DefaultButton(options), IDOK);
                  SaveScreenshot(options, "options-dialog");
                  TypeDirectory(options, "D:\\Elsewhere");
                  Click(options, IDCANCEL);
              })
        .Then(kInstallerCaption, [](HWND main) { PostMessageA(main, WM_SYSCOMMAND, SC_CLOSE, 0); });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(dialog.gameDirectory, kDefaultGameDirectory);
}

TEST_F(InstallerDialogsTest, ConfirmShowsTheMissionAndLongDirectoriesByTheirLast66Characters)
{
    const std::string longer = DirectoryOfLength(67);
    const std::string fits = DirectoryOfLength(66);
    CInstallerDialog dialog;
    dialog.gameDirectory = longer;
    dialog.mission.missionName = "Harbor Lights & Co";
    script.Then(kInstallerCaption, [](HWND main) { Click(main, IDC_START_INSTALLATION); })
        .Then(kConfirmCaption,
              [&](HWND confirm)
              {
                  EXPECT_EQ(ItemText(confirm, IDC_CONFIRM_DIRECTORY), "..." + longer.substr(1));
                  EXPECT_EQ(ItemText(confirm, IDC_CONFIRM_MISSION_NAME), "Harbor Lights & Co");
                  EXPECT_EQ(LayoutProblems(confirm), std::vector<std::string>{});
                  SaveScreenshot(confirm, "confirm-dialog-long-directory");
                  // Escape means No.
                  PressKey(confirm, IDOK, VK_ESCAPE);
              })
        // OK takes the typed directory back.
        .Then(kOptionsCaption,
              [&](HWND options)
              {
                  TypeDirectory(options, fits);
                  Click(options, IDOK);
              })
        .Then(kInstallerCaption, [](HWND main) { Click(main, IDC_START_INSTALLATION); })
        .Then(kConfirmCaption,
              [&](HWND confirm)
              {
                  EXPECT_EQ(ItemText(confirm, IDC_CONFIRM_DIRECTORY), fits);
                  // So does the close box.
                  PostMessageA(confirm, WM_SYSCOMMAND, SC_CLOSE, 0);
              })
        .Then(kOptionsCaption, [](HWND options) { Click(options, IDCANCEL); })
        .Then(kInstallerCaption, [](HWND main) { PressKey(main, IDC_START_INSTALLATION, VK_ESCAPE); });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(dialog.gameDirectory, fits);
}

TEST_F(InstallerDialogsTest, CancelInOptionsKeepsWhatMissionSetupConfirmedAndDropsTheDirectory)
{
    CInstallerDialog dialog;
    dialog.gameDirectory = "D:\\Games\\Korvex\\";
    dialog.mission = CTestGame::Mission();
    auto setMissionName = [](const char* name, int button)
    {
        return [=](HWND setup)
        {
            SetDlgItemTextA(setup, IDC_SETUP_MISSION_NAME, name);
            Click(setup, button);
        };
    };
    script.Then(kInstallerCaption, [](HWND main) { Click(main, IDC_OPTIONS); })
        .Then(kOptionsCaption,
              [](HWND options)
              {
                  TypeDirectory(options, "D:\\Elsewhere");
                  Click(options, IDC_OPTIONS_MISSION_SETUP);
              })
        .Then("Mission Setup", setMissionName("Night Harbor", IDOK))
        .Then(kOptionsCaption, [](HWND options) { Click(options, IDC_OPTIONS_MISSION_SETUP); })
        .Then("Mission Setup",
              [](HWND setup)
              {
                  // Mission Setup starts from what it confirmed before.
                  EXPECT_EQ(ItemText(setup, IDC_SETUP_MISSION_NAME), "Night Harbor");
                  SetDlgItemTextA(setup, IDC_SETUP_MISSION_NAME, "Dropped");
                  Click(setup, IDCANCEL);
              })
        .Then(kOptionsCaption, [](HWND options) { Click(options, IDCANCEL); })
        .Then(kInstallerCaption, [](HWND main) { Click(main, IDCANCEL); });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(dialog.mission.missionName, "Night Harbor");
    CMissionDefinition expected = CTestGame::Mission();
    expected.missionName = "Night Harbor";
    EXPECT_EQ(dialog.mission, expected);
    EXPECT_EQ(dialog.gameDirectory, "D:\\Games\\Korvex\\");
}

TEST_F(InstallerDialogsTest, F1InEveryDialogShowsTheNoHelpMessage)
{
    CInstallerDialog dialog;
    script.Then(kInstallerCaption, [](HWND main) { PressKey(main, IDC_OPTIONS, VK_F1); });
    ExpectNoHelp()
        .Then(kInstallerCaption, [](HWND main) { Click(main, IDC_OPTIONS); })
        .Then(kOptionsCaption, [](HWND options) { PressKey(options, IDC_OPTIONS_DIRECTORY, VK_F1); });
    ExpectNoHelp()
        .Then(kOptionsCaption, [](HWND options) { Click(options, IDC_OPTIONS_ABOUT); })
        .Then("About", [](HWND about) { PressKey(about, IDOK, VK_F1); });
    ExpectNoHelp()
        .Then("About", [](HWND about) { Click(about, IDOK); })
        .Then(kOptionsCaption, [](HWND options) { Click(options, IDOK); })
        .Then(kInstallerCaption, [](HWND main) { Click(main, IDC_START_INSTALLATION); })
        .Then(kConfirmCaption, [](HWND confirm) { PressKey(confirm, IDOK, VK_F1); });
    ExpectNoHelp()
        .Then(kConfirmCaption, [](HWND confirm) { Click(confirm, IDC_CONFIRM_SHOW_CHANGES); })
        .Then(kPreviewCaption, [](HWND preview) { PressKey(preview, IDC_PREVIEW_TEXT, VK_F1); });
    ExpectNoHelp()
        .Then(kPreviewCaption, [](HWND preview) { Click(preview, IDCANCEL); })
        .Then(kConfirmCaption, [](HWND confirm) { Click(confirm, IDCANCEL); })
        .Then(kOptionsCaption, [](HWND options) { Click(options, IDCANCEL); })
        .Then(kInstallerCaption, [](HWND main) { Click(main, IDC_INSTALLED_MISSIONS); })
        .Then(kInstalledCaption, [](HWND installed) { PressKey(installed, IDC_INSTALLED_LIST, VK_F1); });
    ExpectNoHelp()
        .Then(kInstalledCaption, [](HWND installed) { Click(installed, IDCANCEL); })
        .Then(kInstallerCaption, [](HWND main) { Click(main, IDCANCEL); });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
}

TEST_F(InstallerDialogsTest, ConfirmListsEveryFindingAtOnceAndWritesNothing)
{
    const std::string own =
        " is not in the game's folders; the mission's own files go there before it is installed.";
    const std::string needed = " is not in the game's folders; the game needs it to play the mission.";
    CMissionDefinition harbor;
    ASSERT_TRUE(LoadMissionFile(NativeFileSystem(), KX_SAMPLE_DIR "/missions/Harbor01.kxm", harbor).Ok());
    const struct
    {
        const char* what;
        CMissionDefinition mission;
        std::vector<const char*> removed;
        std::string findings;
    } cases[] = {
        {"no-mission",
         {},
         {},
         "No mission is set up yet. Press No, then Mission Setup..., and load or type one."},
        {"missing-files",
         harbor,
         {"data/kits/Harbor01_recon.kit", "data/text/briefing/Harbor01.brf", "data/text/intel/Harbor01.int"},
         "problem: The briefing file data\\text\\briefing\\Harbor01.brf" + own +
             "\r\nproblem: The intel file data\\text\\intel\\Harbor01.int" + own +
             "\r\nwarning: The recon kit file data\\kits\\Harbor01_recon.kit" + needed},
        {"warnings-only",
         harbor,
         {"data/mission/Harbor01.spl"},
         "warning: The splash file data\\mission\\Harbor01.spl" + needed},
        {"clean", harbor, {}, "No problems found."},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        // Where the run would write its log.
        CScratchWorkingFolder working;
        CTestGame game;
        for (const char* path : c.removed)
            std::filesystem::remove(game.Path(path));
        const auto before = game.GameFiles();
        CInstallerDialog dialog;
        dialog.gameDirectory = game.Directory();
        dialog.mission = c.mission;
        script.Then(kInstallerCaption, [](HWND main) { Click(main, IDC_START_INSTALLATION); })
            .Then(kConfirmCaption,
                  [&](HWND confirm)
                  {
                      EXPECT_EQ(ItemText(confirm, IDC_CONFIRM_FINDINGS), c.findings);
                      EXPECT_EQ(LayoutProblems(confirm), std::vector<std::string>{});
                      EXPECT_EQ(GetDlgCtrlID(GetFocus()), IDOK);
                      SaveScreenshot(confirm, std::string("confirm-") + c.what);
                      Click(confirm, IDCANCEL);
                  })
            .Then(kOptionsCaption, [](HWND options) { Click(options, IDCANCEL); })
            .Then(kInstallerCaption, [](HWND main) { Click(main, IDCANCEL); });
        EXPECT_EQ(dialog.DoModal(), IDCANCEL);
        EXPECT_EQ(game.GameFiles(), before);
        EXPECT_EQ(game.BackupFolder(), std::vector<std::string>{});
        EXPECT_TRUE(std::filesystem::is_empty(working.Path()));
    }
}

TEST_F(InstallerDialogsTest, EnterPressesTheFocusedButtonNotTheDefaultOne)
{
    CInstallerDialog dialog;
    script.Then(kInstallerCaption, [](HWND main) { Click(main, IDC_OPTIONS); })
        .Then(kOptionsCaption, [](HWND options) { Click(options, IDCANCEL); })
        // The focus comes back to Options... without the default's frame, which stays on Start Installation.
        .Then(kInstallerCaption,
              [](HWND main)
              {
                  EXPECT_EQ(GetFocus(), GetDlgItem(main, IDC_OPTIONS));
                  PressKey(main, IDC_OPTIONS, VK_RETURN);
              })
        .Then(kOptionsCaption, [](HWND options) { Click(options, IDCANCEL); })
        .Then(kInstallerCaption, [](HWND main) { Click(main, IDCANCEL); });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
}

TEST_F(InstallerDialogsTest, ConfirmNamesAMissionThatTheGameHoldsAlready)
{
    CTestGame game;
    CRecordingFrontEnd recorder;
    CMissionDefinition harbor;
    ASSERT_TRUE(LoadMissionFile(NativeFileSystem(), KX_SAMPLE_DIR "/missions/Harbor01.kxm", harbor).Ok());
    CRecordedInstallation installation(NativeFileSystem(), recorder, game.Directory(), harbor,
                                       game.LogPath());
    ASSERT_EQ(installation.RunInstallation(), RunOutcome::Completed);
    CInstallerDialog dialog;
    dialog.gameDirectory = game.Directory();
    dialog.mission = harbor;
    script.Then(kInstallerCaption, [](HWND main) { Click(main, IDC_START_INSTALLATION); })
        .Then(kConfirmCaption,
              [&](HWND confirm)
              {
                  const std::string findings = ItemText(confirm, IDC_CONFIRM_FINDINGS);
                  EXPECT_EQ(std::regex_replace(findings.substr(0, findings.find('\r')),
                                               std::regex("\\(installation 1, .*\\)"), "(installation 1)"),
                            "problem: Harbor Lights is already installed in this game (installation 1); Yes "
                            "installs it again.");
                  SaveScreenshot(confirm, "confirm-already-installed");
                  Click(confirm, IDCANCEL);
              })
        .Then(kOptionsCaption, [](HWND options) { Click(options, IDCANCEL); })
        .Then(kInstallerCaption, [](HWND main) { Click(main, IDCANCEL); });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
}

TEST_F(InstallerDialogsTest, AnInterruptedInstallationIsOfferedBackInsteadOfARun)
{
    CTestGame game;
    const auto before = game.GameFiles();
    CRecordingFrontEnd recorder;
    ASSERT_EQ(game.Install(CTestGame::Mission(), recorder), RunOutcome::Completed);
    // The journal as a run leaves it when it ends between its backup and its last step.
    std::optional<BackupJournal> journal = ReadBackupJournal(NativeFileSystem(), game.Directory());
    ASSERT_TRUE(journal);
    journal->state = BackupJournal::State::Complete;
    ASSERT_TRUE(WriteBackupJournal(NativeFileSystem(), game.Directory(), *journal));
    const auto interrupted = game.GameFiles();
    const std::string journalPath = BackupJournalPath(game.Directory());
    const std::string journalBytes = ReadBytes(journalPath);

    CInstallerDialog dialog;
    dialog.gameDirectory = game.Directory();
    // Held by the test as another program's restore would hold it.
    std::optional<GameLock> lock;
    auto answerPrompt = [&](int answer, const char* screenshot)
    {
        script.Then(kMessageCaption,
                    [=](HWND prompt)
                    {
                        EXPECT_EQ(MessageBoxText(prompt),
                                  "The last installation into this game was interrupted and some game files "
                                  "may be half-edited. Put them back from the backup now?");
                        EXPECT_EQ(GetWindow(prompt, GW_OWNER), FindWindowA(nullptr, kInstallerCaption));
                        if (screenshot)
                            SaveScreenshot(prompt, screenshot);
                        Click(prompt, answer);
                    });
    };
    auto confirmAndAnswer = [&](int answer, const char* screenshot)
    {
        script.Then(kConfirmCaption, [](HWND confirm) { Click(confirm, IDOK); });
        answerPrompt(answer, screenshot);
    };
    auto optionsNaming = [&](const std::string& directory)
    {
        script.Then(kInstallerCaption, [](HWND main) { Click(main, IDC_OPTIONS); })
            .Then(kOptionsCaption,
                  [=](HWND options)
                  {
                      TypeDirectory(options, directory);
                      Click(options, IDOK);
                  });
    };
    // At start-up, and when Options names the game again after another folder; not for the same folder.
    answerPrompt(IDNO, nullptr);
    optionsNaming("C:\\windows");
    optionsNaming(game.Directory());
    answerPrompt(IDNO, nullptr);
    optionsNaming(game.Directory());
    script.Then(kInstallerCaption, [](HWND main) { Click(main, IDC_START_INSTALLATION); });
    confirmAndAnswer(IDNO, "interrupted-installation-prompt");
    script.Then(kInstallerCaption,
                [&](HWND main)
                {
                    EXPECT_EQ(game.GameFiles(), interrupted);
                    EXPECT_EQ(ReadBytes(journalPath), journalBytes);
                    lock = LockGame(NativeFileSystem(), game.Directory());
                    Click(main, IDC_START_INSTALLATION);
                });
    confirmAndAnswer(IDYES, nullptr);
    script
        .Then(kMessageCaption,
              [&](HWND busy)
              {
                  EXPECT_EQ(MessageBoxText(busy), GameBusyMessage(game.Directory()));
                  lock.reset();
                  Click(busy, IDOK);
              })
        .Then(kInstallerCaption,
              [&](HWND main)
              {
                  EXPECT_EQ(game.GameFiles(), interrupted);
                  Click(main, IDC_START_INSTALLATION);
              });
    confirmAndAnswer(IDYES, nullptr);
    script
        .Then(kMessageCaption,
              [&](HWND report)
              {
                  // Files the installation left as they were need nothing.
                  EXPECT_EQ(MessageBoxText(report),
                            "Restored: data\\mission\\mission.lst\n"
                            "Restored: data\\text\\briefing\\english\\missionnames.txt\n"
                            "Restored: data\\text\\intel\\english\\intelnames.txt\n"
                            "Already as backed up: data\\text\\interface\\english\\tutorial_groupings.txt\n"
                            "Restored: data\\text\\interface\\english\\kx_string_table.txt\n"
                            "Restored: data\\text\\briefing\\Harbor01.brf\n"
                            "Restored: data\\text\\intel\\Harbor01.int\n"
                            "Already as backed up: data\\texture\\sherman.cxp\n"
                            "The game files are as they were before the last installation.");
                  SaveScreenshot(report, "restored-files-report");
                  Click(report, IDOK);
              })
        .Then(kInstallerCaption, [](HWND main) { Click(main, IDCANCEL); });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(game.GameFiles(), before);
    EXPECT_FALSE(LastInstallationInterrupted(NativeFileSystem(), game.Directory()));
}

TEST_F(InstallerDialogsTest, AnInterruptedUninstallIsOfferedBackAtStartUp)
{
    CTestGame game;
    const auto before = game.GameFiles();
    // An uninstall killed after its snapshot and its first change.
    std::filesystem::create_directories(game.Path("data/Backup"));
    ASSERT_EQ(TakeUninstallSnapshot(NativeFileSystem(), game.Directory(), {"data\\mission\\mission.lst"}),
              std::nullopt);
    game.Write("data/mission/mission.lst", "half");

    CInstallerDialog dialog;
    dialog.gameDirectory = game.Directory();
    script
        .Then(kMessageCaption,
              [](HWND prompt)
              {
                  EXPECT_EQ(MessageBoxText(prompt),
                            std::string(kInterruptedUninstall) + " Put them back from the backup now?");
                  Click(prompt, IDYES);
              })
        .Then(kMessageCaption,
              [](HWND report)
              {
                  EXPECT_EQ(MessageBoxText(report),
                            "Restored: data\\mission\\mission.lst\n"
                            "The game files and records are as they were before the interrupted uninstall.");
                  SaveScreenshot(report, "interrupted-uninstall-restored");
                  Click(report, IDOK);
              })
        .Then(kInstallerCaption, [](HWND main) { Click(main, IDCANCEL); });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(game.GameFiles(), before);
    EXPECT_FALSE(UninstallInterrupted(NativeFileSystem(), game.Directory()));
}

TEST_F(InstallerDialogsTest, TheDirectoryEndsInOneBackslashWhenTheEditLosesFocusAndOnEnter)
{
    COptionsDialog options;
    options.directory = "C:\\Old\\";
    script.Then(kOptionsCaption,
                [](HWND dialog)
                {
                    EXPECT_EQ(ItemText(dialog, IDC_OPTIONS_DIRECTORY), "C:\\Old\\");
                    TypeDirectory(dialog, "D:\\Games\\Korvex");
                    EXPECT_EQ(ItemText(dialog, IDC_OPTIONS_DIRECTORY), "D:\\Games\\Korvex\\");
                    TypeDirectory(dialog, "D:\\Games\\Korvex\\ \t  ");
                    EXPECT_EQ(ItemText(dialog, IDC_OPTIONS_DIRECTORY), "D:\\Games\\Korvex\\");
                    TypeDirectory(dialog, " D:\\Games\\Korvex \\");
                    EXPECT_EQ(ItemText(dialog, IDC_OPTIONS_DIRECTORY), " D:\\Games\\Korvex \\");
                    TypeDirectory(dialog, "");
                    EXPECT_EQ(ItemText(dialog, IDC_OPTIONS_DIRECTORY), "\\");

                    // Enter ends the dialog while the edit still has the focus.
                    HWND edit = GetDlgItem(dialog, IDC_OPTIONS_DIRECTORY);
                    SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(edit), TRUE);
                    SetWindowTextA(edit, "E:\\Korvex  ");
                    PressKey(dialog, IDC_OPTIONS_DIRECTORY, VK_RETURN);
                });
    EXPECT_EQ(options.DoModal(), IDOK);
    EXPECT_EQ(options.directory, "E:\\Korvex\\");
}

TEST_F(InstallerDialogsTest, ALetterTheCodePageLacksComesBackAsAQuestionMarkNotAsALookalike)
{
    COptionsDialog options;
    script.Then(kOptionsCaption,
                [](HWND dialog)
                {
                    SetDlgItemTextW(dialog, IDC_OPTIONS_DIRECTORY, L"D:\\\u0141ukasz\\Korvex\\");
                    Click(dialog, IDOK);
                });
    EXPECT_EQ(options.DoModal(), IDOK);
    EXPECT_EQ(options.directory, "D:\\?ukasz\\Korvex\\");
}

TEST_F(InstallerDialogsTest, OptionsSaysWhetherTheFolderHoldsTheGameAndBrowsesFromIt)
{
    CTestGame game;
    CScratchFolder elsewhere;
    const std::string noGame = elsewhere / "";
    const char* const found = "Korvex.exe is in this folder.";
    const char* const notFound = "Korvex.exe is not in this folder.";
    COptionsDialog options;
    options.directory = noGame;
    script
        .Then(kOptionsCaption,
              [&](HWND dialog)
              {
                  EXPECT_EQ(ItemText(dialog, IDC_OPTIONS_GAME_FOUND), notFound);
                  TypeDirectory(dialog, game.Directory());
                  EXPECT_EQ(ItemText(dialog, IDC_OPTIONS_GAME_FOUND), found);
                  EXPECT_EQ(LayoutProblems(dialog), std::vector<std::string>{});
                  SaveScreenshot(dialog, "options-game-found");
                  TypeDirectory(dialog, noGame);
                  EXPECT_EQ(ItemText(dialog, IDC_OPTIONS_GAME_FOUND), notFound);
                  SaveScreenshot(dialog, "options-game-not-found");
                  Click(dialog, IDC_OPTIONS_BROWSE);
              })
        .Then("Open",
              [&](HWND files)
              {
                  wchar_t folder[MAX_PATH] = {};
                  SendMessageW(files, CDM_GETFOLDERPATH, MAX_PATH, reinterpret_cast<LPARAM>(folder));
                  EXPECT_EQ(std::filesystem::path(folder) / "", std::filesystem::path(noGame));
                  SetDlgItemTextA(files, cmb13, (game.Directory() + "Korvex.exe").c_str());
                  Click(files, IDOK);
              })
        .Then(kOptionsCaption,
              [&](HWND dialog)
              {
                  EXPECT_EQ(ItemText(dialog, IDC_OPTIONS_GAME_FOUND), found);
                  Click(dialog, IDOK);
              });
    EXPECT_EQ(options.DoModal(), IDOK);
    EXPECT_EQ(options.directory, game.Directory());
}

TEST_F(InstallerDialogsTest, BrowseTakesTheFolderOfTheChosenFile)
{
    // The file's name stands in its folder's name too.
    CScratchFolder scratch;
    std::filesystem::create_directories(scratch.Path() / "Korvex.exe copies");
    WriteBytes(scratch.Path() / "Korvex.exe copies" / "Korvex.exe", "");
    const std::string folder = scratch / "Korvex.exe copies\\";
    COptionsDialog options;
    auto browse = [&](int button)
    {
        script.Then(kOptionsCaption, [](HWND dialog) { Click(dialog, IDC_OPTIONS_BROWSE); })
            .Then("Open",
                  [=](HWND files)
                  {
                      EXPECT_EQ(ItemText(files, cmb13), "Korvex.exe");
                      char type[64] = {};
                      SendDlgItemMessageA(files, cmb1, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(type));
                      EXPECT_STREQ(type, "Programs (*.exe)");
                      SetDlgItemTextA(files, cmb13, (folder + "Korvex.exe").c_str());
                      Click(files, button);
                  });
    };
    browse(IDOK);
    // Cancelling the file dialog keeps what the first Browse gave.
    browse(IDCANCEL);
    script.Then(kOptionsCaption,
                [&](HWND dialog)
                {
                    EXPECT_EQ(ItemText(dialog, IDC_OPTIONS_DIRECTORY), folder);
                    Click(dialog, IDOK);
                });
    EXPECT_EQ(options.DoModal(), IDOK);
    EXPECT_EQ(options.directory, folder);
}

} // namespace
