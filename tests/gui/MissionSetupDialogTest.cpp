#include "MissionSetupDialog.h"
#include "DialogControls.h"
#include "DialogScript.h"
#include "LayoutCheck.h"
#include "MessageBox.h"
#include "MissionFile.h"
#include "Screenshot.h"
#include "TestFiles.h"
#include "resource.h"

#include <commctrl.h>
#include <dlgs.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <tuple>

namespace
{

const char* const kSetup = "Mission Setup";
const char* const kIncomplete = "Please fill in all information.";

const std::vector<int> kSinglePlayerControls = {
    IDC_SETUP_MISSION_NAME,       IDC_SETUP_TIME_DATE_STAMP, IDC_SETUP_MISSION_FILE,
    IDC_SETUP_BRIEFING_FILE,      IDC_SETUP_DUSKREACH,       IDC_SETUP_KIT_FILES,
    IDC_SETUP_INTEL_FILE,         IDC_SETUP_INTEL_ENTRIES,   IDC_SETUP_ADD_INTEL_ENTRY,
    IDC_SETUP_REMOVE_INTEL_ENTRY, IDC_SETUP_SPLASH_FILE,     IDC_SETUP_TUTORIAL_GROUP};
const std::vector<int> kAlwaysEnabled = {IDC_SETUP_MULTIPLAYER,
                                         IDC_SETUP_TOKENS,
                                         IDC_SETUP_DESCRIPTION,
                                         IDC_SETUP_ADD_TOKEN,
                                         IDC_SETUP_REMOVE_TOKEN,
                                         IDC_SETUP_EFFECTS,
                                         IDC_SETUP_SAVE_MISSION,
                                         IDC_SETUP_LOAD_MISSION,
                                         IDOK,
                                         IDCANCEL};

// The texts of the dialog's tooltips by control id.
std::map<int, std::string> ToolTips(HWND dialog)
{
    HWND tips = nullptr;
    while ((tips = FindWindowExA(nullptr, tips, TOOLTIPS_CLASSA, nullptr)) &&
           GetWindow(tips, GW_OWNER) != dialog)
    {
    }
    std::map<int, std::string> texts;
    const auto count = SendMessageA(tips, TTM_GETTOOLCOUNT, 0, 0);
    for (WPARAM i = 0; i < static_cast<WPARAM>(count); ++i)
    {
        // The narrow form of the message gives no more than 80 characters.
        wchar_t text[INFOTIPSIZE] = {};
        TOOLINFOW tool{};
        tool.cbSize = TTTOOLINFOW_V2_SIZE;
        tool.lpszText = text;
        SendMessageW(tips, TTM_ENUMTOOLSW, i, reinterpret_cast<LPARAM>(&tool));
        texts[GetDlgCtrlID(reinterpret_cast<HWND>(tool.uId))] = std::string(text, text + wcslen(text));
    }
    return texts;
}

// Every control shows the record: the fields, both lists with their first entries selected, the first
// token's description, and the multiplayer rule.
void ExpectShows(HWND setup, const CMissionDefinition& mission)
{
    const std::pair<int, std::string> texts[] = {
        {IDC_SETUP_MISSION_NAME, mission.missionName},    {IDC_SETUP_TIME_DATE_STAMP, mission.timeDateStamp},
        {IDC_SETUP_MISSION_FILE, mission.missionFile},    {IDC_SETUP_BRIEFING_FILE, mission.briefingFile},
        {IDC_SETUP_INTEL_FILE, mission.intelFile},        {IDC_SETUP_SPLASH_FILE, mission.splashFile},
        {IDC_SETUP_TUTORIAL_GROUP, mission.tutorialGroup}};
    for (const auto& [id, text] : texts)
        EXPECT_EQ(ItemText(setup, id), text) << id;
    EXPECT_EQ(IsChecked(setup, IDC_SETUP_DUSKREACH), mission.duskreachTraining == 1);
    EXPECT_EQ(IsChecked(setup, IDC_SETUP_MULTIPLAYER), mission.multiplayer == 1);
    EXPECT_EQ(ListEntries(setup, IDC_SETUP_INTEL_ENTRIES), mission.intelEntries);
    EXPECT_EQ(ListSelection(setup, IDC_SETUP_INTEL_ENTRIES), mission.intelEntries.empty() ? -1 : 0);
    EXPECT_EQ(ListEntries(setup, IDC_SETUP_TOKENS), mission.victoryTokens);
    EXPECT_EQ(ListSelection(setup, IDC_SETUP_TOKENS), mission.victoryTokens.empty() ? -1 : 0);
    EXPECT_EQ(ItemText(setup, IDC_SETUP_DESCRIPTION),
              mission.victoryDescriptions.empty() ? "" : mission.victoryDescriptions.front());
    EXPECT_EQ(EnabledOf(setup, kSinglePlayerControls),
              mission.multiplayer == 1 ? std::vector<int>{} : kSinglePlayerControls);
    EXPECT_EQ(EnabledOf(setup, kAlwaysEnabled), kAlwaysEnabled);
}

class MissionSetupTest : public ::testing::Test
{
protected:
    CDialogScript script;
    CScratchFolder folder;

    void TearDown() override
    {
        EXPECT_TRUE(script.Finished() && script.failures.empty())
            << ::testing::PrintToString(script.failures);
    }

    // A message box with this text, answered with OK.
    CDialogScript& ExpectMessage(const std::string& text)
    {
        return script.Then(AppTitle(),
                           [text](HWND box)
                           {
                               EXPECT_EQ(MessageBoxText(box), text);
                               Click(box, IDOK);
                           });
    }

    // Load Mission, answering its file dialog with the path.
    CDialogScript& Load(const std::filesystem::path& path)
    {
        return script.Then(kSetup, [](HWND setup) { Click(setup, IDC_SETUP_LOAD_MISSION); })
            .Then("Open", [path](HWND files) { ChooseFile(files, path); });
    }
};

TEST_F(MissionSetupTest, ShowsTheRecordWithItsTipsAndTheTestButtonDisabled)
{
    const CMissionDefinition glasshouse = SampleMission("Glasshouse03.kxm");
    CMissionSetupDialog dialog(glasshouse, nullptr);
    script.Then(
        kSetup,
        [&](HWND setup)
        {
            ExpectShows(setup, glasshouse);
            EXPECT_FALSE(IsEnabled(setup, IDC_SETUP_TEST));
            EXPECT_TRUE(IsDefaultButton(setup, IDOK));
            const std::map<int, std::string> tips = ToolTips(setup);
            std::vector<int> withTips;
            for (const auto& [id, text] : tips)
                withTips.push_back(id);
            std::vector<int> expected = kSinglePlayerControls;
            expected.insert(expected.end(), {IDC_SETUP_MULTIPLAYER, IDC_SETUP_TOKENS, IDC_SETUP_DESCRIPTION,
                                             IDC_SETUP_ADD_TOKEN, IDC_SETUP_REMOVE_TOKEN, IDC_SETUP_EFFECTS});
            std::sort(expected.begin(), expected.end());
            EXPECT_EQ(withTips, expected);
            EXPECT_EQ(tips.at(IDC_SETUP_TIME_DATE_STAMP),
                      "The time\\date and location information that appears in the planning stage. Used "
                      "in the missionnames.txt file.");
            EXPECT_EQ(LayoutProblems(setup), std::vector<std::string>{});
            SaveScreenshot(setup, "mission-setup-filled");
            Click(setup, IDCANCEL);
        });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
}

TEST_F(MissionSetupTest, ValidateKeepsOKAndSaveBackAndMultiplayerNeedsOnlyLegalNames)
{
    CMissionSetupDialog dialog(CMissionDefinition{}, nullptr);
    script.Then(kSetup,
                [](HWND setup)
                {
                    EXPECT_EQ(LayoutProblems(setup), std::vector<std::string>{});
                    SaveScreenshot(setup, "mission-setup-empty");
                    Click(setup, IDOK);
                });
    ExpectMessage(kIncomplete);
    // No file dialog comes before the message. Tabbed to, Save has the default frame; the frame goes back
    // to OK as the focus goes to the empty field.
    script.Then(kSetup,
                [](HWND setup)
                {
                    HWND save = GetDlgItem(setup, IDC_SETUP_SAVE_MISSION);
                    SendMessageA(setup, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(save), TRUE);
                    PostMessageA(save, WM_KEYDOWN, VK_RETURN, 0);
                });
    ExpectMessage(kIncomplete);
    script
        .Then(kSetup,
              [](HWND setup)
              {
                  EXPECT_EQ(GetDlgCtrlID(GetFocus()), IDC_SETUP_MISSION_NAME);
                  EXPECT_TRUE(IsDefaultButton(setup, IDOK));
                  Click(setup, IDC_SETUP_KIT_FILES);
              })
        .Then("Kit Files",
              [](HWND kits)
              {
                  EXPECT_EQ(LayoutProblems(kits), std::vector<std::string>{});
                  EXPECT_TRUE(IsDefaultButton(kits, IDOK));
                  SaveScreenshot(kits, "kit-files-empty");
                  // Tabbing through an empty kit edit fills it; an edit never entered stays empty.
                  EnterText(kits, IDC_RECON_KIT, "");
                  EXPECT_EQ(ItemText(kits, IDC_RECON_KIT), ".kit");
                  EXPECT_EQ(ItemText(kits, IDC_DEMOLITIONS_KIT), "");
                  Click(kits, IDOK);
              })
        .Then(kSetup,
              [](HWND setup)
              {
                  EnterText(setup, IDC_SETUP_MISSION_FILE, "");
                  EXPECT_EQ(ItemText(setup, IDC_SETUP_MISSION_FILE), ".mis");
                  EnterText(setup, IDC_SETUP_SPLASH_FILE, "Level1 ");
                  EXPECT_EQ(ItemText(setup, IDC_SETUP_SPLASH_FILE), "Level1.spl");
                  EnterText(setup, IDC_SETUP_INTEL_FILE, "Level1.int");
                  EXPECT_EQ(ItemText(setup, IDC_SETUP_INTEL_FILE), "Level1.int");
                  EnterText(setup, IDC_SETUP_BRIEFING_FILE, "Le?el*.BRF");
                  EXPECT_EQ(ItemText(setup, IDC_SETUP_BRIEFING_FILE), "Le?el*.BRF.brf");
                  Click(setup, IDC_SETUP_MULTIPLAYER);
              })
        .ThenAgain(kSetup,
                   [](HWND setup)
                   {
                       EXPECT_EQ(EnabledOf(setup, kSinglePlayerControls), std::vector<int>{});
                       EXPECT_EQ(EnabledOf(setup, kAlwaysEnabled), kAlwaysEnabled);
                       Click(setup, IDOK);
                   });
    // A multiplayer mission needs no names, but the names it has must be legal.
    ExpectMessage("The briefing (*.brf) file contains the illegal character ?.");
    script.Then(kSetup, [](HWND setup) { Click(setup, IDC_SETUP_MULTIPLAYER); })
        .ThenAgain(kSetup,
                   [](HWND setup)
                   {
                       EXPECT_EQ(EnabledOf(setup, kSinglePlayerControls), kSinglePlayerControls);
                       EnterText(setup, IDC_SETUP_BRIEFING_FILE, "Level1");
                       Click(setup, IDC_SETUP_MULTIPLAYER);
                   })
        .ThenAgain(kSetup, [](HWND setup) { Click(setup, IDOK); });

    EXPECT_EQ(dialog.DoModal(), IDOK);
    CMissionDefinition expected;
    expected.multiplayer = 1;
    expected.missionFile = ".mis";
    expected.briefingFile = "Level1.brf";
    expected.intelFile = "Level1.int";
    expected.splashFile = "Level1.spl";
    // The focus went on from the recon kit to the assault kit, and from there to OK.
    expected.reconKit = ".kit";
    expected.assaultKit = ".kit";
    EXPECT_EQ(dialog.mission, expected);
}

TEST_F(MissionSetupTest, AfterPleaseFillInAllInformationTheFocusIsOnTheEmptyField)
{
    const CMissionDefinition harbor = SampleMission("Harbor01.kxm");
    const std::pair<int, const CString*> fields[] = {
        {IDC_SETUP_MISSION_NAME, &harbor.missionName},    {IDC_SETUP_TIME_DATE_STAMP, &harbor.timeDateStamp},
        {IDC_SETUP_MISSION_FILE, &harbor.missionFile},    {IDC_SETUP_BRIEFING_FILE, &harbor.briefingFile},
        {IDC_SETUP_INTEL_FILE, &harbor.intelFile},        {IDC_SETUP_SPLASH_FILE, &harbor.splashFile},
        {IDC_SETUP_TUTORIAL_GROUP, &harbor.tutorialGroup}};
    CMissionSetupDialog dialog(harbor, nullptr);
    // Each step checks the focus that the previous field's message left, then empties the next field alone.
    for (std::size_t next = 0; next <= std::size(fields); ++next)
    {
        script.Then(kSetup,
                    [&, next](HWND setup)
                    {
                        if (next > 0)
                        {
                            EXPECT_EQ(GetDlgCtrlID(GetFocus()), fields[next - 1].first);
                        }
                        if (next == std::size(fields))
                        {
                            Click(setup, IDCANCEL);
                            return;
                        }
                        for (const auto& [id, text] : fields)
                            SetDlgItemTextA(setup, id, text->c_str());
                        SetDlgItemTextA(setup, fields[next].first, "");
                        Click(setup, IDOK);
                    });
        if (next < std::size(fields))
            ExpectMessage(kIncomplete);
    }
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
}

TEST_F(MissionSetupTest, OKRefusesATextThatWouldBreakAGameFile)
{
    CMissionSetupDialog dialog(SampleMission("Harbor01.kxm"), nullptr);
    script.Then(kSetup,
                [](HWND setup)
                {
                    EnterText(setup, IDC_SETUP_MISSION_NAME, "Harbor \"Lights\"");
                    Click(setup, IDOK);
                });
    ExpectMessage("The mission name contains a double quote, which the game's files cannot hold.");
    script.Then(kSetup,
                [](HWND setup)
                {
                    EnterText(setup, IDC_SETUP_MISSION_NAME, "Harbor Lights");
                    Click(setup, IDOK);
                });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.mission, SampleMission("Harbor01.kxm"));
}

TEST_F(MissionSetupTest, IntelEntriesAndTokensKeepTheirSelectionAndDescriptionsStayWithTheirTokens)
{
    CMissionDefinition mission = SampleMission("Harbor01.kxm");
    mission.intelEntries = {"Dock patrol routes"};
    mission.victoryTokens = {"VC_A", "VC_B", "VC_C"};
    mission.victoryDescriptions = {"a", "b", "c"};
    CMissionSetupDialog dialog(mission, nullptr);
    script.Then(kSetup, [](HWND setup) { Click(setup, IDC_SETUP_REMOVE_INTEL_ENTRY); })
        .ThenAgain(kSetup,
                   [](HWND setup)
                   {
                       EXPECT_EQ(ListEntries(setup, IDC_SETUP_INTEL_ENTRIES), CStringArray{});
                       EXPECT_EQ(ListSelection(setup, IDC_SETUP_INTEL_ENTRIES), -1);
                       // Nothing selected, nothing removed.
                       Click(setup, IDC_SETUP_REMOVE_INTEL_ENTRY);
                   })
        .ThenAgain(kSetup, [](HWND setup) { Click(setup, IDC_SETUP_ADD_INTEL_ENTRY); })
        .Then("Add Intel Entry",
              [](HWND add)
              {
                  EXPECT_EQ(LayoutProblems(add), std::vector<std::string>{});
                  EXPECT_TRUE(IsDefaultButton(add, IDOK));
                  SaveScreenshot(add, "add-intel-entry-empty");
                  SetDlgItemTextA(add, IDC_NEW_INTEL_ENTRY, "Crane operator roster");
                  SaveScreenshot(add, "add-intel-entry-filled");
                  Click(add, IDOK);
              })
        .Then(kSetup, [](HWND setup) { Click(setup, IDC_SETUP_ADD_INTEL_ENTRY); })
        // An empty entry is taken as it is, until OK.
        .Then("Add Intel Entry", [](HWND add) { Click(add, IDOK); })
        .Then(kSetup,
              [](HWND setup)
              {
                  EXPECT_EQ(ListEntries(setup, IDC_SETUP_INTEL_ENTRIES),
                            (CStringArray{"Crane operator roster", ""}));
                  EXPECT_EQ(ListSelection(setup, IDC_SETUP_INTEL_ENTRIES), 1);
                  ChooseEntry(setup, IDC_SETUP_TOKENS, 1);
                  EXPECT_EQ(ItemText(setup, IDC_SETUP_DESCRIPTION), "b");
                  Click(setup, IDC_SETUP_REMOVE_TOKEN);
              })
        .ThenAgain(kSetup,
                   [](HWND setup)
                   {
                       EXPECT_EQ(ListEntries(setup, IDC_SETUP_TOKENS), (CStringArray{"VC_A", "VC_C"}));
                       EXPECT_EQ(ListSelection(setup, IDC_SETUP_TOKENS), 0);
                       EXPECT_EQ(ItemText(setup, IDC_SETUP_DESCRIPTION), "a");
                       Click(setup, IDC_SETUP_ADD_TOKEN);
                   })
        .Then("New Victory Conditions Token",
              [](HWND add)
              {
                  EXPECT_EQ(LayoutProblems(add), std::vector<std::string>{});
                  EXPECT_TRUE(IsDefaultButton(add, IDOK));
                  SaveScreenshot(add, "new-token-empty");
                  TypeText(add, IDC_NEW_TOKEN, "vc_Dawn");
                  EXPECT_EQ(ItemText(add, IDC_NEW_TOKEN), "VC_DAWN");
                  SaveScreenshot(add, "new-token-filled");
                  Click(add, IDOK);
              })
        .Then(kSetup,
              [](HWND setup)
              {
                  EXPECT_EQ(ListEntries(setup, IDC_SETUP_TOKENS), (CStringArray{"VC_A", "VC_C", "VC_DAWN"}));
                  EXPECT_EQ(ListSelection(setup, IDC_SETUP_TOKENS), 2);
                  EXPECT_EQ(ItemText(setup, IDC_SETUP_DESCRIPTION), "");
                  EnterText(setup, IDC_SETUP_DESCRIPTION, "Reach the pier");
                  ChooseEntry(setup, IDC_SETUP_TOKENS, 0);
                  EXPECT_EQ(ItemText(setup, IDC_SETUP_DESCRIPTION), "a");
                  ChooseEntry(setup, IDC_SETUP_TOKENS, 2);
                  EXPECT_EQ(ItemText(setup, IDC_SETUP_DESCRIPTION), "Reach the pier");
                  // Enter inside the description edit keeps what was typed there: the edit loses the focus
                  // as the dialog closes.
                  HWND description = GetDlgItem(setup, IDC_SETUP_DESCRIPTION);
                  SetFocus(description);
                  SetWindowTextA(description, "Reach the pier at dawn");
                  PostMessageA(description, WM_KEYDOWN, VK_RETURN, 0);
              });
    // The game cannot list an empty intel name.
    ExpectMessage("Intel entry 2 is empty.");
    script
        .Then(kSetup,
              [](HWND setup)
              {
                  ChooseEntry(setup, IDC_SETUP_INTEL_ENTRIES, 1);
                  Click(setup, IDC_SETUP_REMOVE_INTEL_ENTRY);
              })
        .ThenAgain(kSetup, [](HWND setup) { Click(setup, IDOK); });

    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.mission.intelEntries, (CStringArray{"Crane operator roster"}));
    EXPECT_EQ(dialog.mission.victoryTokens, (CStringArray{"VC_A", "VC_C", "VC_DAWN"}));
    EXPECT_EQ(dialog.mission.victoryDescriptions, (CStringArray{"a", "c", "Reach the pier at dawn"}));
}

TEST_F(MissionSetupTest, KitFilesAndEffectsChangeTheMissionOnlyWhenTheyEndWithOK)
{
    const CMissionDefinition harbor = SampleMission("Harbor01.kxm");
    CMissionSetupDialog dialog(harbor, nullptr);
    script.Then(kSetup, [](HWND setup) { Click(setup, IDC_SETUP_KIT_FILES); })
        .Then("Kit Files",
              [&](HWND kits)
              {
                  EXPECT_EQ(ItemText(kits, IDC_RECON_KIT), harbor.reconKit);
                  EXPECT_EQ(ItemText(kits, IDC_ELECTRONICS_KIT), harbor.electronicsKit);
                  SaveScreenshot(kits, "kit-files-filled");
                  // Only the electronics kit keeps its trailing blank.
                  const std::tuple<int, const char*, const char*> normalised[] = {
                      {IDC_RECON_KIT, "alpha", "alpha.kit"},
                      {IDC_ASSAULT_KIT, "alpha.kit", "alpha.kit"},
                      {IDC_DEMOLITIONS_KIT, "alpha ", "alpha.kit"},
                      {IDC_ELECTRONICS_KIT, "alpha ", "alpha .kit"}};
                  for (const auto& [id, typed, shown] : normalised)
                  {
                      EnterText(kits, id, typed);
                      EXPECT_EQ(ItemText(kits, id), shown) << id;
                  }
                  Click(kits, IDCANCEL);
              })
        .Then(kSetup, [](HWND setup) { Click(setup, IDC_SETUP_KIT_FILES); })
        .Then("Kit Files",
              [&](HWND kits)
              {
                  EXPECT_EQ(ItemText(kits, IDC_RECON_KIT), harbor.reconKit);
                  EnterText(kits, IDC_ASSAULT_KIT, "ALPHA.KIT");
                  EXPECT_EQ(ItemText(kits, IDC_ASSAULT_KIT), "ALPHA.KIT.kit");
                  Click(kits, IDOK);
              })
        .Then(kSetup, [](HWND setup) { Click(setup, IDC_SETUP_EFFECTS); })
        .Then("KXB Effects", [](HWND effects) { Click(effects, IDC_ADD_MATERIAL); })
        .Then("Add Bitmap",
              [](HWND add)
              {
                  SetDlgItemTextA(add, IDC_BITMAP_NAME, "water");
                  Click(add, IDOK);
              })
        .Then("KXB Effects",
              [](HWND effects)
              {
                  EXPECT_EQ(ListEntries(effects, IDC_MATERIALS), CStringArray{"water.bmp"});
                  Click(effects, IDCANCEL);
              })
        .Then(kSetup, [](HWND setup) { Click(setup, IDC_SETUP_EFFECTS); })
        .Then("KXB Effects",
              [](HWND effects)
              {
                  EXPECT_EQ(ListEntries(effects, IDC_MATERIALS), CStringArray{});
                  Click(effects, IDC_ADD_MATERIAL);
              })
        .Then("Add Bitmap",
              [](HWND add)
              {
                  SetDlgItemTextA(add, IDC_BITMAP_NAME, "glass");
                  Click(add, IDOK);
              })
        .Then("KXB Effects", [](HWND effects) { Click(effects, IDOK); })
        .Then(kSetup, [](HWND setup) { Click(setup, IDOK); });

    EXPECT_EQ(dialog.DoModal(), IDOK);
    CMissionDefinition expected = harbor;
    expected.assaultKit = "ALPHA.KIT.kit";
    expected.AddMaterial("glass.bmp");
    EXPECT_EQ(dialog.mission, expected);
}

TEST_F(MissionSetupTest, SaveWritesTheMissionFileByteForByteAndReportsAFileItCannotWrite)
{
    CMissionDefinition mission = SampleMission("Glasshouse03.kxm");
    mission.missionName = "Op: Dawn/Dusk";
    const std::string locked = folder / "locked.kxm";
    WriteBytes(locked, "kept");
    std::filesystem::permissions(locked, std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::remove);
    CMissionSetupDialog dialog(mission, nullptr);
    script.Then(kSetup, [](HWND setup) { Click(setup, IDC_SETUP_SAVE_MISSION); })
        .Then("Save As",
              [&](HWND files)
              {
                  // The mission name without the characters no file name may hold.
                  EXPECT_EQ(ItemText(files, cmb13), "Op DawnDusk");
                  ChooseFile(files, folder / "saved.kxm");
              })
        .Then(kSetup, [](HWND setup) { Click(setup, IDC_SETUP_SAVE_MISSION); })
        .Then("Save As", [&](HWND files) { ChooseFile(files, locked); })
        // Wine asks whether to replace the file in a box captioned "Error".
        .Then("Error", [](HWND box) { Click(box, IDYES); });
    ExpectMessage("Failed");
    script.Then(kSetup, [](HWND setup) { Click(setup, IDCANCEL); });

    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(ReadBytes(folder / "saved.kxm"), EncodeMission(mission));
    EXPECT_EQ(dialog.mission, mission);
    EXPECT_EQ(ReadBytes(locked), "kept");
}

TEST_F(MissionSetupTest, LoadRefreshesEveryControlFromEachSampleMission)
{
    CMissionDefinition before;
    before.missionName = "Old";
    before.multiplayer = 1;
    before.AddIntelEntry("Old entry");
    before.AddToken("VC_OLD");
    before.SetDescription(0, "Old description");
    before.AddMaterial("old.bmp");
    before.AddTexture(0, "old01.bmp");
    CMissionSetupDialog dialog(before, nullptr);
    // A name that does not exist is no file to load.
    Load(folder / "missing.kxm");
    ExpectMessage("Failed");
    script.Then(kSetup,
                [&](HWND setup)
                {
                    ExpectShows(setup, before);
                    EXPECT_EQ(dialog.mission, before);
                    Click(setup, IDC_SETUP_LOAD_MISSION);
                });
    // Out of multiplayer, into it and out again.
    const std::vector<std::string> names = {"Harbor01", "MPFoundry", "Ridge02", "Glasshouse03"};
    for (const std::string& name : names)
        script.Then("Open", [name](HWND files) { ChooseFile(files, SampleMissionPath(name + ".kxm")); })
            .Then(kSetup,
                  [&dialog, name, last = name == names.back()](HWND setup)
                  {
                      const CMissionDefinition loaded = SampleMission(name + ".kxm");
                      ExpectShows(setup, loaded);
                      EXPECT_EQ(dialog.mission, loaded);
                      EXPECT_EQ(LayoutProblems(setup), std::vector<std::string>{});
                      SaveScreenshot(setup, "mission-setup-" + name);
                      Click(setup, last ? IDCANCEL : IDC_SETUP_LOAD_MISSION);
                  });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
}

// "\u0141ukasz" has a letter that no Western code page holds.
TEST_F(MissionSetupTest, LoadAndSaveReachAFolderTheCodePageCannotSpell)
{
    const std::filesystem::path foreign = folder.ForeignFolder();
    const CMissionDefinition harbor = SampleMission("Harbor01.kxm");
    WriteBytes(foreign / "Harbor01.kxm", ReadBytes(SampleMissionPath("Harbor01.kxm")));
    CMissionSetupDialog dialog(CMissionDefinition{}, nullptr);
    Load(foreign / "Harbor01.kxm")
        .Then(kSetup,
              [&](HWND setup)
              {
                  ExpectShows(setup, harbor);
                  Click(setup, IDC_SETUP_SAVE_MISSION);
              })
        .Then("Save As", [&](HWND files) { ChooseFile(files, foreign / "saved.kxm"); })
        .Then(kSetup, [](HWND setup) { Click(setup, IDCANCEL); });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(dialog.mission, harbor);
    EXPECT_EQ(ReadBytes(foreign / "saved.kxm"), EncodeMission(harbor));
}

TEST_F(MissionSetupTest, LoadOfATruncatedFileReportsTheReadErrorAndLeavesTheListsEmpty)
{
    const CMissionDefinition ridge = SampleMission("Ridge02.kxm");
    const CMissionDefinition harbor = SampleMission("Harbor01.kxm");
    const std::string bytes = EncodeMission(harbor);
    const std::string truncated = folder / "truncated.kxm";
    // The file ends inside the count of its last list.
    WriteBytes(truncated, bytes.substr(0, bytes.size() - 1));
    CMissionSetupDialog dialog(ridge, nullptr);
    Load(truncated);
    ExpectMessage("The mission file could not be read. The file ends before the texture list is complete.");
    script.Then(kSetup,
                [&](HWND setup)
                {
                    EXPECT_EQ(ListEntries(setup, IDC_SETUP_INTEL_ENTRIES), CStringArray{});
                    EXPECT_EQ(ListEntries(setup, IDC_SETUP_TOKENS), CStringArray{});
                    EXPECT_EQ(ListSelection(setup, IDC_SETUP_TOKENS), -1);
                    // Not refreshed: the fields show what they showed before.
                    EXPECT_EQ(ItemText(setup, IDC_SETUP_MISSION_NAME), ridge.missionName);
                    EXPECT_TRUE(IsChecked(setup, IDC_SETUP_DUSKREACH));
                    // What was read before the error stays in the record; its lists are empty.
                    CMissionDefinition partly = harbor;
                    partly.ClearLists();
                    EXPECT_EQ(dialog.mission, partly);
                    Click(setup, IDCANCEL);
                });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
}

} // namespace
