#include "InstallerDialog.h"

#include "BackupSetRestore.h"
#include "ConfirmDialog.h"
#include "FileSystem.h"
#include "GameLock.h"
#include "InstallationRun.h"
#include "MessageBox.h"
#include "OptionsDialog.h"
#include "UsableGameDirectory.h"
#include "WindowFrontEnd.h"
#include "resource.h"

namespace
{

// Longer directories are shown by their end, which names the game's folder.
constexpr std::size_t kShownDirectoryLength = 66;

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

} // namespace

CInstallerDialog::CInstallerDialog()
    : CDialog(IDD_INSTALLER), appIcon(LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_KXVUZ)))
{
    MapCommand(IDC_START_INSTALLATION, BN_CLICKED, [this] { OnStartInstallation(); });
    MapCommand(IDC_OPTIONS, BN_CLICKED, [this] { OnOptions(); });
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
    MessageBeep(MB_ICONASTERISK);
    if (confirm.DoModal() != IDOK)
        OnOptions();
    // Said before the run, which would end the program over a folder the player can still change.
    else if (const auto unusable = UnusableGameDirectoryMessage(gameDirectory, mission))
        AppMessageBox(GetSafeHwnd(), *unusable);
    // The run would refuse to replace the backup set that alone can put the half-edited files right.
    else if (LastInstallationInterrupted(NativeFileSystem(), gameDirectory))
        OfferRestore();
    else
        RunInstallation();
}

void CInstallerDialog::OnOptions()
{
    if (gameDirectory.empty())
        gameDirectory = kDefaultGameDirectory;
    COptionsDialog options(GetSafeHwnd());
    options.directory = gameDirectory;
    options.mission = mission;
    if (options.DoModal() == IDOK)
        gameDirectory = options.directory;
    mission = options.mission;
}

void CInstallerDialog::OfferRestore()
{
    if (!AppYesNoBox(GetSafeHwnd(),
                     std::string(kInterruptedInstallation) + " Put them back from the backup now?"))
        return;
    const BackupSetRestore restore = RestoreBackupSet(NativeFileSystem(), gameDirectory);
    switch (restore.status)
    {
    case BackupSetRestore::Status::Tried:
    case BackupSetRestore::Status::Stopped:
        AppMessageBox(GetSafeHwnd(),
                      RestoredFilesReport(restore.files) +
                          (restore.Complete() ? kGameFilesRestored
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
    CInstallationRun run(NativeFileSystem(), frontEnd, gameDirectory, mission);
    frontEnd.SetCancelAction([&run] { run.Cancel(); });
    run.RunInstallation();
}
