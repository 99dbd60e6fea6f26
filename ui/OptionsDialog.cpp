#include "OptionsDialog.h"

#include "AboutDialog.h"
#include "CodePage.h"
#include "DataExchange.h"
#include "FileDialog.h"
#include "FileSystem.h"
#include "MissionSetupDialog.h"
#include "resource.h"

COptionsDialog::COptionsDialog(HWND parent) : CDialog(IDD_OPTIONS, parent)
{
    MapCommand(IDC_OPTIONS_DIRECTORY, EN_KILLFOCUS, [this] { OnDirectoryKillFocus(); });
    MapCommand(IDC_OPTIONS_BROWSE, BN_CLICKED, [this] { OnBrowse(); });
    MapCommand(IDC_OPTIONS_MISSION_SETUP, BN_CLICKED, [this] { OnMissionSetup(); });
    MapCommand(IDC_OPTIONS_ABOUT, BN_CLICKED, [this] { CAboutDialog(GetSafeHwnd()).DoModal(); });
}

BOOL COptionsDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    ShowWhetherGameIsThere();
    return TRUE;
}

void COptionsDialog::DoDataExchange(CDataExchange& dx)
{
    dx.PathText(IDC_OPTIONS_DIRECTORY, directory);
}

void COptionsDialog::ShowWhetherGameIsThere()
{
    // Said, never enforced: OK takes any folder, and the run stops at one without the game.
    const std::optional<FileStatus> game = NativeFileSystem().GetStatus(directory + "Korvex.exe");
    SetDlgItemTextA(GetSafeHwnd(), IDC_OPTIONS_GAME_FOUND,
                    game && !game->folder ? "Korvex.exe is in this folder."
                                          : "Korvex.exe is not in this folder.");
}

void COptionsDialog::OnDirectoryKillFocus()
{
    UpdateData(true);
    // The rule of a file name's extension: trailing white space goes (an empty extension asks for no more),
    // and one backslash ends the text, where a double-byte character ending in a backslash's byte is none.
    directory = NormaliseFileName(directory, "", true);
    if (!EndsInBackslash(directory))
        directory += '\\';
    UpdateData(false);
    ShowWhetherGameIsThere();
}

void COptionsDialog::OnBrowse()
{
    UpdateData(true);
    const auto chosen = ChooseFileToOpen(
        GetSafeHwnd(), {"Programs (*.exe)|*.exe|All Files (*.*)|*.*||", "*.exe", "Korvex.exe", directory});
    if (!chosen)
        return;
    // The chosen file's folder; the file's name may stand in a folder name too, so it is not searched for.
    directory = chosen->path.substr(0, FindLastBackslash(chosen->path) + 1);
    UpdateData(false);
    ShowWhetherGameIsThere();
}

void COptionsDialog::OnMissionSetup()
{
    CMissionSetupDialog setup(mission, GetSafeHwnd());
    if (setup.DoModal() == IDOK)
        mission = setup.mission;
}
