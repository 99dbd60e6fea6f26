#include "DialogControls.h"

#include "DataExchange.h"
#include "FileSystem.h"
#include "MissionFile.h"

#include <dlgs.h>

#include <filesystem>
#include <gtest/gtest.h>
#include <stdexcept>

void EnterText(HWND dialog, int id, const std::string& text)
{
    HWND edit = GetDlgItem(dialog, id);
    SetFocus(edit);
    SetWindowTextA(edit, text.c_str());
    SetFocus(GetNextDlgTabItem(dialog, edit, FALSE));
}

void TypeText(HWND dialog, int id, const std::string& text)
{
    HWND edit = GetDlgItem(dialog, id);
    for (char c : text)
        SendMessageA(edit, WM_CHAR, static_cast<unsigned char>(c), 0);
}

void ChooseEntry(HWND dialog, int id, int position)
{
    HWND list = GetDlgItem(dialog, id);
    SetFocus(list);
    SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(position), 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
}

void ChooseFile(HWND fileDialog, const std::filesystem::path& path)
{
    // The file name box of the system's file dialogs.
    SetDlgItemTextW(fileDialog, cmb13, path.wstring().c_str());
    PostMessageA(GetDlgItem(fileDialog, IDOK), BM_CLICK, 0, 0);
}

CStringArray ListEntries(HWND dialog, int id)
{
    CStringArray entries;
    const auto count = SendDlgItemMessageA(dialog, id, CB_GETCOUNT, 0, 0);
    for (WPARAM i = 0; i < static_cast<WPARAM>(count); ++i)
    {
        std::string entry(static_cast<std::size_t>(SendDlgItemMessageA(dialog, id, CB_GETLBTEXTLEN, i, 0)),
                          '\0');
        SendDlgItemMessageA(dialog, id, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(entry.data()));
        entries.push_back(entry);
    }
    return entries;
}

int ListSelection(HWND dialog, int id)
{
    return static_cast<int>(SendDlgItemMessageA(dialog, id, CB_GETCURSEL, 0, 0));
}

bool IsChecked(HWND dialog, int id)
{
    return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

bool IsEnabled(HWND dialog, int id)
{
    return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE;
}

bool IsDefaultButton(HWND dialog, int id)
{
    return (GetWindowLongA(GetDlgItem(dialog, id), GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
}

std::vector<int> EnabledOf(HWND dialog, const std::vector<int>& ids)
{
    std::vector<int> enabled;
    for (int id : ids)
        if (IsEnabled(dialog, id))
            enabled.push_back(id);
    return enabled;
}

CMissionDefinition SampleMission(const std::string& name)
{
    CMissionDefinition mission;
    if (!LoadMissionFile(NativeFileSystem(), SampleMissionPath(name), mission).Ok())
        throw std::runtime_error("cannot read the sample mission " + name);
    return mission;
}

std::string SampleMissionPath(const std::string& name)
{
    return (std::filesystem::path(KX_SAMPLE_DIR) / "missions" / name).make_preferred().string();
}

void PrintTo(const CMissionDefinition& mission, std::ostream* out)
{
    // The same order as the mission file's.
    *out << ::testing::PrintToString(std::vector<std::string>{
        mission.missionName, mission.timeDateStamp, mission.tutorialGroup, mission.missionFile,
        mission.briefingFile, mission.intelFile, mission.splashFile,
        std::to_string(mission.duskreachTraining), mission.reconKit, mission.assaultKit,
        mission.demolitionsKit, mission.electronicsKit, std::to_string(mission.multiplayer)});
    for (const CStringArray* list :
         {&mission.intelEntries, &mission.victoryTokens, &mission.victoryDescriptions, &mission.materialNames,
          &mission.colorkeyRed, &mission.colorkeyGreen, &mission.colorkeyBlue, &mission.transparencyFlags,
          &mission.scrollFlags, &mission.animationFlags, &mission.scrollX, &mission.scrollY, &mission.scrollZ,
          &mission.animationModes, &mission.animationIntervals})
        *out << " " << ::testing::PrintToString(*list);
    *out << " " << ::testing::PrintToString(mission.textureStarts) << " "
         << ::testing::PrintToString(mission.textures);
}
