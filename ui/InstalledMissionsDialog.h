#pragma once

#include "Dialog.h"
#include "GameDrift.h"
#include "InstallationRecords.h"
#include "ToolTips.h"

#include <string>

// The installations recorded in a game, oldest first, with the preview and uninstall of any one of them.
// Nothing here ends the program: Close returns to the main dialog.
class CInstalledMissionsDialog : public CDialog
{
public:
    // gameDirectory ends in a backslash.
    CInstalledMissionsDialog(std::string gameDirectory, HWND parent);

protected:
    BOOL OnInitDialog() override;
    std::optional<LRESULT> OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // Reads the records and the game files again and shows them, nothing selected.
    void Refresh();
    void ApplySelectionRule();
    // The selected installation's number, from 1; 0 for none.
    std::size_t Selected() const;

    void OnShowChanges();
    void OnPreview();
    void OnUninstall();

    std::string gameDirectory;
    InstallationHistory history;
    std::vector<GameDrift> drift;
    CToolTips tips;
};
