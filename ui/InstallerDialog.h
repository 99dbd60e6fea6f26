#pragma once

#include "Dialog.h"
#include "MissionDefinition.h"

#include <string>

// The main window: it owns the game directory and the mission for the whole program, and starts the run.
class CInstallerDialog : public CDialog
{
public:
    CInstallerDialog();

    // Ends in a backslash once set; empty until Options or Start Installation fills in the default.
    std::string gameDirectory;
    CMissionDefinition mission;

    // Every help request of the program, the F1 key in any of its dialogs included: there is no help file.
    void WinHelp(HWND from);

protected:
    BOOL OnInitDialog() override;
    std::optional<LRESULT> OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void OnStartInstallation();
    void OnOptions();
    void OnInstalledMissions();
    // After an interrupted installation into directory: asks, puts the game files back from its backup, and
    // says how it went; true when it was interrupted, and then no run starts.
    bool OfferRestoreIfInterrupted(const std::string& directory);
    void OfferRestore(const std::string& gameDirectory, const std::string& interruption);
    // The run ends the program, whatever its outcome.
    void RunInstallation();
    void PaintMinimised();

    HICON appIcon;
};
