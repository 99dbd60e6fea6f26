#include "CodePage.h"
#include "DialogControls.h"
#include "DialogScript.h"
#include "FileSystem.h"
#include "InstallerDialog.h"
#include "InstallerSteps.h"
#include "LayoutCheck.h"
#include "MissionFile.h"
#include "OptionsDialog.h"
#include "Preview.h"
#include "ProgressState.h"
#include "RecordedInstallation.h"
#include "Screenshot.h"
#include "TestGame.h"
#include "Uninstall.h"
#include "UsableGameDirectory.h"
#include "WaitCursor.h"
#include "resource.h"

#include <commctrl.h>
#include <gtest/gtest.h>

namespace
{

namespace fs = std::filesystem;

const char* const kMessageCaption = "kx_gui_tests";
const std::vector<std::string> kThree = {"Harbor01", "Ridge02", "MPFoundry"};

CMissionDefinition Sample(const std::string& name)
{
    CMissionDefinition mission;
    EXPECT_TRUE(
        LoadMissionFile(NativeFileSystem(), KX_SAMPLE_DIR "/missions/" + name + ".kxm", mission).Ok());
    return mission;
}

void InstallSamples(const CTestGame& game, const std::vector<std::string>& names)
{
    for (const std::string& name : names)
    {
        CSilentFrontEnd silent;
        CRecordedInstallation run(NativeFileSystem(), silent, game.Directory(), Sample(name), game.LogPath());
        ASSERT_EQ(run.RunInstallation(), RunOutcome::Completed) << name;
    }
}

// Everything in the game folder, the backup folder and records included.
std::map<std::string, std::string> EveryFile(const CTestGame& game)
{
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(game.Path("")))
        if (entry.is_regular_file())
            files[entry.path().lexically_relative(game.Path("")).generic_string()] = ReadBytes(entry.path());
    return files;
}

std::vector<std::vector<std::string>> Rows(HWND installed)
{
    HWND list = GetDlgItem(installed, IDC_INSTALLED_LIST);
    std::vector<std::vector<std::string>> rows;
    const int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i)
    {
        std::vector<std::string> row;
        for (int column = 0; column < 4; ++column)
        {
            char text[256] = {};
            LVITEMA item{};
            item.iSubItem = column;
            item.pszText = text;
            item.cchTextMax = sizeof(text);
            SendMessageA(list, LVM_GETITEMTEXTA, i, reinterpret_cast<LPARAM>(&item));
            row.push_back(text);
        }
        rows.push_back(row);
    }
    return rows;
}

// The rows kxvuz list prints for the game, cell by cell.
std::vector<std::vector<std::string>> RecordedRows(const CTestGame& game)
{
    std::vector<std::vector<std::string>> rows;
    const InstallationHistory history = ReadInstallationHistory(NativeFileSystem(), game.Directory());
    for (std::size_t i = 0; i < history.records.size(); ++i)
        rows.push_back({std::to_string(i + 1), history.records[i].missionName, ShownTime(history.records[i]),
                        history.records[i].missionFile});
    return rows;
}

std::wstring WideText(HWND window)
{
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

// A diff as the preview's edit holds it.
std::wstring Shown(const std::string& utf8)
{
    std::string text;
    for (char c : utf8)
        text += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return WideFromAnsi(text, CP_UTF8);
}

const std::vector<int> kActions = {IDC_INSTALLED_PREVIEW, IDC_INSTALLED_UNINSTALL};

class InstalledMissionsTest : public ::testing::Test
{
protected:
    CDialogScript script;
    CTestGame game;
    CInstallerDialog main;

    // The uninstall logs to the working folder, as the run does.
    CScratchFolder working;
    const fs::path formerWorking = fs::current_path();

    InstalledMissionsTest()
    {
        main.gameDirectory = game.Directory();
        fs::current_path(working.Path());
    }

    void TearDown() override
    {
        fs::current_path(formerWorking);
        EXPECT_TRUE(script.Finished() && script.failures.empty())
            << ::testing::PrintToString(script.failures);
    }

    // The Installed Missions button of the main dialog, then the steps in that dialog.
    CDialogScript& OpenInstalled(CDialogScript::Action action)
    {
        return script.Then(kInstallerCaption, [](HWND dialog) { Click(dialog, IDC_INSTALLED_MISSIONS); })
            .Then(kInstalledCaption, std::move(action));
    }

    // Close, then the main dialog's Cancel.
    void CloseBoth()
    {
        script.ThenAgain(kInstalledCaption, [](HWND installed) { Click(installed, IDCANCEL); })
            .Then(kInstallerCaption, [](HWND dialog) { Click(dialog, IDCANCEL); });
        EXPECT_EQ(main.DoModal(), IDCANCEL);
    }
};

TEST_F(InstalledMissionsTest, TheButtonListsTheRecordsOfTheChosenOrDefaultDirectory)
{
    for (const std::size_t count : {2u, 3u})
    {
        SCOPED_TRACE(count);
        CTestGame prepared;
        InstallSamples(prepared, std::vector<std::string>(kThree.begin(), kThree.begin() + count));
        CInstallerDialog dialog;
        dialog.gameDirectory = prepared.Directory();
        const std::string shot = "installed-missions-" + std::to_string(count);
        script.Then(kInstallerCaption, [](HWND main) { Click(main, IDC_INSTALLED_MISSIONS); })
            .Then(kInstalledCaption,
                  [&](HWND installed)
                  {
                      EXPECT_EQ(ItemText(installed, IDC_INSTALLED_DIRECTORY), prepared.Directory());
                      EXPECT_EQ(Rows(installed), RecordedRows(prepared));
                      EXPECT_FALSE(IsWindowVisible(GetDlgItem(installed, IDC_INSTALLED_SHOW_CHANGES)));
                      EXPECT_EQ(EnabledOf(installed, kActions), std::vector<int>{});
                      EXPECT_EQ(DefaultButton(installed), IDCANCEL);
                      EXPECT_EQ(LayoutProblems(installed), std::vector<std::string>{});
                      SaveScreenshot(installed, shot);
                      SelectRow(installed, 1);
                  })
            .ThenAgain(kInstalledCaption,
                       [&](HWND installed)
                       {
                           EXPECT_EQ(EnabledOf(installed, kActions), kActions);
                           SaveScreenshot(installed, shot + "-selected");
                           // Escape is Close.
                           PostMessageA(GetDlgItem(installed, IDC_INSTALLED_LIST), WM_KEYDOWN, VK_ESCAPE, 0);
                       })
            .Then(kInstallerCaption, [](HWND main) { Click(main, IDCANCEL); });
        EXPECT_EQ(dialog.DoModal(), IDCANCEL);
        EXPECT_TRUE(script.Finished());
    }

    CInstallerDialog fresh;
    script.Then(kInstallerCaption, [](HWND main) { Click(main, IDC_INSTALLED_MISSIONS); })
        .Then(kInstalledCaption,
              [](HWND installed)
              {
                  EXPECT_EQ(ItemText(installed, IDC_INSTALLED_DIRECTORY), kDefaultGameDirectory);
                  EXPECT_EQ(Rows(installed).size(), 0u);
                  SaveScreenshot(installed, "installed-missions-empty");
                  Click(installed, IDCANCEL);
              })
        .Then(kInstallerCaption, [](HWND main) { Click(main, IDCANCEL); });
    EXPECT_EQ(fresh.DoModal(), IDCANCEL);
    EXPECT_EQ(fresh.gameDirectory, kDefaultGameDirectory);
}

TEST_F(InstalledMissionsTest, AChangedFileIsNamedShownAndBarsUninstall)
{
    InstallSamples(game, {"Harbor01", "Ridge02"});
    game.Write("data/mission/mission.lst", game.Read("data/mission/mission.lst") + "; edited by hand\r\n");
    const auto before = EveryFile(game);
    OpenInstalled(
        [](HWND installed)
        {
            EXPECT_EQ(ItemText(installed, IDC_INSTALLED_WARNING),
                      "Changed since the last installation: data\\mission\\mission.lst. Uninstalling is not "
                      "possible "
                      "until they are put back.");
            EXPECT_TRUE(IsWindowVisible(GetDlgItem(installed, IDC_INSTALLED_SHOW_CHANGES)));
            EXPECT_EQ(LayoutProblems(installed), std::vector<std::string>{});
            SelectRow(installed, 1);
        })
        .ThenAgain(kInstalledCaption,
                   [](HWND installed)
                   {
                       EXPECT_EQ(EnabledOf(installed, kActions), std::vector<int>{});
                       SaveScreenshot(installed, "installed-missions-changed-file");
                       Click(installed, IDC_INSTALLED_SHOW_CHANGES);
                   })
        .Then("Changed Since the Last Installation",
              [](HWND preview)
              {
                  const std::wstring diff = WideText(GetDlgItem(preview, IDC_PREVIEW_TEXT));
                  EXPECT_EQ(diff.find(L"--- a/data/mission/mission.lst"), 0u);
                  EXPECT_NE(diff.find(L"\r\n+; edited by hand\r\n"), std::wstring::npos);
                  SaveScreenshot(preview, "preview-changed-file");
                  Click(preview, IDCANCEL);
              });
    CloseBoth();
    EXPECT_EQ(EveryFile(game), before);
}

TEST_F(InstalledMissionsTest, UninstallAsksFirstAndNoLeavesEverything)
{
    InstallSamples(game, kThree);
    const auto before = EveryFile(game);
    const std::vector<std::string> questions = {
        "Remove Harbor Lights from the game?\n\nThe 2 missions installed after it will be taken out and "
        "installed again.",
        "Remove Ridge Line from the game?\n\nThe mission installed after it will be taken out and installed "
        "again.",
        "Remove Foundry Skirmish from the game?"};
    script.Then(kInstallerCaption, [](HWND dialog) { Click(dialog, IDC_INSTALLED_MISSIONS); });
    for (int row = 0; row < 3; ++row)
        script.Then(kInstalledCaption, [row](HWND installed) { SelectRow(installed, row); })
            .ThenAgain(kInstalledCaption, [](HWND installed) { Click(installed, IDC_INSTALLED_UNINSTALL); })
            .Then(kMessageCaption,
                  [&, row](HWND box)
                  {
                      EXPECT_EQ(MessageBoxText(box), questions[row]);
                      EXPECT_TRUE(GetDlgItem(box, IDYES) && GetDlgItem(box, IDNO));
                      if (row == 1)
                          SaveScreenshot(box, "uninstall-question");
                      Click(box, IDNO);
                  });
    CloseBoth();
    EXPECT_EQ(EveryFile(game), before);
}

TEST_F(InstalledMissionsTest, UninstallYesRemovesTheMiddleMissionAsTheCoreDoesOnACopy)
{
    InstallSamples(game, kThree);
    CTestGame copy;
    InstallSamples(copy, kThree);
    OpenInstalled([](HWND installed) { SelectRow(installed, 1); })
        .ThenAgain(kInstalledCaption, [](HWND installed) { Click(installed, IDC_INSTALLED_UNINSTALL); })
        .Then(kMessageCaption, [](HWND box) { Click(box, IDYES); })
        .Then("Uninstalling...", [](HWND progress) { SaveScreenshot(progress, "uninstall-progress"); })
        .Then(kMessageCaption,
              [](HWND box)
              {
                  EXPECT_EQ(MessageBoxText(box), "Ridge Line was removed.");
                  Click(box, IDOK);
              })
        .Then(kInstalledCaption,
              [&](HWND installed)
              {
                  EXPECT_EQ(Rows(installed), RecordedRows(game));
                  EXPECT_EQ(Rows(installed).size(), 2u);
                  SaveScreenshot(installed, "installed-missions-after-uninstall");
              });
    CloseBoth();

    CSilentFrontEnd silent;
    ASSERT_EQ(Uninstall(NativeFileSystem(), silent, copy.Directory(), "2", false, copy.LogPath()).outcome,
              UninstallOutcome::Removed);
    EXPECT_EQ(game.GameFiles(), copy.GameFiles());
    auto names = [](const CTestGame& of)
    {
        std::vector<std::string> missions;
        for (const auto& row : RecordedRows(of))
            missions.push_back(row[1]);
        return missions;
    };
    EXPECT_EQ(names(game), names(copy));
}

TEST_F(InstalledMissionsTest, CancelDuringTheUninstallPutsEverythingBack)
{
    InstallSamples(game, kThree);
    const auto before = EveryFile(game);
    OpenInstalled([](HWND installed) { SelectRow(installed, 0); })
        .ThenAgain(kInstalledCaption, [](HWND installed) { Click(installed, IDC_INSTALLED_UNINSTALL); })
        .Then(kMessageCaption, [](HWND box) { Click(box, IDYES); })
        .Then("Uninstalling...", [](HWND progress) { Click(progress, IDCANCEL); })
        .Then(kMessageCaption,
              [](HWND box)
              {
                  EXPECT_EQ(MessageBoxText(box).find("User cancelled the uninstall."), 0u);
                  Click(box, IDOK);
              })
        .Then(kInstalledCaption, [&](HWND installed) { EXPECT_EQ(Rows(installed).size(), 3u); });
    CloseBoth();
    // The cancelled replay's hourglass went with the uninstall.
    EXPECT_FALSE(WaitCursorShown());
    auto after = EveryFile(game);
    // The log tells of the cancelled uninstall.
    after.erase("kxinstall.log");
    auto expected = before;
    expected.erase("kxinstall.log");
    EXPECT_EQ(after, expected);
}

TEST_F(InstalledMissionsTest, PreviewShowsTheUninstallsChangesAndWritesNothing)
{
    InstallSamples(game, kThree);
    const auto before = EveryFile(game);
    const UninstallPreview expected = PreviewUninstall(NativeFileSystem(), game.Directory(), "2", false);
    OpenInstalled([](HWND installed) { SelectRow(installed, 1); })
        .ThenAgain(kInstalledCaption, [](HWND installed) { Click(installed, IDC_INSTALLED_PREVIEW); })
        .Then(kPreviewCaption,
              [&](HWND preview)
              {
                  EXPECT_EQ(ItemText(preview, IDC_PREVIEW_OUTCOME), OutcomeLine(expected));
                  EXPECT_EQ(WideText(GetDlgItem(preview, IDC_PREVIEW_TEXT)),
                            Shown(PreviewText(expected.preview)));
                  EXPECT_EQ(LayoutProblems(preview), std::vector<std::string>{});
                  EXPECT_EQ(DefaultButton(preview), IDCANCEL);
                  SaveScreenshot(preview, "preview-uninstall");
                  Click(preview, IDCANCEL);
              });
    CloseBoth();
    EXPECT_EQ(EveryFile(game), before);
}

// The whole diff of a large installation, in a fixed-width font, in a window that grows with the dialog.
TEST_F(InstalledMissionsTest, ShowChangesInConfirmShowsTheWholeDiffOfALargeInstallationAndWritesNothing)
{
    CMissionDefinition mission = Sample("Harbor01");
    // The material file holds 1,000 lines at most: the length is in the names.
    const std::string longName(400, 'n');
    for (int m = 0; m < 50; ++m)
    {
        const int i = mission.MaterialCount();
        mission.AddMaterial("large_" + std::to_string(m));
        mission.SetScrollFlag(i, true);
        mission.SetScrollX(i, "0.05");
        mission.SetScrollY(i, "0");
        mission.SetScrollZ(i, "0");
        mission.SetAnimationFlag(i, true);
        mission.SetAnimationMode(i, 1);
        mission.SetAnimationInterval(i, "120");
        for (int t = 0; t < 4; ++t)
            mission.AddTexture(i, longName + std::to_string(m) + "_" + std::to_string(t) + ".bmp");
    }
    main.mission = mission;
    const auto before = EveryFile(game);
    const InstallationPreview expected = PreviewInstallation(NativeFileSystem(), game.Directory(), mission);
    const std::wstring diff = Shown(PreviewText(expected.preview));
    // Twice the edit's default limit.
    ASSERT_GT(diff.size(), 65536u) << expected.failure;
    script.Then(kInstallerCaption, [](HWND dialog) { Click(dialog, IDC_START_INSTALLATION); })
        .Then(kConfirmCaption,
              [](HWND confirm)
              {
                  EXPECT_EQ(LayoutProblems(confirm), std::vector<std::string>{});
                  EXPECT_EQ(DefaultButton(confirm), IDOK);
                  Click(confirm, IDC_CONFIRM_SHOW_CHANGES);
              })
        .Then(kPreviewCaption,
              [&](HWND preview)
              {
                  EXPECT_EQ(ItemText(preview, IDC_PREVIEW_OUTCOME),
                            OutcomeLine(expected, mission.missionName));
                  HWND edit = GetDlgItem(preview, IDC_PREVIEW_TEXT);
                  EXPECT_TRUE(IsWindowUnicode(edit));
                  // The records' content hashes hold the time of the run; compared without them, and
                  // without printing a diff this long.
                  const std::wstring shown = WideText(edit);
                  const std::wstring others = L"Also written, not shown: ";
                  EXPECT_TRUE(shown.substr(0, shown.find(others)) == diff.substr(0, diff.find(others)));
                  EXPECT_NE(shown.find(others), std::wstring::npos);
                  const LONG style = GetWindowLongA(edit, GWL_STYLE);
                  EXPECT_EQ(style & (ES_READONLY | WS_HSCROLL | WS_VSCROLL),
                            ES_READONLY | WS_HSCROLL | WS_VSCROLL);
                  HDC dc = GetDC(edit);
                  SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(edit, WM_GETFONT, 0, 0)));
                  TEXTMETRICA metrics;
                  GetTextMetricsA(dc, &metrics);
                  ReleaseDC(edit, dc);
                  // The flag is set for a font of variable width.
                  EXPECT_FALSE(metrics.tmPitchAndFamily & TMPF_FIXED_PITCH);
                  SaveScreenshot(preview, "preview-installation");

                  RECT window, editBefore, closeBefore, editAfter, closeAfter;
                  GetWindowRect(preview, &window);
                  GetWindowRect(edit, &editBefore);
                  GetWindowRect(GetDlgItem(preview, IDCANCEL), &closeBefore);
                  SetWindowPos(preview, nullptr, 0, 0, window.right - window.left + 200,
                               window.bottom - window.top + 100, SWP_NOMOVE | SWP_NOZORDER);
                  GetWindowRect(edit, &editAfter);
                  GetWindowRect(GetDlgItem(preview, IDCANCEL), &closeAfter);
                  EXPECT_EQ(editAfter.right - editBefore.right, 200);
                  EXPECT_EQ(editAfter.bottom - editBefore.bottom, 100);
                  EXPECT_EQ(closeAfter.left - closeBefore.left, 200);
                  EXPECT_EQ(closeAfter.top - closeBefore.top, 100);
                  EXPECT_EQ(LayoutProblems(preview), std::vector<std::string>{});
                  SaveScreenshot(preview, "preview-installation-resized");
                  // No smaller than it opened.
                  SetWindowPos(preview, nullptr, 0, 0, 100, 100, SWP_NOMOVE | SWP_NOZORDER);
                  RECT shrunk;
                  GetWindowRect(preview, &shrunk);
                  EXPECT_EQ(shrunk.right - shrunk.left, window.right - window.left);
                  Click(preview, IDCANCEL);
              })
        .Then(kConfirmCaption, [](HWND confirm) { Click(confirm, IDCANCEL); })
        .Then(kOptionsCaption, [](HWND options) { Click(options, IDCANCEL); })
        .Then(kInstallerCaption, [](HWND dialog) { Click(dialog, IDCANCEL); });
    EXPECT_EQ(main.DoModal(), IDCANCEL);
    EXPECT_EQ(EveryFile(game), before);
}

} // namespace
