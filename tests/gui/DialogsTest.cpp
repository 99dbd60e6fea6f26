#include "AboutDialog.h"
#include "BeepCounter.h"
#include "DialogScript.h"
#include "ErrorDialog.h"
#include "LayoutCheck.h"
#include "MessageBox.h"
#include "Screenshot.h"
#include "WindowFrontEnd.h"
#include "resource.h"

#include <gtest/gtest.h>

namespace
{

const char* const kErrorCaption = "KX VUZ Odezodure Error!";
const char* const kRestoreNotice = "There was an error while reading and writing to your Korvex files. Your "
                                   "files will be restored to their original condition.";

// The size of the bitmap that the dialog's picture shows.
std::string PictureSize(HWND dialog)
{
    for (HWND item = GetWindow(dialog, GW_CHILD); item; item = GetWindow(item, GW_HWNDNEXT))
    {
        if ((GetWindowLongA(item, GWL_STYLE) & SS_TYPEMASK) != SS_BITMAP)
            continue;
        BITMAP bitmap{};
        GetObjectA(reinterpret_cast<HBITMAP>(SendMessageA(item, STM_GETIMAGE, IMAGE_BITMAP, 0)),
                   sizeof(bitmap), &bitmap);
        return std::to_string(bitmap.bmWidth) + " by " + std::to_string(bitmap.bmHeight);
    }
    return "none";
}

// A bitmap resource as stored: width by height at its colour depth.
std::string StoredBitmap(int id)
{
    HRSRC resource = FindResourceA(nullptr, MAKEINTRESOURCEA(id), RT_BITMAP);
    if (!resource)
        return "none";
    const auto* header = static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(nullptr, resource)));
    return std::to_string(header->biWidth) + " by " + std::to_string(header->biHeight) + " at " +
           std::to_string(header->biBitCount) + " bits";
}

void ExpectFinished(const CDialogScript& script)
{
    EXPECT_TRUE(script.Finished() && script.failures.empty()) << ::testing::PrintToString(script.failures);
}

// Counts the calls of the thread's message filter hooks that carry a key for one window. Installed last,
// its hook comes first in the chain.
class CFilterCalls
{
public:
    explicit CFilterCalls(HWND window)
        : hook(SetWindowsHookExA(WH_MSGFILTER, Count, nullptr, GetCurrentThreadId()))
    {
        counted = window;
        calls = 0;
    }
    ~CFilterCalls() { UnhookWindowsHookEx(hook); }
    CFilterCalls(const CFilterCalls&) = delete;
    CFilterCalls& operator=(const CFilterCalls&) = delete;

    static inline int calls = 0;

private:
    static LRESULT CALLBACK Count(int code, WPARAM wParam, LPARAM lParam)
    {
        const auto* message = reinterpret_cast<const MSG*>(lParam);
        if (code >= 0 && message->hwnd == counted && message->message == WM_KEYDOWN)
            ++calls;
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }

    static inline HWND counted = nullptr;
    HHOOK hook;
};

TEST(ResourcesTest, PicturesAreTrueColourAndTheIconHasItsTwoSixteenColourSizes)
{
    EXPECT_EQ(StoredBitmap(IDB_ERROR_PICTURE), "120 by 150 at 24 bits");
    EXPECT_EQ(StoredBitmap(IDB_ABOUT_PICTURE), "320 by 240 at 24 bits");
    EXPECT_EQ(StoredBitmap(IDB_MORE_INFORMATION_PICTURE), "279 by 191 at 24 bits");
    EXPECT_EQ(StoredBitmap(IDB_OPTIONS_PICTURE), "173 by 130 at 24 bits");
    EXPECT_EQ(StoredBitmap(IDB_INSTALLER_PICTURE), "320 by 240 at 24 bits");
    EXPECT_EQ(StoredBitmap(IDB_CONFIRM_PICTURE), "313 by 110 at 24 bits");

    HRSRC group = FindResourceA(nullptr, MAKEINTRESOURCEA(IDI_KXVUZ), RT_GROUP_ICON);
    ASSERT_NE(group, nullptr);
    // The icon group's directory: a count, then 14 bytes per image.
    const auto* directory = static_cast<const BYTE*>(LockResource(LoadResource(nullptr, group)));
    std::vector<std::string> images;
    for (int i = 0; i < directory[4]; ++i)
    {
        const BYTE* entry = directory + 6 + 14 * i;
        images.push_back(std::to_string(entry[0]) + " by " + std::to_string(entry[1]) + ", " +
                         std::to_string(entry[2]) + " colours");
    }
    EXPECT_EQ(images, (std::vector<std::string>{"32 by 32, 16 colours", "16 by 16, 16 colours"}));
}

TEST(AboutDialogTest, ShowsItsPictureAboveOK)
{
    CDialogScript script;
    script.Then("About",
                [](HWND dialog)
                {
                    EXPECT_EQ(PictureSize(dialog), "320 by 240");
                    EXPECT_EQ(LayoutProblems(dialog), std::vector<std::string>{});
                    SaveScreenshot(dialog, "about");
                    Click(dialog, IDOK);
                });
    EXPECT_EQ(CAboutDialog().DoModal(), IDOK);
    ExpectFinished(script);
}

TEST(ErrorDialogTest, ShowsTheMessageAndTheNoticeAndOpensMoreInformation)
{
    CBeepCounter beeps;
    CDialogScript script;
    script
        .Then(kErrorCaption,
              [&](HWND dialog)
              {
                  EXPECT_EQ(ItemText(dialog, IDC_ERROR_TEXT), "Unexpected end of file found.");
                  EXPECT_NE(FindWindowExA(dialog, nullptr, "Static", kRestoreNotice), nullptr);
                  EXPECT_EQ(PictureSize(dialog), "120 by 150");
                  EXPECT_EQ(LayoutProblems(dialog), std::vector<std::string>{});
                  EXPECT_EQ(beeps.Beeps(), std::vector<UINT>{MB_ICONEXCLAMATION});
                  SaveScreenshot(dialog, "error-dialog");
                  Click(dialog, IDC_MORE_INFORMATION);
              })
        .Then("More Information",
              [&](HWND dialog)
              {
                  EXPECT_EQ(PictureSize(dialog), "279 by 191");
                  EXPECT_EQ(LayoutProblems(dialog), std::vector<std::string>{});
                  SaveScreenshot(dialog, "more-information");
                  Click(dialog, IDOK);
              })
        .Then(kErrorCaption, [](HWND dialog) { Click(dialog, IDOK); })
        // Opened again, it sounds again.
        .Then(kErrorCaption,
              [&](HWND dialog)
              {
                  EXPECT_EQ(ItemText(dialog, IDC_ERROR_TEXT), "User cancelled installation.");
                  PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
              });

    CErrorDialog first;
    first.errorText = "Unexpected end of file found.";
    EXPECT_EQ(first.DoModal(), IDOK);
    CErrorDialog second;
    second.errorText = "User cancelled installation.";
    EXPECT_EQ(second.DoModal(), IDCANCEL);
    EXPECT_EQ(beeps.Beeps(), std::vector<UINT>(2, MB_ICONEXCLAMATION));
    ExpectFinished(script);
}

TEST(ErrorDialogTest, LongMessagesWrapInsideTheirLabel)
{
    CDialogScript script;
    script.Then(kErrorCaption,
                [](HWND dialog)
                {
                    EXPECT_EQ(LayoutProblems(dialog), std::vector<std::string>{});
                    SaveScreenshot(dialog, "error-dialog-long-message");
                    Click(dialog, IDOK);
                });
    CErrorDialog dialog;
    dialog.errorText =
        "Failed to copy temp file\nC:\\Program Files\\Veltrane\\Korvex\\data\\Backup\\Temp\\"
        "stringTable.txt to\nC:\\Program Files\\Veltrane\\Korvex\\data\\text\\interface\\english\\"
        "kx_string_table.txt.";
    dialog.DoModal();
    ExpectFinished(script);
}

class ProgressWindowTest : public ::testing::Test
{
protected:
    HWND owner = CreateWindowExA(0, "Static", "Owner", WS_POPUP | WS_VISIBLE, 0, 0, 200, 100, nullptr,
                                 nullptr, GetModuleHandleA(nullptr), nullptr);
    CWindowFrontEnd frontEnd{owner};
    HWND progress = nullptr;
    int cancels = 0;

    void SetUp() override
    {
        frontEnd.SetCancelAction([this] { ++cancels; });
        frontEnd.CreateProgress();
        progress = frontEnd.ProgressWindow();
        ASSERT_NE(progress, nullptr);
    }

    void TearDown() override { DestroyWindow(owner); }
};

TEST_F(ProgressWindowTest, IsOwnedCentredInTheWorkAreaAndActive)
{
    EXPECT_EQ(GetWindow(progress, GW_OWNER), owner);
    EXPECT_EQ(GetActiveWindow(), progress);
    EXPECT_TRUE(IsWindowVisible(progress));
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoA(MonitorFromWindow(progress, MONITOR_DEFAULTTOPRIMARY), &monitor);
    RECT window;
    GetWindowRect(progress, &window);
    EXPECT_NEAR(window.left + window.right, monitor.rcWork.left + monitor.rcWork.right, 2);
    EXPECT_NEAR(window.top + window.bottom, monitor.rcWork.top + monitor.rcWork.bottom, 2);
}

TEST_F(ProgressWindowTest, ShowsItsTextsAtOnce)
{
    frontEnd.SetOperationText("Harbor Lights & Co");
    frontEnd.SetDetailText("Opening C:\\Program Files\\Veltrane\\Korvex\\data\\text\\interface\\english\\"
                           "kx_string_table.txt...");
    frontEnd.SetPercentText("35%");
    frontEnd.SetPosition(35);
    frontEnd.ShowTexts();
    EXPECT_EQ(ItemText(progress, IDC_OPERATION_TEXT), "Harbor Lights & Co");
    EXPECT_EQ(ItemText(progress, IDC_PERCENT_TEXT), "35%");
    // Painted already: nothing is left waiting for a paint message.
    EXPECT_FALSE(GetUpdateRect(progress, nullptr, FALSE));
    for (int id : {IDC_OPERATION_TEXT, IDC_DETAIL_TEXT, IDC_PERCENT_TEXT})
        EXPECT_FALSE(GetUpdateRect(GetDlgItem(progress, id), nullptr, FALSE)) << id;
    EXPECT_EQ(LayoutProblems(progress), std::vector<std::string>{});
    SaveScreenshot(progress, "progress-window-long-texts");
}

TEST_F(ProgressWindowTest, StepsStopAtTheEndOfTheBar)
{
    frontEnd.SetStepSize(40);
    frontEnd.SetPosition(0);
    EXPECT_EQ(frontEnd.StepIt(), 40);
    EXPECT_EQ(frontEnd.StepIt(), 80);
    EXPECT_EQ(frontEnd.StepIt(), 100);
    EXPECT_EQ(frontEnd.StepIt(), 100);
    frontEnd.SetStepSize(0);
    frontEnd.SetPosition(30);
    EXPECT_EQ(frontEnd.StepIt(), 30);
}

TEST_F(ProgressWindowTest, CancelBetweenStepsIsNotedForTheRunToAskFor)
{
    EXPECT_FALSE(frontEnd.CancelRequested());
    // The Cancel button, the Escape key and the close box.
    PostMessageA(GetDlgItem(progress, IDCANCEL), BM_CLICK, 0, 0);
    EXPECT_TRUE(frontEnd.CancelRequested());
    EXPECT_FALSE(frontEnd.CancelRequested());
    PostMessageA(GetDlgItem(progress, IDCANCEL), WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(frontEnd.CancelRequested());
    PostMessageA(progress, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(frontEnd.CancelRequested());
    EXPECT_EQ(cancels, 0);
    EXPECT_TRUE(IsWindowVisible(progress));
}

TEST_F(ProgressWindowTest, CancelWhileAMessageBoxIsOpenRunsTheCancelAction)
{
    CDialogScript script;
    script.Ignore("Installing...")
        .Then("kx_gui_tests",
              [&](HWND) { PostMessageA(GetDlgItem(progress, IDCANCEL), WM_KEYDOWN, VK_ESCAPE, 0); })
        .ThenAgain("kx_gui_tests",
                   [&](HWND)
                   {
                       EXPECT_EQ(cancels, 1);
                       Click(progress, IDCANCEL);
                   })
        .ThenAgain("kx_gui_tests",
                   [&](HWND box)
                   {
                       EXPECT_EQ(cancels, 2);
                       Click(box, IDOK);
                   });
    frontEnd.ShowMessage("Done");
    EXPECT_EQ(cancels, 2);
    EXPECT_FALSE(frontEnd.CancelRequested());
    ExpectFinished(script);
}

TEST_F(ProgressWindowTest, AKeyPassesTheMessageFilterOncePerWindowItIsOfferedTo)
{
    // With two windows to serve, a filter that routed the key again from inside IsDialogMessage, which
    // calls the filter hooks itself, would double its work at every level.
    CWindowFrontEnd second{owner};
    int secondCancels = 0;
    second.SetCancelAction([&] { ++secondCancels; });
    second.CreateProgress();
    HWND secondCancel = GetDlgItem(second.ProgressWindow(), IDCANCEL);
    ASSERT_NE(secondCancel, nullptr);
    CFilterCalls filter(secondCancel);

    // Between steps the key is offered to the first window, then to its own.
    PostMessageA(secondCancel, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(second.CancelRequested());
    EXPECT_EQ(CFilterCalls::calls, 2);

    // A message box's loop hands it to its own IsDialogMessage first.
    CDialogScript script;
    script.Ignore("Installing...")
        .Then("kx_gui_tests",
              [&](HWND box)
              {
                  // The progress window's, never the run's owner: a box that ends enables its owner again,
                  // and a run's owner stays disabled.
                  EXPECT_EQ(GetWindow(box, GW_OWNER), frontEnd.ProgressWindow());
                  CFilterCalls::calls = 0;
                  PostMessageA(secondCancel, WM_KEYDOWN, VK_ESCAPE, 0);
              })
        .ThenAgain("kx_gui_tests",
                   [&](HWND box)
                   {
                       EXPECT_EQ(CFilterCalls::calls, 3);
                       Click(box, IDOK);
                   });
    frontEnd.ShowMessage("Done");
    EXPECT_EQ(secondCancels, 1);
    EXPECT_EQ(cancels, 0);
    ExpectFinished(script);
}

} // namespace
