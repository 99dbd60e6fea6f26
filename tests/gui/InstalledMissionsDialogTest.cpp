#include "CodePage.h"
#include "DataExchange.h"
#include "DialogControls.h"
#include "DialogScript.h"
#include "InstallerDialog.h"
#include "InstallerSteps.h"
#include "LayoutCheck.h"
#include "OptionsDialog.h"
#include "Preview.h"
#include "ProgressState.h"
#include "RecordedInstallation.h"
#include "Screenshot.h"
#include "TestGame.h"
#include "WaitCursor.h"
#include "resource.h"

#include <commctrl.h>
#include <gtest/gtest.h>

namespace
{

namespace fs = std::filesystem;

const char* const kBox = "kx_gui_tests";
const std::vector<int> kActions = {IDC_INSTALLED_PREVIEW, IDC_INSTALLED_UNINSTALL};

void InstallSamples(const CTestGame& game, std::size_t count)
{
    const char* const names[] = {"Harbor01.kxm", "Ridge02.kxm", "MPFoundry.kxm"};
    for (std::size_t i = 0; i < count; ++i)
    {
        CSilentFrontEnd silent;
        CRecordedInstallation run(NativeFileSystem(), silent, game.Directory(), SampleMission(names[i]),
                                  game.LogPath());
        ASSERT_EQ(run.RunInstallation(), RunOutcome::Completed) << names[i];
    }
}

// The game folder with its backup folder and records, which GameFiles() leaves out.
std::map<std::string, std::string> EveryFile(const CTestGame& game)
{
    auto files = game.GameFiles();
    for (const std::string& held : game.BackupFolder())
        if (fs::is_regular_file(game.Path("data/Backup/" + held)))
            files["data/Backup/" + held] = game.Read("data/Backup/" + held);
    return files;
}

// What the list shows, cell by cell, against what kxvuz list prints from the records.
std::vector<std::vector<std::string>> Rows(HWND installed)
{
    HWND list = GetDlgItem(installed, IDC_INSTALLED_LIST);
    std::vector<std::vector<std::string>> rows(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (std::size_t i = 0; i < rows.size(); ++i)
        for (int column = 0; column < 4; ++column)
        {
            char text[256] = {};
            LVITEMA item{};
            item.iSubItem = column;
            item.pszText = text;
            item.cchTextMax = sizeof(text);
            SendMessageA(list, LVM_GETITEMTEXTA, i, reinterpret_cast<LPARAM>(&item));
            rows[i].push_back(text);
        }
    return rows;
}
std::vector<std::vector<std::string>> RecordedRows(const CTestGame& game)
{
    std::vector<std::vector<std::string>> rows;
    for (const InstallationRecord& record :
         ReadInstallationHistory(NativeFileSystem(), game.Directory()).records)
        rows.push_back(
            {std::to_string(rows.size() + 1), record.missionName, ShownTime(record), record.missionFile});
    return rows;
}

std::wstring PreviewShown(HWND preview)
{
    return WideWindowText(GetDlgItem(preview, IDC_PREVIEW_TEXT));
}
// A diff as the preview's edit holds it, up to the line of other files, whose record hashes hold the time.
std::wstring Shown(const std::string& utf8)
{
    std::string text;
    for (char c : utf8)
        text += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return WideFromAnsi(text.substr(0, text.find("Also written, not shown: ")), CP_UTF8);
}

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

    // Installed Missions from the main dialog, a row selected.
    CDialogScript& OpenInstalled(int row)
    {
        return script.Then(kInstallerCaption, [](HWND dialog) { Click(dialog, IDC_INSTALLED_MISSIONS); })
            .Then(kInstalledCaption, [row](HWND installed) { SelectRow(installed, row); });
    }
    // Close, the main dialog's Cancel, and the main dialog run until then.
    void CloseInstalled()
    {
        script.ThenAgain(kInstalledCaption, [](HWND installed) { Click(installed, IDCANCEL); })
            .Then(kInstallerCaption, [](HWND dialog) { Click(dialog, IDCANCEL); });
        EXPECT_EQ(main.DoModal(), IDCANCEL);
    }
};

TEST_F(InstalledMissionsTest, TheButtonListsTheRecordsOfTheGameDirectoryOrTheDefaultOne)
{
    for (const std::size_t count : {2u, 3u, 0u})
    {
        CTestGame prepared;
        InstallSamples(prepared, count);
        const std::string directory = count ? prepared.Directory() : kDefaultGameDirectory;
        main.gameDirectory = count ? directory : "";
        const std::string shot = "installed-missions-" + std::to_string(count);
        OpenInstalled(1).ThenAgain(
            kInstalledCaption,
            [&](HWND installed)
            {
                EXPECT_EQ(ItemText(installed, IDC_INSTALLED_DIRECTORY), directory);
                EXPECT_EQ(Rows(installed), RecordedRows(prepared));
                EXPECT_EQ(ItemText(installed, IDC_INSTALLED_WARNING),
                          count ? "" : "No installations recorded in " + directory + ".");
                EXPECT_FALSE(IsWindowVisible(GetDlgItem(installed, IDC_INSTALLED_SHOW_CHANGES)));
                EXPECT_EQ(EnabledOf(installed, kActions), count ? kActions : std::vector<int>{});
                EXPECT_EQ(DefaultButton(installed), IDCANCEL);
                EXPECT_EQ(LayoutProblems(installed), std::vector<std::string>{});
                SaveScreenshot(installed, shot);
            });
        CloseInstalled();
        EXPECT_EQ(main.gameDirectory, directory);
    }
}

TEST_F(InstalledMissionsTest, AChangedFileIsNamedShownAndBarsUninstall)
{
    InstallSamples(game, 2);
    game.Write("data/mission/mission.lst", game.Read("data/mission/mission.lst") + "; edited by hand\r\n");
    const auto before = EveryFile(game);
    OpenInstalled(1)
        .ThenAgain(kInstalledCaption,
                   [](HWND installed)
                   {
                       EXPECT_EQ(ItemText(installed, IDC_INSTALLED_WARNING),
                                 "Changed since the last installation: data\\mission\\mission.lst. "
                                 "Uninstalling is not possible until they are put back.");
                       EXPECT_EQ(EnabledOf(installed, kActions), std::vector<int>{});
                       EXPECT_EQ(LayoutProblems(installed), std::vector<std::string>{});
                       SaveScreenshot(installed, "installed-missions-changed-file");
                       Click(installed, IDC_INSTALLED_SHOW_CHANGES);
                   })
        .Then("Changed Since the Last Installation",
              [](HWND preview)
              {
                  const std::wstring diff = PreviewShown(preview);
                  EXPECT_EQ(diff.find(L"--- a/data/mission/mission.lst"), 0u);
                  EXPECT_NE(diff.find(L"\r\n+; edited by hand\r\n"), std::wstring::npos);
                  SaveScreenshot(preview, "preview-changed-file");
                  Click(preview, IDCANCEL);
              });
    CloseInstalled();
    EXPECT_EQ(EveryFile(game), before);
}

// Preview and No write nothing; Yes gives what the core's uninstall gives on a copy.
TEST_F(InstalledMissionsTest, PreviewAndNoLeaveTheGameAndYesRemovesTheMiddleMissionAsTheCoreDoes)
{
    InstallSamples(game, 3);
    const auto before = EveryFile(game);
    const UninstallPreview expected = PreviewUninstall(NativeFileSystem(), game.Directory(), "2", false);
    auto unchanged = [&](HWND) { EXPECT_EQ(EveryFile(game), before); };
    OpenInstalled(0)
        .ThenAgain(kInstalledCaption, [](HWND installed) { Click(installed, IDC_INSTALLED_UNINSTALL); })
        .Then(kBox,
              [](HWND box)
              {
                  EXPECT_EQ(MessageBoxText(box),
                            "Remove Harbor Lights from the game?\n\nThe 2 missions installed after it "
                            "will be taken out and installed again.");
                  Click(box, IDNO);
              })
        .Then(kInstalledCaption, unchanged)
        .ThenAgain(kInstalledCaption, [](HWND installed) { SelectRow(installed, 1); })
        .ThenAgain(kInstalledCaption, [](HWND installed) { Click(installed, IDC_INSTALLED_PREVIEW); })
        .Then(kPreviewCaption,
              [&](HWND preview)
              {
                  EXPECT_EQ(ItemText(preview, IDC_PREVIEW_OUTCOME), OutcomeLine(expected));
                  EXPECT_EQ(PreviewShown(preview).substr(0, Shown(PreviewText(expected.preview)).size()),
                            Shown(PreviewText(expected.preview)));
                  SaveScreenshot(preview, "preview-uninstall");
                  Click(preview, IDCANCEL);
              })
        .Then(kInstalledCaption, unchanged)
        .ThenAgain(kInstalledCaption, [](HWND installed) { Click(installed, IDC_INSTALLED_UNINSTALL); })
        .Then(kBox,
              [](HWND box)
              {
                  EXPECT_EQ(MessageBoxText(box), "Remove Ridge Line from the game?\n\nThe mission "
                                                 "installed after it will be taken out and installed again.");
                  SaveScreenshot(box, "uninstall-question");
                  Click(box, IDYES);
              })
        .Then("Uninstalling...", [](HWND progress) { SaveScreenshot(progress, "uninstall-progress"); })
        .Then(kBox,
              [](HWND box)
              {
                  EXPECT_EQ(MessageBoxText(box), "Ridge Line was removed.");
                  Click(box, IDOK);
              })
        .Then(kInstalledCaption,
              [&](HWND installed)
              {
                  EXPECT_EQ(Rows(installed), RecordedRows(game));
                  SaveScreenshot(installed, "installed-missions-after-uninstall");
              });
    CloseInstalled();
    CTestGame copy;
    InstallSamples(copy, 3);
    CSilentFrontEnd silent;
    ASSERT_EQ(Uninstall(NativeFileSystem(), silent, copy.Directory(), "2", false, copy.LogPath()).outcome,
              UninstallOutcome::Removed);
    EXPECT_EQ(game.GameFiles(), copy.GameFiles());
}

TEST_F(InstalledMissionsTest, CancelDuringTheUninstallPutsEverythingBack)
{
    InstallSamples(game, 3);
    const auto before = EveryFile(game);
    OpenInstalled(0)
        .ThenAgain(kInstalledCaption, [](HWND installed) { Click(installed, IDC_INSTALLED_UNINSTALL); })
        .Then(kBox, [](HWND box) { Click(box, IDYES); })
        .Then("Uninstalling...", [](HWND progress) { Click(progress, IDCANCEL); })
        .Then(kBox,
              [](HWND box)
              {
                  EXPECT_EQ(MessageBoxText(box).find("User cancelled the uninstall."), 0u);
                  Click(box, IDOK);
              });
    CloseInstalled();
    // The cancelled replay's hourglass went with the uninstall.
    EXPECT_FALSE(WaitCursorShown());
    EXPECT_EQ(EveryFile(game), before);
}

// The whole diff of an installation far past the edit's default limit, in a fixed-width font, in a window
// that grows with the dialog.
TEST_F(InstalledMissionsTest, ShowChangesInConfirmShowsTheWholeDiffAndWritesNothing)
{
    main.mission = SampleMission("Harbor01.kxm");
    // The material file holds 1,000 lines at most: the length is in the names.
    for (int m = 0; m < 50; ++m)
    {
        const int i = main.mission.MaterialCount();
        main.mission.AddMaterial("large_" + std::to_string(m));
        main.mission.SetAnimationFlag(i, true);
        main.mission.SetAnimationInterval(i, "120");
        for (int t = 0; t < 4; ++t)
            main.mission.AddTexture(i, std::string(400, 'n') + std::to_string(m * 4 + t) + ".bmp");
    }
    const auto before = EveryFile(game);
    const InstallationPreview expected =
        PreviewInstallation(NativeFileSystem(), game.Directory(), main.mission);
    const std::wstring diff = Shown(PreviewText(expected.preview));
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
                            OutcomeLine(expected, main.mission.missionName));
                  // Compared without printing a diff this long.
                  EXPECT_TRUE(PreviewShown(preview).substr(0, diff.size()) == diff);
                  HWND edit = GetDlgItem(preview, IDC_PREVIEW_TEXT);
                  EXPECT_EQ(GetWindowLongA(edit, GWL_STYLE) & (ES_READONLY | WS_HSCROLL | WS_VSCROLL),
                            ES_READONLY | WS_HSCROLL | WS_VSCROLL);
                  HDC dc = GetDC(edit);
                  SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(edit, WM_GETFONT, 0, 0)));
                  TEXTMETRICA metrics;
                  GetTextMetricsA(dc, &metrics);
                  ReleaseDC(edit, dc);
                  // The flag is set for a font of variable width.
                  EXPECT_FALSE(metrics.tmPitchAndFamily & TMPF_FIXED_PITCH);
                  SaveScreenshot(preview, "preview-installation");
                  RECT window, editBefore, editAfter;
                  GetWindowRect(preview, &window);
                  GetWindowRect(edit, &editBefore);
                  SetWindowPos(preview, nullptr, 0, 0, window.right - window.left + 200,
                               window.bottom - window.top + 100, SWP_NOMOVE | SWP_NOZORDER);
                  GetWindowRect(edit, &editAfter);
                  EXPECT_EQ(editAfter.right - editBefore.right, 200);
                  EXPECT_EQ(editAfter.bottom - editBefore.bottom, 100);
                  EXPECT_EQ(LayoutProblems(preview), std::vector<std::string>{});
                  SaveScreenshot(preview, "preview-installation-resized");
                  Click(preview, IDCANCEL);
              })
        .Then(kConfirmCaption, [](HWND confirm) { Click(confirm, IDCANCEL); })
        .Then(kOptionsCaption, [](HWND options) { Click(options, IDCANCEL); })
        .Then(kInstallerCaption, [](HWND dialog) { Click(dialog, IDCANCEL); });
    EXPECT_EQ(main.DoModal(), IDCANCEL);
    EXPECT_EQ(EveryFile(game), before);
}

} // namespace
