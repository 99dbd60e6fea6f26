#include "MissionSetupDialog.h"

#include "AddIntelDialog.h"
#include "AdvancedDialog.h"
#include "DataExchange.h"
#include "FileDialog.h"
#include "FileSystem.h"
#include "KitFilesDialog.h"
#include "MessageBox.h"
#include "MissionFile.h"
#include "NewTokenDialog.h"
#include "resource.h"

#include <utility>

namespace
{

const char* const kMissionFileFilter = "KX VUZ Odezodure Files (*.kxm)|*.kxm||";
const char* const kMissionFileExtension = "*.kxm";

// The controls that a multiplayer-only mission does not use.
constexpr int kSinglePlayerControls[] = {
    IDC_SETUP_MISSION_NAME,       IDC_SETUP_TIME_DATE_STAMP, IDC_SETUP_MISSION_FILE,
    IDC_SETUP_BRIEFING_FILE,      IDC_SETUP_DUSKREACH,       IDC_SETUP_KIT_FILES,
    IDC_SETUP_INTEL_FILE,         IDC_SETUP_INTEL_ENTRIES,   IDC_SETUP_ADD_INTEL_ENTRY,
    IDC_SETUP_REMOVE_INTEL_ENTRY, IDC_SETUP_SPLASH_FILE,     IDC_SETUP_TUTORIAL_GROUP};

// The controls of the fields that CMissionDefinition::FirstEmptyField names.
const std::pair<const char*, int> kRequiredFieldControls[] = {
    {"mission name", IDC_SETUP_MISSION_NAME},           {"time/date stamp", IDC_SETUP_TIME_DATE_STAMP},
    {"tutorial group", IDC_SETUP_TUTORIAL_GROUP},       {"mission (*.mis) file", IDC_SETUP_MISSION_FILE},
    {"briefing (*.brf) file", IDC_SETUP_BRIEFING_FILE}, {"intel (*.int) file", IDC_SETUP_INTEL_FILE},
    {"splash (*.spl) file", IDC_SETUP_SPLASH_FILE}};

const std::pair<int, const char*> kToolTips[] = {
    {IDC_SETUP_MISSION_NAME,
     "The name of mission to be installed. This is the name that will be in the missionnames.txt file."},
    {IDC_SETUP_TIME_DATE_STAMP, "The time\\date and location information that appears in the planning stage. "
                                "Used in the missionnames.txt file."},
    {IDC_SETUP_MISSION_FILE,
     "The filename of the mission (*.mis) file. This will be used for the mission.lst file."},
    {IDC_SETUP_BRIEFING_FILE,
     "The filename of the briefing (*.brf) file. This will be used in the mission.lst "
     "file and will be edited to match the missionnames.txt file."},
    {IDC_SETUP_DUSKREACH,
     "Check this if you want the mission to appear in the Duskreach Training menu. See the "
     "readme.txt for more information."},
    {IDC_SETUP_KIT_FILES, "The default kits that are specified in the mission.lst file."},
    {IDC_SETUP_INTEL_FILE,
     "The filename of the intel (*.int) file. This will be used in the mission.lst file "
     "and will be edited to match the intelnames.txt file."},
    {IDC_SETUP_INTEL_ENTRIES,
     "The entries that are in the intelnames.txt file. Place them in the same order as "
     "they are in your intel (*.int) file."},
    {IDC_SETUP_ADD_INTEL_ENTRY, "Add an intel entry."},
    {IDC_SETUP_REMOVE_INTEL_ENTRY, "Removes the selected intel entry."},
    {IDC_SETUP_MULTIPLAYER,
     "Check this if the mission is only multiplayer. The only things to add are Victory "
     "Conditions and KXB Effects."},
    {IDC_SETUP_SPLASH_FILE,
     "The filename of the splash (*.spl) file. This will be used in the mission.lst file."},
    {IDC_SETUP_TUTORIAL_GROUP,
     "The name of the tutorial grouping in which this mission will appear. If the group "
     "does not exist, it will be created."},
    {IDC_SETUP_TOKENS, "The token specified by DESCRIPTION in the victory conditions file. This and its "
                       "description will be added to the kx_string_table.txt file."},
    {IDC_SETUP_DESCRIPTION,
     "The description that matches the token displayed in the above listbox. Do not use quotes."},
    {IDC_SETUP_ADD_TOKEN, "Add a victory conditions token."},
    {IDC_SETUP_REMOVE_TOKEN, "Remove the selected victory conditions token and description."},
    {IDC_SETUP_EFFECTS, "Add various Korvex Bitmap effects, such as transparency, scrolling, and animation."},
};

} // namespace

CMissionSetupDialog::CMissionSetupDialog(const CMissionDefinition& mission, HWND parent)
    : CDialog(IDD_MISSION_SETUP, parent), mission(mission)
{
    for (int id : {IDC_SETUP_MISSION_NAME, IDC_SETUP_TIME_DATE_STAMP, IDC_SETUP_TUTORIAL_GROUP})
        MapCommand(id, EN_KILLFOCUS, [this] { UpdateData(true); });
    MapCommand(IDC_SETUP_DUSKREACH, BN_CLICKED, [this] { UpdateData(true); });
    MapCommand(IDC_SETUP_MISSION_FILE, EN_KILLFOCUS,
               [this] { NormaliseOnLeave(this->mission.missionFile, ".mis"); });
    MapCommand(IDC_SETUP_BRIEFING_FILE, EN_KILLFOCUS,
               [this] { NormaliseOnLeave(this->mission.briefingFile, ".brf"); });
    MapCommand(IDC_SETUP_INTEL_FILE, EN_KILLFOCUS,
               [this] { NormaliseOnLeave(this->mission.intelFile, ".int"); });
    MapCommand(IDC_SETUP_SPLASH_FILE, EN_KILLFOCUS,
               [this] { NormaliseOnLeave(this->mission.splashFile, ".spl"); });
    MapCommand(IDC_SETUP_ADD_INTEL_ENTRY, BN_CLICKED, [this] { OnAddIntelEntry(); });
    MapCommand(IDC_SETUP_REMOVE_INTEL_ENTRY, BN_CLICKED, [this] { OnRemoveIntelEntry(); });
    MapCommand(IDC_SETUP_ADD_TOKEN, BN_CLICKED, [this] { OnAddToken(); });
    MapCommand(IDC_SETUP_REMOVE_TOKEN, BN_CLICKED, [this] { OnRemoveToken(); });
    MapCommand(IDC_SETUP_TOKENS, CBN_SELCHANGE, [this] { ShowSelectedDescription(); });
    MapCommand(IDC_SETUP_DESCRIPTION, EN_KILLFOCUS, [this] { OnDescriptionLeave(); });
    MapCommand(IDC_SETUP_MULTIPLAYER, BN_CLICKED,
               [this]
               {
                   UpdateData(true);
                   ApplyMultiplayerRule();
               });
    MapCommand(IDC_SETUP_KIT_FILES, BN_CLICKED, [this] { OnKitFiles(); });
    MapCommand(IDC_SETUP_EFFECTS, BN_CLICKED, [this] { OnEffects(); });
    MapCommand(IDC_SETUP_SAVE_MISSION, BN_CLICKED, [this] { OnSave(); });
    MapCommand(IDC_SETUP_LOAD_MISSION, BN_CLICKED, [this] { OnLoad(); });
}

BOOL CMissionSetupDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    Refresh();
    tips.Create(GetSafeHwnd());
    for (const auto& [id, text] : kToolTips)
        tips.Add(id, text);
    return TRUE;
}

void CMissionSetupDialog::DoDataExchange(CDataExchange& dx)
{
    dx.Control(IDC_SETUP_INTEL_ENTRIES, intelList);
    dx.Control(IDC_SETUP_TOKENS, tokenList);
    dx.Text(IDC_SETUP_MISSION_NAME, mission.missionName);
    dx.Text(IDC_SETUP_TIME_DATE_STAMP, mission.timeDateStamp);
    dx.Text(IDC_SETUP_MISSION_FILE, mission.missionFile);
    dx.Text(IDC_SETUP_BRIEFING_FILE, mission.briefingFile);
    dx.Check(IDC_SETUP_DUSKREACH, mission.duskreachTraining);
    dx.Text(IDC_SETUP_INTEL_FILE, mission.intelFile);
    dx.Check(IDC_SETUP_MULTIPLAYER, mission.multiplayer);
    dx.Text(IDC_SETUP_SPLASH_FILE, mission.splashFile);
    dx.Text(IDC_SETUP_TUTORIAL_GROUP, mission.tutorialGroup);
    dx.Text(IDC_SETUP_DESCRIPTION, description);
}

void CMissionSetupDialog::OnOK()
{
    if (ReadValidMission())
        EndDialog(IDOK);
}

bool CMissionSetupDialog::ReadValidMission()
{
    UpdateData(true);
    const auto problem = mission.Check();
    if (!problem)
        return true;
    AppMessageBox(GetSafeHwnd(), *problem);
    if (*problem != kFillInAllInformation)
        return false;
    const std::optional<CString> empty = mission.FirstEmptyField();
    for (const auto& [field, id] : kRequiredFieldControls)
        if (empty == field)
            // Not SetFocus: the default button's frame goes back to OK, as it does for the Tab key.
            SendMessageA(GetSafeHwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(id)), TRUE);
    return false;
}

void CMissionSetupDialog::OnDescriptionLeave()
{
    UpdateData(true);
    // With no token selected the operation ignores the index.
    mission.SetDescription(tokenList.Selection(), description);
}

void CMissionSetupDialog::NormaliseOnLeave(CString& field, const char* extension)
{
    UpdateData(true);
    field = NormaliseFileName(field, extension, true);
    UpdateData(false);
}

void CMissionSetupDialog::Refresh()
{
    intelList.Fill(mission.intelEntries);
    intelList.Select(0);
    tokenList.Fill(mission.victoryTokens);
    tokenList.Select(0);
    ShowSelectedDescription();
    ApplyMultiplayerRule();
}

void CMissionSetupDialog::ShowSelectedDescription()
{
    const int selected = tokenList.Selection();
    description = selected < 0 ? "" : mission.victoryDescriptions.at(static_cast<std::size_t>(selected));
    UpdateData(false);
}

void CMissionSetupDialog::ApplyMultiplayerRule()
{
    for (int id : kSinglePlayerControls)
        EnableControl(id, mission.multiplayer == 0);
    UpdateData(false);
}

void CMissionSetupDialog::OnAddIntelEntry()
{
    CAddIntelDialog add(GetSafeHwnd());
    if (add.DoModal() != IDOK)
        return;
    intelList.Add(add.entry);
    mission.AddIntelEntry(add.entry);
    intelList.SelectLast();
}

void CMissionSetupDialog::OnRemoveIntelEntry()
{
    const int selected = intelList.Selection();
    if (selected >= 0)
    {
        intelList.Delete(selected);
        mission.RemoveIntelEntry(selected);
    }
    intelList.Select(0);
}

void CMissionSetupDialog::OnAddToken()
{
    CNewTokenDialog add(GetSafeHwnd());
    if (add.DoModal() != IDOK)
        return;
    mission.AddToken(add.token);
    tokenList.Add(add.token);
    tokenList.SelectLast();
    ShowSelectedDescription();
}

void CMissionSetupDialog::OnRemoveToken()
{
    const int selected = tokenList.Selection();
    if (selected < 0)
        return;
    tokenList.Delete(selected);
    mission.RemoveToken(selected);
    tokenList.Select(0);
    ShowSelectedDescription();
}

void CMissionSetupDialog::OnKitFiles()
{
    CKitFilesDialog kits(GetSafeHwnd());
    kits.reconKit = mission.reconKit;
    kits.assaultKit = mission.assaultKit;
    kits.demolitionsKit = mission.demolitionsKit;
    kits.electronicsKit = mission.electronicsKit;
    if (kits.DoModal() != IDOK)
        return;
    mission.reconKit = kits.reconKit;
    mission.assaultKit = kits.assaultKit;
    mission.demolitionsKit = kits.demolitionsKit;
    mission.electronicsKit = kits.electronicsKit;
}

void CMissionSetupDialog::OnEffects()
{
    CAdvancedDialog effects(GetSafeHwnd());
    CopyEffects(mission, effects.effects);
    if (effects.DoModal() == IDOK)
        CopyEffects(effects.effects, mission);
}

void CMissionSetupDialog::OnSave()
{
    if (!ReadValidMission())
        return;
    const auto choice = ChooseFileToSave(GetSafeHwnd(), {kMissionFileFilter, kMissionFileExtension,
                                                         DefaultMissionFileName(mission.missionName)});
    if (!choice)
        return;
    const MissionFileResult result = SaveMissionFile(NativeFileSystem(), choice->utf8Path, mission);
    if (result.status == MissionFileStatus::OpenFailed)
        AppMessageBox(GetSafeHwnd(), "Failed");
    else if (!result.Ok())
        AppMessageBox(GetSafeHwnd(), result.detail);
}

void CMissionSetupDialog::OnLoad()
{
    const auto choice = ChooseFileToOpen(GetSafeHwnd(), {kMissionFileFilter, kMissionFileExtension, ""});
    if (!choice)
        return;
    const MissionFileResult result = LoadMissionFile(NativeFileSystem(), choice->utf8Path, mission);
    if (result.status == MissionFileStatus::OpenFailed)
    {
        AppMessageBox(GetSafeHwnd(), "Failed");
        return;
    }
    // The record's lists are empty now, and the dialog's lists go with them; the other controls are
    // shown again only once the whole file has been read.
    intelList.Fill({});
    tokenList.Fill({});
    if (!result.Ok())
    {
        AppMessageBox(GetSafeHwnd(), "The mission file could not be read. " + result.detail);
        return;
    }
    Refresh();
}
