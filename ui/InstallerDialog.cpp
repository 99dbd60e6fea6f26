#include "InstallerDialog.h"

#include "AlreadyInstalled.h"
#include "BackupSetRestore.h"
#include "ConfirmDialog.h"
#include "FileSystem.h"
#include "GameLock.h"
#include "InstalledMissionsDialog.h"
#include "MessageBox.h"
#include "OptionsDialog.h"
#include "RecordedInstallation.h"
#include "UninstallSnapshot.h"
#include "UsableGameDirectory.h"
#include "WindowFrontEnd.h"
#include "resource.h"

namespace
{

// Longer directories are shown by their end, which names the game's folder.
constexpr std::size_t kShownDirectoryLength = 66;

// Posted by the initialisation, so that the offer comes once the dialog is on the screen.
constexpr UINT kOfferRestoreMessage = WM_APP + 1;

HHOOK helpKeyHook = nullptr;
CInstallerDialog* helpTarget = nullptr;

// The modal loops of every dialog and message box pass their messages here first.
LRESULT CALLBACK HelpKeyProc(int code, WPARAM wParam, LPARAM lParam)
{
    const auto* message = reinterpret_cast<const MSG*>(lParam);
    static bool showing = false;
    if (code == MSGF_DIALOGBOX && message->message == WM_KEYDOWN && message->wParam == VK_F1 && helpTarget &&
        !showing)
    {
        showing = true;
        helpTarget->WinHelp(GetAncestor(message->hwnd, GA_ROOT));
        showing = false;
        return TRUE;
    }
    return CallNextHookEx(helpKeyHook, code, wParam, lParam);
}

// Confirm's findings, one a line, problems first.
std::string FindingsText(const std::string& gameDirectory, const CMissionDefinition& mission)
{
    if (mission == CMissionDefinition{})
        return "No mission is set up yet. Press No, then Mission Setup..., and load or type one.";
    const std::vector<GameFinding> findings =
        CheckInstallationAndHistory(NativeFileSystem(), gameDirectory, mission, "Yes installs it again.");
    if (findings.empty())
        return "No problems found.";
    std::string text;
    for (const GameFinding& finding : findings)
        text += (text.empty() ? "" : "\r\n") + FindingText(finding);
    return text;
}

} // namespace

CInstallerDialog::CInstallerDialog()
    : CDialog(IDD_INSTALLER), appIcon(LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_KXVUZ)))
{
    MapCommand(IDC_START_INSTALLATION, BN_CLICKED, [this] { OnStartInstallation(); });
    MapCommand(IDC_OPTIONS, BN_CLICKED, [this] { OnOptions(); });
    MapCommand(IDC_INSTALLED_MISSIONS, BN_CLICKED, [this] { OnInstalledMissions(); });
}

void CInstallerDialog::WinHelp(HWND from)
{
    AppMessageBox(from,
                  "There is no help currently available. See the readme.txt for any questions you may have. "
                  "If the readme doesn't contain the answer yto your problem, feel free to e-mail me. See "
                  "the About dialog box for contact information.");
}

BOOL CInstallerDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    SendMessageA(GetSafeHwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(appIcon));
    SendMessageA(GetSafeHwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(appIcon));
    helpTarget = this;
    helpKeyHook = SetWindowsHookExA(WH_MSGFILTER, HelpKeyProc, nullptr, GetCurrentThreadId());
    PostMessageA(GetSafeHwnd(), kOfferRestoreMessage, 0, 0);
    return TRUE;
}

std::optional<LRESULT> CInstallerDialog::OnMessage(UINT message, WPARAM, LPARAM)
{
    switch (message)
    {
    case WM_COMMAND:
        // Disabled, the dialog gets no clicks, yet posted commands still arrive: while a run works or a
        // dialog is open above this one, none may start another or end this one.
        if (!IsWindowEnabled(GetSafeHwnd()))
            return 0;
        return std::nullopt;
    case WM_PAINT:
        if (!IsIconic(GetSafeHwnd()))
            return std::nullopt;
        PaintMinimised();
        return 0;
    case kOfferRestoreMessage:
        // The default directory stays unset, as the player has not named one yet.
        OfferRestoreIfInterrupted(gameDirectory.empty() ? kDefaultGameDirectory : gameDirectory);
        return 0;
    case WM_QUERYDRAGICON:
        return reinterpret_cast<LRESULT>(appIcon);
    case WM_DESTROY:
        UnhookWindowsHookEx(helpKeyHook);
        helpKeyHook = nullptr;
        helpTarget = nullptr;
        return std::nullopt;
    default:
        return std::nullopt;
    }
}

void CInstallerDialog::PaintMinimised()
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(GetSafeHwnd(), &paint);
    SendMessageA(GetSafeHwnd(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client;
    GetClientRect(GetSafeHwnd(), &client);
    const int x = (client.right - GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - GetSystemMetrics(SM_CYICON) + 1) / 2;
    DrawIcon(dc, x, y, appIcon);
    EndPaint(GetSafeHwnd(), &paint);
}

void CInstallerDialog::OnStartInstallation()
{
    if (gameDirectory.empty())
        gameDirectory = kDefaultGameDirectory;
    CConfirmDialog confirm(GetSafeHwnd());
    confirm.missionNameText =
        mission.missionName.empty() ? "(No mission name specified)" : mission.missionName;
    confirm.directoryText = gameDirectory.size() > kShownDirectoryLength
                                ? "..." + gameDirectory.substr(gameDirectory.size() - kShownDirectoryLength)
                                : gameDirectory;
    confirm.findingsText = FindingsText(gameDirectory, mission);
    confirm.gameDirectory = gameDirectory;
    confirm.mission = mission;
    MessageBeep(MB_ICONASTERISK);
    if (confirm.DoModal() != IDOK)
        OnOptions();
    // Said before the run, which would end the program over a folder the player can still change.
    else if (const auto unusable = UnusableGameDirectoryMessage(gameDirectory, mission))
        AppMessageBox(GetSafeHwnd(), *unusable);
    // The run would refuse to replace the backup set that alone can put the half-edited files right.
    else if (!OfferRestoreIfInterrupted(gameDirectory))
        RunInstallation();
}

void CInstallerDialog::OnOptions()
{
    if (gameDirectory.empty())
        gameDirectory = kDefaultGameDirectory;
    COptionsDialog options(GetSafeHwnd());
    options.directory = gameDirectory;
    options.mission = mission;
    const bool accepted = options.DoModal() == IDOK;
    mission = options.mission;
    if (!accepted)
        return;
    const bool moved = options.directory != gameDirectory;
    gameDirectory = options.directory;
    if (moved)
        OfferRestoreIfInterrupted(gameDirectory);
}

void CInstallerDialog::OnInstalledMissions()
{
    if (gameDirectory.empty())
        gameDirectory = kDefaultGameDirectory;
    CInstalledMissionsDialog(gameDirectory, GetSafeHwnd()).DoModal();
    // An uninstall whose rollback was cut off leaves its snapshot to put back.
    OfferRestoreIfInterrupted(gameDirectory);
}

bool CInstallerDialog::OfferRestoreIfInterrupted(const std::string& directory)
{
    const std::optional<std::string> interruption = Interruption(NativeFileSystem(), directory);
    if (!interruption)
        return false;
    OfferRestore(directory, *interruption);
    return true;
}

void CInstallerDialog::OfferRestore(const std::string& gameDirectory, const std::string& interruption)
{
    if (!AppYesNoBox(GetSafeHwnd(), interruption + " Put them back from the backup now?"))
        return;
    const bool uninstall = UninstallInterrupted(NativeFileSystem(), gameDirectory);
    const BackupSetRestore restore = RestoreBackupSetAndRecords(NativeFileSystem(), gameDirectory);
    switch (restore.status)
    {
    case BackupSetRestore::Status::Tried:
    case BackupSetRestore::Status::Stopped:
        AppMessageBox(GetSafeHwnd(),
                      RestoredFilesReport(restore.files) +
                          (restore.Complete() ? RestoredGameMessage(uninstall)
                                              : "Some game files could not be restored; try again."));
        break;
    case BackupSetRestore::Status::Busy:
        AppMessageBox(GetSafeHwnd(), GameBusyMessage(gameDirectory));
        break;
    case BackupSetRestore::Status::Unlockable:
        AppMessageBox(GetSafeHwnd(), GameLockFailureMessage(gameDirectory, restore.reason));
        break;
    case BackupSetRestore::Status::NoBackupSet:
        AppMessageBox(GetSafeHwnd(), "The backup set in " + gameDirectory +
                                         "data\\Backup is no longer complete; nothing was put back.");
        break;
    case BackupSetRestore::Status::Unmarked:
        AppMessageBox(GetSafeHwnd(), "The backup journal " + BackupJournalPath(gameDirectory) +
                                         " could not be written; nothing was put back.\n" + restore.reason);
        break;
    }
}

void CInstallerDialog::RunInstallation()
{
    // Until the run ends the program. The run's own windows have no owner, so none enables this one again.
    EnableWindow(GetSafeHwnd(), FALSE);
    CWindowFrontEnd frontEnd(GetSafeHwnd());
    CRecordedInstallation run(NativeFileSystem(), frontEnd, gameDirectory, mission);
    frontEnd.SetCancelAction([&run] { run.Cancel(); });
    run.RunInstallation();
}
