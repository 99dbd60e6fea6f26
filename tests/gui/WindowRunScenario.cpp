#include "WindowRunScenario.h"

#include "BeepCounter.h"
#include "DataExchange.h"
#include "DialogScript.h"
#include "FileSystem.h"
#include "GameLock.h"
#include "InstallationRun.h"
#include "InstallerDialog.h"
#include "InstallerSteps.h"
#include "MissionFile.h"
#include "Screenshot.h"
#include "WindowFrontEnd.h"
#include "resource.h"

#include <commctrl.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace
{

const char* const kErrorCaption = "KX VUZ Odezodure Error!";
const char* const kMessageCaption = "kx_gui_tests";

class CReport
{
public:
    explicit CReport(const std::string& path) : out(path, std::ios::binary | std::ios::trunc) {}

    // Written through at once: the run ends the process without unwinding.
    void Line(const std::string& key, std::string value)
    {
        for (std::size_t at = value.find('\n'); at != std::string::npos; at = value.find('\n', at))
            value.replace(at, 1, "\\n");
        out << key << ": " << value << '\n' << std::flush;
    }

private:
    std::ofstream out;
};

// The window front end, with what its progress window shows after each step read back from the window.
class CObservedFrontEnd : public CWindowFrontEnd
{
public:
    CObservedFrontEnd(CReport& report, std::string screenshotAt, std::string cancelAt)
        : CWindowFrontEnd(nullptr), report(report), screenshotAt(std::move(screenshotAt)),
          cancelAt(std::move(cancelAt))
    {
    }

    void ShowTexts() override
    {
        CWindowFrontEnd::ShowTexts();
        HWND window = ProgressWindow();
        const std::string operation = ItemText(window, IDC_OPERATION_TEXT);
        const std::string detail = ItemText(window, IDC_DETAIL_TEXT);
        const std::string percent = ItemText(window, IDC_PERCENT_TEXT);
        if (operation != shownOperation)
            report.Line("operation", shownOperation = operation);
        report.Line("shown", percent + " " + detail);
        const LRESULT bar = SendDlgItemMessageA(window, IDC_PROGRESS_BAR, PBM_GETPOS, 0, 0);
        if (std::to_string(bar) + "%" != percent)
            report.Line("failure", "the bar stands at " + std::to_string(bar) + " beside " + percent);
        if (GetUpdateRect(window, nullptr, FALSE))
            report.Line("failure", "not yet painted: " + detail);
        if (GetCursor() != LoadCursorA(nullptr, IDC_WAIT))
            report.Line("failure", "no wait cursor at " + detail);
        if (detail == screenshotAt)
            SaveScreenshot(window, "progress-window");
        if (detail == cancelAt)
            // As a user's click would, it waits in the queue until the window's messages are let through.
            PostMessageA(GetDlgItem(window, IDCANCEL), BM_CLICK, 0, 0);
    }

private:
    CReport& report;
    std::string screenshotAt;
    std::string cancelAt;
    std::string shownOperation;
};

BOOL CALLBACK AddCaption(HWND window, LPARAM captions)
{
    if (IsWindowVisible(window))
        reinterpret_cast<std::vector<std::string>*>(captions)->push_back(
            WindowText(window) + (IsWindowEnabled(window) ? "" : " (disabled)"));
    return TRUE;
}

// The windows this thread shows, in the order of their captions.
std::string ShownWindows()
{
    std::vector<std::string> captions;
    EnumThreadWindows(GetCurrentThreadId(), AddCaption, reinterpret_cast<LPARAM>(&captions));
    std::sort(captions.begin(), captions.end());
    std::string shown;
    for (const std::string& caption : captions)
        shown += (shown.empty() ? "" : ", ") + caption;
    return shown;
}

// The run started from the main dialog, with Start Installation, Options and Cancel posted to that dialog
// while the run works between its steps and again while it shows "Done".
int RunFromTheMainDialog(CReport& report, const CMissionDefinition& mission, const std::string& gameDirectory,
                         const std::string& logPath)
{
    // The main dialog's run writes its log into the working folder.
    SetCurrentDirectoryA(std::filesystem::path(logPath).parent_path().string().c_str());
    CInstallerDialog dialog;
    dialog.gameDirectory = gameDirectory;
    dialog.mission = mission;
    auto postCommands = [&dialog]
    {
        for (int id : {IDC_START_INSTALLATION, IDC_OPTIONS, IDCANCEL})
            PostMessageA(dialog.GetSafeHwnd(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
    };
    CDialogScript script;
    script.onFailure = [&](const std::string& problem) { report.Line("failure", problem); };
    script.Ignore("Installing...")
        .Then(kInstallerCaption, [](HWND main) { Click(main, IDC_START_INSTALLATION); })
        .Then(kConfirmCaption,
              [&](HWND confirm)
              {
                  Click(confirm, IDOK);
                  postCommands();
              })
        .Then(kMessageCaption,
              [&](HWND box)
              {
                  report.Line("message", MessageBoxText(box));
                  postCommands();
              })
        .ThenAgain(kMessageCaption,
                   [&](HWND box)
                   {
                       report.Line("windows", ShownWindows());
                       Click(box, IDOK);
                   });
    dialog.DoModal();
    report.Line("failure", "the main dialog ended instead of the run");
    return 3;
}

// Start Installation on a game whose lock another holder has: the refusal comes before any window of the
// run and belongs to the main dialog.
int RefusedFromTheMainDialog(CReport& report, const CMissionDefinition& mission,
                             const std::string& gameDirectory, const std::string& logPath)
{
    SetCurrentDirectoryA(std::filesystem::path(logPath).parent_path().string().c_str());
    NativeFileSystem().CreateFolder(gameDirectory + "data\\Backup");
    const GameLock other = LockGame(NativeFileSystem(), gameDirectory);
    if (!other.lock)
        report.Line("failure", "the game's lock could not be taken");
    CInstallerDialog dialog;
    dialog.gameDirectory = gameDirectory;
    dialog.mission = mission;
    CDialogScript script;
    script.onFailure = [&](const std::string& problem) { report.Line("failure", problem); };
    script.Then(kInstallerCaption, [](HWND main) { Click(main, IDC_START_INSTALLATION); })
        .Then(kConfirmCaption, [](HWND confirm) { Click(confirm, IDOK); })
        .Then(kMessageCaption,
              [&](HWND box)
              {
                  report.Line("refusal", MessageBoxText(box));
                  report.Line("owner", WindowText(GetWindow(box, GW_OWNER)));
                  Click(box, IDOK);
              });
    dialog.DoModal();
    report.Line("failure", "the main dialog ended instead of the run");
    return 3;
}

} // namespace

int RunWindowScenario(const std::vector<std::string>& arguments)
{
    if (arguments.size() != 5)
        return 2;
    const std::string& scenario = arguments[0];
    CReport report(arguments[4]);
    CMissionDefinition mission;
    if (!LoadMissionFile(NativeFileSystem(), arguments[1], mission).Ok())
    {
        report.Line("failure", "cannot load " + arguments[1]);
        return 2;
    }
    if (scenario == "main-dialog")
        return RunFromTheMainDialog(report, mission, arguments[2] + "\\", arguments[3]);
    if (scenario == "busy-from-main-dialog")
        return RefusedFromTheMainDialog(report, mission, arguments[2] + "\\", arguments[3]);

    CObservedFrontEnd frontEnd(report, scenario == "complete" ? "Updating kx_string_table.txt..." : "",
                               scenario == "cancel-between-steps" ? "Updating mission.lst..." : "");
    CInstallationRun run(NativeFileSystem(), frontEnd, arguments[2] + "\\", mission, arguments[3]);
    frontEnd.SetCancelAction([&run] { run.Cancel(); });

    CBeepCounter beeps;
    CDialogScript script;
    script.onFailure = [&](const std::string& problem) { report.Line("failure", problem); };
    script.Ignore("Installing...");
    auto recordError = [&](HWND dialog)
    {
        report.Line("error", ItemText(dialog, IDC_ERROR_TEXT));
        report.Line("beeps", std::to_string(beeps.Beeps().size()));
    };
    // A box of the run belongs to the progress window and comes to the front.
    auto recordOwner = [&](HWND box)
    {
        report.Line("owner", WindowText(GetWindow(box, GW_OWNER)) +
                                 (GetForegroundWindow() == box ? ", in front" : ", not in front"));
    };
    auto recordMessage = [&](const char* key)
    {
        return [&report, key](HWND box)
        {
            report.Line(key, MessageBoxText(box));
            Click(box, IDOK);
        };
    };
    if (scenario == "complete")
        script.Then(kMessageCaption,
                    [&](HWND box)
                    {
                        SaveScreenshot(box, "done-message");
                        recordOwner(box);
                        recordMessage("message")(box);
                    });
    else if (scenario == "failure")
        script
            .Then(kErrorCaption,
                  [&](HWND dialog)
                  {
                      recordError(dialog);
                      recordOwner(dialog);
                      SaveScreenshot(dialog, "run-error-dialog");
                      Click(dialog, IDC_MORE_INFORMATION);
                  })
            .Then("More Information",
                  [&](HWND dialog)
                  {
                      report.Line("opened", "More Information");
                      Click(dialog, IDOK);
                  })
            .Then(kErrorCaption,
                  [&](HWND dialog)
                  {
                      report.Line("back in", ItemText(dialog, IDC_ERROR_TEXT));
                      Click(dialog, IDOK);
                  });
    else if (scenario == "cancel-between-steps")
        script.Then(kErrorCaption,
                    [&](HWND dialog)
                    {
                        recordError(dialog);
                        Click(dialog, IDOK);
                    });
    else if (scenario == "cancel-while-done")
        script.Then(kMessageCaption,
                    [&](HWND box)
                    {
                        report.Line("message", MessageBoxText(box));
                        report.Line("progress window",
                                    IsWindowEnabled(frontEnd.ProgressWindow()) ? "enabled" : "disabled");
                        // The close comes first out of the queue, as a player's would before OK.
                        PostMessageA(frontEnd.ProgressWindow(), WM_SYSCOMMAND, SC_CLOSE, 0);
                        PostMessageA(box, WM_COMMAND, IDOK, 0);
                    });
    else if (scenario == "cancel-pressed-while-done")
        script
            .Then(kMessageCaption,
                  [&](HWND box)
                  {
                      report.Line("message", MessageBoxText(box));
                      // As a tool that presses buttons for the player would: the disabled window's button
                      // itself still takes it.
                      PostMessageA(GetDlgItem(frontEnd.ProgressWindow(), IDCANCEL), BM_CLICK, 0, 0);
                  })
            .Then(kErrorCaption,
                  [&](HWND dialog)
                  {
                      recordError(dialog);
                      Click(dialog, IDOK);
                  });
    else if (scenario == "cancel-during-stop")
        script
            .Then(kErrorCaption,
                  [&](HWND dialog)
                  {
                      recordError(dialog);
                      PostMessageA(GetDlgItem(frontEnd.ProgressWindow(), IDCANCEL), WM_KEYDOWN, VK_ESCAPE, 0);
                  })
            .Then(kErrorCaption,
                  [&](HWND dialog)
                  {
                      recordError(dialog);
                      SaveScreenshot(dialog, "cancelled-error-dialog");
                      Click(dialog, IDOK);
                  });
    else
    {
        report.Line("failure", "no scenario " + scenario);
        return 2;
    }

    run.RunInstallation();
    report.Line("failure", "the run returned instead of ending the program");
    return 3;
}
