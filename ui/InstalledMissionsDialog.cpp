#include "InstalledMissionsDialog.h"

#include "AlreadyInstalled.h"
#include "ErrorDialog.h"
#include "FileSystem.h"
#include "MessageBox.h"
#include "Preview.h"
#include "PreviewDialog.h"
#include "Uninstall.h"
#include "WaitCursor.h"
#include "WindowFrontEnd.h"
#include "resource.h"

#include <commctrl.h>

#include <utility>

namespace
{

struct CColumn
{
    const char* title;
    // In dialog units.
    int width;
};
constexpr CColumn kColumns[] = {{"No.", 22}, {"Mission", 100}, {"Installed on", 80}, {"Mission file", 106}};

const std::pair<int, const char*> kToolTips[] = {
    {IDC_INSTALLED_PREVIEW, "Show every change the uninstall would make, without making it."},
    {IDC_INSTALLED_UNINSTALL,
     "Take the selected mission out of the game. The missions installed after it are taken out and "
     "installed again."},
    {IDC_INSTALLED_SHOW_CHANGES, "Show what has changed in these files since the last installation."},
};

std::string UninstallQuestion(const std::string& missionName, std::size_t later)
{
    std::string question = "Remove " + missionName + " from the game?";
    if (later == 1)
        question += "\n\nThe mission installed after it will be taken out and installed again.";
    else if (later > 1)
        question += "\n\nThe " + std::to_string(later) +
                    " missions installed after it will be taken out and installed again.";
    return question;
}

} // namespace

CInstalledMissionsDialog::CInstalledMissionsDialog(std::string gameDirectory, HWND parent)
    : CDialog(IDD_INSTALLED_MISSIONS, parent), gameDirectory(std::move(gameDirectory))
{
    MapCommand(IDC_INSTALLED_SHOW_CHANGES, BN_CLICKED, [this] { OnShowChanges(); });
    MapCommand(IDC_INSTALLED_PREVIEW, BN_CLICKED, [this] { OnPreview(); });
    MapCommand(IDC_INSTALLED_UNINSTALL, BN_CLICKED, [this] { OnUninstall(); });
}

BOOL CInstalledMissionsDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetDlgItemTextA(GetSafeHwnd(), IDC_INSTALLED_DIRECTORY, gameDirectory.c_str());
    HWND list = GetDlgItem(IDC_INSTALLED_LIST);
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    for (int i = 0; i < static_cast<int>(std::size(kColumns)); ++i)
    {
        RECT width{0, 0, kColumns[i].width, 0};
        MapDialogRect(GetSafeHwnd(), &width);
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = const_cast<char*>(kColumns[i].title);
        column.cx = width.right;
        SendMessageA(list, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
    }
    tips.Create(GetSafeHwnd());
    for (const auto& [id, text] : kToolTips)
        tips.Add(id, text);
    Refresh();
    return TRUE;
}

std::optional<LRESULT> CInstalledMissionsDialog::OnMessage(UINT message, WPARAM, LPARAM lParam)
{
    // While an uninstall works, its progress window lets posted commands through: none may start another.
    if (message == WM_COMMAND && !IsWindowEnabled(GetSafeHwnd()))
        return 0;
    if (message != WM_NOTIFY)
        return std::nullopt;
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header->idFrom == IDC_INSTALLED_LIST && header->code == LVN_ITEMCHANGED)
        ApplySelectionRule();
    return std::nullopt;
}

void CInstalledMissionsDialog::Refresh()
{
    BeginWaitCursor();
    history = ReadInstallationHistory(NativeFileSystem(), gameDirectory);
    drift = history.damaged ? std::vector<GameDrift>{}
                            : DriftSinceLastInstallation(NativeFileSystem(), gameDirectory, history);
    EndWaitCursor();

    HWND list = GetDlgItem(IDC_INSTALLED_LIST);
    SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
    for (std::size_t i = 0; i < history.records.size(); ++i)
    {
        const InstallationRecord& record = history.records[i];
        const std::string cells[] = {std::to_string(i + 1), record.missionName, ShownTime(record),
                                     record.missionFile};
        LVITEMA item{};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(i);
        item.pszText = const_cast<char*>(cells[0].c_str());
        SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
        for (int column = 1; column < static_cast<int>(std::size(cells)); ++column)
        {
            item.iSubItem = column;
            item.pszText = const_cast<char*>(cells[column].c_str());
            SendMessageA(list, LVM_SETITEMTEXTA, i, reinterpret_cast<LPARAM>(&item));
        }
    }

    std::string warning;
    if (history.damaged)
        warning = DamagedRecordsMessage(*history.damaged) + " Uninstalling is not possible.";
    else if (history.records.empty())
        warning = NoInstallationsMessage(gameDirectory);
    else if (!drift.empty())
    {
        std::string files;
        for (const GameDrift& file : drift)
            files += (files.empty() ? "" : ", ") + file.gamePath;
        warning = "Changed since the last installation: " + files +
                  ". Uninstalling is not possible until they are put back.";
    }
    SetDlgItemTextA(GetSafeHwnd(), IDC_INSTALLED_WARNING, warning.c_str());
    ShowWindow(GetDlgItem(IDC_INSTALLED_SHOW_CHANGES), drift.empty() ? SW_HIDE : SW_SHOW);
    ApplySelectionRule();
}

std::size_t CInstalledMissionsDialog::Selected() const
{
    const LRESULT item = SendMessageA(GetDlgItem(IDC_INSTALLED_LIST), LVM_GETNEXTITEM, -1, LVNI_SELECTED);
    return item < 0 ? 0 : static_cast<std::size_t>(item) + 1;
}

void CInstalledMissionsDialog::ApplySelectionRule()
{
    const bool possible = Selected() != 0 && drift.empty() && !history.damaged;
    EnableControl(IDC_INSTALLED_PREVIEW, possible);
    EnableControl(IDC_INSTALLED_UNINSTALL, possible);
}

void CInstalledMissionsDialog::OnShowChanges()
{
    CPreviewDialog(GetSafeHwnd(), "What the files hold now, against what the last installation left in them.",
                   DriftDiff(drift), "Changed Since the Last Installation")
        .DoModal();
}

void CInstalledMissionsDialog::OnPreview()
{
    BeginWaitCursor();
    const UninstallPreview preview =
        PreviewUninstall(NativeFileSystem(), gameDirectory, std::to_string(Selected()), false);
    EndWaitCursor();
    CPreviewDialog(GetSafeHwnd(), OutcomeLine(preview), PreviewText(preview.preview)).DoModal();
}

void CInstalledMissionsDialog::OnUninstall()
{
    const std::size_t number = Selected();
    if (!number)
        return;
    const std::string& missionName = history.records[number - 1].missionName;
    if (!AppYesNoBox(GetSafeHwnd(), UninstallQuestion(missionName, history.records.size() - number),
                     MB_ICONWARNING))
        return;
    Uninstallation result;
    {
        // The dialog stays disabled under the progress window, whose Cancel alone may act meanwhile.
        EnableWindow(GetSafeHwnd(), FALSE);
        CWindowFrontEnd progress(GetSafeHwnd());
        progress.SetProgressCaption("Uninstalling...");
        result = Uninstall(NativeFileSystem(), progress, gameDirectory, std::to_string(number), false);
        EnableWindow(GetSafeHwnd(), TRUE);
    }
    SetForegroundWindow(GetSafeHwnd());
    switch (result.outcome)
    {
    case UninstallOutcome::Removed:
        AppMessageBox(GetSafeHwnd(), result.missionName + " was removed.");
        break;
    case UninstallOutcome::FailedAndRestored:
    case UninstallOutcome::RestoreIncomplete:
    {
        CErrorDialog error(GetSafeHwnd());
        error.errorText = result.MessagesText();
        error.DoModal();
        break;
    }
    case UninstallOutcome::Refused:
    case UninstallOutcome::Cancelled:
        AppMessageBox(GetSafeHwnd(), result.MessagesText());
        break;
    }
    Refresh();
}
