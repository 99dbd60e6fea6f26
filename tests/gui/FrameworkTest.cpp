#include "DataExchange.h"
#include "Dialog.h"
#include "DialogScript.h"
#include "FileDialog.h"
#include "FrameworkTestDialog.h"
#include "LayoutCheck.h"
#include "MessageBox.h"
#include "Screenshot.h"
#include "TestFiles.h"
#include "ToolTips.h"
#include "WaitCursor.h"

#include <commctrl.h>
#include <dlgs.h>
#include <gtest/gtest.h>

#include <optional>
#include <stdexcept>

namespace
{

const char* const kCaption = "Framework Test";
const char* const kNameTip = "The name, which gets \".kit\" when the edit loses focus.";

class CFrameworkTestDialog : public CDialog
{
public:
    CFrameworkTestDialog() : CDialog(IDD_FRAMEWORK_TEST)
    {
        MapCommand(IDC_NAME, EN_KILLFOCUS, [this] { OnNameKillFocus(); });
        MapCommand(IDC_ENABLE, BN_CLICKED,
                   [this]
                   {
                       UpdateData(true);
                       EnableControl(IDC_NAME, enabled == 1);
                   });
        MapCommand(IDC_CHOICES, CBN_SELCHANGE,
                   [this]
                   {
                       UpdateData(true);
                       selectionChanges.push_back(selection);
                   });
        MapCommand(IDC_THROW, BN_CLICKED, [] { throw std::runtime_error("The handler failed."); });
        MapCommand(IDC_BROWSE, BN_CLICKED, [this] { chosen = browse(GetSafeHwnd()); });
    }

    std::string name;
    int enabled = 0;
    int radio = -1;
    int selection = -1;
    std::vector<int> selectionChanges;
    std::function<std::optional<CFileChoice>(HWND)> browse;
    std::optional<CFileChoice> chosen;
    CToolTips tips;

protected:
    BOOL OnInitDialog() override
    {
        for (const char* choice : {"alpha", "beta", "gamma"})
            SendDlgItemMessageA(GetSafeHwnd(), IDC_CHOICES, CB_ADDSTRING, 0,
                                reinterpret_cast<LPARAM>(choice));
        tips.Create(GetSafeHwnd());
        tips.Add(IDC_NAME, kNameTip);
        tips.Add(IDC_THROW, "Fails.");
        return CDialog::OnInitDialog();
    }

    void DoDataExchange(CDataExchange& dx) override
    {
        dx.Text(IDC_NAME, name);
        dx.Check(IDC_ENABLE, enabled);
        dx.Radio(IDC_FIRST, radio);
        dx.ListSelection(IDC_CHOICES, selection);
    }

private:
    void OnNameKillFocus()
    {
        UpdateData(true);
        if (!name.ends_with(".kit"))
            name += ".kit";
        UpdateData(false);
    }
};

bool Checked(HWND dialog, int id)
{
    return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

std::string TipText(HWND tips, HWND dialog, int id)
{
    char text[256] = {};
    TOOLINFOA tool{};
    tool.cbSize = TTTOOLINFOA_V2_SIZE;
    tool.hwnd = dialog;
    tool.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(dialog, id));
    tool.lpszText = text;
    SendMessageA(tips, TTM_GETTEXTA, sizeof(text), reinterpret_cast<LPARAM>(&tool));
    return text;
}

class FrameworkTest : public ::testing::Test
{
protected:
    CFrameworkTestDialog dialog;
    CDialogScript script;

    void SetUp() override
    {
        dialog.name = "alpha";
        dialog.enabled = 1;
        dialog.radio = 2;
        dialog.selection = 1;
    }

    void TearDown() override
    {
        EXPECT_TRUE(script.Finished() && script.failures.empty())
            << ::testing::PrintToString(script.failures);
    }
};

TEST_F(FrameworkTest, ShowsTheFieldsAndReadsEveryKindOfControlBackOnOK)
{
    script.Then(kCaption,
                [&](HWND window)
                {
                    EXPECT_EQ(ItemText(window, IDC_NAME), "alpha");
                    EXPECT_TRUE(Checked(window, IDC_ENABLE));
                    EXPECT_FALSE(Checked(window, IDC_FIRST) || Checked(window, IDC_SECOND));
                    EXPECT_TRUE(Checked(window, IDC_THIRD));
                    EXPECT_EQ(SendDlgItemMessageA(window, IDC_CHOICES, CB_GETCURSEL, 0, 0), 1);
                    EXPECT_EQ(LayoutProblems(window), std::vector<std::string>{});
                    SaveScreenshot(window, "framework-test-dialog");

                    SetDlgItemTextA(window, IDC_NAME, "beta");
                    CheckDlgButton(window, IDC_ENABLE, BST_UNCHECKED);
                    CheckRadioButton(window, IDC_FIRST, IDC_THIRD, IDC_FIRST);
                    SendDlgItemMessageA(window, IDC_CHOICES, CB_SETCURSEL, 2, 0);
                    // The click takes the focus from the edit first, as a user's click would.
                    Click(window, IDOK);
                });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.name, "beta.kit");
    EXPECT_EQ(dialog.enabled, 0);
    EXPECT_EQ(dialog.radio, 0);
    EXPECT_EQ(dialog.selection, 2);
}

TEST_F(FrameworkTest, EscapeCancelsWithoutReadingTheControls)
{
    script.Then(kCaption,
                [&](HWND window)
                {
                    // Out of the edit first: its handler reads the controls when it loses the focus.
                    HWND choices = GetDlgItem(window, IDC_CHOICES);
                    SetFocus(choices);
                    SetDlgItemTextA(window, IDC_NAME, "beta");
                    CheckDlgButton(window, IDC_ENABLE, BST_UNCHECKED);
                    PostMessageA(choices, WM_KEYDOWN, VK_ESCAPE, 0);
                });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(dialog.name, "alpha.kit");
    EXPECT_EQ(dialog.enabled, 1);
}

TEST_F(FrameworkTest, CommandsReachTheirHandlersByControlAndNotification)
{
    script
        .Then(kCaption,
              [&](HWND window)
              {
                  HWND name = GetDlgItem(window, IDC_NAME);
                  SetFocus(name);
                  SetWindowTextA(name, "gamma");
                  SetFocus(GetDlgItem(window, IDC_CHOICES));
                  EXPECT_EQ(ItemText(window, IDC_NAME), "gamma.kit");
                  EXPECT_TRUE(IsWindowEnabled(name));
                  Click(window, IDC_ENABLE);
              })
        .ThenAgain(kCaption,
                   [&](HWND window)
                   {
                       EXPECT_FALSE(IsWindowEnabled(GetDlgItem(window, IDC_NAME)));
                       HWND choices = GetDlgItem(window, IDC_CHOICES);
                       SendMessageA(choices, CB_SETCURSEL, 0, 0);
                       SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_CHOICES, CBN_SELCHANGE),
                                    reinterpret_cast<LPARAM>(choices));
                       Click(window, IDCANCEL);
                   });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(dialog.selectionChanges, std::vector<int>{0});
}

TEST_F(FrameworkTest, AnExceptionInAHandlerIsShownAndTheDialogGoesOn)
{
    script.Then(kCaption, [&](HWND window) { Click(window, IDC_THROW); })
        .Then("kx_gui_tests",
              [&](HWND box)
              {
                  EXPECT_EQ(MessageBoxText(box), "The handler failed.");
                  SaveScreenshot(box, "message-box");
                  Click(box, IDOK);
              })
        .Then(kCaption, [&](HWND window) { Click(window, IDOK); });
    EXPECT_EQ(dialog.DoModal(), IDOK);
}

TEST_F(FrameworkTest, TooltipsHoldTheirTextsForTheirControls)
{
    script.Then(kCaption,
                [&](HWND window)
                {
                    HWND tips = dialog.tips.GetSafeHwnd();
                    EXPECT_EQ(SendMessageA(tips, TTM_GETTOOLCOUNT, 0, 0), 2);
                    EXPECT_EQ(TipText(tips, window, IDC_NAME), kNameTip);
                    EXPECT_EQ(TipText(tips, window, IDC_THROW), "Fails.");
                    EXPECT_EQ(TipText(tips, window, IDC_ENABLE), "");
                    Click(window, IDCANCEL);
                });
    dialog.DoModal();
}

TEST_F(FrameworkTest, FileDialogsGiveTheChosenPathNameAndExtension)
{
    CScratchFolder folder;
    WriteBytes(folder.Path() / "Harbor01.kxm", "");
    const CFileDialogSetup setup{"KX VUZ Odezodure Files (*.kxm)|*.kxm||", "*.kxm", ""};
    std::vector<std::optional<CFileChoice>> choices;
    auto chooseFile = [&](const char* caption, const std::string& screenshot,
                          const std::filesystem::path& typed, int button)
    {
        script.Then(kCaption, [&](HWND window) { Click(window, IDC_BROWSE); })
            .Then(caption,
                  [=](HWND files)
                  {
                      SaveScreenshot(files, screenshot);
                      // The file name box of the system's file dialogs.
                      SetDlgItemTextW(files, cmb13, typed.wstring().c_str());
                      Click(files, button);
                  })
            .Then(kCaption, [&](HWND window) { Click(window, IDOK); });
        dialog.DoModal();
        choices.push_back(dialog.chosen);
    };
    dialog.browse = [&](HWND owner) { return ChooseFileToOpen(owner, setup); };
    chooseFile("Open", "file-open-dialog", folder / "Harbor01.kxm", IDOK);
    chooseFile("Open", "file-open-dialog", folder / "Harbor01.kxm", IDCANCEL);
    dialog.browse = [&](HWND owner) { return ChooseFileToSave(owner, setup); };
    chooseFile("Save As", "file-save-dialog", folder / "Ridge02", IDOK);
    // A folder whose name has a letter that the code page lacks.
    const std::filesystem::path foreign = folder.ForeignFolder();
    chooseFile("Save As", "file-save-dialog", foreign / "Ridge02.kxm", IDOK);

    ASSERT_EQ(choices.size(), 4u);
    ASSERT_TRUE(choices[0]);
    EXPECT_EQ(choices[0]->path, folder / "Harbor01.kxm");
    EXPECT_EQ(choices[0]->fileName, "Harbor01.kxm");
    EXPECT_EQ(choices[0]->extension, "kxm");
    EXPECT_FALSE(choices[1]);
    ASSERT_TRUE(choices[2]);
    // "*.kxm" as the default extension completes a name typed without one.
    EXPECT_EQ(choices[2]->path, folder / "Ridge02.kxm");
    ASSERT_TRUE(choices[3]);
    EXPECT_EQ(choices[3]->path, folder / "?ukasz\\Ridge02.kxm");
    EXPECT_EQ(choices[3]->utf8Path, Utf8Of(foreign / "Ridge02.kxm"));
    EXPECT_EQ(choices[3]->fileName, "Ridge02.kxm");
    EXPECT_EQ(choices[3]->extension, "kxm");
}

TEST(MessageBoxTest, IsCaptionedWithTheProgramFileNameAndHasOnlyOK)
{
    CDialogScript script;
    script.Then("kx_gui_tests",
                [&](HWND box)
                {
                    EXPECT_EQ(MessageBoxText(box), "Done");
                    EXPECT_TRUE(GetDlgItem(box, IDOK));
                    EXPECT_FALSE(GetDlgItem(box, IDCANCEL));
                    Click(box, IDOK);
                });
    AppMessageBox(nullptr, "Done");
    EXPECT_TRUE(script.Finished() && script.failures.empty()) << ::testing::PrintToString(script.failures);
}

TEST(WaitCursorTest, NestsAndGivesTheCursorBack)
{
    HCURSOR wait = LoadCursorA(nullptr, IDC_WAIT);
    HCURSOR before = SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    BeginWaitCursor();
    BeginWaitCursor();
    EndWaitCursor();
    EXPECT_TRUE(WaitCursorShown());
    EXPECT_EQ(GetCursor(), wait);
    EndWaitCursor();
    EXPECT_FALSE(WaitCursorShown());
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_ARROW));
    EndWaitCursor();
    EXPECT_FALSE(WaitCursorShown());
    SetCursor(before);
}

} // namespace
